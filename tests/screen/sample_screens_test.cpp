// Every screen of the sample installation, opened as the editor opens it: through the
// loaded mod with its colour table, style sheets from several sources and localised
// texts. The sample is written by an independent generator to use every widget type,
// item type and state, and to take sizes, art and composite parts from styles.

#include "mod/loaded_mod.h"
#include "render/resource_set.h"
#include "screen/button_widgets.h"
#include "screen/composite_widgets.h"
#include "screen/presentation_item.h"
#include "screen/screen_document.h"
#include "screen/widget.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace {

using Screen::PresentationItem;
using Screen::ScreenDocument;
using Screen::Widget;
using Screen::WidgetPart;

const char* const screens_folder = "Art\\UI\\Screens";
const std::string stress_path = "Art\\UI\\Screens\\stressscreen.screen";
const std::string defect_path = "Art\\UI\\Screens\\outpostscreen.screen";

bool is_screen_file(std::string name)
{
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    const std::string suffix = ".screen";
    return name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// The composite parts a widget holds, whatever its class.
std::vector<const WidgetPart*> parts_of(const Widget& widget)
{
    if (const auto* meter = dynamic_cast<const Screen::MeterWidget*>(&widget))
        return {&meter->progress()};
    if (const auto* bar = dynamic_cast<const Screen::ScrollBarWidget*>(&widget))
        return {&bar->increment(), &bar->track(), &bar->decrement()};
    if (const auto* drop = dynamic_cast<const Screen::DropDownWidget*>(&widget))
        return {&drop->list_box(), &drop->label(), &drop->arrow_button()};
    if (const auto* list = dynamic_cast<const Screen::StringListWidget*>(&widget))
        return {&list->items_group(), &list->item_template(), &list->scroll_bar()};
    return {};
}

// Everything the screens built, gathered over the element trees.
struct Census {
    std::set<std::string> widget_classes;
    std::set<std::string> item_classes;
    std::set<int> states;
    std::vector<const Widget*> widgets;
    std::vector<const PresentationItem*> items;
};

void gather(const Ui::ContainerElement& container, Census& census)
{
    for (std::size_t i = 0; i < container.child_count(); ++i) {
        const Ui::Element* child = container.child(i);
        if (const auto* widget = dynamic_cast<const Widget*>(child)) {
            census.widget_classes.insert(widget->class_name());
            census.widgets.push_back(widget);
            gather(*widget, census);
        } else if (const auto* item = dynamic_cast<const PresentationItem*>(child)) {
            census.item_classes.insert(item->class_name());
            census.items.push_back(item);
            for (int state = 0; state < Screen::visual_state_count; ++state)
                if (item->in_state(state))
                    census.states.insert(state);
        }
    }
}

// Whether `widget` is `root` or lies under it.
bool is_under(const Ui::Element* widget, const Ui::Element* root)
{
    for (const Ui::Element* up = widget; up; up = up->parent())
        if (up == root)
            return true;
    return false;
}

// Components as the file writes them, 0 to 255.
void expect_colour(const Screen::Colour& colour, const std::array<int, 4>& expected, const char* name)
{
    EXPECT_NEAR(colour.r, expected[0] / 255.0, 1e-6) << name;
    EXPECT_NEAR(colour.g, expected[1] / 255.0, 1e-6) << name;
    EXPECT_NEAR(colour.b, expected[2] / 255.0, 1e-6) << name;
    EXPECT_NEAR(colour.a, expected[3] / 255.0, 1e-6) << name;
}

const Widget* find_widget(const Census& census, const std::string& name)
{
    for (const Widget* widget : census.widgets)
        if (widget->name() == name)
            return widget;
    return nullptr;
}

class SampleScreens : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_mod = new Mod::LoadedMod;
        s_mod->set_resource_builder(Render::resource_set_builder());
        s_mod->load(nullptr, std::string(TVSE_SAMPLE_DIR) + "/Bastion.module");
        s_mod->wait_until_loaded(30000);
        s_documents = new std::map<std::string, std::unique_ptr<ScreenDocument>>;
        s_failures = new std::map<std::string, std::string>;
        s_census = new std::map<std::string, Census>;

        std::vector<std::string> names;
        s_mod->files()->list(screens_folder, names);
        for (const std::string& name : names) {
            if (!is_screen_file(name))
                continue;
            const std::string path = std::string(screens_folder) + "\\" + name;
            try {
                auto document = std::make_unique<ScreenDocument>(nullptr, *s_mod, path);
                gather(*document, (*s_census)[path]);
                (*s_documents)[path] = std::move(document);
            } catch (const std::exception& error) {
                (*s_failures)[path] = error.what();
            }
        }
    }
    static void TearDownTestSuite()
    {
        // The documents read the mod's colour table and texts: they go first.
        delete s_census;
        delete s_documents;
        delete s_failures;
        delete s_mod;
        s_census = nullptr;
        s_documents = nullptr;
        s_failures = nullptr;
        s_mod = nullptr;
    }

    // The census of one screen by its file name; fails the test when it did not load.
    static const Census& census_of(const std::string& file_name)
    {
        static const Census none;
        auto found = s_census->find(std::string(screens_folder) + "\\" + file_name);
        EXPECT_NE(found, s_census->end()) << file_name;
        return found == s_census->end() ? none : found->second;
    }

    static Mod::LoadedMod* s_mod;
    static std::map<std::string, std::unique_ptr<ScreenDocument>>* s_documents;
    static std::map<std::string, std::string>* s_failures;
    static std::map<std::string, Census>* s_census;
};

