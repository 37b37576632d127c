#include "ui/file_selector.h"

#include "app/dwrite_calls.h"
#include "app/error_report.h"
#include "ui/file_entry.h"
#include "ui/file_group.h"
#include "ui/file_header.h"
#include "ui/text_format.h"

#include "mod/memory_source.h"
#include "support/win/error_box_capture.h"
#include "support/win/message_pump.h"
#include "support/win/test_elements.h"
#include "support/win/test_graphics.h"
#include "support/win/test_window.h"
#include "ui/offscreen_target.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <stdexcept>

using namespace TestSupport;
using Ui::FileEntry;
using Ui::FileGroup;

namespace {

// Column 0 the file name, further columns from `extra`; the detail a plain leaf, or a
// failure when asked to.
class TestSelector : public Ui::FileSelector {
public:
    explicit TestSelector(std::shared_ptr<const Mod::FileSource> source, std::size_t columns = 1)
        : FileSelector(&test_graphics(), std::move(source), "screen")
    {
        set_column_count(columns);
    }

    std::wstring cell_text(std::size_t column, const std::string& path) override
    {
        if (column == 0)
            return FileSelector::cell_text(column, path);
        auto found = extra.find(path);
        return found == extra.end() ? std::wstring() : found->second;
    }

    std::unique_ptr<Ui::Element> make_detail(const std::string& path) override
    {
        requested.push_back(path);
        if (fail)
            throw std::runtime_error(fail_message);
        auto leaf = std::make_unique<TestLeaf>(0.0f, 0.0f, 10.0f, 10.0f, "detail");
        leaf->interactive = false;
        leaf->destroyed = &detail_destroyed;
        return leaf;
    }

    using FileSelector::set_title;

    std::map<std::string, std::wstring> extra;
    std::vector<std::string> requested;
    bool fail = false;
    std::string fail_message = "no detail";
    bool detail_destroyed = false;
};

std::vector<std::string> paths_of(const FileGroup& group)
{
    std::vector<std::string> paths;
    for (const FileEntry* entry : group.entries())
        paths.push_back(entry->path());
    return paths;
}

std::shared_ptr<MemorySource> source_with(std::initializer_list<const char*> files)
{
    auto source = std::make_shared<MemorySource>();
    for (const char* file : files)
        source->add(file);
    return source;
}

float metric_height(IDWriteTextLayout* layout)
{
    return App::get_metrics(layout).height;
}

} // namespace

TEST(MatchingFiles, KeepsTheExtensionInAnyCaseAndSortsWithoutRegardToCase)
{
    struct Case {
        std::vector<std::string> names;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {{"b.screen", "A.SCREEN"}, {"A.SCREEN", "b.screen"}},
        {{"Zeta.screen", "alpha.screen", "Beta.Screen"}, {"alpha.screen", "Beta.Screen", "Zeta.screen"}},
        {{"c.txt", "screen", "x.screens", "y.screen.bak", "Art"}, {}},
        {{"_b.screen", "a.screen", "B.screen"}, {"_b.screen", "a.screen", "B.screen"}}, // '_' before letters
        {{"ab.screen", "a.screen"}, {"a.screen", "ab.screen"}},
        {{"Same.screen", "same.screen"}, {"Same.screen", "same.screen"}}, // listing order kept
    };
    for (const Case& c : cases)
        EXPECT_EQ(Ui::matching_files(c.names, ".screen"), c.expected);
}

TEST(FileEntryPath, AddsOneBackslashUnlessTheFolderEndsInASeparator)
{
    EXPECT_EQ(Ui::join_path("C:\\Games", "a.module"), "C:\\Games\\a.module");
    EXPECT_EQ(Ui::join_path("C:\\Games\\", "a.module"), "C:\\Games\\a.module");
    EXPECT_EQ(Ui::join_path("Art/UI/", "a.screen"), "Art/UI/a.screen");
    EXPECT_EQ(Ui::join_path("", "a.screen"), "\\a.screen");
}

