#include "start/module_selector.h"
#include "start/screen_selector.h"

#include "app/error_report.h"
#include "mod/loaded_mod.h"
#include "platform/background_work.h"
#include "ui/file_entry.h"
#include "ui/file_group.h"
#include "ui/file_header.h"
#include "editor/editor_workspace.h"
#include "screen/screen_document.h"

#include "support/temp_folder.h"
#include "support/win/error_box_capture.h"
#include "support/win/message_pump.h"
#include "support/win/test_elements.h"
#include "support/win/test_graphics.h"
#include "support/win/test_window.h"
#include "ui/offscreen_target.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <memory>
#include <stdexcept>

using namespace TestSupport;
using Start::ModuleSelector;
using Start::ScreenSelector;

namespace {

std::vector<std::string> names_of(const Ui::FileGroup& group)
{
    std::vector<std::string> names;
    for (const Ui::FileEntry* entry : group.entries()) {
        const std::string& path = entry->path();
        names.push_back(path.substr(path.find_last_of("\\/") + 1));
    }
    return names;
}

std::string lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string sample_folder()
{
    std::string folder = TVSE_SAMPLE_DIR;
    std::replace(folder.begin(), folder.end(), '/', '\\');
    return folder + "\\";
}

// Holds a mod's background load until opened; shared with the load, which may still be
// leaving the builder when the test ends. Opens itself when the test is done with it,
// so that no mod waits forever.
struct Gate {
    Platform::ManualResetEvent open{false};
    ~Gate() { open.set(); }
};

class DefaultBuilder {
public:
    explicit DefaultBuilder(Mod::ResourceBuilder builder) { Mod::LoadedMod::set_default_resource_builder(std::move(builder)); }
    ~DefaultBuilder() { Mod::LoadedMod::set_default_resource_builder(nullptr); }
};

Mod::ResourceBuilder gated(const std::shared_ptr<Gate>& gate)
{
    return [gate](Gfx::GraphicsContext*, std::shared_ptr<const Mod::UnionSource>, const std::atomic<bool>&) -> std::unique_ptr<Mod::ModResources> {
        gate->open.wait(Platform::wait_forever);
        return nullptr;
    };
}

// A module selector filling a real window; the cursor is kept away from it.
class StartListsTest : public testing::Test {
protected:
    void SetUp() override
    {
        SetCursorPos(1279, 1023);
        window = std::make_unique<OpenedWindow>(new TestWindow, 800, 600);
        modules = (*window)->insert(std::make_unique<ModuleSelector>(&test_graphics()), nullptr);
        modules->set_bounds(0.0f, 0.0f, 800.0f, 600.0f);
    }
    void TearDown() override { window.reset(); }

    void click(const Ui::Element& element)
    {
        D2D1_POINT_2F point = root_point(element, 10.0f, element.height() / 2.0f);
        int x = static_cast<int>(point.x), y = static_cast<int>(point.y);
        send_mouse(window->hwnd(), WM_MOUSEMOVE, 0, x, y);
        send_mouse(window->hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, x, y);
        send_mouse(window->hwnd(), WM_LBUTTONUP, 0, x, y);
    }

    Ui::FileEntry* entry_named(const Ui::FileSelector& selector, const std::string& name) const
    {
        for (Ui::FileGroup* group : selector.groups())
            for (Ui::FileEntry* entry : group->entries())
                if (entry->path().size() >= name.size() &&
                    entry->path().compare(entry->path().size() - name.size(), name.size(), name) == 0)
                    return entry;
        return nullptr;
    }

    ScreenSelector* open_sample_module()
    {
        modules->add_folder(sample_folder());
        Ui::FileEntry* bastion = entry_named(*modules, "\\Bastion.module");
        if (!bastion)
            return nullptr;
        click(*bastion);
        return dynamic_cast<ScreenSelector*>(modules->detail());
    }

    std::unique_ptr<OpenedWindow> window;
    ModuleSelector* modules = nullptr;
};

} // namespace

