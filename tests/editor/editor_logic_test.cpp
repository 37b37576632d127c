// The plain logic under the editor's tool windows: where they are placed, how the
// property grid writes and reads values, and which icon the outline shows.

#include "editor/tool_window_placement.h"
#include "editor/value_text.h"
#include "editor/widget_icon.h"

#include "screen/screen_fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace Editor;

TEST(ToolWindowPlacement, SitsAFractionOfTheFreeWidthInAndCentredVertically)
{
    // A 1000-pixel-wide editor at x = 100: 15 % of the 800 free pixels in from its left.
    WindowPosition outline = place_over(100, 50, 1100, 850, 200, 300, 0.15f);
    EXPECT_EQ(outline.x, 220);
    EXPECT_EQ(outline.y, 50 + 250);
    WindowPosition grid = place_over(100, 50, 1100, 850, 250, 300, 0.85f);
    EXPECT_EQ(grid.x, 100 + 637) << "trunc(750 * 0.85) = 637";
    // A window wider than the editor sticks out on both sides, truncated toward zero.
    WindowPosition wide = place_over(0, 0, 100, 100, 301, 301, 0.15f);
    EXPECT_EQ(wide.x, -30) << "trunc(-201 * 0.15) = trunc(-30.15)";
    EXPECT_EQ(wide.y, -100);
}

TEST(ToolWindowPlacement, AbsurdRectanglesSaturateInsteadOfOverflowing)
{
    WindowPosition huge = place_over(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, 0, 0, 0.85f);
    EXPECT_LE(huge.x, INT32_MAX);
    WindowPosition back = place_over(INT32_MAX, 0, INT32_MIN, 0, 200, 300, 1.0f);
    EXPECT_LE(back.x, INT32_MAX);
    EXPECT_EQ(RememberedFrame().x, unplaced);
}

TEST(ToolWindowPlacement, SizesScaleWithTheDpiAndKeepTheirDipsBackAndForth)
{
    EXPECT_EQ(pixels_of_dips(250, 96.0f), 250);
    EXPECT_EQ(pixels_of_dips(250, 120.0f), 313) << "312.5 rounded up: the whole size shows";
    EXPECT_EQ(pixels_of_dips(320, 144.0f), 480);
    EXPECT_EQ(dips_of_pixels(480, 144.0f), 320);
    // A window closed and opened again, cycle after cycle, neither grows nor shrinks.
    for (float dpi : {96.0f, 120.0f, 144.0f, 168.0f, 192.0f, 250.0f}) {
        for (std::int32_t dips : {1, 199, 200, 250, 300, 320, 1001}) {
            std::int32_t size = dips;
            for (int cycle = 0; cycle < 3; ++cycle)
                size = dips_of_pixels(pixels_of_dips(size, dpi), dpi);
            EXPECT_EQ(size, dips) << dips << " DIPs at " << dpi << " DPI";
        }
    }
    EXPECT_EQ(dips_of_pixels(200, 0.0f), 200) << "no DPI: taken as it is";
}

TEST(ValueText, NumbersAndRectanglesAreWrittenWithSevenSignificantDigits)
{
    EXPECT_EQ(format_number(0.25f), u"0.25");
    EXPECT_EQ(format_number(1.0f / 3.0f), u"0.3333333");
    EXPECT_EQ(format_number(1234567.0f), u"1234567");
    EXPECT_EQ(format_number(12345678.0f), u"1.234568e+07");
    EXPECT_EQ(format_rectangle({0.5f, 0.0f, 0.125f, 1.0f}), u"[0.5, 0, 0.125, 1]");
}

TEST(ValueText, RectanglesAreReadUpToTheFirstPlaceWithoutANumber)
{
    struct Case {
        const char16_t* text;
        RectangleValue expected;
    };
    const Case cases[] = {
        {u"5", {5, 0, 1, 1}},
        {u"", {0, 0, 1, 1}},
        {u"[0.1, 0.2, 0.3, 0.4]", {0.1f, 0.2f, 0.3f, 0.4f}},
        {u"0.1 0.2,,0.3]]0.4 0.9", {0.1f, 0.2f, 0.3f, 0.4f}},
        {u"[1, two, 3, 4]", {1, 0, 1, 1}},
        {u"[-1e-2, +2, .5", {-0.01f, 2, 0.5f, 1}},
        {u"\t7", {7, 0, 1, 1}},
        {u"1 inf 3 4", {1, 0, 1, 1}},
        {u"1 nan 3 4", {1, 0, 1, 1}},
        {u"1 1e39 3 4", {1, 0, 1, 1}},
        {u"0x10 2", {16, 2, 1, 1}},
    };
    for (const Case& c : cases) {
        const RectangleValue r = parse_rectangle(c.text);
        const std::u16string text = c.text;
        EXPECT_FLOAT_EQ(r.x, c.expected.x) << std::string(text.begin(), text.end());
        EXPECT_FLOAT_EQ(r.y, c.expected.y) << std::string(text.begin(), text.end());
        EXPECT_FLOAT_EQ(r.width, c.expected.width) << std::string(text.begin(), text.end());
        EXPECT_FLOAT_EQ(r.height, c.expected.height) << std::string(text.begin(), text.end());
    }
}

