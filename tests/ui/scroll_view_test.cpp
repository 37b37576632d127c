#include "ui/scroll_view.h"

#include "app/d2d_calls.h"

#include "support/win/message_pump.h"
#include "support/win/test_elements.h"
#include "support/win/test_graphics.h"
#include "support/win/test_window.h"
#include "ui/offscreen_target.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace TestSupport;
using Ui::HitResult;
using Ui::ScrollView;
using Ui::ScrollViewBar;

namespace {

// Fills its rectangle, so that drawing tests can see the content and its clip.
class Filler : public Ui::Element {
public:
    Filler(float x, float y, float width, float height) { set_bounds(x, y, width, height); }
    void draw(ID2D1RenderTarget* target) override
    {
        auto brush = App::create_solid_color_brush(target, D2D1::ColorF(1.0f, 0.0f, 0.0f, 1.0f));
        target->FillRectangle(D2D1::RectF(0, 0, m_width, m_height), brush.Get());
    }
};

// A root with a recording group; in it a 200 x 300 view at (20, 30) whose content is
// `content_height` tall.
struct ViewFixture {
    explicit ViewFixture(double content_height = 1200)
    {
        outer = root.insert(std::make_unique<TestGroup>(0.0f, 0.0f, 1000.0f, 1000.0f), nullptr);
        outer->scrolls = true;
        view = outer->insert(std::make_unique<ScrollView>(), nullptr);
        view->set_bounds(20.0f, 30.0f, 200.0f, 300.0f);
        content = view->insert(std::make_unique<TestLeaf>(0.0f, 0.0f, 200.0f, 50.0f, "content"), view->last_child());
        view->set_extent(view->horizontal_bar(), 200.0);
        view->set_extent(view->vertical_bar(), content_height);
    }
    ScrollViewBar& vbar() const { return view->vertical_bar(); }
    ScrollViewBar& hbar() const { return view->horizontal_bar(); }
    // The point of the view's parent that shows the view's (0, 0) at the moment.
    float content_top() const { return view->transform().dy; }

    TestRoot root;
    TestGroup* outer;
    ScrollView* view;
    TestLeaf* content;
};

} // namespace

TEST(ScrollView, TheBarsAreTheFrontChildrenHorizontalFirst)
{
    ViewFixture f;
    ASSERT_EQ(f.view->child_count(), 3u);
    EXPECT_EQ(f.view->child(0), &f.hbar());
    EXPECT_EQ(f.view->child(1), &f.vbar());
    EXPECT_EQ(f.view->child(2), f.content);
    EXPECT_EQ(f.hbar().axis().x, 1.0f);
    EXPECT_EQ(f.vbar().axis().y, 1.0f);
    // Placed 6 DIPs in from the bottom and the right edge, with the view's lengths.
    EXPECT_EQ(f.hbar().transform().dy, 294.0f);
    EXPECT_EQ(f.vbar().transform().dx, 194.0f);
    EXPECT_EQ(f.hbar().viewport(), 200.0f);
    EXPECT_EQ(f.vbar().viewport(), 300.0f);
    // As wide as the view: no horizontal bar.
    EXPECT_FALSE(f.hbar().visible());
    EXPECT_TRUE(f.vbar().visible());

    // Clearing the view removes the content only.
    f.view->clear_children();
    EXPECT_EQ(f.view->child_count(), 2u);
}

TEST(ScrollView, ShorterContentShowsNoBarAndHandsTheWheelOn)
{
    ViewFixture f(250);
    EXPECT_FALSE(f.vbar().visible());
    EXPECT_FALSE(f.view->is_scrolling());
    f.view->scroll_by(0.0f, 60.0f);
    f.view->scroll_by(-5.0f, 0.0f);
    ASSERT_EQ(f.outer->scrolled.size(), 2u);
    EXPECT_EQ(f.outer->scrolled[0].y, 60.0f);
    EXPECT_EQ(f.outer->scrolled[1].x, -5.0f);
    EXPECT_EQ(f.vbar().position(), 0.0);
    // Transparent as any container: blank parts of the view are not hit.
    EXPECT_EQ(f.view->hit_test(100.0f, 200.0f), HitResult::no);
    EXPECT_EQ(f.view->hit_test(100.0f, 20.0f), HitResult::yes); // the content
}

