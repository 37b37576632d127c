// The screen document: its three steps and their failure messages, the bounds on what
// a script can make it build, observers, emphasis and the normalised coordinates.

#include "screen_fixture.h"

#include "screen/container_widget.h"
#include "ui/transform.h"

#include <gtest/gtest.h>

namespace {

using Screen::Widget;

std::string path_message(const char* step, const std::string& lua_message)
{
    return std::string("Cannot ") + step + " screen file " + ScreenFixture::screen_path + ": " + lua_message;
}

TEST(ScreenDocumentTest, FailureMessagesNameTheStep)
{
    ScreenFixture fixture;
    EXPECT_EQ(fixture.failure("print('hi')"), path_message("load", "slice:1: attempt to call global 'print' (a nil value)"));
    EXPECT_EQ(fixture.failure("Screen = {"), path_message("load", "slice:1: unexpected symbol near <eof>"));
    EXPECT_EQ(fixture.failure("Screen = { Widgets = { size = {'x'} } }"),
              path_message("instantiate", "number expected, got string"));
    EXPECT_EQ(fixture.failure(std::string("\x1bLua\x52\x00\x01\x04\x08\x04\x08\x00", 12)).find("Cannot load screen file"),
              0u);

    Screen::ScreenSources sources{std::make_shared<MemorySource>(), nullptr, nullptr};
    try {
        Screen::ScreenDocument document(nullptr, sources, "Art\\UI\\Screens\\missing.screen");
        FAIL();
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "Cannot open screen file Art\\UI\\Screens\\missing.screen");
    }
}

TEST(ScreenDocumentTest, ScreensWithoutWidgets)
{
    ScreenFixture fixture;
    for (const char* script : {"", "Screen = 5", "Screen = {}", "Screen = { Widgets = 'none', TooltipWidgets = 3 }"}) {
        auto document = fixture.open(script);
        EXPECT_EQ(document->widgets(), nullptr) << script;
        EXPECT_EQ(document->tooltip_widgets(), nullptr) << script;
        EXPECT_EQ(document->child_count(), 0u) << script;
    }
}

TEST(ScreenDocumentTest, TooltipWidgetsShowOverTheScreen)
{
    ScreenFixture fixture;
    auto document = fixture.open("Screen = { Widgets = { name = 'main' }, TooltipWidgets = { name = 'tips' } }");
    ASSERT_EQ(document->child_count(), 2u);
    EXPECT_EQ(document->child(0), document->tooltip_widgets());
    EXPECT_EQ(document->child(1), document->widgets());
}

TEST(ScreenDocumentTest, EndlessScriptsAndGreedyScriptsFail)
{
    ScreenFixture fixture;
    Screen::ScriptLimits limits;
    limits.instructions = 1'000'000;
    limits.memory_bytes = 8u << 20;
    const std::string endless = fixture.failure("while true do end", limits);
    EXPECT_EQ(endless.find("Cannot load screen file"), 0u) << endless;
    EXPECT_NE(endless.find(Screen::instruction_budget_message), std::string::npos) << endless;
    // What a script keeps meets the memory cap long before what it makes meets the
    // budget.
    limits.instructions = 100'000'000;
    EXPECT_EQ(fixture.failure("t = {} for i = 1, 100000 do t[i] = ('x'):rep(1000) .. i end", limits),
              path_message("load", "not enough memory"));
}

