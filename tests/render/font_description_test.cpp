// Font descriptions: what a .fnt script yields, what it may not do to the editor, and
// the scale lookup along the screen width.

#include "render/font_description.h"

#include "mod/memory_source.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Render::read_font_description;
using Render::scale_at;
using Table = std::vector<std::pair<float, float>>;

std::optional<Render::FontDescription> describe(const std::string& script,
                                                const Screen::ScriptLimits& limits = Screen::ScriptLimits())
{
    MemorySource files;
    files.add("font\\body.fnt", script);
    return read_font_description(files, "body", limits);
}

TEST(FontDescriptionTest, SizesScaleAlongTheLineThroughTheFirstAndLastPair)
{
    MemorySource files;
    files.add("font\\gillsans_16.fnt", "font = { name = 'Gill Sans', sizeDefault = 16, size1024 = 16, size1280 = 20 }");
    auto description = read_font_description(files, "gillsans_16");
    ASSERT_TRUE(description);
    EXPECT_EQ(description->name, "Gill Sans");
    EXPECT_FLOAT_EQ(description->size_default, 16);
    EXPECT_EQ(description->size_table, (Table{{1024, 1}, {1280, 1.25f}}));

    const std::pair<float, float> expected[] = {
        {1024, 1}, {1280, 1.25f}, {1152, 1.125f}, {1536, 1.5f}, {768, 0.75f}, {0, 0},
    };
    for (const auto& [x, scale] : expected)
        EXPECT_FLOAT_EQ(scale_at(description->size_table, x), scale) << "at " << x;
}

TEST(FontDescriptionTest, WithoutSizeKeysTheScaleIsOneEverywhere)
{
    for (const char* script : {"font = { name = 'Plain', sizeDefault = 20 }", "font = { name = 'Plain' }"}) {
        auto description = describe(script);
        ASSERT_TRUE(description) << script;
        EXPECT_TRUE(description->size_table.empty()) << script;
        for (float x : {0.0f, 640.0f, 1024.0f, 1e9f})
            EXPECT_EQ(scale_at(description->size_table, x), 1.0f) << script << " at " << x;
    }
}

TEST(FontDescriptionTest, MissingSizeDefaultIsTwelve)
{
    auto description = describe("font = { name = 'Twelve', size800 = 6, size1600 = 18 }");
    ASSERT_TRUE(description);
    EXPECT_FLOAT_EQ(description->size_default, 12);
    EXPECT_EQ(description->size_table, (Table{{800, 0.5f}, {1600, 1.5f}}));
}

TEST(FontDescriptionTest, WhichKeysAreSizesAndTheirWidths)
{
    struct Case {
        const char* entry; // one more field of the font table, sizeDefault being 10
        Table table;
    };
    const Case cases[] = {
        {"size = 20", {}},                       // too short
        {"sizeX = 20", {}},                      // a letter after "size"
        {"sizeDefault2 = 20", {}},
        {"Size800 = 20", {}},                    // "size" is matched exactly
        {"[5] = 20", {}},                        // not a string key
        {"size800 = 20", {{800, 2}}},
        {"['size-5'] = 20", {{-5, 2}}},
        {"['size+7'] = 5", {{7, 0.5f}}},
        {"size_ = 20", {{0, 2}}},                // no digits: width 0
        {"['size 64'] = 20", {{0, 2}}},          // no blanks before the number
        {"['size-'] = 20", {{0, 2}}},
        {"size12abc = 20", {{12, 2}}},           // the leading digits only
        {"size007 = 20", {{7, 2}}},
        {"['size\\0' .. '9'] = 20", {{0, 2}}},   // an embedded zero is not a digit
        {"size99999999999999999999999 = 20", {{static_cast<float>(INT_MAX), 2}}},
        {"['size-99999999999999999999999'] = 20", {{-static_cast<float>(INT_MAX), 2}}},
        {"size640 = '15'", {{640, 1.5f}}},       // a numeric string counts
        {"size640 = ' 0x10 '", {{640, 1.6f}}},
        {"size640 = 'big'", {}},
        {"size640 = {}", {}},
        {"size640 = true", {}},
        {"size640 = 0/0", {}},                   // NaN would poison every lookup
        {"size640 = 1/0", {}},
        {"size640 = -1e300", {}},                // beyond float: infinite
        {"size640 = -10", {{640, -1}}},
    };
    for (const Case& c : cases) {
        const std::string script = std::string("font = { name = 'F', sizeDefault = 10, ") + c.entry + " }";
        auto description = describe(script);
        ASSERT_TRUE(description) << c.entry;
        EXPECT_EQ(description->size_table, c.table) << c.entry;
    }
}

TEST(FontDescriptionTest, TheTableIsSortedByWidth)
{
    auto description = describe("font = { name = 'F', sizeDefault = 8, size1600 = 16, size640 = 4, "
                                "size1024 = 8, ['size-1'] = 2, size0 = 1, size800 = 6 }");
    ASSERT_TRUE(description);
    EXPECT_EQ(description->size_table,
              (Table{{-1, 0.25f}, {0, 0.125f}, {640, 0.5f}, {800, 0.75f}, {1024, 1}, {1600, 2}}));
}

