// Widgets and presentation items built from screen tables: types, defaults, value
// readers, orders, styles, radio groups, presses, previewed states and the editor's
// setters.

#include "screen_fixture.h"

#include "screen/button_widgets.h"
#include "screen/composite_widgets.h"
#include "screen/container_widget.h"
#include "screen/lua_writer.h"
#include "screen/presentation_item.h"
#include "screen/script_state.h"
#include "ui/element_chain.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using Screen::Widget;

std::string failure_text(const std::string& lua_message)
{
    return std::string("Cannot instantiate screen file ") + ScreenFixture::screen_path + ": " + lua_message;
}

// A screen whose Widgets group holds `children` (Lua table constructor entries).
std::string group_of(const std::string& children)
{
    return "Screen = { Widgets = { type = 'Group', name = 'root', Children = {" + children + "} } }";
}

// The value of `key` in the widget's own table, as text ("nil" when absent).
std::string table_field(Widget& widget, const char* key)
{
    std::string text;
    Screen::protected_call(widget.lua(), [&](lua_State* L) {
        lua_rawgeti(L, LUA_REGISTRYINDEX, widget.ref());
        lua_getfield(L, -1, key);
        if (lua_istable(L, -1)) {
            lua_rawgeti(L, -1, 1);
            lua_rawgeti(L, -2, 2);
            text = std::string("{") + (lua_isnil(L, -2) ? "nil" : lua_tostring(L, -2)) + "," +
                   (lua_isnil(L, -1) ? "nil" : lua_tostring(L, -1)) + "}";
        } else if (lua_isboolean(L, -1)) {
            text = lua_toboolean(L, -1) ? "true" : "false";
        } else {
            text = lua_isnil(L, -1) ? "nil" : lua_tostring(L, -1);
        }
    });
    return text;
}

class Recorder : public Screen::EditorObserver {
public:
    explicit Recorder(std::string* log, const char* tag) : m_log(log), m_tag(tag) {}
    void property_changed(Widget* widget, int property) override
    {
        *m_log += m_tag + ":" + widget->name() + ":" + std::to_string(property) + " ";
    }
    void selection_changed(Widget*) override {}

private:
    std::string* m_log;
    std::string m_tag;
};

TEST(WidgetTest, DefaultsOfAPlainWidget)
{
    ScreenFixture fixture;
    auto document = fixture.open("Screen = { Widgets = {} }");
    Widget* widget = document->widgets();
    ASSERT_TRUE(widget);
    EXPECT_STREQ(widget->class_name(), "Widget");
    EXPECT_FALSE(widget->type());
    EXPECT_EQ(widget->name(), "Untitled");
    EXPECT_TRUE(widget->is_visible());
    EXPECT_FALSE(widget->text());
    EXPECT_EQ(widget->tooltip(), "");
    EXPECT_EQ(widget->tooltip_widget(), nullptr);
    EXPECT_EQ(widget->x(), 0.0f);
    EXPECT_EQ(widget->width(), 1.0f);
    EXPECT_EQ(widget->height(), 1.0f);
    EXPECT_TRUE(widget->size_from_style());
    EXPECT_TRUE(widget->art_from_style());
    EXPECT_FALSE(widget->style_sheet());
    EXPECT_TRUE(widget->art().empty());
    EXPECT_EQ(document->tooltip_widgets(), nullptr);
}

TEST(WidgetTest, TypesChooseClassesByLengthAndHash)
{
    struct Case {
        const char* type;
        const char* class_name;
    };
    const Case cases[] = {
        {"Group", "ContainerWidget"},         {"CustomListBoxItem", "ItemListEntryWidget"},
        {"Button", "ButtonWidget"},           {"CheckButton", "ToggleWidget"},
        {"RadioButton", "ChoiceWidget"},      {"ProgressBar", "MeterWidget"},
        {"ScrollBar", "ScrollBarWidget"},     {"ComboBox", "DropDownWidget"},
        {"TextListBox", "StringListWidget"},  {"CustomListBox", "ItemListWidget"},
        {"Custom", "CustomWidget"},           {"TextLabel", "Widget"},
        {"EditText", "Widget"},               {"ArtLabel", "Widget"},
        {"Swf", "Widget"},                    {"group", "Widget"},
        {"Buttons", "Widget"},                {"", "Widget"},
    };
    std::string children;
    for (const Case& c : cases)
        children += std::string("{ name = '") + c.type + "_w', type = '" + c.type + "' },";
    children += "{ name = 'number_w', type = 5 }, { name = 'table_w', type = {} },";
    ScreenFixture fixture;
    auto document = fixture.open(group_of(children));
    for (const Case& c : cases) {
        Widget* widget = find_widget(document->widgets(), std::string(c.type) + "_w");
        ASSERT_TRUE(widget) << c.type;
        EXPECT_STREQ(widget->class_name(), c.class_name) << c.type;
        EXPECT_EQ(*widget->type(), c.type);
    }
    EXPECT_STREQ(find_widget(document->widgets(), "number_w")->class_name(), "Widget");
    EXPECT_EQ(*find_widget(document->widgets(), "number_w")->type(), "5");
    EXPECT_FALSE(find_widget(document->widgets(), "table_w")->type());
}

