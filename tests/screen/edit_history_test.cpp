// Undo and redo of widget edits: the table comes back value for value, runs join into
// one step, and the history stays linear and bounded.

#include "run_script.h"
#include "screen_fixture.h"

#include "screen/composite_widgets.h"
#include "screen/edit_history.h"
#include "screen/lua_writer.h"
#include "screen/script_state.h"

#include <gtest/gtest.h>

namespace {

using Screen::EditRun;
using Screen::Widget;

const char* const styles = R"(StyleSheet = { Styles = {
    { name = 'Small', type = 'ButtonStyle', size = {0.1, 0.2} },
    { name = 'Big', type = 'ButtonStyle', size = {0.6, 0.7}, Presentation = { Art = { { type = 'Graphic', id = 7 } } } },
} })";

// Two buttons sharing one size table, a styled one and a label with a text.
const char* const screen = R"(
local shared = {0.25, 0.125}
Screen = { Widgets = { type = 'Group', name = 'root', Children = {
    { type = 'Button', name = 'a', position = {0.1, 0.1}, size = shared },
    { type = 'Button', name = 'b', position = {0.5, 0.1}, size = shared },
    { type = 'Button', name = 'styled', style = {'UIStyles', 'Small'} },
    { type = 'Label', name = 'label', text = 'hello', visible = false },
} } }
)";

class EditHistoryTest : public ::testing::Test {
public:
    void SetUp() override
    {
        m_fixture.add_sheet("uistyles.styles", styles);
        m_document = m_fixture.open(screen);
    }
    Widget& widget(const char* name)
    {
        Widget* found = find_widget(m_document->widgets(), name);
        EXPECT_NE(found, nullptr) << name;
        return *found;
    }
    std::string text() const { return Screen::write_screen_table(m_document->lua()); }
    Screen::EditHistory& history() { return m_document->history(); }
    Widget* undo() { return history().undo(*m_document); }
    Widget* redo() { return history().redo(*m_document); }
    // Whether the two widgets' tables hold the very same size table.
    bool sizes_shared(Widget& first, Widget& second)
    {
        bool same = false;
        Screen::protected_call(m_document->lua(), [&](lua_State* L) {
            lua_rawgeti(L, LUA_REGISTRYINDEX, first.ref());
            lua_getfield(L, -1, "size");
            lua_rawgeti(L, LUA_REGISTRYINDEX, second.ref());
            lua_getfield(L, -1, "size");
            same = lua_istable(L, -1) && lua_rawequal(L, -1, -3);
        });
        return same;
    }

    ScreenFixture m_fixture;
    std::unique_ptr<Screen::ScreenDocument> m_document;
};

