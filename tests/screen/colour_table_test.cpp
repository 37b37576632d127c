// The mod's colour table and colours in widget tables.

#include "screen_fixture.h"

#include "mod/mod_change.h"
#include "render/resource_set.h"
#include "screen/presentation_item.h"

#include <gtest/gtest.h>

namespace {

using Screen::Colour;

TEST(ColourTableTest, NamesResolveExactly)
{
    MemorySource files;
    files.add(Screen::ColourTable::path, "ColourTable = {\n"
                                         "  {key = 'red', value = {255, 0, 0, 255}},\n"
                                         "  {key = 'Shadow', value = {0, 0, 0, 51}},\n"
                                         "  {key = 'three', value = {255, 255, 255}},\n"
                                         "  {key = 'texty', value = {'255', 'x', 0, 255}},\n"
                                         "  {key = 'scalar', value = 7},\n"
                                         "}\n");
    std::unique_ptr<Screen::ColourTable> colours = Screen::ColourTable::load(files);
    ASSERT_TRUE(colours);
    EXPECT_EQ(colours->resolve("red"), (Colour{1, 0, 0, 1}));
    EXPECT_EQ(colours->resolve("Shadow"), (Colour{0, 0, 0, 0.2f}));
    // Names are case-sensitive: another case is not found and gives opaque black.
    EXPECT_EQ(colours->resolve("RED"), (Colour{0, 0, 0, 1}));
    EXPECT_EQ(colours->resolve("shadow"), (Colour{0, 0, 0, 1}));
    // Three components by name: alpha 0 (unlike an inline colour).
    EXPECT_EQ(colours->resolve("three"), (Colour{1, 1, 1, 0}));
    // Numeric strings count, anything else is 0; a value that is no table is no colour.
    EXPECT_EQ(colours->resolve("texty"), (Colour{1, 0, 0, 1}));
    EXPECT_EQ(colours->resolve("scalar"), (Colour{0, 0, 0, 1}));
    EXPECT_EQ(colours->resolve(""), (Colour{0, 0, 0, 1}));
    EXPECT_EQ(Screen::resolve_colour(nullptr, "red"), (Colour{0, 0, 0, 1}));
}

TEST(ColourTableTest, BrokenTablesLeaveNoColours)
{
    const char* broken[] = {
        "ColourTable = { {key = 'red', value = {255, 0, 0, 255}} ",   // syntax error
        "ColourTable = 5",                                              // no array to walk
        "ColourTable = { {key = 'a', value = {1, 2, 3}} } x = nil + 1", // fails while running
        "while true do end",                                            // never ends by itself
        "ColourTable = { 5 }",                                          // entry that is no table
        "local t = {} for i = 1, 100000000 do t[i] = ('x'):rep(1000) end", // no string methods: fails
    };
    for (const char* script : broken) {
        MemorySource files;
        files.add(Screen::ColourTable::path, script);
        EXPECT_FALSE(Screen::ColourTable::load(files)) << script;
    }
    MemorySource empty;
    EXPECT_FALSE(Screen::ColourTable::load(empty)) << "missing file";
}

TEST(ColourTableTest, ColoursInItems)
{
    ScreenFixture fixture;
    fixture.add_colours("ColourTable = { {key = 'gold', value = {255, 204, 0, 255}}, {key = 'mist', value = {10, 20, 30}} }");
    auto document = fixture.open(R"(Screen = { Widgets = { type = "Group", Presentation = { Art = {
        { type = "Rectangle", id = 1, colour = {255, 0, 0} },
        { type = "Rectangle", id = 2, colour = {255, 0, 0, 255} },
        { type = "Rectangle", id = 3, colour = "gold" },
        { type = "Rectangle", id = 4, colour = "Gold" },
        { type = "Rectangle", id = 5, colour = "mist" },
        { type = "Rectangle", id = 6 },
        { type = "Rectangle", id = 7, colour = 12 },
        { type = "Rectangle", id = 8, colour = {} },
        { type = "Rectangle", id = 9, colour = {"255", "x"} },
    } } } })");
    std::map<int, Screen::ColourSetting> by_id;
    for (Screen::PresentationItem* item : document->widgets()->art())
        by_id[item->id()] = static_cast<Screen::RectangleItem*>(item)->colour();
    ASSERT_EQ(by_id.size(), 9u);
    EXPECT_EQ(by_id[1].value, (Colour{1, 0, 0, 1.0f / 255})) << "a missing alpha is 1 of 255";
    EXPECT_EQ(by_id[2].value, (Colour{1, 0, 0, 1}));
    EXPECT_EQ(by_id[3].value, (Colour{1, 0.8f, 0, 1}));
    EXPECT_EQ(by_id[3].name, "gold") << "the name is kept";
    EXPECT_EQ(by_id[4].value, (Colour{0, 0, 0, 1}));
    EXPECT_EQ(by_id[4].name, "Gold");
    EXPECT_EQ(by_id[5].value, (Colour{10 / 255.0f, 20 / 255.0f, 30 / 255.0f, 0}));
    EXPECT_EQ(by_id[6].value, (Colour{0, 0, 0, 1}));
    EXPECT_EQ(by_id[6].name, "");
    EXPECT_EQ(by_id[7].value, (Colour{0, 0, 0, 1}));
    EXPECT_EQ(by_id[8].value, (Colour{0, 0, 0, 1.0f / 255}));
    EXPECT_EQ(by_id[9].value, (Colour{1, 0, 0, 1.0f / 255}));
}

TEST(ColourTableTest, NonNumericAlphaStopsTheScreen)
{
    ScreenFixture fixture;
    EXPECT_EQ(fixture.failure(R"(Screen = { Widgets = { Presentation = { Art = {
        { type = "Rectangle", colour = {1, 2, 3, "opaque"} } } } } })"),
              std::string("Cannot instantiate screen file ") + ScreenFixture::screen_path +
                  ": number expected, got string");
}

} // namespace

TEST(ColourTableTest, AChangedTableIsEvaluatedAgainAndTheOldOneLivesOn)
{
    auto files = std::make_shared<MemorySource>();
    files->add(Screen::ColourTable::path, "ColourTable = { {key = 'accent', value = {255, 0, 0, 255}} }");
    Render::ResourceSet resources(nullptr, files);
    const Screen::ColourTable* before = resources.colours();
    ASSERT_NE(before, nullptr);

    Mod::ModChange texture;
    texture.add("art\\ui\\textures\\a.dds");
    resources.apply_change(texture);
    EXPECT_EQ(resources.colours(), before) << "only the table's own file counts";

    files->add(Screen::ColourTable::path, "ColourTable = { {key = 'accent', value = {0, 0, 255, 255}} }");
    Mod::ModChange colours;
    colours.add("Art/UI/Styles/ColourTable.colours");
    resources.apply_change(colours);
    ASSERT_NE(resources.colours(), nullptr);
    EXPECT_EQ(resources.colours()->resolve("accent"), (Colour{0, 0, 1, 1}));
    // A screen loaded before still reads the table it was given.
    EXPECT_EQ(before->resolve("accent"), (Colour{1, 0, 0, 1}));

    // Broken now: no table, as when the mod was loaded with it.
    files->add(Screen::ColourTable::path, "ColourTable = {");
    resources.apply_change(colours);
    EXPECT_EQ(resources.colours(), nullptr);
}