TEST(WidgetTest, ValueReaders)
{
    ScreenFixture fixture;
    auto document = fixture.open(group_of(R"(
        { name = 'a', position = {0.25, "0.5"}, size = {10} },
        { name = 'b', position = {"left", 3}, size = {-2, "4"} },
        { name = 'c', position = 7, size = "big", visible = nil, text = 12, tooltip_text = "tip" },
        { name = 'd', visible = false, text = "$42" },
        { name = 'e', visible = 0 },
        { name = 42 },
    )"));
    Widget* a = find_widget(document->widgets(), "a");
    EXPECT_EQ(a->x(), 0.25f);
    EXPECT_EQ(a->y(), 0.5f);
    EXPECT_EQ(a->width(), 10.0f);
    EXPECT_EQ(a->height(), 1.0f);
    EXPECT_FALSE(a->size_from_style());
    Widget* b = find_widget(document->widgets(), "b");
    EXPECT_EQ(b->x(), 0.0f);
    EXPECT_EQ(b->y(), 3.0f);
    EXPECT_EQ(b->width(), 0.0f) << "negative sizes become 0";
    EXPECT_EQ(b->height(), 4.0f);
    Widget* c = find_widget(document->widgets(), "c");
    EXPECT_EQ(c->x(), 0.0f);
    EXPECT_EQ(c->width(), 1.0f);
    EXPECT_TRUE(c->is_visible());
    EXPECT_EQ(*c->text(), "12");
    EXPECT_EQ(c->tooltip(), "tip");
    Widget* d = find_widget(document->widgets(), "d");
    EXPECT_FALSE(d->is_visible());
    EXPECT_EQ(*d->text(), "$42");
    EXPECT_TRUE(find_widget(document->widgets(), "e")->is_visible()) << "only the boolean false hides";
    EXPECT_TRUE(find_widget(document->widgets(), "42"));
}

TEST(WidgetTest, ValueReaderErrorsStopTheScreen)
{
    ScreenFixture fixture;
    EXPECT_EQ(fixture.failure(group_of("{ size = {'wide', 1} }")), failure_text("number expected, got string"));
    EXPECT_EQ(fixture.failure(group_of("{ size = {1, {}} }")), failure_text("number expected, got table"));
    EXPECT_EQ(fixture.failure(group_of("{ text = {} }")), failure_text("string expected, got table"));
    EXPECT_EQ(fixture.failure(group_of("{ tooltip_text = true }")), failure_text("string expected, got boolean"));
    EXPECT_EQ(fixture.failure(group_of("{ name = false }")), failure_text("string expected, got boolean"));
    EXPECT_EQ(fixture.failure(group_of("{ type = 'ProgressBar', range = {0, 'full'} }")),
              failure_text("number expected, got string"));
    EXPECT_EQ(fixture.failure(group_of("{ type = 'ProgressBar', range = {'low', 5} }")), "") << "only max is strict";
    EXPECT_EQ(fixture.failure(group_of("{ Presentation = { Art = { { type = 'Text', fontname = {} } } } }")),
              failure_text("string expected, got table"));
}

TEST(WidgetTest, HiddenWidgetsAreNotHit)
{
    ScreenFixture fixture;
    auto document = fixture.open(group_of(R"(
        { type = 'Button', name = 'shown', size = {0.5, 0.5} },
        { type = 'Group', name = 'hidden', visible = false, Children = { { type = 'Button', name = 'inner' } } },
    )"));
    Widget* root = document->widgets();
    Widget* hidden = find_widget(root, "hidden");
    EXPECT_EQ(hidden->hit_test(0.1f, 0.1f), Ui::HitResult::no);
    EXPECT_EQ(hidden->element_at(0.1f, 0.1f), nullptr);
    // The subtree under a hidden group is out of reach; the visible button answers.
    EXPECT_EQ(root->element_at(0.25f, 0.25f), find_widget(root, "shown"));
    EXPECT_EQ(root->element_at(0.75f, 0.75f), root) << "a visible widget is itself where nothing else is";
    hidden->set_force_shown(true);
    EXPECT_EQ(root->element_at(0.75f, 0.75f), find_widget(root, "inner"));
}

TEST(WidgetTest, ArtLiesBehindChildrenInLuaOrder)
{
    ScreenFixture fixture;
    auto document = fixture.open(R"(Screen = { Widgets = { type = 'Group', name = 'root',
        Presentation = { Art = { { type = 'Graphic', id = 1 }, 'not a table', { type = 'Text', id = 2 }, { id = 3 } } },
        Children = { { name = 'first' }, 7, { name = 'second' }, { name = 'third' } } } })");
    Widget* root = document->widgets();
    ASSERT_EQ(root->child_count(), 6u);
    // Front to back: later children over earlier ones, then later art over earlier art.
    const char* front_to_back[] = {"third", "second", "first"};
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ(static_cast<Widget*>(root->child(i))->name(), front_to_back[i]);
    const int item_ids[] = {3, 2, 1};
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ(static_cast<Screen::PresentationItem*>(root->child(3 + i))->id(), item_ids[i]);
    EXPECT_EQ(root->first_child_widget()->parent(), root);
    EXPECT_EQ(static_cast<Widget*>(root->first_child_widget())->name(), "first");
    ASSERT_EQ(root->art().size(), 3u);
    EXPECT_EQ(root->art()[0]->id(), 3) << "kept in reverse Lua order";
    ASSERT_EQ(root->child_widgets()->size(), 3u);
    EXPECT_EQ((*root->child_widgets())[0]->name(), "third");
    EXPECT_STREQ(root->art()[2]->class_name(), "ImageItem");
    EXPECT_STREQ(root->art()[1]->class_name(), "TextItem");
    EXPECT_STREQ(root->art()[0]->class_name(), "PresentationItem");
}