TEST_F(EditHistoryTest, EveryKindOfEditUndoesToTheSameTableAndRedoesToTheEdited)
{
    struct Case {
        const char* name;
        std::function<void(EditHistoryTest&)> edit;
    };
    const Case cases[] = {
        {"move", [](EditHistoryTest& t) { t.widget("a").set_bounds(0.3f, 0.4f, 0.2f, 0.1f); }},
        {"visible", [](EditHistoryTest& t) { t.widget("label").set_visible(true); }},
        {"text", [](EditHistoryTest& t) { t.widget("label").set_text("$12"); }},
        {"tooltip", [](EditHistoryTest& t) { t.widget("label").set_tooltip("tip"); }},
        {"style", [](EditHistoryTest& t) { t.widget("styled").set_style("UIStyles", "Big"); }},
        {"style on an unstyled widget", [](EditHistoryTest& t) { t.widget("b").set_style("UIStyles", "Big"); }},
        {"size from style", [](EditHistoryTest& t) { t.widget("styled").set_size_from_style(false); }},
        {"size to style", [](EditHistoryTest& t) { t.widget("a").set_size_from_style(true); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        const std::string original = text();
        c.edit(*this);
        const std::string edited = text();
        ASSERT_NE(edited, original);
        ASSERT_TRUE(history().can_undo());
        EXPECT_NE(undo(), nullptr);
        EXPECT_EQ(text(), original);
        EXPECT_FALSE(history().can_undo());
        EXPECT_NE(redo(), nullptr);
        EXPECT_EQ(text(), edited);
        EXPECT_EQ(history().size(), 1u) << "putting a step back records nothing";
    }
}

TEST_F(EditHistoryTest, UndoRestoresWhatTheWidgetShowsAndSharedValues)
{
    Widget& a = widget("a");
    a.set_bounds(0.3f, 0.4f, 0.5f, 0.5f);
    EXPECT_FALSE(sizes_shared(a, widget("b")));
    undo();
    EXPECT_FLOAT_EQ(a.x(), 0.1f);
    EXPECT_FLOAT_EQ(a.width(), 0.25f);
    EXPECT_TRUE(sizes_shared(a, widget("b"))) << "the script's own table, not a copy";

    Widget& styled = widget("styled");
    styled.set_style("UIStyles", "Big");
    ASSERT_EQ(styled.art().size(), 1u);
    undo();
    EXPECT_EQ(*styled.style_name(), "Small");
    EXPECT_EQ(styled.art().size(), 0u) << "the presentation of the old style again";
    EXPECT_FLOAT_EQ(styled.height(), 0.2f);
    EXPECT_TRUE(styled.size_from_style());

    Widget& label = widget("label");
    label.set_visible(true);
    label.set_text("other");
    undo();
    undo();
    EXPECT_FALSE(label.is_visible());
    EXPECT_EQ(*label.text(), "hello");
}

TEST_F(EditHistoryTest, UndoTellsTheObservers)
{
    struct Log : Screen::EditorObserver {
        std::vector<int> properties;
        void property_changed(Widget*, int property) override { properties.push_back(property); }
        void selection_changed(Widget*) override {}
    };
    auto log = std::make_shared<Log>();
    m_document->add_observer(log);
    widget("label").set_visible(true);
    log->properties.clear();
    undo();
    for (int property : {Screen::Property::rectangle, Screen::Property::visible, Screen::Property::text,
                         Screen::Property::tooltip_text, Screen::Property::style})
        EXPECT_NE(std::find(log->properties.begin(), log->properties.end(), property), log->properties.end())
            << property;
}

TEST_F(EditHistoryTest, ARunOnOneWidgetIsOneStep)
{
    Widget& label = widget("label");
    {
        EditRun run(EditRun::next_id());
        label.set_text("w");
        label.set_text("wo");
        label.set_text("wor");
    }
    EXPECT_EQ(history().size(), 1u);
    undo();
    EXPECT_EQ(*label.text(), "hello");
    redo();
    EXPECT_EQ(*label.text(), "wor");

    // Another run, and edits outside any run, are steps of their own.
    label.set_text("x");
    label.set_text("y");
    EXPECT_EQ(history().size(), 3u);

    // A run over two widgets keeps a step per widget.
    {
        EditRun run(EditRun::next_id());
        widget("a").set_bounds(0.2f, 0.2f, 0.1f, 0.1f);
        widget("b").set_bounds(0.6f, 0.2f, 0.1f, 0.1f);
        widget("b").set_bounds(0.7f, 0.2f, 0.1f, 0.1f);
    }
    EXPECT_EQ(history().size(), 5u);
}

TEST_F(EditHistoryTest, ARunBackWhereItStartedLeavesNoStep)
{
    Widget& label = widget("label");
    label.set_visible(true);
    const std::uint64_t id = EditRun::next_id();
    {
        EditRun run(id);
        label.set_text("hello!");
        label.set_text("hello");
    }
    EXPECT_EQ(history().size(), 1u);
    EXPECT_TRUE(history().can_undo());
    // The run resumed after an undo does not join the step it undid to.
    undo();
    {
        EditRun run(id);
        label.set_text("again");
    }
    EXPECT_EQ(history().size(), 1u) << "the undone step was dropped";
    undo();
    EXPECT_EQ(*label.text(), "hello");
    EXPECT_FALSE(label.is_visible());
}

TEST_F(EditHistoryTest, EditsThatChangeNothingAreNotRecordedAndKeepWhatCanBeRedone)
{
    Widget& a = widget("a");
    a.set_bounds(a.x(), a.y(), a.width(), a.height());
    widget("label").set_visible(false);
    EXPECT_EQ(history().size(), 0u);
    EXPECT_EQ(undo(), nullptr);
    EXPECT_EQ(redo(), nullptr);

    widget("label").set_text("new");
    undo();
    for (const std::uint64_t run : {std::uint64_t(0), EditRun::next_id()}) {
        const EditRun edits(run);
        a.set_bounds(a.x(), a.y(), a.width(), a.height());
        {
            const Screen::EditGroup group(&history());
            widget("label").set_visible(false);
        }
        EXPECT_TRUE(history().can_redo()) << "run " << run;
    }
    EXPECT_EQ(redo(), &widget("label"));
}

TEST_F(EditHistoryTest, ARectangleWithAnotherSizeGivesAStyleSizedWidgetItsOwn)
{
    Widget& styled = widget("styled");
    ASSERT_TRUE(styled.size_from_style());
    // The same size: only the position is the widget's; the size stays the style's.
    styled.set_bounds(0.3f, 0.4f, styled.width(), styled.height());
    EXPECT_TRUE(styled.size_from_style());
    // Another size is shown and written alike: the copy builds what the screen shows.
    styled.set_bounds(0.3f, 0.4f, 0.25f, 0.5f);
    EXPECT_FALSE(styled.size_from_style());
    EXPECT_NE(m_document->lua_text(&styled).find("size = {0.25, 0.5}"), std::string::npos)
        << m_document->lua_text(&styled);
    undo();
    EXPECT_TRUE(styled.size_from_style());
    EXPECT_FLOAT_EQ(styled.width(), 0.1f);
}

TEST_F(EditHistoryTest, ANewEditDropsWhatWasUndone)
{
    Widget& label = widget("label");
    label.set_text("1");
    label.set_text("2");
    undo();
    EXPECT_TRUE(history().can_redo());
    label.set_text("3");
    EXPECT_FALSE(history().can_redo());
    EXPECT_EQ(history().size(), 2u);
    undo();
    EXPECT_EQ(*label.text(), "1");
}

TEST_F(EditHistoryTest, TheOldestStepsGoPastTheBound)
{
    Widget& label = widget("label");
    for (std::size_t i = 0; i < Screen::EditHistory::max_steps + 5; ++i)
        label.set_text(std::to_string(i));
    EXPECT_EQ(history().size(), Screen::EditHistory::max_steps);
    while (history().can_undo())
        undo();
    EXPECT_EQ(*label.text(), "4");
}

TEST_F(EditHistoryTest, TheListenerHearsEveryChangeAndClearingForgetsAll)
{
    int calls = 0;
    history().set_listener([&] { ++calls; });
    widget("label").set_text("x");
    undo();
    redo();
    EXPECT_EQ(calls, 3);
    history().clear();
    EXPECT_FALSE(history().can_undo());
    EXPECT_EQ(calls, 4);
    // The document closes with steps still held: their references go first.
    widget("label").set_text("y");
    m_document.reset();
}

// Whether the widget's own table has `key` (not the style's).
bool has_own(Widget& widget, const char* key)
{
    bool has = false;
    Screen::protected_call(widget.lua(), [&](lua_State* L) {
        lua_rawgeti(L, LUA_REGISTRYINDEX, widget.ref());
        lua_getfield(L, -1, key);
        has = !lua_isnil(L, -1);
    });
    return has;
}

Screen::ScrollBarWidget& bar_of(Widget* widget)
{
    auto* bar = dynamic_cast<Screen::ScrollBarWidget*>(widget);
    if (!bar)
        throw std::runtime_error("not a scroll bar");
    return *bar;
}

TEST_F(EditHistoryTest, AnEditedStylePartBecomesItsOwnersAndTheSheetStaysAsItWas)
{
    m_fixture.add_sheet("uistyles.styles", R"(StyleSheet = { Styles = {
        { name = 'Bar', type = 'ScrollBarStyle', ButtonTrack = { type = 'Button', name = 'track', position = {0, 0.5} } },
        { name = 'Bar2', type = 'ScrollBarStyle', ButtonTrack = { type = 'Button', name = 'other' } },
        { name = 'List', type = 'TextListBoxStyle',
          ScrollBar = { type = 'ScrollBar', name = 'listbar', style = {'UIStyles', 'Bar'} } },
    } })");
    m_document = m_fixture.open(R"(Screen = { Widgets = { type = 'Group', name = 'root', Children = {
        { type = 'ScrollBar', name = 'one', style = {'UIStyles', 'Bar'} },
        { type = 'ScrollBar', name = 'two', style = {'UIStyles', 'Bar'} },
        { type = 'TextListBox', name = 'list', style = {'UIStyles', 'List'} },
    } } })");
    const std::string sheet_before = text();
    auto style_track_visible = [&] {
        bool untouched = false;
        Screen::protected_call(m_document->lua(), [&](lua_State* L) {
            ASSERT_TRUE(m_document->push_style(L, std::string("UIStyles"), std::string("Bar")));
            lua_getfield(L, -1, "ButtonTrack");
            lua_getfield(L, -1, "visible");
            untouched = lua_isnil(L, -1);
        });
        return untouched;
    };
    Widget& one = widget("one");
    Widget& two = widget("two");
    Widget* track_one = bar_of(&one).track().widget;
    Widget* track_two = bar_of(&two).track().widget;
    ASSERT_TRUE(track_one && track_two);

    track_two->set_visible(true);
    EXPECT_FALSE(has_own(two, "ButtonTrack")) << "an edit that changes nothing takes nothing";

    track_one->set_visible(false);
    EXPECT_FALSE(track_one->is_visible());
    EXPECT_TRUE(track_two->is_visible()) << "the other widget of the style";
    EXPECT_TRUE(style_track_visible()) << "the sheet's table is not written";
    EXPECT_TRUE(has_own(one, "ButtonTrack"));
    EXPECT_FALSE(bar_of(&one).track().from_style);
    EXPECT_NE(m_document->lua_text(&one).find("ButtonTrack"), std::string::npos);

    one.set_style("UIStyles", "Bar2");
    EXPECT_EQ(bar_of(&one).track().widget, track_one) << "an own part stays through a restyle";
    EXPECT_EQ(undo(), &one);
    EXPECT_EQ(undo(), track_one);
    EXPECT_TRUE(track_one->is_visible());
    EXPECT_FALSE(has_own(one, "ButtonTrack"));
    EXPECT_TRUE(bar_of(&one).track().from_style);
    EXPECT_EQ(redo(), track_one);
    EXPECT_FALSE(track_one->is_visible());
    EXPECT_TRUE(has_own(one, "ButtonTrack"));
    undo();

    // A part of a part: the list takes its scroll bar, which takes its track.
    Widget& list = widget("list");
    Widget* list_bar = dynamic_cast<Screen::StringListWidget&>(list).scroll_bar().widget;
    ASSERT_NE(list_bar, nullptr);
    Widget* list_track = bar_of(list_bar).track().widget;
    list_track->set_bounds(0.25f, 0.5f, list_track->width(), list_track->height());
    EXPECT_TRUE(has_own(list, "ScrollBar"));
    EXPECT_TRUE(has_own(*list_bar, "ButtonTrack"));
    EXPECT_FLOAT_EQ(track_one->x(), 0.0f) << "the track of the same style elsewhere";
    EXPECT_TRUE(style_track_visible());
    undo();
    EXPECT_FALSE(has_own(list, "ScrollBar"));
    EXPECT_FLOAT_EQ(list_track->x(), 0.0f);
    EXPECT_EQ(text(), sheet_before) << "every table as the script made it";
}

} // namespace