TEST(ScreenDocumentTest, TextsCopiedOutOfTheScriptCountAgainstItsMemory)
{
    // One large string, shared by a hundred widgets, or by four hundred styles, is one
    // string to Lua and hundreds of copies to the editor: the copies count.
    ScreenFixture fixture;
    Screen::ScriptLimits limits;
    limits.memory_bytes = 64u << 20;
    EXPECT_EQ(fixture.failure("local s = ('x'):rep(4e6) local children = {} for i = 1, 100 do "
                              "children[i] = { type = 'TextLabel', name = s, text = s, tooltip_text = s } end "
                              "Screen = { Widgets = { type = 'Group', name = 'root', Children = children } }",
                              limits),
              path_message("instantiate", "not enough memory"));

    fixture.add_sheet("uistyles.styles", "local n = ('y'):rep(1e6) local styles = {} for i = 1, 400 do "
                                         "styles[i] = { name = n, type = 'ButtonStyle' } end "
                                         "StyleSheet = { Styles = styles }");
    auto document = fixture.open("Screen = { Widgets = { type = 'Button', name = 'b' } }", limits);
    ASSERT_FALSE(document->style_problems().empty());
    EXPECT_EQ(document->style_problems().back().message, "not enough memory");
    EXPECT_TRUE(document->styles_for_type("Button").empty());
}

TEST(ScreenDocumentTest, SelfReferringAndDeepTablesGiveAClearError)
{
    ScreenFixture fixture;
    const std::string nested = path_message("instantiate", "widget tables are nested more than 200 deep");
    EXPECT_EQ(fixture.failure("local w = { type = 'Group' } w.Children = { w } Screen = { Widgets = w }"), nested);
    EXPECT_EQ(fixture.failure("local w = { type = 'ComboBox' } w.ListBox = w Screen = { Widgets = w }"), nested);
    EXPECT_EQ(fixture.failure("local root = { type = 'Group' } local w = root "
                              "for i = 1, 100000 do local c = { type = 'Group' } w.Children = { c } w = c end "
                              "Screen = { Widgets = root }"),
              nested);
    // 200 levels are fine.
    auto document = fixture.open("local root = { type = 'Group', name = 'level1' } local w = root "
                                 "for i = 2, 199 do local c = { type = 'Group', name = 'level' .. i } w.Children = { c } w = c end "
                                 "Screen = { Widgets = root }");
    EXPECT_EQ(document->widget_count(), 199u);
}

TEST(ScreenDocumentTest, SharedTablesCannotMultiplyTheWork)
{
    // 2^40 widgets through shared tables, each level listing the one below twice.
    ScreenFixture fixture;
    EXPECT_EQ(fixture.failure("local w = { type = 'Group' } for i = 1, 40 do w = { type = 'Group', Children = { w, w } } end "
                              "Screen = { Widgets = w }"),
              path_message("instantiate", "the screen has more than 200000 widgets and items"));
    // The same table twice is two widgets.
    auto document = fixture.open("local b = { type = 'Button', name = 'twin' } "
                                 "Screen = { Widgets = { type = 'Group', Children = { b, b } } }");
    EXPECT_EQ(document->widget_count(), 3u);
}

class Recorder : public Screen::EditorObserver {
public:
    Recorder(std::string* log, std::string tag) : m_log(log), m_tag(std::move(tag)) {}
    void property_changed(Widget* widget, int property) override
    {
        *m_log += m_tag + std::to_string(property) + " ";
    }
    void selection_changed(Widget*) override {}

private:
    std::string* m_log;
    std::string m_tag;
};

TEST(ScreenDocumentTest, ObserversAreWeakAndToldInOrder)
{
    ScreenFixture fixture;
    auto document = fixture.open("Screen = { Widgets = { name = 'w' } }");
    std::string log;
    auto first = std::make_shared<Recorder>(&log, "a");
    auto second = std::make_shared<Recorder>(&log, "b");
    auto third = std::make_shared<Recorder>(&log, "c");
    document->add_observer(first);
    document->add_observer(second);
    document->add_observer(third);
    document->notify(document->widgets(), 24);
    EXPECT_EQ(log, "a24 b24 c24 ");
    second.reset();
    log.clear();
    document->widgets()->set_visible(false);
    EXPECT_EQ(log, "a23 c23 ");
}

