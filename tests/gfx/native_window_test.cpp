#include "gfx/native_window.h"

#include "app/com_exception.h"
#include "support/win/error_box_capture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

using namespace TestSupport;

namespace {

// A hidden plain window: no map and unmap under Wine, so these tests stay fast.
class PlainWindow : public Gfx::NativeWindow {
public:
    ~PlainWindow() override
    {
        if (deleted)
            ++*deleted;
    }

    void open(DWORD ex_style = 0) { create(120, ex_style, L"plain", WS_OVERLAPPEDWINDOW, 0, 0, 80, nullptr); }

    int* deleted = nullptr;
    bool fail_on_create = false;
    UINT throw_on = 0;
    std::vector<UINT> seen;

protected:
    LRESULT handle_message(UINT message, WPARAM wparam, LPARAM lparam) override
    {
        seen.push_back(message);
        if (message == WM_CREATE && fail_on_create)
            return -1;
        if (message == throw_on && throw_on)
            throw std::runtime_error("handler failed");
        return DefWindowProcW(m_hwnd, message, wparam, lparam);
    }
    void describe_class(WNDCLASSEXW& description) override { description.lpszClassName = L"TvseTestPlainWindow"; }
};

std::vector<Gfx::NativeWindow*> ring()
{
    std::vector<Gfx::NativeWindow*> windows;
    if (Gfx::NativeWindow* head = Gfx::NativeWindow::ring_head()) {
        Gfx::NativeWindow* w = head;
        do {
            windows.push_back(w);
            w = w->ring_next();
        } while (w != head && windows.size() < 100);
    }
    return windows;
}

bool topmost(HWND hwnd)
{
    return (GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

} // namespace

TEST(NativeWindowTest, RingKeepsCreationOrderAndSurvivesRemovals)
{
    ASSERT_TRUE(ring().empty());
    auto* a = new PlainWindow;
    auto* b = new PlainWindow;
    auto* c = new PlainWindow;
    EXPECT_EQ(ring(), (std::vector<Gfx::NativeWindow*>{a, b, c}));
    delete b;
    EXPECT_EQ(ring(), (std::vector<Gfx::NativeWindow*>{a, c}));
    delete a; // the head: its successor takes over
    EXPECT_EQ(ring(), std::vector<Gfx::NativeWindow*>{c});
    delete c;
    EXPECT_EQ(Gfx::NativeWindow::ring_head(), nullptr);
}

TEST(NativeWindowTest, ClientSizeIsAdjustedForTheFrame)
{
    auto* window = new PlainWindow;
    window->open();
    RECT client;
    GetClientRect(window->hwnd(), &client);
    EXPECT_EQ(client.right, 120);
    EXPECT_EQ(client.bottom, 80);
    delete window;
}

TEST(NativeWindowTest, ObjectIsDeletedAfterItsLastMessage)
{
    int deleted = 0;
    auto* window = new PlainWindow;
    window->deleted = &deleted;
    window->open();
    Gfx::WindowLink<PlainWindow> link(window);
    EXPECT_EQ(link.get(), window);
    HWND hwnd = window->hwnd();
    DestroyWindow(hwnd);
    EXPECT_EQ(deleted, 1);
    EXPECT_TRUE(ring().empty());
    EXPECT_EQ(link.get(), nullptr) << "whoever opened it does not keep a dangling pointer";
}

TEST(NativeWindowTest, DeletingALiveWindowDestroysItWithoutReachingTheObject)
{
    auto* window = new PlainWindow;
    window->open();
    HWND hwnd = window->hwnd();
    delete window;
    EXPECT_FALSE(IsWindow(hwnd));
}

TEST(NativeWindowTest, AFailingMessageShowsTheBoxAndTheWindowStays)
{
    ErrorBoxCapture capture;
    auto* window = new PlainWindow;
    window->open();
    window->throw_on = WM_APP;
    EXPECT_EQ(SendMessageW(window->hwnd(), WM_APP, 0, 0), 0); // the default handling's answer
    ASSERT_EQ(capture.boxes.size(), 1u);
    EXPECT_EQ(capture.boxes[0].owner, window->hwnd());
    EXPECT_EQ(capture.boxes[0].text, "TVSE has encountered an exception.\nThe cause is: handler failed.");
    EXPECT_TRUE(IsWindow(window->hwnd()));
    delete window;
}

TEST(NativeWindowTest, AFailureInTheLastMessageStillDeletesTheObject)
{
    ErrorBoxCapture capture;
    int deleted = 0;
    auto* window = new PlainWindow;
    window->deleted = &deleted;
    window->open();
    window->throw_on = WM_NCDESTROY;
    DestroyWindow(window->hwnd());
    EXPECT_EQ(capture.boxes.size(), 1u);
    EXPECT_EQ(deleted, 1);
    EXPECT_TRUE(ring().empty());
}

TEST(NativeWindowTest, FailedCreationRaisesAndLeavesTheObjectToTheCaller)
{
    int deleted = 0;
    auto* window = new PlainWindow;
    window->deleted = &deleted;
    window->fail_on_create = true;
    try {
        window->open();
        FAIL() << "no exception";
    } catch (const App::COMException& failure) {
        EXPECT_STREQ(failure.call_name(), "CreateWindowEx");
    }
    EXPECT_EQ(deleted, 0);
    EXPECT_EQ(window->hwnd(), nullptr);
    delete window;
    EXPECT_EQ(deleted, 1);
}

TEST(NativeWindowTest, TopmostWindowsLeaveTheBandWhileTheProgramIsInactive)
{
    auto* tool = new PlainWindow;
    tool->open(WS_EX_TOPMOST);
    auto* other = new PlainWindow;
    other->open();
    ASSERT_TRUE(topmost(tool->hwnd()));

    SendMessageW(other->hwnd(), WM_NCACTIVATE, FALSE, 0);
    EXPECT_FALSE(topmost(tool->hwnd()));
    EXPECT_FALSE(topmost(other->hwnd()));
    SendMessageW(other->hwnd(), WM_NCACTIVATE, TRUE, 0);
    EXPECT_TRUE(topmost(tool->hwnd()));
    EXPECT_FALSE(topmost(other->hwnd())); // never was topmost, is not made so
    // The message itself still reaches the handler.
    EXPECT_EQ(std::count(other->seen.begin(), other->seen.end(), UINT(WM_NCACTIVATE)), 2);
    delete tool;
    delete other;
}
