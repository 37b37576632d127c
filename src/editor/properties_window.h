#pragma once
// "Properties": the floating tool window with the selected widget's property grid. It
// is hidden while nothing is selected, and hosts the string chooser docked at its right
// edge when a text row's button opens it. It follows the editor session: the grid's rows
// read their values again whenever the shown widget changes, and the chooser its texts
// when the mod's tables are read again.

#include "editor/editor_listener.h"
#include "editor/editor_session.h"
#include "editor/tool_window.h"
#include "gfx/native_window.h"

#include <memory>
#include <optional>

namespace Screen {
class Widget;
}

namespace Editor {

class EditorWorkspace;
class PropTree;
class TextRow;
class UcsChoice;

class PropertiesWindow : public ToolWindow, private EditorListener {
public:
    // Creates the window, owned by `owner`; shows it when a widget is selected. The
    // editor must outlive it. The window deletes the object after its last message.
    static PropertiesWindow* open(EditorWorkspace& editor, HWND owner);
    ~PropertiesWindow() override;

    // This kind's frame for the whole run: first 250 x 300 DIPs, not placed.
    static RememberedFrame& remembered_frame();
    // The docked chooser's width, in DIPs.
    static constexpr int chooser_width = 320;

    // Rebuilds the grid for `widget`; shows the window (without activating, moving or
    // resizing it) for a widget, hides it for none.
    void show_widget(Screen::Widget* widget);
    // Docks `window` (a child of this one) at the right edge, replacing the one docked
    // before, and widens the window by its width; null undocks. A window widened past
    // the screen's edge moves left until the chooser goes.
    void dock(HWND window);

    PropTree* grid() const { return m_grid; }
    HWND docked() const { return m_docked; }
    int docked_width() const { return m_docked_width; }
    Screen::Widget* widget() const;

protected:
    LRESULT window_message(UINT message, WPARAM wparam, LPARAM lparam) override;
    void describe_class(WNDCLASSEXW& description) override;
    void on_resized(int width, int height) override;
    int own_client_width(int width) const override { return width - m_docked_width; }

private:
    explicit PropertiesWindow(EditorWorkspace& editor);

    void property_changed(Screen::Widget* widget, int property) override;
    void selection_changed(Screen::Widget* widget) override { show_widget(widget); }
    // The docked chooser lists the texts anew.
    void texts_changed() override;

    void build();
    HWND open_chooser(TextRow& row);
    // Widens (or narrows) the window by `delta` client pixels, its position unchanged.
    void widen(int delta);

    EditorWorkspace& m_editor;
    EditorSession& m_session;
    PropTree* m_grid = nullptr; // a child window: deletes itself with its window
    EditorSession::Subscription m_subscription;
    Screen::Widget* m_widget = nullptr;
    HWND m_docked = nullptr;
    int m_docked_width = 0;
    // The row that opened the docked chooser, while the grid still shows it.
    const TextRow* m_docked_row = nullptr;
    // The chooser opened last, while it lives (docked, since undocking destroys it).
    Gfx::WindowLink<UcsChoice> m_chooser;
    std::optional<int> m_left_before_docking;
    bool m_closing = false;
};

} // namespace Editor
