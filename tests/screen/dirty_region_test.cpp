// The regions a kept screen is drawn again in: merged, capped, clipped; and the device
// pixels a local rectangle touches.

#include "screen/dirty_region.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

using Ui::PixelBox;

bool operator==(const PixelBox& a, const PixelBox& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(DirtyRegionTest, MergesWhatOverlapsOrTouchesAndCapsTheCount)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        const char* what;
        std::vector<PixelBox> added;
        std::vector<PixelBox> expected; // in any order
    };
    const Case cases[] = {
        {"empty and NaN boxes add nothing", {{5, 5, 5, 9}, {1, 1, 0, 3}, {nan, 0, 4, 4}}, {}},
        {"apart stay apart", {{0, 0, 2, 2}, {10, 10, 12, 12}}, {{0, 0, 2, 2}, {10, 10, 12, 12}}},
        {"overlapping merge", {{0, 0, 4, 4}, {2, 2, 6, 6}}, {{0, 0, 6, 6}}},
        {"sharing an edge merge", {{0, 0, 4, 4}, {4, 0, 8, 4}}, {{0, 0, 8, 4}}},
        {"a merged box takes in what it now reaches",
         {{0, 0, 2, 2}, {6, 0, 8, 2}, {1, 0, 7, 1}},
         {{0, 0, 8, 2}}},
    };
    for (const Case& c : cases) {
        Screen::DirtyRegion region;
        for (const PixelBox& box : c.added)
            region.add(box);
        ASSERT_EQ(region.boxes().size(), c.expected.size()) << c.what;
        for (const PixelBox& box : c.expected) {
            bool found = false;
            for (const PixelBox& have : region.boxes())
                found = found || have == box;
            EXPECT_TRUE(found) << c.what;
        }
    }

    // Past the cap, one bounding box.
    Screen::DirtyRegion many;
    for (int i = 0; i <= static_cast<int>(Screen::DirtyRegion::max_rectangles); ++i)
        many.add({i * 10.0f, 0, i * 10.0f + 2, 2});
    ASSERT_EQ(many.boxes().size(), 1u);
    EXPECT_TRUE((many.boxes()[0] == PixelBox{0, 0, Screen::DirtyRegion::max_rectangles * 10.0f + 2, 2}));

    // Clipped to the image, what falls outside dropped.
    Screen::DirtyRegion clipped;
    clipped.add({-5, -5, 5, 5});
    clipped.add({50, 50, 60, 60});
    const std::vector<PixelBox> within = clipped.within({0, 0, 20, 20});
    ASSERT_EQ(within.size(), 1u);
    EXPECT_TRUE((within[0] == PixelBox{0, 0, 5, 5}));
}

TEST(DirtyRegionTest, DeviceBoxesCoverWholePixelsWithTheMargin)
{
    const float inf = std::numeric_limits<float>::infinity();
    const D2D1_MATRIX_3X2_F identity{1, 0, 0, 1, 0, 0};
    const D2D1_MATRIX_3X2_F scaled{100, 0, 0, 50, 10.5f, 20};
    const D2D1_MATRIX_3X2_F mirrored{-1, 0, 0, 1, 30, 0};
    struct Case {
        const char* what;
        D2D1_MATRIX_3X2_F transform;
        float scale;
        PixelBox local;
        PixelBox expected;
    };
    const Case cases[] = {
        {"fractions round outward", identity, 1, {0.5f, 0.5f, 2.5f, 3.0f}, {-2, -2, 5, 5}},
        {"the transform and the DPI apply", scaled, 1.5f, {0, 0, 1, 1}, {13, 28, 168, 107}},
        {"a mirror keeps the box the right way round", mirrored, 1, {0, 0, 10, 10}, {18, -2, 32, 12}},
        {"not finite: nothing", identity, 1, {0, 0, inf, 1}, Screen::no_box},
    };
    for (const Case& c : cases) {
        const PixelBox box =
            Screen::device_box(c.transform, c.scale, c.local.left, c.local.top, c.local.right, c.local.bottom);
        EXPECT_TRUE(box == c.expected) << c.what << ": " << box.left << ", " << box.top << ", " << box.right << ", "
                                       << box.bottom;
    }
}

} // namespace