TEST(WidgetTest, ItemsAndTheirDefaults)
{
    ScreenFixture fixture;
    auto document = fixture.open(R"(Screen = { Widgets = { Presentation = { Art = {
        { type = 'Graphic', id = 1, position = {0.1, 0.2}, size = {0.3, 0.4} },
        { type = 'Graphic', id = 2, texture = 'art/ui/textures/frame', flipHorizontal = 1, flipVertical = false },
        { type = 'Text', id = 3 },
        { type = 'Text', id = 4, multiline = false, dropShadow = true, horzAlign = 'Right', vertAlign = 'Top' },
        { type = 'Text', id = 5, horzAlign = 'Centre', vertAlign = 'Bottom' },
        { type = 'Text', id = 6, horzAlign = 'centre', vertAlign = 'Middle', multiline = nil },
        { type = 'Rectangle', id = 7, rectangleType = 'Border' },
        { type = 'Rectangle', id = 8, rectangleType = 'border' },
        { type = 'Line', id = 9, p1 = {0.1, 0.2}, p2 = {'x'} },
        { type = 'Swf', id = 10 },
        { type = 'Swf', id = 11, swf = 'intro.swf', alpha = '0.5' },
        { type = 'Graphic', id = 12.5 }, { type = 'Graphic', id = '17.4' }, { type = 'Graphic', id = 0/0 },
        { type = 'Graphic', id = 1e300 }, { type = 'Graphic', id = -2.5 },
    } } } })");
    std::map<int, Screen::PresentationItem*> items;
    std::vector<int> ids;
    for (Screen::PresentationItem* item : document->widgets()->art()) {
        items[item->id()] = item;
        ids.push_back(item->id());
    }
    // 12.5 rounds to 13, "17.4" to 17, NaN to 0, huge values saturate, -2.5 to -2.
    EXPECT_EQ(ids.front(), -2);
    EXPECT_EQ(ids[1], 2147483647);
    EXPECT_EQ(ids[2], 0);
    EXPECT_EQ(ids[3], 17);
    EXPECT_EQ(ids[4], 13);

    auto* plain = static_cast<Screen::ImageItem*>(items[1]);
    EXPECT_EQ(plain->texture(), "art/");
    EXPECT_FALSE(plain->flip_horizontal());
    EXPECT_EQ(plain->colour().value, (Screen::Colour{0, 0, 0, 1}));
    EXPECT_EQ(plain->x(), 0.1f);
    EXPECT_EQ(plain->height(), 0.4f);
    auto* framed = static_cast<Screen::ImageItem*>(items[2]);
    EXPECT_EQ(framed->texture(), "art/ui/textures/frame");
    EXPECT_TRUE(framed->flip_horizontal());
    EXPECT_FALSE(framed->flip_vertical());

    auto* text = static_cast<Screen::TextItem*>(items[3]);
    EXPECT_EQ(text->font_name(), "");
    EXPECT_TRUE(text->multiline());
    EXPECT_FALSE(text->drop_shadow());
    EXPECT_EQ(text->horizontal_alignment(), Screen::HorizontalAlignment::left);
    EXPECT_EQ(text->vertical_alignment(), Screen::VerticalAlignment::centre);
    auto* right = static_cast<Screen::TextItem*>(items[4]);
    EXPECT_FALSE(right->multiline());
    EXPECT_TRUE(right->drop_shadow());
    EXPECT_EQ(right->horizontal_alignment(), Screen::HorizontalAlignment::right);
    EXPECT_EQ(right->vertical_alignment(), Screen::VerticalAlignment::top);
    auto* centred = static_cast<Screen::TextItem*>(items[5]);
    EXPECT_EQ(centred->horizontal_alignment(), Screen::HorizontalAlignment::centre);
    EXPECT_EQ(centred->vertical_alignment(), Screen::VerticalAlignment::bottom);
    auto* lower = static_cast<Screen::TextItem*>(items[6]);
    EXPECT_EQ(lower->horizontal_alignment(), Screen::HorizontalAlignment::left) << "keywords match as written";
    EXPECT_EQ(lower->vertical_alignment(), Screen::VerticalAlignment::centre);
    EXPECT_TRUE(lower->multiline());

    EXPECT_TRUE(static_cast<Screen::RectangleItem*>(items[7])->outline());
    EXPECT_FALSE(static_cast<Screen::RectangleItem*>(items[8])->outline());
    auto* line = static_cast<Screen::SegmentItem*>(items[9]);
    EXPECT_EQ(line->p1().y, 0.2f);
    EXPECT_EQ(line->p2().x, 0.0f);
    EXPECT_EQ(static_cast<Screen::MovieItem*>(items[10])->swf(), "no file");
    EXPECT_EQ(static_cast<Screen::MovieItem*>(items[10])->alpha(), 1.0);
    EXPECT_EQ(static_cast<Screen::MovieItem*>(items[11])->swf(), "intro.swf");
    EXPECT_EQ(static_cast<Screen::MovieItem*>(items[11])->alpha(), 0.5);
}