TEST(ScrollView, ScrollingStopsAtTheEndsAndPassesTheExcessToTheParent)
{
    ViewFixture f; // range 0..900
    struct Step {
        float dx, dy;
        double position;
        bool passed;
        float passed_x, passed_y;
    };
    const Step steps[] = {
        {0, 500, 500, false, 0, 0},   {0, 300, 800, false, 0, 0},
        {0, 300, 900, true, 0, 200},  {0, 60, 900, true, 0, 60},
        {0, -950, 0, true, 0, -50},   {40, 0, 0, true, 40, 0},   // no horizontal range at all
        {10, 20, 20, true, 10, 0},                                // each axis on its own
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(testing::Message() << s.dx << ", " << s.dy);
        f.outer->scrolled.clear();
        f.view->scroll_by(s.dx, s.dy);
        EXPECT_DOUBLE_EQ(f.vbar().position(), s.position);
        EXPECT_FLOAT_EQ(f.content_top(), 30.0f - static_cast<float>(s.position));
        ASSERT_EQ(f.outer->scrolled.size(), s.passed ? 1u : 0u);
        if (s.passed) {
            EXPECT_FLOAT_EQ(f.outer->scrolled[0].x, s.passed_x);
            EXPECT_FLOAT_EQ(f.outer->scrolled[0].y, s.passed_y);
        }
    }
}

TEST(ScrollView, NestedViewsScrollInTurn)
{
    TestRoot root;
    auto* outer = root.insert(std::make_unique<ScrollView>(), nullptr);
    outer->set_bounds(0.0f, 0.0f, 300.0f, 300.0f);
    outer->set_extent(outer->vertical_bar(), 500.0);
    auto* inner = outer->insert(std::make_unique<ScrollView>(), outer->last_child());
    inner->set_bounds(0.0f, 0.0f, 300.0f, 100.0f);
    inner->set_extent(inner->vertical_bar(), 250.0);

    inner->scroll_by(0.0f, 200.0f);
    EXPECT_EQ(inner->vertical_bar().position(), 150.0);
    EXPECT_EQ(outer->vertical_bar().position(), 50.0);
}

TEST(ScrollView, ResizingClampsThePositionAndShrinkingContentHidesTheBar)
{
    ViewFixture f;
    f.view->scroll_by(0.0f, 900.0f);
    f.view->set_bounds(20.0f, 30.0f, 200.0f, 500.0f); // range now 0..700
    EXPECT_EQ(f.vbar().position(), 700.0);
    EXPECT_FLOAT_EQ(f.content_top(), -670.0f);
    f.view->set_extent(f.vbar(), 400.0);
    EXPECT_FALSE(f.vbar().visible());
    EXPECT_EQ(f.vbar().position(), 0.0);
    EXPECT_FLOAT_EQ(f.content_top(), 30.0f);
}

TEST(ScrollViewBar, ThumbGeometryFollowsExtentViewportAndPosition)
{
    struct Case {
        float viewport;
        double extent;
        double position;
        float half;
        float centre; // along the axis, in the bar's coordinates
    };
    const Case cases[] = {
        {300, 1200, 0, 36.5f, 40.5f},
        // At the end the thumb (shifted back by the position) ends 4 DIPs before the end.
        {300, 1200, 900, 36.5f, static_cast<float>((292.0 / 1200 + 1) * 900 + 40.5)},
        {300, 100000, 0, 4.0f, 8.0f}, // never shorter than 8
    };
    for (const Case& c : cases) {
        ViewFixture f(c.extent);
        f.view->set_bounds(20.0f, 30.0f, 200.0f, c.viewport);
        f.view->scroll_by(0.0f, static_cast<float>(c.position));
        EXPECT_FLOAT_EQ(f.vbar().thumb_half(), c.half) << c.extent;
        EXPECT_FLOAT_EQ(f.vbar().thumb_centre().y, c.centre) << c.extent;
        EXPECT_EQ(f.vbar().thumb_centre().x, 0.0f);
        EXPECT_FLOAT_EQ(f.vbar().units_per_dip(), static_cast<float>(c.extent / (c.viewport - 8)));
        float shown_end = f.vbar().thumb_centre().y + f.vbar().thumb_half() - static_cast<float>(c.position);
        EXPECT_LE(shown_end, c.viewport - 4.0f + 1e-3f);
    }
}

TEST(ScrollViewBar, AViewShorterThanTheTrackMarginsHasFiniteGeometry)
{
    ViewFixture f;
    f.view->set_bounds(20.0f, 30.0f, 200.0f, 6.0f);
    EXPECT_TRUE(f.vbar().visible());
    EXPECT_TRUE(std::isfinite(f.vbar().thumb_centre().y));
    EXPECT_EQ(f.vbar().units_per_dip(), 0.0f);
    auto tracker = f.vbar().begin_drag(0.0f, 0.0f, Ui::MouseButton::left);
    tracker->drag_to(0.0f, 0.0f);
    tracker->drag_to(0.0f, 50.0f);
    EXPECT_EQ(f.vbar().position(), 0.0);
    // Non-finite scroll amounts are refused rather than stored.
    f.view->scroll_by(0.0f, std::nanf(""));
    EXPECT_EQ(f.vbar().position(), 0.0);
}