TEST(FileEntryHeight, AddsHalfALineOfPadding)
{
    EXPECT_EQ(Ui::cell_line_height(1, 14.0f), 21.0f);
    EXPECT_EQ(Ui::cell_line_height(2, 28.0f), 35.0f);
    EXPECT_EQ(Ui::cell_line_height(1, 14.2f), 22.0f); // rounded up
    EXPECT_EQ(Ui::cell_line_height(0, 14.0f), 21.0f); // never a division by zero
}

TEST(FileSelector, ListsEachFolderOnceWhateverItsLetterCase)
{
    auto source = source_with({"C:\\Games\\b.screen", "C:\\Games\\A.SCREEN", "C:\\Games\\c.txt", "D:\\Other\\z.screen"});
    TestSelector selector(source);
    selector.add_folder("C:\\Games\\");
    selector.add_folder("c:\\GAMES\\");
    selector.add_folder("C:\\Games\\");
    ASSERT_EQ(selector.groups().size(), 1u);
    EXPECT_EQ(paths_of(*selector.groups()[0]),
              (std::vector<std::string>{"C:\\Games\\A.SCREEN", "C:\\Games\\b.screen"}));
    selector.add_folder("D:\\Other\\");
    ASSERT_EQ(selector.groups().size(), 2u);
    EXPECT_EQ(selector.groups()[1]->folder(), "D:\\Other\\");
    // Groups live in the scroll view, after its two bars, in the order added.
    EXPECT_EQ(selector.scroll()->child(2), selector.groups()[0]);
    EXPECT_EQ(selector.scroll()->child(3), selector.groups()[1]);
}

TEST(FileSelector, AFolderWithoutMatchingFilesShowsTheEmptyLine)
{
    auto source = source_with({"C:\\Empty\\readme.txt"});
    TestSelector selector(source);
    selector.add_folder("C:\\Empty\\");
    selector.add_folder("C:\\Missing\\");
    EXPECT_EQ(Ui::empty_folder_text(".screen"), L"No screen files found.");
    EXPECT_EQ(Ui::empty_folder_text(".module"), L"No module files found.");
    for (const FileGroup* group : selector.groups()) {
        EXPECT_TRUE(group->entries().empty());
        ASSERT_NE(group->empty_line(), nullptr);
        // The line's layout is 1.3 lines tall and adds that to the group.
        float line = group->empty_line()->GetMaxHeight();
        EXPECT_GT(line, 0.0f);
        EXPECT_FLOAT_EQ(group->height(), group->heading_height() + line);
    }
    auto full = source_with({"C:\\Full\\a.screen"});
    TestSelector other(full);
    other.add_folder("C:\\Full\\");
    EXPECT_EQ(other.groups()[0]->empty_line(), nullptr);
}

TEST(FileSelector, ColumnWidthsGrowForAllGroupsAndNeverShrink)
{
    auto source = source_with({"C:\\A\\a.screen", "C:\\B\\a_much_longer_file_name.screen", "C:\\C\\b.screen"});
    TestSelector selector(source, 2);
    selector.extra["C:\\A\\a.screen"] = L"a rather long description";
    selector.extra["C:\\B\\a_much_longer_file_name.screen"] = L"short";

    selector.add_folder("C:\\A\\");
    const FileEntry* first = selector.groups()[0]->entries()[0];
    EXPECT_FLOAT_EQ(selector.column_width(0), first->cell_width(0));
    EXPECT_FLOAT_EQ(selector.column_width(1), first->cell_width(1));

    selector.add_folder("C:\\B\\");
    const FileEntry* wide = selector.groups()[1]->entries()[0];
    ASSERT_GT(wide->cell_width(0), first->cell_width(0));
    EXPECT_FLOAT_EQ(selector.column_width(0), wide->cell_width(0));
    EXPECT_FLOAT_EQ(selector.column_width(1), first->cell_width(1)); // the shorter one does not narrow it

    selector.add_folder("C:\\C\\");
    EXPECT_FLOAT_EQ(selector.column_width(0), wide->cell_width(0));
}