TEST(WidgetTest, ItemStates)
{
    ScreenFixture fixture;
    auto document = fixture.open(R"(Screen = { Widgets = { Presentation = { Art = {
        { id = 1, states = { 'Disabled', 'Normal', 'Hover', 'Active' } },
        { id = 2, states = { 'CheckedDisabled', 'Checked', 'CheckedHover', 'CheckedActive' } },
        { id = 3, states = { 'normal', 'Pressed', 5 } },
        { id = 4 },
    } } } })");
    std::map<int, const Screen::PresentationItem*> items;
    for (Screen::PresentationItem* item : document->widgets()->art())
        items[item->id()] = item;
    for (int state = 0; state < 9; ++state) {
        EXPECT_EQ(items[1]->in_state(state), state >= 1 && state <= 4) << state;
        EXPECT_EQ(items[2]->in_state(state), state >= 5) << state;
        EXPECT_EQ(items[3]->in_state(state), state == 0) << "a name in another case is no state: " << state;
        EXPECT_FALSE(items[4]->in_state(state));
    }
}

TEST(WidgetTest, StylesSupplySizePresentationAndParts)
{
    ScreenFixture fixture;
    fixture.add_sheet("uistyles.styles", R"(StyleSheet = { Styles = {
        { name = 'Default', type = 'ButtonStyle', size = {0.2, 0.1},
          Presentation = { Art = { { type = 'Graphic', id = 100 } } } },
        { name = 'Combo', type = 'ComboBoxStyle', size = {0.4, 0.05},
          ListBox = { type = 'TextListBox', name = 'styled list' },
          Label = { type = 'TextLabel', name = 'styled label' },
          ArrowButton = { type = 'Button', name = 'styled arrow' } },
        { name = 'Bar', type = 'ProgressBarStyle', Progress = { name = 'styled fill' }, range = {0, 100}, stepSize = 5 },
        { name = 'Items', type = 'CustomListBoxStyle', maxItems = 12.7, ItemsGroup = { type = 'Group', name = 'styled rows' } },
    } })");
    auto document = fixture.open(group_of(R"(
        { type = 'Button', name = 'styled', style = {'uistyles', 'default'} },
        { type = 'Button', name = 'own', style = {'UIStyles', 'Default'}, size = {0.3, 0.3}, Presentation = {} },
        { type = 'ComboBox', name = 'combo', style = {'UISTYLES', 'combo'},
          Label = { type = 'TextLabel', name = 'own label' } },
        { type = 'ProgressBar', name = 'bar', style = {'UIStyles', 'Bar'}, stepSize = 0.5 },
        { type = 'CustomListBox', name = 'items', style = {'UIStyles', 'Items'} },
        { type = 'CustomListBox', name = 'bare' },
        { type = 'Button', name = 'lost', style = {'UIStyles', 'Nowhere'} },
    )"));
    Widget* root = document->widgets();
    Widget* styled = find_widget(root, "styled");
    EXPECT_TRUE(styled->size_from_style());
    EXPECT_EQ(styled->width(), 0.2f);
    EXPECT_EQ(styled->height(), 0.1f);
    EXPECT_TRUE(styled->art_from_style());
    ASSERT_EQ(styled->art().size(), 1u);
    EXPECT_EQ(styled->art()[0]->id(), 100);
    Widget* own = find_widget(root, "own");
    EXPECT_FALSE(own->size_from_style());
    EXPECT_EQ(own->width(), 0.3f);
    EXPECT_FALSE(own->art_from_style());
    EXPECT_TRUE(own->art().empty()) << "an own Presentation without Art draws nothing";

    auto* combo = dynamic_cast<Screen::DropDownWidget*>(find_widget(root, "combo"));
    ASSERT_TRUE(combo);
    EXPECT_TRUE(combo->list_box().from_style);
    EXPECT_EQ(combo->list_box().widget->name(), "styled list");
    EXPECT_FALSE(combo->label().from_style);
    EXPECT_EQ(combo->label().widget->name(), "own label");
    EXPECT_EQ(combo->arrow_button().widget->name(), "styled arrow");
    EXPECT_EQ(combo->first_child_widget(), combo->list_box().widget) << "the first part built";
    EXPECT_EQ(child_names(*combo), "styled arrow own label styled list");

    auto* bar = dynamic_cast<Screen::MeterWidget*>(find_widget(root, "bar"));
    EXPECT_EQ(bar->progress().widget->name(), "styled fill");
    EXPECT_TRUE(bar->range_from_style());
    EXPECT_EQ(bar->range().y, 100.0f);
    EXPECT_FALSE(bar->step_size_from_style());
    EXPECT_EQ(bar->step_size(), 0.5);

    auto* items = dynamic_cast<Screen::ItemListWidget*>(find_widget(root, "items"));
    EXPECT_EQ(items->max_items(), 12);
    EXPECT_EQ(items->items_group().widget->name(), "styled rows");
    EXPECT_EQ(items->item_template().widget, nullptr);
    auto* bare = dynamic_cast<Screen::ItemListWidget*>(find_widget(root, "bare"));
    EXPECT_EQ(bare->max_items(), 2147483647);
    EXPECT_TRUE(bare->max_items_from_style());

    Widget* lost = find_widget(root, "lost");
    EXPECT_EQ(lost->width(), 1.0f);
    EXPECT_TRUE(lost->art().empty());
}

