#include "app/message_loop.h"
#include "app/mouse_entry_tracker.h"

#include "support/win/message_pump.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Event {
    HWND hwnd;
    UINT message;
    bool operator==(const Event& other) const { return hwnd == other.hwnd && message == other.message; }
};

std::vector<Event> g_events;

LRESULT CALLBACK recording_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case App::message_mouse_entered:
    case App::message_mouse_left:
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE:
    case WM_LBUTTONDOWN:
        g_events.push_back({hwnd, message});
        return 0;
    default:
        return DefWindowProcW(hwnd, message, wparam, lparam);
    }
}

// Plain windows: the loop's tracking does not depend on the program's window classes.
class RecordingWindows {
public:
    RecordingWindows()
    {
        // Windows that appear under the cursor get mouse moves of their own.
        SetCursorPos(1279, 1023);
        WNDCLASSEXW description{};
        description.cbSize = sizeof(description);
        description.lpfnWndProc = recording_procedure;
        description.hInstance = GetModuleHandleW(nullptr);
        description.lpszClassName = L"LoopTestWindow";
        description.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        RegisterClassExW(&description);
        first = make(L"first", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, nullptr);
        second = make(L"second", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 400, nullptr);
        child = CreateWindowExW(0, L"LoopTestWindow", L"child", WS_CHILD | WS_VISIBLE, 10, 10, 100, 100, first,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
        TestSupport::pump_pending();
        g_events.clear();
    }
    ~RecordingWindows()
    {
        DestroyWindow(first);
        DestroyWindow(second);
        TestSupport::pump_pending();
    }

    HWND first;
    HWND second;
    HWND child;

private:
    static HWND make(const wchar_t* title, DWORD style, int x, HWND parent)
    {
        return CreateWindowExW(0, L"LoopTestWindow", title, style, x, 0, 300, 300, parent, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    }
};

// Runs the real loop on what is queued, then ends it.
int run_loop_on_queue()
{
    PostQuitMessage(0);
    return App::run_message_loop();
}

constexpr UINT entered = App::message_mouse_entered;
constexpr UINT left = App::message_mouse_left;

} // namespace

TEST(MessageLoopTest, MouseEntryIsSentOncePerChangeOfTopLevelWindow)
{
    RecordingWindows w;
    auto post = [](HWND hwnd, UINT message) { PostMessageW(hwnd, message, 0, MAKELPARAM(5, 5)); };
    post(w.first, WM_MOUSEMOVE);
    post(w.first, WM_MOUSEMOVE);
    post(w.child, WM_MOUSEMOVE);       // same top-level window: nothing sent
    post(w.second, WM_LBUTTONDOWN);    // not a move: nothing sent
    post(w.second, WM_MOUSEMOVE);
    post(w.second, WM_NCMOUSEMOVE);
    post(w.first, WM_NCMOUSEMOVE);
    post(w.child, WM_MOUSEMOVE);

    EXPECT_EQ(run_loop_on_queue(), 0);

    const std::vector<Event> expected = {
        {w.first, entered},       {w.first, WM_MOUSEMOVE},  {w.first, WM_MOUSEMOVE},
        {w.child, WM_MOUSEMOVE},  {w.second, WM_LBUTTONDOWN}, {w.first, left},
        {w.second, entered},      {w.second, WM_MOUSEMOVE}, {w.second, WM_NCMOUSEMOVE},
        {w.second, left},         {w.first, entered},       {w.first, WM_NCMOUSEMOVE},
        {w.child, WM_MOUSEMOVE},
    };
    EXPECT_EQ(g_events, expected);
}

TEST(MessageLoopTest, TrackerFollowsTheRootOfTheWindowUnderTheMouse)
{
    RecordingWindows w;
    App::MouseEntryTracker tracker;
    MSG move{};
    move.message = WM_MOUSEMOVE;
    move.hwnd = w.child;
    tracker.on_message(move);
    EXPECT_EQ(tracker.tracked(), w.first);
    move.message = WM_KEYDOWN;
    move.hwnd = w.second;
    tracker.on_message(move);
    EXPECT_EQ(tracker.tracked(), w.first);
    const std::vector<Event> expected = {{w.first, entered}};
    EXPECT_EQ(g_events, expected);
}

namespace {

// Moves the real cursor step by step from the loop's own timer; a step is done when
// the expected window has been told of the entry (or, with no window, when another
// move arrived). A step that never comes ends the loop at the deadline.
struct CursorScript {
    struct Step {
        POINT screen;
        HWND entered_window;
        size_t entries_needed;
    };
    std::vector<Step> steps;
    size_t step = 0;
    size_t moves_at_step = 0;
    ULONGLONG deadline = 0;