TEST(FileSelector, TheColumnCountIsFixedOnceAFolderIsAdded)
{
    auto source = source_with({"C:\\A\\a.screen"});
    TestSelector selector(source, 1);
    selector.set_column_count(3);
    EXPECT_EQ(selector.column_count(), 3u);
    selector.add_folder("C:\\A\\");
    EXPECT_EQ(selector.groups()[0]->entries()[0]->cell_count(), 3u);
    selector.set_column_count(3); // unchanged: allowed
    try {
        selector.set_column_count(2);
        FAIL() << "no failure";
    } catch (const std::runtime_error& failure) {
        EXPECT_STREQ(failure.what(), "Column count can only be changed while the selector is empty");
    }
    EXPECT_EQ(selector.column_count(), 3u);
}

TEST(FileSelector, LaysOutGroupsFromTheTopWithTheirEntriesUnderTheHeading)
{
    auto source = source_with({"C:\\A\\a.screen", "C:\\A\\b.screen", "C:\\B\\c.screen"});
    TestSelector selector(source);
    selector.add_folder("C:\\A\\");
    selector.add_folder("C:\\B\\");
    selector.set_bounds(0.0f, 0.0f, 500.0f, 400.0f);

    const FileGroup* a = selector.groups()[0];
    const FileGroup* b = selector.groups()[1];
    EXPECT_EQ(a->transform().dx, 16.0f);
    EXPECT_EQ(a->transform().dy, 10.0f);
    EXPECT_EQ(a->width(), 480.0f);
    EXPECT_EQ(b->transform().dy, 10.0f + a->height());
    // The heading is two of its lines tall; the rule starts just after its text.
    EXPECT_EQ(a->heading_height(), std::floor(a->heading_height()));
    EXPECT_GT(a->rule_start(), 4.0f);
    const FileEntry* first = a->entries()[0];
    const FileEntry* second = a->entries()[1];
    EXPECT_EQ(first->transform().dy, a->heading_height());
    EXPECT_EQ(second->transform().dy, a->heading_height() + first->height());
    EXPECT_EQ(first->width(), 480.0f);
    EXPECT_FLOAT_EQ(a->height(), a->heading_height() + first->height() + second->height());
    // Every cell is as tall as the entry: the format centres it vertically.
    EXPECT_EQ(first->cell(0)->GetMaxHeight(), first->height());

    Ui::ScrollView* scroll = selector.scroll();
    EXPECT_EQ(scroll->width(), 500.0f);
    EXPECT_EQ(scroll->height(), 400.0f);
    EXPECT_DOUBLE_EQ(scroll->vertical_bar().extent(), 10.0 + a->height() + b->height());
    EXPECT_DOUBLE_EQ(scroll->horizontal_bar().extent(), 500.0);
    EXPECT_FALSE(scroll->is_scrolling());

    // A title does not move the list; it gets the selector's width.
    IDWriteFactory* factory = test_graphics().dwrite_factory.Get();
    selector.set_title(Ui::create_text_layout(L"about", factory, selector.cell_format()));
    EXPECT_EQ(selector.title()->GetMaxWidth(), 500.0f);
    EXPECT_FLOAT_EQ(selector.title()->GetMaxHeight(), metric_height(selector.title()) + 10.0f);
    EXPECT_EQ(a->transform().dy, 10.0f);

    // Narrower than the list: it scrolls, and the positions are kept in range.
    selector.set_bounds(0.0f, 0.0f, 500.0f, 40.0f);
    EXPECT_TRUE(scroll->is_scrolling());
    scroll->scroll_by(0.0f, 1000.0f);
    selector.set_bounds(0.0f, 0.0f, 500.0f, 60.0f);
    EXPECT_DOUBLE_EQ(scroll->vertical_bar().position(), scroll->vertical_bar().extent() - 60.0);
}