TEST(WidgetTest, ReloadingStyledPartsKeepsNamesAndOrder)
{
    ScreenFixture fixture;
    fixture.add_sheet("uistyles.styles", R"(StyleSheet = { Styles = {
        { name = 'Combo', type = 'ComboBoxStyle', size = {0.4, 0.05},
          Presentation = { Art = { { type = 'Rectangle', id = 1 } } },
          ListBox = { type = 'TextListBox', name = 'list' }, ArrowButton = { type = 'Button', name = 'arrow' } },
    } })");
    auto document = fixture.open(R"(Screen = {
        TooltipWidgets = { type = 'Group', Children = { { name = 'arrow' } } },
        Widgets = { type = 'Group', Children = {
            { type = 'ComboBox', name = 'combo', style = {'UIStyles', 'Combo'} },
            { type = 'TextLabel', name = 'pointing', tooltip_name = 'arrow' } } } })");
    auto* combo = dynamic_cast<Screen::DropDownWidget*>(find_widget(document->widgets(), "combo"));
    Widget* old_list = combo->list_box().widget;
    combo->reload_styled();
    EXPECT_NE(combo->list_box().widget, old_list);
    EXPECT_EQ(child_names(*combo), "arrow list");
    EXPECT_EQ(combo->child_count(), 3u);
    EXPECT_EQ(combo->art().size(), 1u);
    EXPECT_EQ(combo->child(2), combo->art()[0]) << "art stays behind the parts";
    // The last widget named 'arrow' is the combo's part, rebuilt: its name is still registered.
    Screen::protected_call(document->lua(), [&](lua_State* L) {
        lua_getfield(L, LUA_REGISTRYINDEX, "arrow");
        EXPECT_EQ(lua_touserdata(L, -1), combo->arrow_button().widget);
    });
    // Children are built from the last to the first, so 'pointing' was read before the
    // combo's part took the name, and the rebuilt part did not disturb it.
    EXPECT_EQ(find_widget(document->widgets(), "pointing")->tooltip_widget(),
              find_widget(document->tooltip_widgets(), "arrow"));
}

TEST(WidgetTest, RadioGroupsAreRunsOfAdjacentSiblings)
{
    ScreenFixture fixture;
    auto document = fixture.open(group_of(R"(
        { type = 'RadioButton', name = 'r1' }, { type = 'RadioButton', name = 'r2' },
        { type = 'RadioButton', name = 'r3' }, { type = 'CheckButton', name = 'split' },
        { type = 'RadioButton', name = 'r4' }, { type = 'RadioButton', name = 'r5' },
    )"));
    auto radio = [&](const char* name) { return dynamic_cast<Screen::ChoiceWidget*>(find_widget(document->widgets(), name)); };
    auto checked = [&]() {
        std::string names;
        for (const char* name : {"r1", "r2", "r3", "r4", "r5"})
            names += radio(name)->checked() ? name : "";
        return names;
    };
    radio("r1")->click();
    radio("r4")->click();
    EXPECT_EQ(checked(), "r1r4");
    radio("r3")->click();
    EXPECT_EQ(checked(), "r3r4") << "r1 to r3 are one group";
    radio("r5")->click();
    EXPECT_EQ(checked(), "r3r5") << "the check box splits the groups";
    radio("r5")->click();
    EXPECT_EQ(checked(), "r3") << "clicking the checked one unchecks it";
    auto* toggle = dynamic_cast<Screen::ToggleWidget*>(find_widget(document->widgets(), "split"));
    toggle->click();
    EXPECT_TRUE(toggle->checked());
    EXPECT_EQ(checked(), "r3");
}

TEST(WidgetTest, ButtonsPressAndClick)
{
    ScreenFixture fixture;
    auto document = fixture.open(group_of(R"(
        { type = 'CheckButton', name = 'release' },
        { type = 'CheckButton', name = 'press', buttonType = 'ClickOnPress' },
        { type = 'CheckButton', name = 'explicit', buttonType = 'ClickOnRelease', wantAlternate = 1, enabled = 0 },
        { type = 'CheckButton', name = 'off', enabled = false },
        { type = 'ComboBox', name = 'combo', ListBox = { type = 'TextListBox', name = 'list', visible = false },
          ArrowButton = { type = 'Button', name = 'arrow' } },
    )"));
    auto toggle = [&](const char* name) { return dynamic_cast<Screen::ToggleWidget*>(find_widget(document->widgets(), name)); };

    Screen::ToggleWidget* release = toggle("release");
    EXPECT_EQ(release->button_type(), Screen::ButtonType::normal);
    EXPECT_EQ(release->visual_state(), Screen::state_normal);
    std::unique_ptr<Ui::DragTracker> tracker = release->begin_drag(0.5f, 0.5f, Ui::MouseButton::left);
    ASSERT_TRUE(tracker);
    EXPECT_EQ(tracker->element(), release);
    EXPECT_TRUE(release->pressed());
    EXPECT_FALSE(release->checked()) << "a normal button clicks on release";
    tracker->end_drag();
    EXPECT_FALSE(release->pressed());
    EXPECT_TRUE(release->checked());
    EXPECT_EQ(release->visual_state(), Screen::state_checked);

    Screen::ToggleWidget* press = toggle("press");
    EXPECT_EQ(press->button_type(), Screen::ButtonType::click_on_press);
    tracker = press->begin_drag(0.5f, 0.5f, Ui::MouseButton::left);
    EXPECT_TRUE(press->checked());
    tracker->end_drag();
    EXPECT_TRUE(press->checked()) << "no second click on release";

    Screen::ToggleWidget* explicit_release = toggle("explicit");
    EXPECT_EQ(explicit_release->button_type(), Screen::ButtonType::click_on_release);
    EXPECT_TRUE(explicit_release->want_alternate());
    EXPECT_TRUE(explicit_release->enabled());
    EXPECT_EQ(toggle("off")->visual_state(), Screen::state_disabled);
    toggle("off")->click();
    EXPECT_EQ(toggle("off")->visual_state(), Screen::state_checked_disabled);

    // A button hit anywhere in its rectangle takes the pointer itself.
    EXPECT_EQ(release->hit_test(0.99f, 0.0f), Ui::HitResult::yes);
    EXPECT_EQ(release->hit_test(1.0f, 0.5f), Ui::HitResult::no);
    EXPECT_EQ(release->element_at(0.5f, 0.5f), release);

    // Holding a drop-down's button shows its list, hidden or not.
    Widget* list = find_widget(document->widgets(), "list");
    auto* arrow = dynamic_cast<Screen::ButtonWidget*>(find_widget(document->widgets(), "arrow"));
    tracker = arrow->begin_drag(0.1f, 0.1f, Ui::MouseButton::left);
    EXPECT_TRUE(list->force_shown());
    EXPECT_TRUE(list->shown());
    tracker->end_drag();
    EXPECT_FALSE(list->force_shown());
    EXPECT_FALSE(list->shown());
}

// Art with one item per visual state, its id the state's number.
constexpr const char* art_per_state = R"(Presentation = { Art = {
    { id = 1, states = {'Disabled'} }, { id = 2, states = {'Normal'} }, { id = 3, states = {'Hover'} },
    { id = 4, states = {'Active'} }, { id = 5, states = {'CheckedDisabled'} }, { id = 6, states = {'Checked'} },
    { id = 7, states = {'CheckedHover'} }, { id = 8, states = {'CheckedActive'} } } })";

