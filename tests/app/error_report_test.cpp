#include "app/error_report.h"

#include "support/win/error_box_capture.h"

#include <gtest/gtest.h>

#include <stdexcept>

using TestSupport::ErrorBoxCapture;

TEST(ErrorReportTest, FullStopIsAppendedOnlyWhenMissing)
{
    struct Case {
        const char* description;
        const char* cause; // what follows "The cause is: "
    };
    const Case cases[] = {
        {"No D3DCompiler DLL found", "No D3DCompiler DLL found."},
        {"The mod is still being loaded.", "The mod is still being loaded."},
        {"HR 0x887a0004 (D3D10CreateDevice1)", "HR 0x887a0004 (D3D10CreateDevice1)."},
        {"", "."},
        {"Two lines.\r\n", "Two lines.\r\n."},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(App::fatal_error_text(c.description),
                  std::string("TVSE has encountered an uncaught top-level exception, and will therefore close.\n"
                              "The cause is: ") +
                      c.cause);
        EXPECT_EQ(App::window_error_text(c.description),
                  std::string("TVSE has encountered an exception.\nThe cause is: ") + c.cause);
    }
}

TEST(ErrorReportTest, FatalBoxHasNoOwner)
{
    ErrorBoxCapture capture;
    App::report_fatal_error(std::runtime_error("Cannot open module file a.module"));
    ASSERT_EQ(capture.boxes.size(), 1u);
    EXPECT_EQ(capture.boxes[0].owner, nullptr);
    EXPECT_EQ(capture.boxes[0].text, App::fatal_error_text("Cannot open module file a.module"));
}

TEST(ErrorReportTest, WindowBoxIsOwnedByTheWindow)
{
    ErrorBoxCapture capture;
    HWND owner = GetDesktopWindow();
    App::report_window_error(owner, std::runtime_error("boom"));
    ASSERT_EQ(capture.boxes.size(), 1u);
    EXPECT_EQ(capture.boxes[0].owner, owner);
    EXPECT_EQ(capture.boxes[0].text, "TVSE has encountered an exception.\nThe cause is: boom.");
}

TEST(ErrorReportTest, FailuresWhileAWindowBoxIsOpenDoNotOpenMoreBoxes)
{
    ErrorBoxCapture capture;
    int nested = 0;
    capture.while_open = [&] {
        // What a paint that keeps failing would do inside the box's modal loop.
        if (nested++ < 3)
            App::report_window_error(nullptr, std::runtime_error("again"));
    };
    App::report_window_error(nullptr, std::runtime_error("first"));
    ASSERT_EQ(capture.boxes.size(), 1u);
    EXPECT_EQ(nested, 1);
    // Once the box is closed, the next failure shows again.
    App::report_window_error(nullptr, std::runtime_error("later"));
    EXPECT_EQ(capture.boxes.size(), 2u);
}
