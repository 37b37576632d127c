#include "app/com_exception.h"
#include "app/process_entry.h"

#include "support/win/error_box_capture.h"

#include <objbase.h>

#include <gtest/gtest.h>

#include <stdexcept>

using TestSupport::ErrorBoxCapture;

namespace {

bool g_com_usable = false;

int run_normally()
{
    // COM is initialised for the run function: a second initialisation is a no-op.
    g_com_usable = CoInitialize(nullptr) == S_FALSE;
    if (g_com_usable)
        CoUninitialize();
    return 0;
}

int run_and_fail()
{
    throw std::runtime_error("The mod is still being loaded.");
}

int run_and_fail_in_com()
{
    throw App::COMException(static_cast<HRESULT>(0x887A0004u), "D3D10CreateDevice1");
}

} // namespace

TEST(ProcessEntryTest, NormalEndReturnsTheRunResultWithoutABox)
{
    ErrorBoxCapture capture;
    EXPECT_EQ(App::run_process(run_normally), 0);
    EXPECT_TRUE(g_com_usable);
    EXPECT_TRUE(capture.boxes.empty());
}

TEST(ProcessEntryTest, EscapingFailureShowsTheFatalBoxAndReturnsOne)
{
    ErrorBoxCapture capture;
    EXPECT_EQ(App::run_process(run_and_fail), 1);
    ASSERT_EQ(capture.boxes.size(), 1u);
    EXPECT_EQ(capture.boxes[0].owner, nullptr);
    EXPECT_EQ(capture.boxes[0].text,
              "TVSE has encountered an uncaught top-level exception, and will therefore close.\n"
              "The cause is: The mod is still being loaded.");
}

TEST(ProcessEntryTest, FatalBoxNamesTheFailedCall)
{
    ErrorBoxCapture capture;
    EXPECT_EQ(App::run_process(run_and_fail_in_com), 1);
    ASSERT_EQ(capture.boxes.size(), 1u);
    const std::string& text = capture.boxes[0].text;
    EXPECT_NE(text.find("(D3D10CreateDevice1)."), std::string::npos) << text;
}