Mod::LoadedMod* SampleScreens::s_mod = nullptr;
std::map<std::string, std::unique_ptr<ScreenDocument>>* SampleScreens::s_documents = nullptr;
std::map<std::string, std::string>* SampleScreens::s_failures = nullptr;
std::map<std::string, Census>* SampleScreens::s_census = nullptr;

TEST_F(SampleScreens, EveryScreenBuildsAndKeepsTrackOfEveryWidget)
{
    for (const auto& [path, message] : *s_failures)
        ADD_FAILURE() << path << ": " << message;
    // 52 distinct screens across loose folders and archives, the stress screen among them.
    EXPECT_EQ(s_documents->size(), 52u);
    EXPECT_EQ(s_documents->count(stress_path), 1u);
    for (const auto& [path, document] : *s_documents) {
        // Parts and tooltip widgets are children too: nothing is built outside the tree.
        EXPECT_EQ(document->widget_count(), s_census->at(path).widgets.size()) << path;
        EXPECT_EQ(document->colours(), Screen::colours_of(*s_mod)) << path;
        EXPECT_EQ(document->mod(), s_mod) << path;
        EXPECT_TRUE(document->styles_loaded()) << path;
    }
}

TEST_F(SampleScreens, TogetherUseEveryWidgetClassItemClassAndState)
{
    Census all;
    for (const auto& [path, census] : *s_census) {
        all.widget_classes.insert(census.widget_classes.begin(), census.widget_classes.end());
        all.item_classes.insert(census.item_classes.begin(), census.item_classes.end());
        all.states.insert(census.states.begin(), census.states.end());
    }
    // Equality: a base PresentationItem would mean an item type the editor did not know.
    EXPECT_EQ(all.widget_classes,
              (std::set<std::string>{"ContainerWidget", "ItemListEntryWidget", "ButtonWidget", "ToggleWidget",
                                     "ChoiceWidget", "MeterWidget", "ScrollBarWidget", "DropDownWidget",
                                     "StringListWidget", "ItemListWidget", "CustomWidget", "Widget"}));
    EXPECT_EQ(all.item_classes,
              (std::set<std::string>{"ImageItem", "TextItem", "RectangleItem", "SegmentItem", "MovieItem"}));
    for (int state = Screen::state_disabled; state <= Screen::state_checked_active; ++state)
        EXPECT_EQ(all.states.count(state), 1u) << "state " << state;
}

TEST_F(SampleScreens, StylesSupplySizesArtAndParts)
{
    bool hidden = false;
    bool styled_size = false;
    bool styled_part = false;
    for (const auto& [path, census] : *s_census) {
        for (const Widget* widget : census.widgets) {
            hidden = hidden || !widget->is_visible();
            // A style that was found gives a size other than the default 1 x 1.
            styled_size = styled_size || (widget->size_from_style() && widget->style_name() &&
                                          (widget->width() != 1.0f || widget->height() != 1.0f));
            for (const WidgetPart* part : parts_of(*widget)) {
                styled_part = styled_part || (part->from_style && part->widget);
                // A part is a child of its widget, never of another one.
                if (part->widget) {
                    EXPECT_EQ(part->widget->parent(), widget) << path << " " << widget->name();
                }
            }
        }
    }
    EXPECT_TRUE(hidden);
    EXPECT_TRUE(styled_size);
    EXPECT_TRUE(styled_part);
}

TEST_F(SampleScreens, AProgressBarCanTakeEverythingFromItsStyle)
{
    const auto* meter = dynamic_cast<const Screen::MeterWidget*>(find_widget(census_of("loadingscreen.screen"),
                                                                             "LoadingProgress"));
    ASSERT_NE(meter, nullptr);
    EXPECT_TRUE(meter->size_from_style());
    EXPECT_FLOAT_EQ(meter->width(), 0.6f);
    EXPECT_FLOAT_EQ(meter->height(), 0.025f);
    EXPECT_TRUE(meter->art_from_style());
    EXPECT_EQ(meter->art().size(), 2u);
    EXPECT_TRUE(meter->range_from_style());
    EXPECT_FLOAT_EQ(meter->range().x, 0.0f);
    EXPECT_FLOAT_EQ(meter->range().y, 100.0f);
    EXPECT_TRUE(meter->step_size_from_style());
    EXPECT_DOUBLE_EQ(meter->step_size(), 1.0);
    EXPECT_TRUE(meter->progress().from_style);
    ASSERT_NE(meter->progress().widget, nullptr);
    EXPECT_EQ(meter->progress().widget->name(), "Progress");
    // In document units: 99 % of the bar's 0.6.
    EXPECT_NEAR(meter->progress().widget->width(), 0.594f, 1e-4f);
}