TEST_F(StartListsTest, ModulesShowTheirDescriptionsUnderEachFolder)
{
    TempFolder first, second;
    first.write("Main.module", "[global]\nUIName = Main\nDescription = The first main module\n");
    first.write("Plain.module", "[global]\nUIName = Plain\n");
    first.write("notes.txt", "not a module");
    first.write("Shouting.MODULE", "[global]\nDescription = upper-case extension\n");
    second.write("Main.module", "[global]\nDescription = Another main module ; with a comment\n");

    EXPECT_EQ(modules->column_count(), 2u);
    modules->add_folder(first.root());
    modules->add_folder(second.root());
    ASSERT_EQ(modules->groups().size(), 2u);
    EXPECT_EQ(names_of(*modules->groups()[0]),
              (std::vector<std::string>{"Main.module", "Plain.module", "Shouting.MODULE"}));
    EXPECT_EQ(names_of(*modules->groups()[1]), std::vector<std::string>{"Main.module"});

    struct Case {
        std::size_t column;
        std::string path;
        std::wstring text;
    };
    const Case cases[] = {
        {0, first.path("Main.module"), L"Main.module"},
        {1, first.path("Main.module"), L"The first main module"},
        {1, first.path("Plain.module"), L""},
        {1, second.path("Main.module"), L"Another main module"},
        {1, first.path("Missing.module"), L""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(modules->cell_text(c.column, c.path), c.text) << c.path;

    // An installation folder without modules is shown with the empty line.
    TempFolder empty;
    modules->add_folder(empty.root());
    EXPECT_NE(modules->groups()[2]->empty_line(), nullptr);
}

TEST_F(StartListsTest, AnUnreadableModuleShowsTheMessageAndKeepsTheList)
{
    TempFolder installation;
    installation.write("Gone.module", "[global]\n");
    modules->add_folder(installation.root());
    Ui::FileEntry* gone = entry_named(*modules, "Gone.module");
    ASSERT_NE(gone, nullptr);
    std::filesystem::remove(std::filesystem::path(installation.path("Gone.module")));

    ErrorBoxCapture boxes;
    click(*gone);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].owner, window->hwnd());
    EXPECT_EQ(boxes.boxes[0].text, App::window_error_text(("Cannot open module file " + gone->path()).c_str()));
    EXPECT_EQ(modules->detail(), nullptr);
    ASSERT_EQ(modules->child_count(), 1u);
    EXPECT_EQ(modules->child(0), modules->scroll());
    EXPECT_FALSE((*window)->is_dragging());
}

TEST_F(StartListsTest, TheSampleModuleListsItsLooseAndArchivedScreensWithDisplayNames)
{
    ScreenSelector* screens = open_sample_module();
    ASSERT_NE(screens, nullptr);
    EXPECT_EQ(modules->detail(), screens);
    EXPECT_EQ(screens->parent(), modules);
    EXPECT_EQ(screens->transform().dy, modules->header()->height());

    ASSERT_EQ(screens->groups().size(), 1u);
    const Ui::FileGroup& group = *screens->groups()[0];
    EXPECT_EQ(group.folder(), "Art\\UI\\Screens\\");
    std::vector<std::string> names = names_of(group);
    EXPECT_EQ(names.size(), 52u);
    for (const char* expected : {
             "MPGameSetupDialog.screen",    // loose only
             "FEMainMenu.screen",           // loose only, mixed case
             "mainmenuscreen.screen",       // loose and archived: once
             "automatchlobbyscreen.screen", // in the main module's archive
             "armypainterscreen.screen",    // in the required module's archive
             "historyscreen.screen",        // loose in the parent module
             "campaignmapscreen.screen",    // archived in the parent module
             "autosaveprompt.screen",       // a patch folder
         }) {
        EXPECT_EQ(std::count_if(names.begin(), names.end(),
                                [&](const std::string& name) { return lower(name) == lower(expected); }),
                  1)
            << expected;
    }
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end(),
                               [](const std::string& a, const std::string& b) { return lower(a) < lower(b); }));

    EXPECT_EQ(screens->column_count(), 2u);
    EXPECT_EQ(screens->cell_text(1, "Art\\UI\\Screens\\mainmenuscreen.screen"), L"Main menu");
    EXPECT_EQ(screens->cell_text(1, "Art\\UI\\Screens\\automatchlobbyscreen.screen"), L"Automatch lobby");
    EXPECT_EQ(screens->cell_text(0, "Art\\UI\\Screens\\automatchlobbyscreen.screen"), L"automatchlobbyscreen.screen");
    // Its first column is wider than that of the module list's file names alone.
    EXPECT_GT(screens->column_width(1), 0.0f);

    // The about line, centred over the list's width; the list still starts at y = 10.
    ASSERT_NE(screens->title(), nullptr);
    EXPECT_EQ(screens->title()->GetTextAlignment(), DWRITE_TEXT_ALIGNMENT_CENTER);
    EXPECT_EQ(screens->title()->GetMaxWidth(), screens->width());
    EXPECT_EQ(group.transform().dy, 10.0f);

    // 52 rows do not fit: the list scrolls.
    EXPECT_TRUE(screens->scroll()->is_scrolling());
}