TEST(FileSelector, ChoosingShowsHeaderAndDetailAndGoingBackRestoresTheList)
{
    auto source = source_with({"C:\\A\\a.screen"});
    TestRoot root;
    auto* selector = root.insert(std::make_unique<TestSelector>(source), nullptr);
    selector->add_folder("C:\\A\\");
    selector->set_bounds(0.0f, 0.0f, 500.0f, 400.0f);
    Ui::ScrollView* scroll = selector->scroll();

    selector->choose("C:\\A\\a.screen");
    EXPECT_EQ(selector->requested, std::vector<std::string>{"C:\\A\\a.screen"});
    ASSERT_EQ(selector->child_count(), 2u);
    Ui::FileHeader* header = selector->header();
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(selector->child(0), header);
    EXPECT_EQ(selector->child(1), selector->detail());
    EXPECT_EQ(scroll->parent(), nullptr); // parked, not deleted
    EXPECT_EQ(header->height(), header->natural_height());
    EXPECT_EQ(header->width(), 500.0f);
    EXPECT_EQ(selector->detail()->transform().dy, header->height());
    EXPECT_EQ(selector->detail()->height(), 400.0f - header->height());
    // One line, centred across the header.
    EXPECT_EQ(header->natural_height(), std::ceil(1.5f * metric_height(header->text())));
    EXPECT_EQ(header->text()->GetTextAlignment(), DWRITE_TEXT_ALIGNMENT_CENTER);

    // Resizing lays out the detail, not the parked list.
    selector->set_bounds(0.0f, 0.0f, 300.0f, 200.0f);
    EXPECT_EQ(selector->detail()->width(), 300.0f);
    EXPECT_EQ(scroll->width(), 500.0f);

    selector->go_back();
    EXPECT_TRUE(selector->detail_destroyed);
    EXPECT_EQ(selector->detail(), nullptr);
    EXPECT_EQ(selector->header(), nullptr);
    ASSERT_EQ(selector->child_count(), 1u);
    EXPECT_EQ(selector->child(0), scroll);
    EXPECT_EQ(scroll->width(), 300.0f);
    selector->go_back(); // nothing to go back from
    EXPECT_EQ(selector->child(0), scroll);
}

TEST(FileSelector, AFailingDetailLeavesEverythingAsItWas)
{
    auto source = source_with({"C:\\A\\a.screen", "C:\\A\\b.screen"});
    TestRoot root;
    auto* selector = root.insert(std::make_unique<TestSelector>(source), nullptr);
    selector->add_folder("C:\\A\\");
    selector->set_bounds(0.0f, 0.0f, 500.0f, 400.0f);
    Ui::ScrollView* scroll = selector->scroll();

    selector->fail = true;
    EXPECT_THROW(selector->choose("C:\\A\\a.screen"), std::runtime_error);
    ASSERT_EQ(selector->child_count(), 1u);
    EXPECT_EQ(selector->child(0), scroll);
    EXPECT_EQ(selector->detail(), nullptr);
    EXPECT_EQ(selector->header(), nullptr);
    EXPECT_EQ(scroll->parent(), selector);

    // Opening it again works; a failure while a detail is shown keeps that detail.
    selector->fail = false;
    selector->choose("C:\\A\\a.screen");
    Ui::Element* shown = selector->detail();
    selector->fail = true;
    EXPECT_THROW(selector->choose("C:\\A\\b.screen"), std::runtime_error);
    EXPECT_EQ(selector->detail(), shown);
    EXPECT_FALSE(selector->detail_destroyed);
    ASSERT_EQ(selector->child_count(), 2u);
    selector->go_back();
    EXPECT_EQ(selector->child(0), scroll);
}