TEST(ScrollViewBar, HitOnlyNearTheThumbWhileVisible)
{
    ViewFixture f;
    ScrollViewBar& bar = f.vbar(); // thumb from 4 to 77 along y, at x = 0
    struct Case {
        float x, y;
        HitResult expected;
    };
    const Case cases[] = {
        {0, 40.5f, HitResult::yes}, {4, 40.5f, HitResult::yes},  {-4, 10, HitResult::yes},
        {4.5f, 40.5f, HitResult::no}, {0, 0.5f, HitResult::yes}, // round end
        {0, -0.5f, HitResult::no},  {0, 81, HitResult::yes},     {0, 81.5f, HitResult::no},
        {3, 80, HitResult::no}, // beyond the end, off the round cap
    };
    for (const Case& c : cases)
        EXPECT_EQ(bar.hit_test(c.x, c.y), c.expected) << c.x << ", " << c.y;
    EXPECT_EQ(bar.element_at(0, 40), &bar);
    EXPECT_EQ(f.hbar().hit_test(4.0f, 0.0f), HitResult::no); // hidden

    // In front of the content: the thumb over the content is the bar.
    f.content->set_bounds(0.0f, 0.0f, 200.0f, 1200.0f);
    EXPECT_EQ(f.view->element_at(194.0f, 40.0f), &bar);
    EXPECT_EQ(f.view->element_at(100.0f, 40.0f), f.content);
}

TEST(ScrollView, OpaqueWhileScrollingAndHoveredItselfWhereNothingIs)
{
    ViewFixture f;
    f.view->scroll_by(0.0f, 100.0f);
    // Local coordinates include the shift: the visible area is y 100..400.
    EXPECT_EQ(f.view->hit_test(100.0f, 350.0f), HitResult::yes);
    EXPECT_EQ(f.view->hit_test(100.0f, 99.0f), HitResult::no);
    EXPECT_EQ(f.view->hit_test(100.0f, 400.0f), HitResult::no);
    EXPECT_EQ(f.view->element_at(100.0f, 350.0f), f.view);
    // Through the parent: its point (50, 200) shows content y 270.
    EXPECT_EQ(f.outer->element_at(50.0f, 200.0f), f.view);
    EXPECT_EQ(f.outer->element_at(50.0f, 20.0f), nullptr); // above the view
}

TEST(ScrollViewBar, ThumbDragKeepsTheExcessAsRemainder)
{
    ViewFixture f; // 300 of 1200: 1200 / 292 units per DIP, range 0..900
    const double units = 1200.0 / 292.0;
    EXPECT_EQ(f.vbar().begin_drag(0.0f, 40.0f, Ui::MouseButton::middle), nullptr);
    EXPECT_EQ(f.vbar().begin_drag(0.0f, 40.0f, Ui::MouseButton::right), nullptr);
    auto tracker = f.vbar().begin_drag(0.0f, 40.0f, Ui::MouseButton::left);
    ASSERT_TRUE(tracker);
    EXPECT_EQ(tracker->element(), &f.vbar());

    struct Step {
        float pointer; // offset from the press point
        double position;
    };
    const Step steps[] = {
        {0, 0},
        {100, 100 * units},
        {300, 900},           // past the end: the excess is kept
        {250, 900},           // still past the end
        {219, 900},           // 219 DIPs are 899.99 units: still (just) past the end
        {150, 150 * units},   // back in range exactly where the pointer is
        {-50, 0},             // 50 DIPs of excess before the start
        {-20, 0},
        {20, 20 * units},
    };
    for (const Step& s : steps) {
        EXPECT_EQ(tracker->drag_to(5.0f, s.pointer), Ui::CursorKind::hand);
        EXPECT_NEAR(f.vbar().position(), s.position, 1e-3) << "pointer at " << s.pointer;
    }
}

TEST(ScrollView, ContentMovesByWholeDips)
{
    ViewFixture f;
    auto tracker = f.vbar().begin_drag(0.0f, 40.0f, Ui::MouseButton::left);
    tracker->drag_to(0.0f, 0.0f);
    tracker->drag_to(0.0f, 2.5f); // 10.27 units
    double position = f.vbar().position();
    ASSERT_GT(position - std::floor(position), 0.0);
    EXPECT_EQ(f.content_top(), 30.0f - static_cast<float>(std::floor(position)));
    D2D1_POINT_2F shown = root_point(*f.content, 0.0f, 0.0f);
    EXPECT_EQ(shown.y, 20.0f);
    EXPECT_EQ(shown.x, 20.0f);
}