TEST(ValueText, OneNumberIsZeroWhenTheTextDoesNotStartWithOne)
{
    EXPECT_EQ(parse_number(u"abc"), 0.0f);
    EXPECT_EQ(parse_number(u"x 5"), 0.0f);
    EXPECT_EQ(parse_number(u"0.75 and more"), 0.75f);
    EXPECT_EQ(parse_number(u"-inf"), 0.0f) << "no infinite rectangles";
    std::size_t length = 99;
    EXPECT_FALSE(read_number(u"", &length));
    EXPECT_EQ(length, 0u);
    // A long run of digits costs a bounded prefix, and is still one finite number.
    const std::u16string digits(200000, u'9');
    EXPECT_FALSE(read_number(digits)) << "far beyond single precision";
    EXPECT_EQ(parse_number(u"0." + digits), 1.0f);
}

TEST(ValueText, StylesAreNamedWithTheirSheetAndSortedIgnoringCase)
{
    EXPECT_EQ(style_text(std::string("UIStyles"), std::string("Default")), u"UIStyles (Default)");
    EXPECT_EQ(style_text(std::nullopt, std::string("Default")), u"(None)");
    EXPECT_EQ(style_text(std::string("UIStyles"), std::nullopt), u"(None)");
    const std::vector<std::u16string> entries =
        style_entries({{"b", "Zed"}, {"a", "small"}, {"B", "Alpha"}, {"A", "Big"}, {"x", "Same"}, {"X", "SAME"}});
    const std::vector<std::u16string> expected = {u"A (Big)",   u"a (small)", u"B (Alpha)",
                                                  u"b (Zed)", u"x (Same)",  u"X (SAME)"};
    EXPECT_EQ(entries, expected) << "names equal but for case keep their order";
}

TEST(WidgetIcons, FollowTheTypeByLengthAndHash)
{
    ScreenFixture fixture;
    auto document = fixture.open(R"(Screen = { Widgets = { type = 'Group', name = 'root', Children = {
        { type = 'TextLabel', name = 'label' },
        { type = 'Button', name = 'button', visible = false },
        { type = 'Swf', name = 'movie' },
        { type = 'Groupx', name = 'unknown' },
        { name = 'untyped' },
        { type = 'ArtLabel', name = 'art' },
        { type = 'TextListBox', name = 'list' },
    } } })");
    Screen::Widget* root = document->widgets();
    EXPECT_EQ(widget_icon(*root), 0);
    EXPECT_EQ(widget_icon(*find_widget(root, "label")), 1);
    EXPECT_EQ(widget_icon(*find_widget(root, "button")), 6);
    EXPECT_EQ(widget_icon(*find_widget(root, "movie")), 12);
    EXPECT_EQ(widget_icon(*find_widget(root, "unknown")), other_widget_icon);
    EXPECT_EQ(widget_icon(*find_widget(root, "untyped")), other_widget_icon);
    EXPECT_EQ(widget_icon(*find_widget(root, "art")), 11);
    EXPECT_EQ(widget_icon(*find_widget(root, "list")), 9);

    Screen::Widget* button = find_widget(root, "button");
    EXPECT_EQ(outline_image(*button, true), 6 + faded_icons);
    EXPECT_EQ(outline_image(*button, false), 6);
}

TEST(WidgetIcons, TheStripIsStraightAlphaWithAFadedCopy)
{
    // 256 x 16 premultiplied: a half-transparent grey pixel at the start of each row.
    std::vector<std::uint8_t> picture(256 * 4 * 16, 0);
    for (int y = 0; y < 16; ++y) {
        std::uint8_t* pixel = &picture[static_cast<std::size_t>(y) * 256 * 4];
        pixel[0] = pixel[1] = pixel[2] = 64;
        pixel[3] = 128;
        pixel[4] = 10; // opaque red-free blue
        pixel[7] = 255;
    }
    const std::vector<std::uint8_t> strip = outline_icon_strip(picture.data(), 256 * 4, 256, 16);
    ASSERT_EQ(strip.size(), 512u * 4 * 16);
    EXPECT_EQ(strip[0], 128) << "64 of 128 unpremultiplied";
    EXPECT_EQ(strip[3], 128);
    EXPECT_EQ(strip[4], 10);
    EXPECT_EQ(strip[7], 255);
    const std::size_t faded = 256 * 4;
    EXPECT_EQ(strip[faded + 0], 128);
    EXPECT_EQ(strip[faded + 3], 64) << "alpha halved";
    EXPECT_EQ(strip[faded + 7], 127);
    EXPECT_TRUE(outline_icon_strip(picture.data(), 256 * 4, 255, 16).empty()) << "too narrow";
    EXPECT_TRUE(outline_icon_strip(picture.data(), 256 * 4, 256, 15).empty()) << "too short";
    EXPECT_TRUE(outline_icon_strip(nullptr, 256 * 4, 256, 16).empty());
}
