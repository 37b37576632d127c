#pragma once
// A module written to a temporary folder with one screen, loaded, and an editor
// workspace on it inside a real window: what the tool windows are opened on.

#include "mod/loaded_mod.h"
#include "screen/screen_document.h"
#include "screen/widget.h"
#include "editor/editor_workspace.h"
#include "editor/tool_strip.h"

#include "support/temp_folder.h"
#include "support/win/message_pump.h"
#include "support/win/test_graphics.h"
#include "support/win/test_window.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace EditorTests {

constexpr const char* screen_path = "Art\\UI\\Screens\\tools.screen";

// A group holding a label, a hidden button, and a group with two children; tooltips.
constexpr const char* default_screen = R"(Screen = {
    Widgets = { type = 'Group', name = 'root', position = {0, 0}, size = {1, 1}, Children = {
        { type = 'TextLabel', name = 'label', position = {0.1, 0.1}, size = {0.3, 0.1}, text = '$100' },
        { type = 'Button', name = 'hidden', visible = false, position = {0.5, 0.1}, size = {0.2, 0.1} },
        { type = 'Group', name = 'inner', position = {0.1, 0.5}, size = {0.8, 0.4}, Children = {
            { type = 'Button', name = 'first', position = {0.1, 0.1}, style = {'UIStyles', 'Small'} },
            { type = 'ArtLabel', name = 'second', position = {0.5, 0.1}, size = {0.3, 0.3} },
        } },
    } },
    TooltipWidgets = { type = 'TextLabel', name = 'tip', visible = false },
})";

class EditorFixture : public testing::Test {
protected:
    void SetUp() override
    {
        installation.write("Main.module", "[global]\nModFolder = Main\nDataFolder.1 = Data\n");
        installation.write("Main\\Data\\art\\ui\\styles\\uistyles.styles", R"(StyleSheet = { Styles = {
            { name = 'Small', type = 'ButtonStyle', size = {0.1, 0.1} },
            { name = 'big', type = 'ButtonStyle', size = {0.4, 0.3} },
            { name = 'Label', type = 'TextLabelStyle' },
        } })");
        write_screen(default_screen);
        SetCursorPos(1279, 1023);
    }

    void write_screen(const std::string& script)
    {
        installation.write(std::string("Main\\Data\\") + screen_path, script);
    }

    void load_mod()
    {
        mod.load(&TestSupport::test_graphics(), installation.path("Main.module"));
        mod.wait_until_loaded(10000);
    }

    // Opens the window (1000 x 700 at (100, 50)) with a workspace filling it; the display
    // has no room beside it, so tool windows go over it under Wine too.
    Editor::EditorWorkspace* open_editor()
    {
        if (!mod_loaded) {
            load_mod();
            mod_loaded = true;
        }
        window = std::make_unique<TestSupport::OpenedWindow>(new TestSupport::TestWindow, 1000.0f, 700.0f);
        SetWindowPos(window->hwnd(), nullptr, 100, 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        SetActiveWindow(window->hwnd());
        workspace = (*window)->insert(std::make_unique<Editor::EditorWorkspace>(&TestSupport::test_graphics(), mod, screen_path),
                                      nullptr);
        RECT client{};
        GetClientRect(window->hwnd(), &client);
        workspace->set_bounds(0, 0, static_cast<float>(client.right), static_cast<float>(client.bottom));
        return workspace;
    }

    // The same, with its tool windows open as the program opens them.
    Editor::EditorWorkspace* open_editor_with_tool_windows()
    {
        Editor::EditorWorkspace::set_tool_windows_enabled(true);
        struct Disable {
            ~Disable() { Editor::EditorWorkspace::set_tool_windows_enabled(false); }
        } disable;
        return open_editor();
    }

    Screen::Widget* widget(const std::string& name) const { return find(workspace->document()->widgets(), name); }

    static Screen::Widget* find(Screen::Widget* root, const std::string& name)
    {
        if (!root)
            return nullptr;
        if (root->name() == name)
            return root;
        if (const std::vector<Screen::Widget*>* children = root->child_widgets()) {
            for (Screen::Widget* child : *children) {
                if (Screen::Widget* found = find(child, name))
                    return found;
            }
        }
        return nullptr;
    }

    TempFolder installation;
    Mod::LoadedMod mod;
    bool mod_loaded = false;
    std::unique_ptr<TestSupport::OpenedWindow> window;
    Editor::EditorWorkspace* workspace = nullptr;
};

// The text of a tree view's item.
inline std::wstring item_text(HWND tree, HTREEITEM item)
{
    wchar_t buffer[256] = {};
    TVITEMW data{};
    data.mask = TVIF_TEXT;
    data.hItem = item;
    data.pszText = buffer;
    data.cchTextMax = 256;
    SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data));
    return buffer;
}

// The texts of the items under `item`, in order.
inline std::vector<std::wstring> child_texts(HWND tree, HTREEITEM item)
{
    std::vector<std::wstring> texts;
    for (HTREEITEM child = TreeView_GetChild(tree, item); child; child = TreeView_GetNextSibling(tree, child))
        texts.push_back(item_text(tree, child));
    return texts;
}

// Records what an editor listener hears (of a session or, as an observer, a document).
class Recorder : public Editor::EditorListener {
public:
    void property_changed(Screen::Widget* widget, int property) override { properties.push_back({widget, property}); }
    void selection_changed(Screen::Widget* widget) override { selections.push_back(widget); }

    std::vector<std::pair<Screen::Widget*, int>> properties;
    std::vector<Screen::Widget*> selections;
};

} // namespace EditorTests