TEST(ScrollView, DrawsTheBarsOnlyWhileHoveredAndClipsWhileScrolling)
{
    ViewFixture f;
    f.content->set_bounds(0.0f, 0.0f, 200.0f, 2000.0f);
    f.view->remove_child(f.content).reset();
    f.view->insert(std::make_unique<Filler>(0.0f, 0.0f, 150.0f, 2000.0f), f.view->last_child());
    f.view->scroll_by(0.0f, 50.0f);

    OffscreenTarget offscreen(test_graphics(), 300, 400);
    // The thumb's centre line runs at x = 20 + 194 in the parent.
    const UINT thumb_x = 214, thumb_y = 30 + 50;
    offscreen.draw(*f.outer);
    EXPECT_TRUE(offscreen.pixel(thumb_x, thumb_y).close_to({255, 255, 255}, 2)) << offscreen.pixel(thumb_x, thumb_y);
    EXPECT_TRUE(offscreen.pixel(100, 200).close_to({255, 0, 0}, 2));
    // Clipped to the view: nothing above or below it.
    EXPECT_TRUE(offscreen.pixel(100, 28).close_to({255, 255, 255}, 2)) << offscreen.pixel(100, 28);
    EXPECT_TRUE(offscreen.pixel(100, 332).close_to({255, 255, 255}, 2)) << offscreen.pixel(100, 332);

    f.root.set_hovered(f.view);
    offscreen.draw(*f.outer);
    EXPECT_TRUE(offscreen.pixel(thumb_x, thumb_y).close_to({128, 128, 128}, 6)) << offscreen.pixel(thumb_x, thumb_y);

    // Without a bar shown the content is not clipped.
    f.view->set_extent(f.vbar(), 200.0);
    offscreen.draw(*f.outer);
    EXPECT_TRUE(offscreen.pixel(100, 332).close_to({255, 0, 0}, 2)) << offscreen.pixel(100, 332);
}

namespace {

class ScrollViewWindowTest : public testing::Test {
protected:
    void SetUp() override
    {
        SetCursorPos(1279, 1023);
        window = std::make_unique<OpenedWindow>(new TestWindow, 400, 300);
        view = (*window)->insert(std::make_unique<ScrollView>(), nullptr);
        view->set_bounds(0.0f, 0.0f, 400.0f, 300.0f);
        view->insert(std::make_unique<TestLeaf>(0.0f, 0.0f, 400.0f, 20.0f), view->last_child());
        view->set_extent(view->horizontal_bar(), 400.0);
        view->set_extent(view->vertical_bar(), 1200.0);
    }
    LRESULT mouse(UINT message, WPARAM keys, int x, int y) { return send_mouse(window->hwnd(), message, keys, x, y); }

    std::unique_ptr<OpenedWindow> window;
    ScrollView* view = nullptr;
};

} // namespace

TEST_F(ScrollViewWindowTest, TheWheelAndTheThumbScrollThroughRealMessages)
{
    mouse(WM_MOUSEMOVE, 0, 100, 150);
    EXPECT_EQ((*window)->hovered(), view);
    SendMessageW(window->hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)), 0);
    EXPECT_EQ(view->vertical_bar().position(), 60.0);

    // The thumb, where it is shown: the content (and the bar) are shifted by -60.
    ScrollViewBar& bar = view->vertical_bar();
    int thumb_y = static_cast<int>(bar.thumb_centre().y - 60.0f);
    mouse(WM_MOUSEMOVE, 0, 394, thumb_y);
    EXPECT_EQ((*window)->hovered(), &bar);
    mouse(WM_LBUTTONDOWN, MK_LBUTTON, 394, thumb_y);
    ASSERT_TRUE((*window)->is_dragging());
    // The content moves under the thumb while dragging; the offsets stay the pointer's.
    mouse(WM_MOUSEMOVE, MK_LBUTTON, 394, thumb_y + 20);
    mouse(WM_MOUSEMOVE, MK_LBUTTON, 300, thumb_y + 50);
    EXPECT_NEAR(bar.position(), 60.0 + 50.0 * 1200.0 / 292.0, 1e-3);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));
    mouse(WM_LBUTTONUP, 0, 300, thumb_y + 50);
    EXPECT_FALSE((*window)->is_dragging());

    // Past the end the wheel goes up to the window, which ignores it.
    mouse(WM_MOUSEMOVE, 0, 100, 150);
    SendMessageW(window->hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120 * 20)), 0);
    EXPECT_EQ(bar.position(), 900.0);
}
