// Following a mod's loose folders as files are saved: the system's change notifications,
// one report per burst, and the screen list and open screen following them.

#include "fs/folder_watcher.h"
#include "start/mod_watcher.h"
#include "start/screen_selector.h"

#include "mod/loaded_mod.h"
#include "render/resource_set.h"
#include "screen/screen_document.h"
#include "screen/widget.h"
#include "editor/editor_workspace.h"
#include "ui/file_entry.h"
#include "ui/file_group.h"
#include "editor/tool_strip.h"

#include "support/temp_folder.h"
#include "ui/offscreen_target.h"
#include "support/win/message_pump.h"
#include "support/win/test_elements.h"
#include "support/win/test_graphics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

using TestSupport::pump_until;

TEST(FolderWatcher, ReportsFilesWrittenInAndBelowEachFolder)
{
    TempFolder first, second;
    second.make_folder("deep\\er");
    std::vector<std::pair<std::size_t, std::string>> reports;
    Mod::FolderWatcher watcher({first.root(), first.path("missing\\"), second.root()},
                               [&](std::size_t folder, const std::string& path) { reports.emplace_back(folder, path); });
    EXPECT_EQ(watcher.watched_count(), 2u) << "a missing folder is left out";

    second.write("deep\\er\\file.txt", "written");
    ASSERT_TRUE(pump_until([&] {
        for (const auto& report : reports) {
            if (report.first == 2 && report.second == "deep\\er\\file.txt")
                return true;
        }
        return false;
    })) << reports.size() << " reports";
    for (const auto& report : reports)
        EXPECT_EQ(report.first, 2u) << report.second;

    // A new folder with files already in it (unpacked, or copied in): each file is told.
    reports.clear();
    TempFolder source;
    source.write("new\\a.txt", "a");
    source.write("new\\inner\\b.txt", "b");
    ASSERT_TRUE(MoveFileA(source.path("new").c_str(), first.path("new").c_str()));
    const auto told = [&](const std::string& path) {
        return std::find(reports.begin(), reports.end(), std::make_pair(std::size_t{0}, path)) != reports.end();
    };
    ASSERT_TRUE(pump_until([&] { return told("new\\a.txt") && told("new\\inner\\b.txt"); }))
        << reports.size() << " reports";
    first.write("new\\inner\\c.txt", "c");
    EXPECT_TRUE(pump_until([&] { return told("new\\inner\\c.txt"); })) << "the new folders are watched too";
}

TEST(FolderWatcher, GoesWithoutWaitingForItsPendingReads)
{
    TempFolder folder;
    int reports = 0;
    {
        Mod::FolderWatcher watcher({folder.root()}, [&](std::size_t, const std::string&) { ++reports; });
        ASSERT_EQ(watcher.watched_count(), 1u);
    }
    // The cancelled reads complete now, and a write after the watcher tells nobody.
    folder.write("after.txt", "x");
    TestSupport::pump_until([] { return false; }, 500);
    EXPECT_EQ(reports, 0);
}

// What a watcher told, folder by folder, and whether it told one path.
struct Told {
    std::vector<std::pair<std::size_t, std::string>> reports;

    Mod::FolderWatcher::Listener listener()
    {
        return [this](std::size_t folder, const std::string& path) { reports.emplace_back(folder, path); };
    }
    bool has(const std::string& path, std::size_t folder = 0) const
    {
        return std::find(reports.begin(), reports.end(), std::make_pair(folder, path)) != reports.end();
    }
};