    static size_t count(UINT message, HWND hwnd)
    {
        size_t n = 0;
        for (const Event& e : g_events)
            n += e.message == message && (!hwnd || e.hwnd == hwnd);
        return n;
    }

    void begin()
    {
        deadline = GetTickCount64() + 5000;
        SetCursorPos(steps[0].screen.x, steps[0].screen.y);
    }

    void tick()
    {
        const Step& current = steps[step];
        size_t moves = count(WM_MOUSEMOVE, nullptr);
        bool reached = current.entered_window ? count(entered, current.entered_window) >= current.entries_needed
                                              : moves > moves_at_step;
        if (reached) {
            moves_at_step = moves;
            if (++step == steps.size()) {
                PostQuitMessage(0);
                return;
            }
            SetCursorPos(steps[step].screen.x, steps[step].screen.y);
        } else if (GetTickCount64() > deadline) {
            PostQuitMessage(0);
        }
    }
};

CursorScript g_script;

POINT centre_of(HWND hwnd)
{
    RECT rect;
    GetWindowRect(hwnd, &rect);
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

} // namespace

TEST(MessageLoopTest, RealMouseMovesBetweenTwoWindows)
{
    RecordingWindows w;
    SetWindowPos(w.first, HWND_TOPMOST, 0, 0, 300, 300, SWP_NOACTIVATE);
    SetWindowPos(w.second, HWND_TOPMOST, 400, 0, 300, 300, SWP_NOACTIVATE);
    TestSupport::pump_pending();
    g_events.clear();

    POINT in_first = centre_of(w.first);
    POINT in_second = centre_of(w.second);
    g_script.steps = {{in_first, w.first, 1},
                      {{in_first.x + 3, in_first.y + 2}, nullptr, 0},
                      {in_second, w.second, 1},
                      {in_first, w.first, 2}};
    g_script.begin();
    UINT_PTR timer = SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR, DWORD) { g_script.tick(); });
    App::run_message_loop();
    KillTimer(nullptr, timer);
    SetCursorPos(1279, 1023);

    ASSERT_EQ(g_script.step, g_script.steps.size()) << "stuck at step " << g_script.step;
    std::vector<Event> entries;
    for (const Event& e : g_events) {
        if (e.message == entered || e.message == left)
            entries.push_back(e);
    }
    const std::vector<Event> expected = {
        {w.first, entered}, {w.first, left}, {w.second, entered}, {w.second, left}, {w.first, entered}};
    EXPECT_EQ(entries, expected);
}

namespace {

struct ApcRecord {
    DWORD thread = 0;
    HANDLE done = nullptr;
};

void CALLBACK record_apc(ULONG_PTR parameter)
{
    auto* record = reinterpret_cast<ApcRecord*>(parameter);
    record->thread = GetCurrentThreadId();
    SetEvent(record->done);
    PostQuitMessage(0);
}

struct Queuer {
    HANDLE ui_thread;
    DWORD ui_thread_id;
    ApcRecord* record;
};

DWORD WINAPI queue_from_other_thread(void* parameter)
{
    auto* queuer = static_cast<Queuer*>(parameter);
    QueueUserAPC(record_apc, queuer->ui_thread, reinterpret_cast<ULONG_PTR>(queuer->record));
    // Watchdog: if the call never runs, end the loop so that the test fails, not hangs.
    if (WaitForSingleObject(queuer->record->done, 5000) != WAIT_OBJECT_0)
        PostThreadMessageW(queuer->ui_thread_id, WM_QUIT, 0, 0);
    return 0;
}

} // namespace