namespace {

TEST_F(EditHistoryTest, TooltipsShownWhileHoveringAreNoEdits)
{
    Widget& label = widget("label");
    m_document->show_tooltip(&label, "tip text");
    EXPECT_EQ(*label.text(), "tip text");
    m_document->hide_shown_tooltip();
    EXPECT_FALSE(history().can_undo());
    // Editing goes on being recorded afterwards.
    label.set_text("typed");
    EXPECT_TRUE(history().can_undo());
}

} // namespace

namespace {

// Fills the state with strings up to its memory cap, keeping them all (in a global).
void fill_to_the_cap(lua_State* lua)
{
    try {
        Screen::protected_call(lua, [](lua_State* L) {
            lua_newtable(L);
            lua_pushvalue(L, -1);
            lua_setglobal(L, "ballast");
            for (int i = 1;; ++i) {
                lua_pushfstring(L, "%d %s", i, "ballast ballast ballast ballast");
                lua_rawseti(L, -2, i);
            }
        });
    } catch (const Screen::ScriptError&) {
        // The cap: what was made stays.
    }
}

} // namespace

TEST(EditHistoryAtTheCap, ReleasingStepsAtTheMemoryCapNeverAborts)
{
    // Freeing the state's first reference adds its free list's key to the registry,
    // which needs memory whenever the registry's hash part is full: with some number of
    // names in it, it is. Dropping the steps (as a new edit or closing the document
    // does) must then fail quietly at worst, never take the process down.
    ScreenFixture fixture;
    Screen::ScriptLimits limits;
    limits.memory_bytes = 1u << 20;
    for (int names = 0; names < 40; ++names) {
        auto document = fixture.open("Screen = { Widgets = { type = 'Button', name = 'a' } }", limits);
        document->widgets()->set_visible(false);
        ASSERT_TRUE(document->history().can_undo());
        Screen::protected_call(document->lua(), [names](lua_State* L) {
            for (int i = 0; i < names; ++i) {
                lua_pushboolean(L, 1);
                lua_setfield(L, LUA_REGISTRYINDEX, ("name" + std::to_string(i)).c_str());
            }
        });
        fill_to_the_cap(document->lua());
        document->history().clear();
        document.reset();
    }
}