TEST(FolderWatcher, AFolderReplacedByAnotherOfItsNameIsWatchedAgain)
{
    TempFolder parent;
    parent.write("Data\\sub\\a.txt", "a");
    Told told;
    Mod::FolderWatcher watcher({parent.path("Data")}, told.listener());
    ASSERT_EQ(watcher.watched_count(), 1u);

    // Renamed away, as a delete to the recycle bin does: everything in it is gone.
    ASSERT_TRUE(MoveFileA(parent.path("Data").c_str(), parent.path("Data.old").c_str()));
    ASSERT_TRUE(pump_until([&] { return watcher.watched_count() == 0; })) << told.reports.size() << " reports";
    EXPECT_TRUE(told.has(""));
    told.reports.clear();
    parent.write("Data.old\\sub\\late.txt", "not the watched folder's any more");

    // A new folder of the name, with files: watched, and everything in it is new.
    parent.write("Data\\b.txt", "b");
    ASSERT_TRUE(pump_until([&] { return watcher.watched_count() == 1; }));
    EXPECT_TRUE(pump_until([&] { return told.has(""); }));
    parent.write("Data\\sub\\c.txt", "c");
    ASSERT_TRUE(pump_until([&] { return told.has("sub\\c.txt"); })) << told.reports.size() << " reports";
    parent.write("Data.old\\sub\\later.txt", "x");
    pump_until([] { return false; }, 300);
    for (const auto& report : told.reports)
        EXPECT_EQ(report.second.find("late"), std::string::npos) << report.second;
}

TEST(FolderWatcher, AFolderGoneWithItsParentIsLookedForUntilItIsBack)
{
    TempFolder top;
    top.write("mod\\Data\\a.txt", "a");
    Told told;
    Mod::FolderWatcher watcher({top.path("mod\\Data\\")}, told.listener());
    ASSERT_EQ(watcher.watched_count(), 1u);
    ASSERT_TRUE(MoveFileA(top.path("mod\\Data").c_str(), top.path("mod\\Gone").c_str()));
    ASSERT_TRUE(pump_until([&] { return watcher.watched_count() == 0; }));
    // The parent goes too: the watch on it follows it, and sees nothing of the new one.
    ASSERT_TRUE(MoveFileA(top.path("mod").c_str(), top.path("mod.old").c_str()));
    pump_until([] { return false; }, 200);
    told.reports.clear();

    top.write("mod\\Data\\b.txt", "b");
    const DWORD start = GetTickCount();
    ASSERT_TRUE(pump_until([&] { return watcher.watched_count() == 1; }, 5000));
    EXPECT_LT(GetTickCount() - start, 4 * Mod::FolderWatcher::retry_ms) << "looked for about once a second";
    EXPECT_TRUE(told.has(""));
    top.write("mod\\Data\\c.txt", "c");
    EXPECT_TRUE(pump_until([&] { return told.has("c.txt"); }));
}

TEST(FolderWatcher, ASubfolderRenamedAwayAndMadeAgainReportsUnderItsNewNames)
{
    TempFolder root;
    root.write("sub\\deeper\\a.txt", "a");
    Told told;
    Mod::FolderWatcher watcher({root.root()}, told.listener());
    ASSERT_TRUE(MoveFileA(root.path("sub").c_str(), root.path("sub.old").c_str()));
    root.write("sub\\deeper\\b.txt", "b");
    ASSERT_TRUE(pump_until([&] { return told.has("sub\\deeper\\b.txt"); })) << told.reports.size() << " reports";
    pump_until([] { return false; }, 200);
    told.reports.clear();

    root.write("sub.old\\deeper\\c.txt", "c");
    root.write("sub\\deeper\\d.txt", "d");
    ASSERT_TRUE(pump_until([&] { return told.has("sub.old\\deeper\\c.txt") && told.has("sub\\deeper\\d.txt"); }))
        << told.reports.size() << " reports";
    pump_until([] { return false; }, 300);
    // Where each folder has its own watch, the renamed one's would follow it and tell its
    // files under the old name.
    EXPECT_FALSE(told.has("sub\\deeper\\c.txt"));
}

TEST(FolderWatcher, TheParentOfAFolderIsSplitOff)
{
    using Split = std::pair<std::string, std::string>;
    const std::pair<const char*, Split> cases[] = {
        {"C:\\Game\\Mod\\Data\\", {"C:\\Game\\Mod\\", "Data"}},
        {"C:\\Game\\Mod\\Data", {"C:\\Game\\Mod\\", "Data"}},
        {"C:/Game/Data//", {"C:/Game/", "Data"}},
        {"C:\\Data\\", {"C:\\", "Data"}},
        {"C:\\", {"", ""}},
        {"Data\\", {"", ""}},
        {"\\\\server\\", {"", ""}},
        {"", {"", ""}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Mod::split_parent(c.first), c.second) << c.first;
}

// A notification buffer as the system fills it: records aligned to four bytes.
std::vector<unsigned char> records(const std::vector<std::u16string>& names)
{
    std::vector<unsigned char> buffer;
    const std::size_t header = offsetof(FILE_NOTIFY_INFORMATION, FileName);
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::size_t start = buffer.size();
        const std::size_t length = names[i].size() * 2;
        const std::size_t size = (header + length + 3) & ~std::size_t{3};
        buffer.resize(start + size);
        FILE_NOTIFY_INFORMATION record{};
        record.NextEntryOffset = i + 1 < names.size() ? static_cast<DWORD>(size) : 0;
        record.Action = FILE_ACTION_MODIFIED;
        record.FileNameLength = static_cast<DWORD>(length);
        std::memcpy(&buffer[start], &record, header);
        std::memcpy(&buffer[start + header], names[i].data(), length);
    }
    return buffer;
}