TEST(FontDescriptionTest, AnythingUnusableGivesNothing)
{
    Screen::ScriptLimits small;
    small.instructions = 100'000;
    small.memory_bytes = 4 << 20;
    const char* scripts[] = {
        "",                                                     // no font at all
        "font = 'Arial'",
        "font = {}",                                            // no name
        "font = { name = 12 }",                                 // a number is no name
        "font = { name = {} }",
        "font = { name = 'F', sizeDefault = '12' }",            // must be a number itself
        "font = { name = 'F', sizeDefault = true }",
        "font = { name = 'F', sizeDefault = 0 }",               // every scale divides by it
        "font = { name = 'F', sizeDefault = -12 }",
        "font = { name = 'F', sizeDefault = 0/0 }",
        "font = { name = 'F', sizeDefault = 1/0 }",
        "font = { name = 'F', sizeDefault = 1e300 }",
        "font = { name = 'F' ",                                 // does not compile
        "font = { name = 'F' } error()",                        // fails while running (no base library)
        "print('x') font = { name = 'F' }",
        "font = { name = ('F'):lower() }",                      // no string methods here
        "while true do end",                                    // stopped by the budget
        "local t = {} for i = 1, 1e9 do t[i] = i end",          // stopped by the memory cap or budget
        "\x1bLua",                                              // a precompiled chunk is refused
    };
    for (const char* script : scripts)
        EXPECT_FALSE(describe(script, small)) << script;

    MemorySource files;
    EXPECT_FALSE(read_font_description(files, "missing"));
    files.add("font\\body.ttf", "font = { name = 'F' }");
    files.add("body.fnt", "font = { name = 'F' }");
    EXPECT_FALSE(read_font_description(files, "body")) << "only font\\<name>.fnt is read";
}

TEST(FontDescriptionTest, LoadingSaysWhyADescriptionIsUnusable)
{
    Screen::ScriptLimits small;
    small.instructions = 100'000;
    const struct {
        const char* script;
        const char* reason;
    } cases[] = {
        {"font = { name = 'F' ", "does not load: slice:1: '}' expected near <eof>"},
        {"font = { name = 'F' } error()", "fails: slice:1: attempt to call global 'error' (a nil value)"},
        {"while true do end", "fails: "},
        {"font = 'Arial'", "sets no table font"},
        {"font = { name = 12 }", "gives no string font.name"},
        {"font = { name = 'F', sizeDefault = '12' }", "gives no positive number font.sizeDefault"},
        {"font = { name = 'F', sizeDefault = 1e300 }", "gives no positive number font.sizeDefault"},
    };
    for (const auto& c : cases) {
        MemorySource files;
        files.add("font\\body.fnt", c.script);
        try {
            Render::load_font_description(files, "body", small);
            ADD_FAILURE() << "loaded: " << c.script;
        } catch (const std::runtime_error& failure) {
            const std::string expected = std::string("Font description font\\body.fnt ") + c.reason;
            EXPECT_EQ(std::string(failure.what()).substr(0, expected.size()), expected) << c.script;
        }
    }

    MemorySource files;
    try {
        Render::load_font_description(files, "missing");
        ADD_FAILURE() << "a missing file loaded";
    } catch (const std::runtime_error& failure) {
        EXPECT_STREQ(failure.what(), "Cannot open font description font\\missing.fnt");
    }
    files.add("font\\good.fnt", "font = { name = 'Good', sizeDefault = 9 }");
    EXPECT_EQ(Render::load_font_description(files, "good").name, "Good");
}

TEST(FontDescriptionTest, ManySizeKeysStayFast)
{
    // A stranger's table with a hundred thousand sizes: read linearly, not quadratically.
    auto description = describe("font = { name = 'F', sizeDefault = 1 } local f = font "
                                "local n = 100000 for i = 1, n do f['size' .. (n - i)] = i end");
    ASSERT_TRUE(description);
    ASSERT_EQ(description->size_table.size(), 100000u);
    EXPECT_EQ(description->size_table.front(), (std::pair<float, float>{0, 100000}));
    EXPECT_EQ(description->size_table.back(), (std::pair<float, float>{99999, 1}));
}

TEST(ScaleAtTest, PiecewiseInsideAndTheEndLineOutside)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const Table three{{800, 1}, {1000, 3}, {1200, 2}};
    struct Case {
        Table table;
        float x;
        float scale;
    };
    const Case cases[] = {
        {{}, 1000, 1},
        {{{640, 2}}, 0, 2},                     // one pair: its y everywhere
        {{{640, 2}}, 1e9f, 2},
        {three, 900, 2},                        // within the first interval
        {three, 1000, 3},                       // on an inner pair
        {three, 1100, 2.5f},                    // within the second interval
        {three, 800, 1},
        {three, 1200, 2},
        {three, 1400, 2.5f},                    // the line through (800, 1) and (1200, 2)
        {three, 400, 0},
        {{{500, 1}, {500, 3}}, 500, 2},         // one x only: the middle of first and last
        {{{500, 1}, {500, 2}, {500, 3}}, 9000, 2},
        {{{0, 1}, {500, 1}, {500, 4}, {1000, 4}}, 500, 1}, // a step: the first pair at x
        {{{0, 1}, {500, 1}, {500, 4}, {1000, 4}}, 750, 4},
    };
    for (const Case& c : cases)
        EXPECT_FLOAT_EQ(scale_at(c.table, c.x), c.scale) << "at " << c.x << " over " << c.table.size() << " pairs";

    EXPECT_TRUE(std::isnan(scale_at(three, nan)));
    EXPECT_EQ(scale_at({}, nan), 1.0f);
}

} // namespace