TEST(FileSelector, DrawsItsColours)
{
    auto source = source_with({"C:\\A\\a_rather_long_name.screen", "C:\\A\\b_rather_long_name.screen"});
    TestRoot root;
    auto* selector = root.insert(std::make_unique<TestSelector>(source), nullptr);
    selector->add_folder("C:\\A\\");
    selector->set_bounds(0.0f, 0.0f, 300.0f, 200.0f);
    const FileEntry* first = selector->groups()[0]->entries()[0];
    const FileEntry* second = selector->groups()[0]->entries()[1];
    root.set_hovered(const_cast<FileEntry*>(second));

    OffscreenTarget offscreen(test_graphics(), 300, 200);
    offscreen.draw(*selector);
    EXPECT_TRUE(offscreen.pixel(150, 0).close_to({255, 255, 255}, 3)) << offscreen.pixel(150, 0);
    EXPECT_TRUE(offscreen.pixel(150, 199).close_to({226, 237, 253}, 3)) << offscreen.pixel(150, 199);

    // Text: link blue on the plain entry, black on the hovered one, over its highlight.
    auto darkest = [&](const Ui::Element& entry, int* red, int* green, int* blue) {
        D2D1_POINT_2F top = root_point(entry, 0.0f, 0.0f);
        int best = 1000;
        for (UINT y = static_cast<UINT>(top.y); y < static_cast<UINT>(top.y + entry.height()); ++y) {
            for (UINT x = 20; x < 150; ++x) {
                Rgb c = offscreen.pixel(x, y);
                if (c.r + c.g + c.b < best) {
                    best = c.r + c.g + c.b;
                    *red = c.r;
                    *green = c.g;
                    *blue = c.b;
                }
            }
        }
    };
    int r, g, b;
    darkest(*first, &r, &g, &b);
    EXPECT_LT(r, 60);
    EXPECT_NEAR(g, 102, 30);
    EXPECT_GT(b, 170);
    darkest(*second, &r, &g, &b);
    EXPECT_LT(r + g + b, 150);

    D2D1_POINT_2F hovered = root_point(*second, 0.0f, 0.0f);
    UINT lower_half = static_cast<UINT>(hovered.y + second->height() * 0.75f);
    EXPECT_TRUE(offscreen.pixel(280, lower_half).close_to({255, 236, 181}, 3)) << offscreen.pixel(280, lower_half);
    UINT outline = static_cast<UINT>(hovered.y);
    EXPECT_TRUE(offscreen.pixel(200, outline).close_to({229, 195, 101}, 40)) << offscreen.pixel(200, outline);

    // The header of a chosen file: the dark bar, then the highlight while hovered.
    selector->choose("C:\\A\\a_rather_long_name.screen");
    offscreen.draw(*selector);
    Ui::FileHeader* header = selector->header();
    EXPECT_TRUE(offscreen.pixel(3, 2).close_to({77, 96, 130}, 6)) << offscreen.pixel(3, 2);
    UINT bottom = static_cast<UINT>(header->height()) - 2;
    EXPECT_TRUE(offscreen.pixel(3, bottom).close_to({61, 82, 119}, 6)) << offscreen.pixel(3, bottom);
    EXPECT_TRUE(offscreen.pixel(150, 150).close_to({255, 255, 255}, 1)); // no background under the detail
    root.set_hovered(header);
    offscreen.draw(*selector);
    EXPECT_TRUE(offscreen.pixel(3, bottom).close_to({255, 236, 181}, 3)) << offscreen.pixel(3, bottom);
}

namespace {

// A selector filling a real window, driven by window messages.
class FileSelectorWindowTest : public testing::Test {
protected:
    void SetUp() override
    {
        SetCursorPos(1279, 1023);
        auto source = source_with({"C:\\A\\a.screen", "C:\\A\\b.screen"});
        window = std::make_unique<OpenedWindow>(new TestWindow, 400, 300);
        selector = (*window)->insert(std::make_unique<TestSelector>(source), nullptr);
        selector->add_folder("C:\\A\\");
        selector->set_bounds(0.0f, 0.0f, 400.0f, 300.0f);
        entry = selector->groups()[0]->entries()[0];
        D2D1_POINT_2F point = root_point(*entry, 10.0f, entry->height() / 2.0f);
        on_entry = {static_cast<LONG>(point.x), static_cast<LONG>(point.y)};
    }

    LRESULT mouse(UINT message, WPARAM keys, POINT at) { return send_mouse(window->hwnd(), message, keys, at.x, at.y); }
    void click(POINT at)
    {
        mouse(WM_MOUSEMOVE, 0, at);
        mouse(WM_LBUTTONDOWN, MK_LBUTTON, at);
        mouse(WM_LBUTTONUP, 0, at);
    }
    bool cursor_is(LPCWSTR which) const { return GetCursor() == LoadCursorW(nullptr, which); }