// The ids of the widget's items that show in its current state.
std::vector<int> drawn_items(const Widget& widget)
{
    std::vector<int> ids;
    for (const Screen::PresentationItem* item : widget.art()) {
        if (item->shows_in_current_state())
            ids.push_back(item->id());
    }
    return ids;
}

// The widget's table as "copy as Lua" writes it.
std::string table_text(const Widget& widget)
{
    lua_State* L = widget.lua();
    lua_rawgeti(L, LUA_REGISTRYINDEX, widget.ref());
    std::string text = Screen::write_lua_value(L, -1);
    lua_pop(L, 1);
    return text;
}

// Counts the repaints the document asks for.
class RepaintCounter : public Ui::ContainerElement {
public:
    void invalidate() override { ++repaints; }
    int repaints = 0;
};

TEST(WidgetTest, PreviewStatesForceWhatAButtonDraws)
{
    ScreenFixture fixture;
    RepaintCounter host;
    Screen::ScreenDocument* document = host.insert(
        fixture.open(group_of(std::string("{ type = 'Button', name = 'b', size = {0.5, 0.5}, ") + art_per_state +
                              " }, { type = 'Button', name = 'off', enabled = false }")),
        nullptr);
    auto* button = dynamic_cast<Screen::ButtonWidget*>(find_widget(document->widgets(), "b"));
    ASSERT_NE(button, nullptr);
    const std::string table = table_text(*button);
    std::string log;
    auto recorder = std::make_shared<Recorder>(&log, "r");
    document->add_observer(recorder);

    EXPECT_FALSE(button->preview_state());
    EXPECT_EQ(drawn_items(*button), std::vector<int>{Screen::state_normal});
    // Every state draws its own art, the checked ones too: a plain button's style may
    // well carry them.
    for (int state = Screen::state_disabled; state < Screen::visual_state_count; ++state) {
        host.repaints = 0;
        button->set_preview_state(state);
        EXPECT_EQ(button->preview_state(), state);
        EXPECT_EQ(button->visual_state(), state);
        EXPECT_EQ(drawn_items(*button), std::vector<int>{state});
        EXPECT_EQ(host.repaints, 1) << state;
    }
    button->set_preview_state(Screen::state_checked_active);
    EXPECT_EQ(host.repaints, 1) << "the same state again draws nothing new";

    // The pointer still moves the live state underneath; it shows once the preview goes.
    Ui::ElementChain hover(Ui::ElementChain::Kind::hover, document);
    hover.move_to(button);
    button->set_preview_state(Screen::state_normal);
    EXPECT_EQ(button->visual_state(), Screen::state_normal);
    EXPECT_EQ(button->live_state(), Screen::state_hover);
    button->set_preview_state(std::nullopt);
    EXPECT_EQ(button->visual_state(), Screen::state_hover);
    EXPECT_EQ(drawn_items(*button), std::vector<int>{Screen::state_hover});

    // A disabled button previews enabled states, and is disabled again when live.
    auto* off = dynamic_cast<Screen::ButtonWidget*>(find_widget(document->widgets(), "off"));
    off->set_preview_state(Screen::state_active);
    EXPECT_EQ(off->visual_state(), Screen::state_active);
    off->set_preview_state(std::nullopt);
    EXPECT_EQ(off->visual_state(), Screen::state_disabled);

    EXPECT_EQ(table_text(*button), table) << "a preview is no edit";
    EXPECT_EQ(log, "") << "nor does it tell the editor's observers";
}