namespace {

TEST(DeepCopy, KeepsSharingCyclesAndMetatablesAndGoesAsDeepAsMemory)
{
    Screen::ScriptState state = Screen::create_script_state();
    lua_State* L = state.get();
    Screen::protected_call(L, [](lua_State* L) { luaL_requiref(L, "_G", luaopen_base, 1); });
    ASSERT_EQ(run_script(L, R"(
        local shared = {1}
        local meta = {}
        source = setmetatable({a = shared, b = shared, n = 2.5, s = 'x'}, meta)
        source.self = source
        local deep = source
        for i = 1, 200000 do deep.next = {} deep = deep.next end
        deep.last = true
        meta_of_source = meta)"),
              "");
    Screen::protected_call(L, [](lua_State* L) {
        lua_newtable(L);
        lua_newtable(L);
        lua_getglobal(L, "source");
        Screen::push_deep_copy(L, 1, 2);
        lua_setglobal(L, "copy");
    });
    EXPECT_EQ(run_script(L, R"(
        assert(copy ~= source and copy.a ~= source.a and copy.a == copy.b and copy.a[1] == 1)
        assert(copy.self == copy and copy.n == 2.5 and copy.s == 'x')
        assert(getmetatable(copy) == meta_of_source)
        local deep, depth = copy, 0
        while deep.next do
            assert(deep.next ~= source.next)
            deep, depth = deep.next, depth + 1
        end
        assert(depth == 200000 and deep.last))"),
              "");
}

} // namespace