    std::unique_ptr<OpenedWindow> window;
    TestSelector* selector = nullptr;
    FileEntry* entry = nullptr;
    POINT on_entry{};
    const POINT off_entry{300, 250};
};

} // namespace

TEST_F(FileSelectorWindowTest, APressChoosesOnlyWhenReleasedOverTheEntry)
{
    mouse(WM_MOUSEMOVE, 0, on_entry);
    EXPECT_EQ((*window)->hovered(), entry);
    EXPECT_TRUE(cursor_is(IDC_HAND));

    // Pressed, dragged away and released there: nothing.
    mouse(WM_LBUTTONDOWN, MK_LBUTTON, on_entry);
    ASSERT_TRUE((*window)->is_dragging());
    mouse(WM_MOUSEMOVE, MK_LBUTTON, off_entry);
    EXPECT_TRUE(cursor_is(IDC_ARROW));
    mouse(WM_LBUTTONUP, 0, off_entry);
    EXPECT_TRUE(selector->requested.empty());
    EXPECT_EQ(selector->detail(), nullptr);

    // Other buttons do not choose.
    mouse(WM_MOUSEMOVE, 0, on_entry);
    mouse(WM_RBUTTONDOWN, MK_RBUTTON, on_entry);
    mouse(WM_RBUTTONUP, 0, on_entry);
    mouse(WM_MBUTTONDOWN, MK_MBUTTON, on_entry);
    mouse(WM_MBUTTONUP, 0, on_entry);
    EXPECT_TRUE(selector->requested.empty());

    // Away and back before the release: chosen.
    mouse(WM_LBUTTONDOWN, MK_LBUTTON, on_entry);
    mouse(WM_MOUSEMOVE, MK_LBUTTON, off_entry);
    mouse(WM_MOUSEMOVE, MK_LBUTTON, on_entry);
    EXPECT_TRUE(cursor_is(IDC_HAND));
    mouse(WM_LBUTTONUP, 0, on_entry);
    EXPECT_EQ(selector->requested, std::vector<std::string>{"C:\\A\\a.screen"});
    EXPECT_NE(selector->detail(), nullptr);
    EXPECT_FALSE((*window)->is_dragging());
}

TEST_F(FileSelectorWindowTest, ClickingTheHeaderGoesBack)
{
    click(on_entry);
    ASSERT_NE(selector->header(), nullptr);
    const POINT on_header{200, static_cast<LONG>(selector->header()->height() / 2)};
    mouse(WM_MOUSEMOVE, 0, on_header);
    EXPECT_EQ((*window)->hovered(), selector->header());
    EXPECT_TRUE(cursor_is(IDC_HAND));

    // Released elsewhere: stays.
    mouse(WM_LBUTTONDOWN, MK_LBUTTON, on_header);
    mouse(WM_MOUSEMOVE, MK_LBUTTON, off_entry);
    mouse(WM_LBUTTONUP, 0, off_entry);
    ASSERT_NE(selector->detail(), nullptr);

    click(on_header);
    EXPECT_EQ(selector->detail(), nullptr);
    EXPECT_TRUE(selector->detail_destroyed);
    EXPECT_FALSE((*window)->is_dragging());
    // The list is back and answers again.
    mouse(WM_MOUSEMOVE, 0, on_entry);
    EXPECT_EQ((*window)->hovered(), entry);
}

TEST_F(FileSelectorWindowTest, AFailureEndsInTheWindowsBoxAndKeepsTheList)
{
    ErrorBoxCapture boxes;
    selector->fail = true;
    selector->fail_message = "The detail cannot be made";
    click(on_entry);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].owner, window->hwnd());
    EXPECT_EQ(boxes.boxes[0].text, App::window_error_text("The detail cannot be made"));
    EXPECT_EQ(selector->detail(), nullptr);
    EXPECT_EQ(selector->child(0), selector->scroll());
    EXPECT_FALSE((*window)->is_dragging());

    // The list still works: the next click opens it.
    selector->fail = false;
    click(on_entry);
    EXPECT_NE(selector->detail(), nullptr);
    EXPECT_TRUE(boxes.boxes.size() == 1u);
}