TEST(WidgetTest, APreviewStateOfAToggleOverridesItsCheckedFlag)
{
    ScreenFixture fixture;
    auto document = fixture.open(group_of(std::string("{ type = 'CheckButton', name = 'check', ") + art_per_state +
                                          " }, { type = 'RadioButton', name = 'r1' }, { type = 'RadioButton', name = 'r2' }"));
    auto* check = dynamic_cast<Screen::ToggleWidget*>(find_widget(document->widgets(), "check"));
    ASSERT_NE(check, nullptr);
    const std::string table = table_text(*check);

    check->set_checked(true);
    check->set_preview_state(Screen::state_hover);
    EXPECT_EQ(check->visual_state(), Screen::state_hover) << "the chosen state as it is, not shifted to checked";
    EXPECT_EQ(drawn_items(*check), std::vector<int>{Screen::state_hover});
    check->set_preview_state(Screen::state_checked_disabled);
    EXPECT_EQ(drawn_items(*check), std::vector<int>{Screen::state_checked_disabled});

    // Clicks under a preview still toggle; the preview keeps showing until it goes.
    check->click();
    EXPECT_FALSE(check->checked());
    EXPECT_EQ(check->visual_state(), Screen::state_checked_disabled);
    check->set_preview_state(std::nullopt);
    EXPECT_EQ(check->visual_state(), Screen::state_normal);
    check->click();
    EXPECT_EQ(check->visual_state(), Screen::state_checked);
    EXPECT_EQ(table_text(*check), table);

    // Radio buttons preview through the same path; unchecking a previewed one through
    // its group leaves the preview.
    auto* r1 = dynamic_cast<Screen::ChoiceWidget*>(find_widget(document->widgets(), "r1"));
    auto* r2 = dynamic_cast<Screen::ChoiceWidget*>(find_widget(document->widgets(), "r2"));
    r1->click();
    r1->set_preview_state(Screen::state_checked_hover);
    r2->click();
    EXPECT_FALSE(r1->checked());
    EXPECT_EQ(r1->visual_state(), Screen::state_checked_hover);
    EXPECT_EQ(r1->live_state(), Screen::state_normal);
}

TEST(WidgetTest, TooltipNamesFindTheLastWidgetBuiltUnderTheName)
{
    ScreenFixture fixture;
    auto document = fixture.open(R"(Screen = {
        TooltipWidgets = { type = 'Group', name = 'tips', Children = {
            { type = 'TextLabel', name = 'tip' }, { type = 'TextLabel', name = 'tip', text = 'second' } } },
        Widgets = { type = 'Group', Children = {
            { type = 'Button', name = 'b', tooltip_name = 'tip', tooltip_text = '$301' },
            { type = 'Button', name = 'c', tooltip_name = 'nobody' },
            { type = 'Button', name = 'd', tooltip_name = 'e' },
            { type = 'Button', name = 'e' },
        } } })");
    Widget* b = find_widget(document->widgets(), "b");
    ASSERT_TRUE(b->tooltip_widget());
    // Children are built from the last entry to the first: the first 'tip' listed is the
    // one built last.
    EXPECT_FALSE(b->tooltip_widget()->text());
    EXPECT_EQ(b->tooltip(), "$301");
    EXPECT_EQ(find_widget(document->widgets(), "c")->tooltip_widget(), nullptr);
    EXPECT_EQ(find_widget(document->widgets(), "d")->tooltip_widget(), find_widget(document->widgets(), "e"))
        << "any widget built before counts";

    ScreenFixture without_tooltips;
    auto plain = without_tooltips.open("Screen = { Widgets = { type = 'Button', tooltip_name = 'tip' } }");
    EXPECT_EQ(plain->tooltip_widgets(), nullptr);
    EXPECT_EQ(plain->widgets()->tooltip_widget(), nullptr);
}