TEST(FolderWatcher, RecordsAreReadOnlyAsFarAsTheBufferGoes)
{
    const std::vector<unsigned char> buffer = records({u"a.txt", u"sub\\b.screen", u""});
    auto parsed = Mod::parse_change_records(buffer.data(), buffer.size());
    ASSERT_EQ(parsed.size(), 3u);
    EXPECT_EQ(parsed[0].first, static_cast<unsigned long>(FILE_ACTION_MODIFIED));
    EXPECT_EQ(parsed[0].second, u"a.txt");
    EXPECT_EQ(parsed[1].second, u"sub\\b.screen");
    EXPECT_EQ(parsed[2].second, u"");

    // Cut anywhere: only the records that fit whole.
    for (std::size_t size = 0; size < buffer.size(); ++size) {
        auto cut = Mod::parse_change_records(buffer.data(), size);
        EXPECT_LE(cut.size(), 2u) << size;
    }
    EXPECT_TRUE(Mod::parse_change_records(buffer.data(), 0).empty());

    // A name length past the end, and an offset that leaves the buffer.
    std::vector<unsigned char> damaged = buffer;
    const DWORD huge = 0x7fffffff;
    std::memcpy(&damaged[offsetof(FILE_NOTIFY_INFORMATION, FileNameLength)], &huge, sizeof(huge));
    EXPECT_TRUE(Mod::parse_change_records(damaged.data(), damaged.size()).empty());
    damaged = buffer;
    std::memcpy(&damaged[0], &huge, sizeof(huge));
    EXPECT_EQ(Mod::parse_change_records(damaged.data(), damaged.size()).size(), 1u);
}

Mod::ModComposition composition_of(const TempFolder& folder)
{
    Mod::ModComposition composition;
    composition.install_folder = folder.root();
    composition.sources = {{{Mod::SourceKind::folder, "Data\\"}, true, ""}};
    return composition;
}

TEST(ModWatcher, ABurstOfWritesGivesOneReport)
{
    TempFolder installation;
    installation.make_folder("Data\\Art\\UI\\Screens");
    std::vector<Mod::ModChange> reports;
    Start::ModWatcher watcher(composition_of(installation), [&](const Mod::ModChange& change) { reports.push_back(change); },
                              300);
    ASSERT_EQ(watcher.watched_count(), 1u);
    // An editor's save: a temporary file, the real one written twice, the temporary gone.
    installation.write("Data\\Art\\UI\\Screens\\main.screen.tmp", "1");
    installation.write("Data\\Art\\UI\\Screens\\main.screen", "2");
    installation.write("Data\\Art\\UI\\Screens\\main.screen", "3");
    DeleteFileA(installation.path("Data\\Art\\UI\\Screens\\main.screen.tmp").c_str());
    ASSERT_TRUE(pump_until([&] { return !reports.empty(); }));
    pump_until([] { return false; }, 800);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(reports[0].has("Art\\UI\\Screens\\main.screen"));
    EXPECT_TRUE(reports[0].screens());
    EXPECT_FALSE(reports[0].style_sheets());

    installation.write("Data\\art\\ui\\styles\\extra.styles", "StyleSheet = { Styles = {} }");
    ASSERT_TRUE(pump_until([&] { return reports.size() == 2; }));
    EXPECT_TRUE(reports[1].style_sheets());
    EXPECT_FALSE(reports[1].has("Art\\UI\\Screens\\main.screen"));
}