TEST_F(StartListsTest, OpeningAScreenShowsItAndTheHeadersGoBackOneListEach)
{
    ScreenSelector* screens = open_sample_module();
    ASSERT_NE(screens, nullptr);
    screens->mod().wait_until_loaded(10000);

    Ui::FileEntry* main_menu = entry_named(*screens, "\\mainmenuscreen.screen");
    ASSERT_NE(main_menu, nullptr);
    click(*main_menu);
    auto* workspace = dynamic_cast<Editor::EditorWorkspace*>(screens->detail());
    ASSERT_NE(workspace, nullptr);
    ASSERT_NE(workspace->document(), nullptr);
    EXPECT_EQ(workspace->document()->path(), "Art\\UI\\Screens\\mainmenuscreen.screen");
    EXPECT_NE(workspace->document()->widgets(), nullptr);
    // Both headers stack: the module's above the screen list's.
    EXPECT_EQ(root_point(*screens->header(), 0.0f, 0.0f).y, modules->header()->height());

    click(*screens->header());
    EXPECT_EQ(screens->detail(), nullptr);
    EXPECT_EQ(modules->detail(), screens);
    click(*modules->header());
    EXPECT_EQ(modules->detail(), nullptr);
    EXPECT_EQ(modules->child(0), modules->scroll());
}

TEST_F(StartListsTest, AScreenThatDoesNotLoadShowsItsMessageAndKeepsTheList)
{
    TempFolder installation;
    installation.write("Broken.module", "[global]\nModFolder = Broken\nDataFolder.1 = Data\n");
    installation.write("Broken\\Data\\Art\\UI\\Screens\\noisy.screen", "print('hello')\n");
    installation.write("Broken\\Data\\Art\\UI\\Screens\\fine.screen", "Screen = { Widgets = { type = 'Button' } }\n");
    modules->add_folder(installation.root());
    Ui::FileEntry* module = entry_named(*modules, "Broken.module");
    ASSERT_NE(module, nullptr);
    click(*module);
    auto* screens = dynamic_cast<ScreenSelector*>(modules->detail());
    ASSERT_NE(screens, nullptr);
    screens->mod().wait_until_loaded(10000);

    ErrorBoxCapture boxes;
    click(*entry_named(*screens, "\\noisy.screen"));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text,
              App::window_error_text("Cannot load screen file Art\\UI\\Screens\\noisy.screen: "
                                     "slice:1: attempt to call global 'print' (a nil value)"));
    EXPECT_EQ(screens->detail(), nullptr);
    EXPECT_EQ(screens->child(0), screens->scroll());

    click(*entry_named(*screens, "\\fine.screen"));
    EXPECT_EQ(boxes.boxes.size(), 1u);
    auto* workspace = dynamic_cast<Editor::EditorWorkspace*>(screens->detail());
    ASSERT_NE(workspace, nullptr);
    EXPECT_EQ(workspace->document()->widget_count(), 1u);
    // The module's folder watches end before its folder is removed: Wine hangs removing
    // a folder that has a change notification pending.
    window.reset();
}

