#include "gfx/dip_conversion.h"
#include "gfx/top_level_window.h"

#include "support/win/error_box_capture.h"
#include "support/win/message_pump.h"
#include "support/win/test_elements.h"
#include "support/win/test_window.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace TestSupport;

namespace {

SIZE client_size(HWND hwnd)
{
    RECT rect{};
    GetClientRect(hwnd, &rect);
    return {rect.right, rect.bottom};
}

bool has_update_region(HWND hwnd)
{
    return GetUpdateRect(hwnd, nullptr, FALSE) != FALSE;
}

class TopLevelWindowTest : public testing::Test {
protected:
    void SetUp() override
    {
        // Away from where the windows open: their own mouse moves would change the hover.
        SetCursorPos(1279, 1023);
        ASSERT_EQ(Gfx::TopLevelWindow::open_window_count(), 0);
    }
};

} // namespace

TEST(DipConversionTest, PixelsCoverTheDipsRoundedUp)
{
    struct Case {
        float dips, dpi;
        int pixels;
    };
    const Case cases[] = {
        {800, 96, 800}, {800, 144, 1200}, {600, 144, 900}, {100, 120, 125},
        {100.25f, 96, 101}, {0.1f, 96, 1}, {0, 144, 0}, {-5, 96, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Gfx::pixels_from_dips(c.dips, c.dpi), c.pixels) << c.dips << " at " << c.dpi;
    EXPECT_FLOAT_EQ(Gfx::dips_from_pixels(1200, 144), 800);
    EXPECT_FLOAT_EQ(Gfx::dips_from_pixels(301, 96), 301);
}

TEST_F(TopLevelWindowTest, OpensWithItsClientAreaInDipsAndPaintsOnce)
{
    OpenedWindow window(new TestWindow, 400, 300, L"opened");
    HWND hwnd = window.hwnd();
    SIZE size = client_size(hwnd);
    EXPECT_EQ(size.cx, 400);
    EXPECT_EQ(size.cy, 300);
    EXPECT_EQ(window->width(), 400);
    EXPECT_EQ(window->height(), 300);
    EXPECT_TRUE(IsWindowVisible(hwnd));
    EXPECT_EQ(GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_OVERLAPPEDWINDOW, WS_OVERLAPPEDWINDOW);
    wchar_t class_name[64];
    GetClassNameW(hwnd, class_name, 64);
    EXPECT_STREQ(class_name, L"TarvokDirect2DUITopLevel");
    EXPECT_EQ(Gfx::TopLevelWindow::open_window_count(), 1);

    // Shown and painted at once; an idle window is not painted again.
    EXPECT_EQ(window->paint_count, 1);
    EXPECT_FALSE(has_update_region(hwnd));
    pump_pending();
    EXPECT_EQ(window->paint_count, 1);
}

TEST_F(TopLevelWindowTest, At144DpiTheClientAreaAndMousePositionsAreScaled)
{
    auto* test_window = new TestWindow;
    test_window->forced_dpi = 144;
    OpenedWindow window(test_window, 800, 600);
    SIZE size = client_size(window.hwnd());
    EXPECT_EQ(size.cx, 1200);
    EXPECT_EQ(size.cy, 900);
    EXPECT_FLOAT_EQ(window->width(), 800);
    EXPECT_FLOAT_EQ(window->height(), 600);

    auto* leaf = window->insert(std::make_unique<TestLeaf>(199.0f, 99.0f, 2.0f, 2.0f), nullptr);
    send_mouse(window.hwnd(), WM_MOUSEMOVE, 0, 300, 150);
    EXPECT_EQ(window->hovered(), leaf);
    EXPECT_FLOAT_EQ(leaf->last_point.x, 1);
    EXPECT_FLOAT_EQ(leaf->last_point.y, 1);
}

TEST_F(TopLevelWindowTest, InvalidatingWhileDrawingPaintsAgain)
{
    auto* test_window = new TestWindow;
    test_window->on_draw = [](TestWindow& w) {
        if (w.paint_count < 3)
            w.invalidate(); // as an animation does
    };
    OpenedWindow window(test_window);
    EXPECT_TRUE(pump_until([&] { return window->paint_count >= 3; }));
    EXPECT_FALSE(has_update_region(window.hwnd()));
    pump_pending();
    EXPECT_EQ(window->paint_count, 3);
}

TEST_F(TopLevelWindowTest, AFailureWhileDrawingShowsTheWindowBoxAndTheWindowPaintsAgain)
{
    ErrorBoxCapture capture;
    auto* test_window = new TestWindow;
    test_window->on_draw = [](TestWindow& w) {
        if (w.paint_count == 1)
            throw std::runtime_error("draw failed");
    };
    OpenedWindow window(test_window);
    ASSERT_EQ(capture.boxes.size(), 1u);
    EXPECT_EQ(capture.boxes[0].owner, window.hwnd());
    EXPECT_EQ(capture.boxes[0].text, "TVSE has encountered an exception.\nThe cause is: draw failed.");
    EXPECT_TRUE(IsWindow(window.hwnd()));
    EXPECT_FALSE(has_update_region(window.hwnd())); // the default handling validated it

    // The failed paint still ended its drawing: the next one works.
    window->invalidate();
    UpdateWindow(window.hwnd());
    EXPECT_EQ(window->paint_count, 2);
    EXPECT_EQ(capture.boxes.size(), 1u);
}

TEST_F(TopLevelWindowTest, APaintThatKeepsFailingOpensOneBox)
{
    ErrorBoxCapture capture;
    // A real box runs a modal loop, which dispatches the window's next paint.
    capture.while_open = [] { pump_pending(); };
    auto* test_window = new TestWindow;
    test_window->on_draw = [](TestWindow&) { throw std::runtime_error("always"); };
    OpenedWindow window(test_window);
    pump_pending();
    EXPECT_EQ(capture.boxes.size(), 1u);
    EXPECT_GE(window->paint_count, 1);
}

TEST_F(TopLevelWindowTest, ClosingTheLastWindowPostsQuitAndClosingOneOfTwoDoesNot)
{
    bool first_deleted = false;
    bool second_deleted = false;
    auto* first = new TestWindow;
    first->destroyed = &first_deleted;
    auto* second = new TestWindow;
    second->destroyed = &second_deleted;
    OpenedWindow a(first);
    OpenedWindow b(second);
    EXPECT_EQ(Gfx::TopLevelWindow::open_window_count(), 2);

    SendMessageW(a.hwnd(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(a.hwnd()));
    EXPECT_TRUE(first_deleted); // after its last message
    EXPECT_EQ(Gfx::TopLevelWindow::open_window_count(), 1);
    EXPECT_FALSE(take_quit_message());

    DestroyWindow(b.hwnd());
    EXPECT_TRUE(second_deleted);
    EXPECT_EQ(Gfx::TopLevelWindow::open_window_count(), 0);
    WPARAM code = 99;
    EXPECT_TRUE(take_quit_message(&code));
    EXPECT_EQ(code, 0u);
}

TEST_F(TopLevelWindowTest, DeletingAnOpenWindowDestroysItAndCountsItOut)
{
    auto* window = new TestWindow;
    window->open(L"deleted", 200, 100);
    HWND hwnd = window->hwnd();
    delete window;
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(Gfx::TopLevelWindow::open_window_count(), 0);
    EXPECT_TRUE(take_quit_message());
}

TEST_F(TopLevelWindowTest, WindowsThatNeverOpenedAreNotCounted)
{
    delete new TestWindow;
    EXPECT_EQ(Gfx::TopLevelWindow::open_window_count(), 0);
    EXPECT_FALSE(take_quit_message());
}

TEST_F(TopLevelWindowTest, SetBoundsResizesTheClientAreaAndPaintingGoesOn)
{
    ErrorBoxCapture capture;
    OpenedWindow window(new TestWindow, 400, 300);
    window->set_bounds(50, 60, 500, 350); // the position is not the window's to change
    SIZE size = client_size(window.hwnd());
    EXPECT_EQ(size.cx, 500);
    EXPECT_EQ(size.cy, 350);
    EXPECT_FLOAT_EQ(window->width(), 500);
    EXPECT_FLOAT_EQ(window->height(), 350);

    // The resize asked for a repaint on the recreated render target.
    EXPECT_TRUE(pump_until([&] { return window->paint_count >= 2; }));
    EXPECT_TRUE(capture.boxes.empty());
}

TEST_F(TopLevelWindowTest, MovingTheWindowChecksItsMonitorAndLaysItOutAgain)
{
    ErrorBoxCapture capture;
    OpenedWindow window(new TestWindow, 300, 200);
    int resized = window->resized_count;
    SetWindowPos(window.hwnd(), nullptr, 40, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(window->resized_count, resized + 1);
    EXPECT_FLOAT_EQ(window->width(), 300); // a move keeps the size
    // A move onto the same monitor rebuilds nothing: painting goes on as before.
    window->invalidate();
    UpdateWindow(window.hwnd());
    EXPECT_EQ(window->paint_count, 2);
    EXPECT_TRUE(capture.boxes.empty());
}

TEST_F(TopLevelWindowTest, ShrinkingToNothingAndBackKeepsPainting)
{
    ErrorBoxCapture capture;
    OpenedWindow window(new TestWindow, 300, 200);
    // The frame keeps a minimum size; the client area is what becomes empty.
    SetWindowPos(window.hwnd(), nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SIZE empty = client_size(window.hwnd());
    ASSERT_TRUE(empty.cx == 0 || empty.cy == 0);
    EXPECT_FLOAT_EQ(window->width(), float(empty.cx));
    EXPECT_FLOAT_EQ(window->height(), float(empty.cy));
    window->set_bounds(0, 0, 320, 240);
    window->invalidate();
    UpdateWindow(window.hwnd());
    EXPECT_TRUE(capture.boxes.empty()) << capture.boxes[0].text;
    EXPECT_FLOAT_EQ(window->width(), 320);
    EXPECT_GE(window->paint_count, 2);
}

TEST_F(TopLevelWindowTest, WithoutADirect2DFactoryNothingIsDrawnAndNoPaintIsLeftPending)
{
    Gfx::GraphicsContext empty;
    OpenedWindow window(new TestWindow(&empty), 200, 100);
    EXPECT_EQ(window->paint_count, 0);
    EXPECT_FALSE(has_update_region(window.hwnd()));
    // Pixels are taken as DIPs.
    EXPECT_EQ(client_size(window.hwnd()).cx, 200);
}

TEST_F(TopLevelWindowTest, SetBoundsBeforeOpeningOnlyStoresTheSize)
{
    TestWindow window;
    window.set_bounds(0, 0, 123, -4);
    EXPECT_FLOAT_EQ(window.width(), 123);
    EXPECT_FLOAT_EQ(window.height(), 0);
}