TEST(MessageLoopTest, ProcedureCallFromAnotherThreadRunsWhileTheLoopIsIdle)
{
    TestSupport::pump_pending();
    ApcRecord record;
    record.done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    Queuer queuer{nullptr, GetCurrentThreadId(), &record};
    DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &queuer.ui_thread, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
    HANDLE worker = CreateThread(nullptr, 0, queue_from_other_thread, &queuer, 0, nullptr);

    EXPECT_EQ(App::run_message_loop(), 0);
    EXPECT_EQ(record.thread, GetCurrentThreadId());

    WaitForSingleObject(worker, 10000);
    CloseHandle(worker);
    CloseHandle(queuer.ui_thread);
    CloseHandle(record.done);
}

namespace {

constexpr UINT message_probe = WM_APP + 7;

LRESULT CALLBACK probed_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == message_probe) {
        PostQuitMessage(0);
        return static_cast<LRESULT>(GetCurrentThreadId());
    }
    return DefWindowProcW(hwnd, message, wparam, lparam);
}

struct Prober {
    HWND window;
    DWORD ui_thread_id;
    bool answered = false;
    DWORD answering_thread = 0;
};

DWORD WINAPI send_from_other_thread(void* parameter)
{
    auto* prober = static_cast<Prober*>(parameter);
    // Long enough for the loop to be waiting with nothing else to do.
    Sleep(300);
    DWORD_PTR result = 0;
    prober->answered = SendMessageTimeoutW(prober->window, message_probe, 0, 0, SMTO_BLOCK, 5000, &result) != 0;
    prober->answering_thread = static_cast<DWORD>(result);
    // Watchdog: a message left unanswered must fail the test, not hang it.
    if (!prober->answered)
        PostThreadMessageW(prober->ui_thread_id, WM_QUIT, 0, 0);
    return 0;
}

} // namespace

// Screen readers, automation and other threads send to the editor's windows: the idle
// loop must wake for them, not leave the sender blocked until some input arrives.
TEST(MessageLoopTest, AMessageSentFromAnotherThreadIsAnsweredWhileTheLoopIsIdle)
{
    WNDCLASSEXW description{};
    description.cbSize = sizeof(description);
    description.lpfnWndProc = probed_procedure;
    description.hInstance = GetModuleHandleW(nullptr);
    description.lpszClassName = L"LoopProbeWindow";
    RegisterClassExW(&description);
    HWND window = CreateWindowExW(0, L"LoopProbeWindow", L"probe", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    TestSupport::pump_pending();
    Prober prober{window, GetCurrentThreadId()};
    HANDLE worker = CreateThread(nullptr, 0, send_from_other_thread, &prober, 0, nullptr);

    const DWORD started = GetTickCount();
    EXPECT_EQ(App::run_message_loop(), 0);
    WaitForSingleObject(worker, 10000);
    CloseHandle(worker);
    DestroyWindow(window);
    EXPECT_TRUE(prober.answered);
    EXPECT_EQ(prober.answering_thread, GetCurrentThreadId());
    EXPECT_LT(GetTickCount() - started, 4000u) << "answered only when something else woke the loop";
}

TEST(MessageLoopTest, ProcedureCallQueuedToItselfRunsBetweenMessages)
{
    ApcRecord record;
    record.done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    // The way the property grid defers work to after the current message.
    QueueUserAPC(record_apc, GetCurrentThread(), reinterpret_cast<ULONG_PTR>(&record));
    EXPECT_EQ(App::run_message_loop(), 0);
    EXPECT_EQ(record.thread, GetCurrentThreadId());
    CloseHandle(record.done);
}

TEST(MessageLoopTest, QuitEndsTheLoopWithZeroWhateverItsCode)
{
    PostQuitMessage(7);
    EXPECT_EQ(App::run_message_loop(), 0);
}