TEST(ScreenDocumentTest, EmphasisMarksThePath)
{
    ScreenFixture fixture;
    auto document = fixture.open(R"(Screen = { Widgets = { type = 'Group', name = 'root', visible = false, Children = {
        { type = 'Group', name = 'panel', visible = false, Children = {
            { type = 'Group', name = 'chosen', visible = false, Children = {
                { name = 'child', visible = false, Presentation = { Art = { { type = 'Graphic' } } } },
                { type = 'Group', name = 'child group', visible = false, Children = { { name = 'grandchild', visible = false } } } } } } },
        { name = 'sibling', visible = false } } } })");
    Widget* root = document->widgets();
    auto marked = [&]() {
        std::string names;
        for (const char* name : {"root", "panel", "chosen", "child", "child group", "grandchild", "sibling"})
            names += find_widget(root, name)->force_shown() ? std::string(name) + "," : "";
        return names;
    };
    document->set_emphasized(find_widget(root, "chosen"));
    EXPECT_EQ(document->emphasized(), find_widget(root, "chosen"));
    EXPECT_EQ(marked(), "root,panel,chosen,child,child group,");
    document->set_emphasized(find_widget(root, "sibling"));
    EXPECT_EQ(marked(), "root,sibling,");
    document->set_emphasized(nullptr);
    EXPECT_EQ(marked(), "");

    document->set_dim(0.25f);
    EXPECT_EQ(document->dim(), 0.25f);
}

TEST(ScreenDocumentTest, DestroyedWidgetsLeaveNothingDangling)
{
    ScreenFixture fixture;
    fixture.add_sheet("uistyles.styles", R"(StyleSheet = { Styles = {
        { name = 'Combo', type = 'ComboBoxStyle', ListBox = { type = 'TextListBox', name = 'list',
          Children = { { name = 'row' } } } } } })");
    auto document = fixture.open(R"(Screen = { Widgets = { type = 'Group', Children = {
        { type = 'ComboBox', name = 'combo', style = {'UIStyles', 'Combo'} },
        { name = 'asks', tooltip_name = 'list' } } } })");
    Widget* combo = find_widget(document->widgets(), "combo");
    Widget* list = find_widget(combo, "list");
    Widget* asks = find_widget(document->widgets(), "asks");
    ASSERT_EQ(asks->tooltip_widget(), nullptr) << "'asks' was built before the combo";
    document->set_emphasized(list);
    document->show_tooltip(list, "shown");
    combo->reload_styled(); // the old list goes
    EXPECT_EQ(document->emphasized(), nullptr);
    EXPECT_EQ(document->shown_tooltip(), nullptr);
    EXPECT_FALSE(combo->force_shown());
    document->set_emphasized(nullptr); // must not touch the old list
    EXPECT_EQ(document->live_widget(list), nullptr);
}

TEST(ScreenDocumentTest, CoordinatesAreNormalised)
{
    ScreenFixture fixture;
    auto document = fixture.open("Screen = { Widgets = { type = 'Button', position = {0.5, 0.5}, size = {0.25, 0.25} } }");
    document->set_bounds(10.0f, 20.0f, 800.0f, 600.0f);
    D2D1_MATRIX_3X2_F m = document->transform();
    EXPECT_EQ(m.m11, 800.0f);
    EXPECT_EQ(m.m22, 600.0f);
    EXPECT_EQ(m.m12, 0.0f);
    EXPECT_EQ(m.dx, 10.0f);
    EXPECT_EQ(m.dy, 20.0f);
    // The middle of the screen in the parent's pixels.
    Ui::Point local = Ui::to_local(m, 10.0f + 400.0f + 100.0f, 20.0f + 300.0f + 75.0f);
    EXPECT_FLOAT_EQ(local.x, 0.625f);
    EXPECT_FLOAT_EQ(local.y, 0.625f);
    EXPECT_EQ(document->element_at(local.x, local.y), document->widgets());
    EXPECT_EQ(document->hit_test(0.99f, 0.0f), Ui::HitResult::yes);
    EXPECT_EQ(document->hit_test(1.0f, 0.5f), Ui::HitResult::no);
    EXPECT_EQ(document->hit_test(-0.01f, 0.5f), Ui::HitResult::no);
}

} // namespace