TEST_F(SampleScreens, StyleNamesMatchWithoutRegardToCase)
{
    // The screen names uistyles/smallbutton; the sheet defines UIStyles/SmallButton.
    const Widget* button = find_widget(census_of("mainmenuscreen.screen"), "NewProfileButton");
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->style_name(), std::optional<std::string>("smallbutton"));
    EXPECT_TRUE(button->size_from_style());
    EXPECT_FLOAT_EQ(button->width(), 0.14f);
    EXPECT_FLOAT_EQ(button->height(), 0.045f);
    EXPECT_TRUE(button->art_from_style());
    EXPECT_FALSE(button->art().empty());
}

TEST_F(SampleScreens, TooltipWidgetsAreFoundAmongTheScreensTooltipWidgets)
{
    bool found = false;
    for (const auto& [path, document] : *s_documents) {
        for (const Widget* widget : s_census->at(path).widgets) {
            if (const Widget* tooltip = widget->tooltip_widget()) {
                found = true;
                EXPECT_TRUE(tooltip->is_tooltip_target()) << path;
                EXPECT_TRUE(is_under(tooltip, document->tooltip_widgets())) << path << " " << widget->name();
            }
        }
    }
    EXPECT_TRUE(found);
    // The loading screen has none at all.
    EXPECT_EQ(s_documents->at("Art\\UI\\Screens\\loadingscreen.screen")->tooltip_widgets(), nullptr);
}

TEST_F(SampleScreens, EveryLocalisedTextResolves)
{
    // The generator refers only to strings its english tables hold, but in the screen it
    // breaks on purpose for tvse-tool check.
    std::size_t references = 0;
    for (const auto& [path, census] : *s_census) {
        if (path == defect_path)
            continue;
        for (const Widget* widget : census.widgets) {
            for (const std::string* text : {widget->text() ? &*widget->text() : nullptr, &widget->tooltip()}) {
                if (!text || text->empty() || (*text)[0] != '$')
                    continue;
                ++references;
                const std::u16string resolved = s_mod->resolve_text(*text);
                EXPECT_FALSE(resolved.empty()) << path << " " << *text;
                EXPECT_NE(resolved.substr(0, 1), u"$") << path << " " << widget->name() << " " << *text;
            }
        }
    }
    EXPECT_GT(references, 100u);
}

TEST_F(SampleScreens, ColoursComeFromTheWinningColourTable)
{
    const Screen::ColourTable* colours = Screen::colours_of(*s_mod);
    ASSERT_NE(colours, nullptr);
    // BastionArt.sga's copy wins over Frontier's and the engine's, each with its own accent.
    expect_colour(colours->resolve("accent"), {200, 40, 40, 255}, "accent");
    expect_colour(colours->resolve("menu_text"), {230, 220, 190, 255}, "menu_text");
    // Three components: transparent.
    expect_colour(colours->resolve("button_glow"), {255, 200, 80, 0}, "button_glow");
    // Names are exact: another case is no entry, which is opaque black.
    expect_colour(colours->resolve("Accent"), {0, 0, 0, 255}, "Accent");

    // Items that name a colour got the table's value for it.
    std::size_t accented = 0;
    for (const auto& [path, census] : *s_census) {
        for (const PresentationItem* item : census.items) {
            const Screen::ColourSetting* setting = nullptr;
            if (const auto* segment = dynamic_cast<const Screen::SegmentItem*>(item))
                setting = &segment->colour();
            else if (const auto* rectangle = dynamic_cast<const Screen::RectangleItem*>(item))
                setting = &rectangle->colour();
            else if (const auto* text = dynamic_cast<const Screen::TextItem*>(item))
                setting = &text->colour_top();
            if (!setting || setting->name.empty())
                continue;
            EXPECT_EQ(setting->value, colours->resolve(setting->name)) << path << " " << setting->name;
            accented += setting->name == "accent" ? 1 : 0;
        }
    }
    EXPECT_GT(accented, 0u);
}

TEST_F(SampleScreens, TheStressScreenBuildsItsThousandsOfWidgets)
{
    const ScreenDocument& document = *s_documents->at(stress_path);
    EXPECT_GE(document.widget_count(), 2000u);
    const Census& census = s_census->at(stress_path);
    // 2,000 cells of two or three items each, besides the panels' own.
    EXPECT_GE(census.items.size(), 4000u);
    ASSERT_NE(document.widgets(), nullptr);
    EXPECT_EQ(document.widgets()->name(), "StressRoot");
    const Widget* cell = find_widget(census, "Cell_19_9_9");
    ASSERT_NE(cell, nullptr);
    EXPECT_TRUE(is_under(cell, document.widgets()));
}

} // namespace