TEST_F(StartListsTest, AScreenOpenedBeforeTheModuleHasLoadedFailsAndWorksLater)
{
    auto gate = std::make_shared<Gate>();
    DefaultBuilder builder(gated(gate));
    ScreenSelector* screens = open_sample_module();
    ASSERT_NE(screens, nullptr);
    Ui::FileEntry* credits = entry_named(*screens, "\\creditsscreen.screen");
    ASSERT_NE(credits, nullptr);

    ErrorBoxCapture boxes;
    ULONGLONG started = GetTickCount64();
    click(*credits);
    ULONGLONG waited = GetTickCount64() - started;
    EXPECT_GE(waited, 4900u);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, App::window_error_text("The mod is still being loaded."));
    EXPECT_EQ(screens->detail(), nullptr);
    EXPECT_EQ(screens->child(0), screens->scroll());
    EXPECT_EQ(modules->detail(), screens);

    gate->open.set();
    screens->mod().wait_until_loaded(10000);
    click(*credits);
    EXPECT_EQ(boxes.boxes.size(), 1u);
    EXPECT_NE(dynamic_cast<Editor::EditorWorkspace*>(screens->detail()), nullptr);
}

TEST_F(StartListsTest, AFailedBackgroundLoadIsReportedWhenAScreenIsOpened)
{
    DefaultBuilder builder([](Gfx::GraphicsContext*, std::shared_ptr<const Mod::UnionSource>, const std::atomic<bool>&) -> std::unique_ptr<Mod::ModResources> {
        throw std::runtime_error("The colour table cannot be read");
    });
    ScreenSelector* screens = open_sample_module();
    ASSERT_NE(screens, nullptr);
    ErrorBoxCapture boxes;
    click(*entry_named(*screens, "\\lobby2.screen"));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, App::window_error_text("The colour table cannot be read"));
    EXPECT_EQ(screens->detail(), nullptr);
}

namespace {

// Records when the mod's resources go, and when the shown content goes.
struct Recorder : Mod::ModResources {
    explicit Recorder(std::vector<std::string>* log) : m_log(log) {}
    ~Recorder() override { m_log->push_back("mod"); }
    std::vector<std::string>* m_log;
};

struct LoggingLeaf : TestLeaf {
    explicit LoggingLeaf(std::vector<std::string>* log) : TestLeaf(0.0f, 0.0f, 10.0f, 10.0f, "editor"), m_log(log) {}
    ~LoggingLeaf() override { m_log->push_back("editor"); }
    std::vector<std::string>* m_log;
};

// A screen list whose detail stands for the editor of a screen.
class RecordingScreens : public ScreenSelector {
public:
    RecordingScreens(std::unique_ptr<Mod::LoadedMod> mod, std::vector<std::string>* log)
        : ScreenSelector(&test_graphics(), std::move(mod)), m_log(log)
    {
    }
    std::unique_ptr<Ui::Element> make_detail(const std::string&) override { return std::make_unique<LoggingLeaf>(m_log); }

private:
    std::vector<std::string>* m_log;
};

} // namespace

TEST(ScreenSelectorLifetime, TheShownContentGoesBeforeTheMod)
{
    TempFolder installation;
    installation.write("Main.module", "[global]\nModFolder = Main\nDataFolder.1 = Data\n");
    installation.write("Main\\Data\\Art\\UI\\Screens\\one.screen", "Screen = { }\n");
    std::vector<std::string> log;
    auto mod = std::make_unique<Mod::LoadedMod>();
    mod->set_resource_builder([&log](Gfx::GraphicsContext*, std::shared_ptr<const Mod::UnionSource>, const std::atomic<bool>&) {
        return std::make_unique<Recorder>(&log);
    });
    mod->load(&test_graphics(), installation.path("Main.module"));

    TestRoot root;
    auto* screens = root.insert(std::make_unique<RecordingScreens>(std::move(mod), &log), nullptr);
    ASSERT_EQ(screens->groups()[0]->entries().size(), 1u);
    screens->choose(screens->groups()[0]->entries()[0]->path());
    ASSERT_NE(screens->detail(), nullptr);
    screens->mod().wait_until_loaded(10000);

    root.remove_child(screens).reset();
    EXPECT_EQ(log, (std::vector<std::string>{"editor", "mod"}));
}