// The UTF-16 bytes of a .ucs table of ASCII lines.
std::string ucs(const std::string& lines)
{
    std::string bytes = "\xFF\xFE";
    for (char c : lines) {
        bytes.push_back(c);
        bytes.push_back('\0');
    }
    return bytes;
}

// Saves as most editors do: a new file renamed over the old one, which the program may
// hold mapped (and so shared for deleting only).
void save_over(const TempFolder& folder, const std::string& relative, const std::string& bytes)
{
    folder.write(relative + ".new", bytes);
    ASSERT_TRUE(MoveFileExA(folder.path(relative + ".new").c_str(), folder.path(relative).c_str(),
                            MOVEFILE_REPLACE_EXISTING))
        << GetLastError();
}

TEST(ModWatcher, TablesOfTheLocaleFoldersAreWatchedToo)
{
    TempFolder installation;
    installation.make_folder("Data\\Art\\UI\\Screens");
    installation.write("Locale\\english\\main.ucs", ucs("1\tOne\r\n"));
    Mod::ModComposition composition = composition_of(installation);
    composition.locale_folders = {"Locale\\english\\", "locale/English/", "Missing\\"};
    std::vector<Mod::ModChange> reports;
    Start::ModWatcher watcher(composition, [&](const Mod::ModChange& change) { reports.push_back(change); }, 100);
    ASSERT_EQ(watcher.watched_count(), 2u) << "the locale folder once, the missing one left out";

    // Only the tables count in a locale folder.
    installation.write("Locale\\english\\notes.txt", "notes");
    installation.write("Locale\\english\\old\\main.ucs", ucs("1\tOld\r\n"));
    pump_until([] { return false; }, 600);
    EXPECT_TRUE(reports.empty());

    save_over(installation, "Locale\\english\\main.ucs", ucs("1\tUno\r\n"));
    ASSERT_TRUE(pump_until([&] { return !reports.empty(); }));
    EXPECT_TRUE(reports[0].ucs_tables());
    EXPECT_FALSE(reports[0].everything() || reports[0].screens());
    EXPECT_TRUE(reports[0].files().empty());
    // Data and locale folders each tell their own kind.
    installation.write("Data\\Art\\UI\\Screens\\main.ucs", "a screen folder's file");
    ASSERT_TRUE(pump_until([&] { return reports.size() == 2; }));
    EXPECT_FALSE(reports[1].ucs_tables());
    EXPECT_TRUE(reports[1].has("Art\\UI\\Screens\\main.ucs"));
}

// A module with one loose screen, its list, and the editor on that screen.
class FollowingTest : public testing::Test {
protected:
    static constexpr const char* screen = "Art\\UI\\Screens\\main.screen";
    static constexpr const char* table = "Main\\Locale\\english\\main.ucs";

    void SetUp() override
    {
        installation.write("Main.module", "[global]\nModFolder = Main\nDataFolder.1 = Data\n");
        installation.write(table, ucs("100\tI\r\n"));
        write_screen("one");
        auto mod = std::make_unique<Mod::LoadedMod>();
        mod->set_resource_builder(Render::resource_set_builder());
        mod->load(&TestSupport::test_graphics(), installation.path("Main.module"));
        mod->wait_until_loaded(10000);
        screens = root.insert(std::make_unique<Start::ScreenSelector>(&TestSupport::test_graphics(), std::move(mod)),
                              nullptr);
        screens->set_bounds(0, 0, 800, 600);
        ASSERT_NE(screens->watcher(), nullptr);
        ASSERT_EQ(screens->watcher()->watched_count(), 2u) << "the data folder and the locale folder";
        screens->choose(entries().at(0));
        editor = dynamic_cast<Editor::EditorWorkspace*>(screens->detail());
        ASSERT_NE(editor, nullptr);
    }

    void write_screen(const std::string& text, const char* name = screen)
    {
        installation.write(std::string("Main\\Data\\") + name,
                           "Screen = { Widgets = { type = 'TextLabel', name = 'label', text = '" + text + "' } }");
    }

    std::vector<std::string> entries() const
    {
        std::vector<std::string> paths;
        for (Ui::FileEntry* entry : screens->groups().at(0)->entries())
            paths.push_back(entry->path());
        return paths;
    }

