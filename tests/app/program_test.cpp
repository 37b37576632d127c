// The real program: it opens its start window and ends with exit code 0 when the
// window is closed.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

std::wstring program_path()
{
    wchar_t own[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, own, MAX_PATH);
    std::wstring path(own, length);
    return path.substr(0, path.find_last_of(L"\\/") + 1) + L"tvse.exe";
}

struct Program {
    PROCESS_INFORMATION process{};
    Program()
    {
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        std::wstring command = L"\"" + program_path() + L"\"";
        started = CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                 &process) != FALSE;
    }
    ~Program()
    {
        if (!started)
            return;
        if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess(process.hProcess, 99);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    bool started = false;
};

// Polls for the start window while the program runs; null after the time-out.
HWND wait_for_start_window(HANDLE process, DWORD timeout_ms)
{
    const ULONGLONG deadline = GetTickCount64() + timeout_ms;
    for (;;) {
        if (HWND hwnd = FindWindowW(L"TarvokDirect2DUITopLevel", L"Tarvok Screen Editor"))
            return hwnd;
        if (GetTickCount64() > deadline)
            return nullptr;
        // Also stops waiting at once when the program has ended.
        if (WaitForSingleObject(process, 20) == WAIT_OBJECT_0)
            return nullptr;
    }
}

} // namespace

TEST(ProgramTest, StartWindowOpensAtItsSizeAndClosingItEndsTheProcessWithZero)
{
    Program program;
    ASSERT_TRUE(program.started) << GetLastError();
    HWND window = wait_for_start_window(program.process.hProcess, 20000);
    ASSERT_NE(window, nullptr);

    RECT client;
    GetClientRect(window, &client);
    HDC screen = GetDC(nullptr);
    int dpi_x = GetDeviceCaps(screen, LOGPIXELSX);
    int dpi_y = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(client.right, MulDiv(800, dpi_x, 96));
    EXPECT_EQ(client.bottom, MulDiv(600, dpi_y, 96));
    EXPECT_TRUE(IsWindowVisible(window));

    PostMessageW(window, WM_CLOSE, 0, 0);
    ASSERT_EQ(WaitForSingleObject(program.process.hProcess, 20000), WAIT_OBJECT_0);
    DWORD exit_code = 12345;
    GetExitCodeProcess(program.process.hProcess, &exit_code);
    EXPECT_EQ(exit_code, 0u);
}