TEST(WidgetTest, SettersWriteTheTableAndNotify)
{
    ScreenFixture fixture;
    fixture.add_sheet("uistyles.styles",
                      "StyleSheet = { Styles = { { name = 'Small', type = 'ButtonStyle', size = {0.1, 0.2} } } }");
    auto document = fixture.open(R"(Screen = {
        TooltipWidgets = { type = 'TextLabel', name = 'tip' },
        Widgets = { type = 'Button', name = 'b', style = {'UIStyles', 'Small'}, position = {0.5, 0.5} } })");
    std::string log;
    auto recorder = std::make_shared<Recorder>(&log, "r");
    document->add_observer(recorder);
    Widget* b = document->widgets();

    b->set_visible(false);
    EXPECT_FALSE(b->is_visible());
    EXPECT_EQ(table_field(*b, "visible"), "false");
    b->set_text("$12");
    EXPECT_EQ(*b->text(), "$12");
    EXPECT_EQ(table_field(*b, "text"), "$12");
    EXPECT_EQ(log, "r:b:23 r:b:24 ");

    // Setting a tooltip first clears the tooltip being shown.
    Widget* tip = document->tooltip_widgets();
    document->show_tooltip(tip, "shown");
    EXPECT_EQ(*tip->text(), "shown");
    log.clear();
    b->set_tooltip("new tip");
    EXPECT_EQ(*tip->text(), "");
    EXPECT_EQ(document->shown_tooltip(), nullptr);
    EXPECT_EQ(table_field(*b, "tooltip_text"), "new tip");
    EXPECT_EQ(log, "r:tip:24 r:b:25 ");

    // Moving writes the position; the size stays the style's while it comes from there.
    log.clear();
    b->set_bounds(0.25f, 0.75f, b->width(), b->height());
    EXPECT_EQ(table_field(*b, "position"), "{0.25,0.75}");
    EXPECT_EQ(table_field(*b, "size"), "nil");
    EXPECT_TRUE(b->size_from_style());
    EXPECT_EQ(log, "r:b:5 ");
    // Another size is the widget's own: written as it is shown.
    b->set_bounds(0.25f, 0.75f, 0.5f, 0.5f);
    EXPECT_EQ(table_field(*b, "size"), "{0.5,0.5}");
    EXPECT_EQ(b->width(), 0.5f);

    b->set_size_from_style(false);
    EXPECT_EQ(table_field(*b, "size"), "{0.5,0.5}");
    EXPECT_FALSE(b->size_from_style());
    b->set_size_from_style(true);
    EXPECT_TRUE(b->size_from_style());
    EXPECT_EQ(table_field(*b, "size"), "{0.1,0.2}");
    EXPECT_EQ(b->width(), 0.1f);
    EXPECT_EQ(b->height(), 0.2f);
}

TEST(WidgetTest, AssigningAStyleWritesThePairAndRestyles)
{
    ScreenFixture fixture;
    fixture.add_sheet("uistyles.styles", R"(StyleSheet = { Styles = {
        { name = 'Small', type = 'ButtonStyle', size = {0.1, 0.2} },
        { name = 'Big', type = 'ButtonStyle', size = {0.6, 0.7}, Presentation = { Art = { { type = 'Graphic', id = 7 } } } },
    } })");
    auto document = fixture.open(group_of(R"(
        { type = 'Button', name = 'b', style = {'UIStyles', 'Small'} },
        { type = 'Button', name = 'own', size = {0.3, 0.3} },
    )"));
    std::string log;
    auto recorder = std::make_shared<Recorder>(&log, "r");
    document->add_observer(recorder);
    Widget* b = find_widget(document->widgets(), "b");
    // The style's size written into the table by the grid's "Style Default" must not
    // keep the old style's size.
    b->set_size_from_style(true);
    b->set_style("UIStyles", "Big");
    EXPECT_EQ(table_field(*b, "style"), "{UIStyles,Big}");
    EXPECT_EQ(*b->style_name(), "Big");
    EXPECT_EQ(b->width(), 0.6f);
    EXPECT_EQ(b->height(), 0.7f);
    ASSERT_EQ(b->art().size(), 1u);
    EXPECT_EQ(b->art()[0]->id(), 7);
    EXPECT_EQ(log.substr(log.size() - 7), "r:b:26 ");

    Widget* own = find_widget(document->widgets(), "own");
    own->set_style("UIStyles", "Big");
    EXPECT_EQ(own->width(), 0.3f) << "an own size stays";
    EXPECT_EQ(own->art().size(), 1u) << "no own presentation: the style's";
}

TEST(WidgetTest, SettersOfADetachedWidgetThrow)
{
    ScreenFixture fixture;
    auto document = fixture.open("Screen = {}");
    Widget detached(document.get());
    try {
        detached.set_visible(false);
        FAIL();
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "Cannot set Widget::m_is_visible until attached to Lua.");
    }
    try {
        detached.set_text("x");
        FAIL();
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "Cannot set Widget::m_text until attached to Lua.");
    }
    try {
        detached.set_tooltip("x");
        FAIL();
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "Cannot set Widget::m_tooltip until attached to Lua.");
    }
    EXPECT_TRUE(detached.is_visible());
}

TEST(WidgetTest, SetterFailuresComeBackAsExceptions)
{
    ScreenFixture fixture;
    Screen::ScriptLimits limits;
    limits.memory_bytes = 2u << 20;
    auto document = fixture.open("Screen = { Widgets = { name = 'w' } } filler = ('x'):rep(700000)", limits);
    Widget* widget = document->widgets();
    // A text the capped state cannot hold: Lua's memory error, as an exception.
    EXPECT_THROW(widget->set_text(std::string(1500000, 'y')), Screen::ScriptError);
    EXPECT_FALSE(widget->text()) << "the field stays as it was";
    widget->set_text("short");
    EXPECT_EQ(*widget->text(), "short");
}

} // namespace