    std::string shown_text() const { return editor->document()->widgets()->text().value_or(""); }

    TempFolder installation;
    TestSupport::TestRoot root;
    Start::ScreenSelector* screens = nullptr;
    Editor::EditorWorkspace* editor = nullptr;
};

TEST_F(FollowingTest, SavingTheOpenScreenShowsTheNewVersion)
{
    ASSERT_EQ(shown_text(), "one");
    editor->session().select(editor->document()->widgets());
    write_screen("two");
    ASSERT_TRUE(pump_until([&] { return shown_text() == "two"; }, 10000));
    EXPECT_EQ(editor->selection(), editor->document()->widgets()) << "the selection is kept by name";

    // A broken save keeps the last good version, and says why.
    installation.write(std::string("Main\\Data\\") + screen, "Screen = {");
    ASSERT_TRUE(pump_until([&] { return !editor->tool_strip()->status().empty(); }, 10000));
    EXPECT_EQ(shown_text(), "two");
    write_screen("three");
    ASSERT_TRUE(pump_until([&] { return shown_text() == "three"; }, 10000));
    EXPECT_EQ(editor->tool_strip()->status(), L"");
}

TEST_F(FollowingTest, TheListFollowsScreensAddedAndRemoved)
{
    write_screen("other", "Art\\UI\\Screens\\added.screen");
    ASSERT_TRUE(pump_until([&] { return entries().size() == 2; }, 10000));
    EXPECT_EQ(entries()[0], "Art\\UI\\Screens\\added.screen");
    EXPECT_EQ(shown_text(), "one") << "another screen's file leaves the open one alone";

    DeleteFileA(installation.path("Main\\Data\\Art\\UI\\Screens\\added.screen").c_str());
    ASSERT_TRUE(pump_until([&] { return entries().size() == 1; }, 10000));
    screens->go_back();
    EXPECT_EQ(entries(), std::vector<std::string>{screen});
}

TEST_F(FollowingTest, SavingATableShowsItsNewTexts)
{
    installation.write(std::string("Main\\Data\\") + screen,
                       "Screen = { Widgets = { name = 'label', text = '$100', size = {1, 1}, Presentation = { Art = { {"
                       " type = 'Text', states = { 'Normal' }, size = {1, 1}, multiline = false,"
                       " textColourTop = {0, 0, 0, 255}, textColourBottom = {0, 0, 0, 255} } } } } }");
    ASSERT_TRUE(pump_until([&] { return shown_text() == "$100"; }, 10000));
    struct Heard : Editor::EditorListener {
        void texts_changed() override { ++count; }
        int count = 0;
    } heard;
    Editor::EditorSession::Subscription subscription = editor->session().subscribe(heard);
    Screen::ScreenDocument* document = editor->document();
    TestSupport::OffscreenTarget target(TestSupport::test_graphics(), 800, 600);
    const auto drawn = [&] {
        target.draw(*document);
        std::vector<int> pixels;
        for (UINT y = 0; y < 600; ++y)
            for (UINT x = 0; x < 800; ++x)
                pixels.push_back(target.pixel(x, y).r);
        return pixels;
    };
    const std::vector<int> before = drawn();
    ASSERT_EQ(document->resolve_text("$100"), u"I");

    save_over(installation, table, ucs("100\tWWWW WWWW\r\n"));
    ASSERT_TRUE(pump_until([&] { return heard.count > 0; }, 10000));
    EXPECT_EQ(heard.count, 1);
    EXPECT_EQ(editor->document(), document) << "drawn again, not loaded again";
    EXPECT_EQ(document->resolve_text("$100"), u"WWWW WWWW");
    EXPECT_NE(drawn(), before) << "the text drawn before is not kept";
    EXPECT_EQ(screens->mod().search_ids(u"wwww", {100}), std::vector<std::int32_t>{100});

    // Written in place, as simple editors save: the program holds no file of the tables.
    installation.write(table, ucs("100\tI\r\n"));
    ASSERT_TRUE(pump_until([&] { return heard.count == 2; }, 10000));
    EXPECT_EQ(document->resolve_text("$100"), u"I");
    EXPECT_EQ(drawn(), before);
}

} // namespace
