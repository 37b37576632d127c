#include "app/com_call.h"
#include "app/com_exception.h"
#include "app/win32_error.h"

#include <gtest/gtest.h>

#include <string>

using App::COMException;

namespace {

std::string system_text(HRESULT hr)
{
    char* text = nullptr;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
                                      FORMAT_MESSAGE_ALLOCATE_BUFFER,
                                  nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string result = length ? std::string(text, length) : std::string();
    if (text)
        LocalFree(text);
    return result;
}

bool starts_with(const std::string& text, const std::string& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

} // namespace

TEST(COMExceptionTest, UnknownResultsAreWrittenAsEightLowerCaseHexDigits)
{
    struct Case {
        HRESULT hr;
        const char* expected;
    };
    const Case cases[] = {
        {static_cast<HRESULT>(0xA1B2C3D4u), "HR 0xa1b2c3d4 (ITest::Method)"},
        {static_cast<HRESULT>(0x0000FFFEu), "HR 0x0000fffe (ITest::Method)"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(system_text(c.hr).empty()) << "the system knows " << std::hex << c.hr;
        EXPECT_STREQ(COMException(c.hr, "ITest::Method").what(), c.expected);
    }
}

TEST(COMExceptionTest, KnownResultsUseTheSystemTextAndKeepItsLineBreak)
{
    const HRESULT hr = E_INVALIDARG;
    std::string text = system_text(hr);
    ASSERT_FALSE(text.empty());
    ASSERT_EQ(text.back(), '\n');

    COMException failure(hr, "IDXGISwapChain::Present");
    EXPECT_EQ(std::string(failure.what()), text + " (IDXGISwapChain::Present)");
    EXPECT_EQ(failure.hr(), hr);
    EXPECT_STREQ(failure.call_name(), "IDXGISwapChain::Present");
}

TEST(COMExceptionTest, WhatIsFormattedOnceAndCached)
{
    COMException failure(E_FAIL, "Cached");
    const char* first = failure.what();
    EXPECT_EQ(failure.what(), first);
}

TEST(COMExceptionTest, CopiesFormatTheirOwnText)
{
    std::string expected;
    const char* original_text = nullptr;
    auto copy = std::make_unique<COMException>(E_OUTOFMEMORY, "Copied");
    {
        COMException original(E_OUTOFMEMORY, "Copied");
        original_text = original.what();
        expected = original_text;
        COMException copied(original);
        EXPECT_NE(copied.what(), original_text);
        EXPECT_EQ(std::string(copied.what()), expected);
        *copy = original; // assignment drops the target's cached text as well
        EXPECT_NE(copy->what(), original_text);
    }
    // The original and its buffer are gone; the copy's text is its own.
    EXPECT_EQ(std::string(copy->what()), expected);
}

TEST(Win32ErrorTest, MapsWin32ErrorsToResults)
{
    struct Case {
        DWORD error;
        HRESULT expected;
    };
    const Case cases[] = {
        {0, 0},
        {ERROR_ACCESS_DENIED, static_cast<HRESULT>(0x80070005u)},
        {0x12345, static_cast<HRESULT>(0x80072345u)}, // only the low word is kept
        {0x80004005u, static_cast<HRESULT>(0x80004005u)}, // already a failure result
    };
    for (const Case& c : cases)
        EXPECT_EQ(App::hresult_from_win32(c.error), c.expected) << c.error;
}

TEST(Win32ErrorTest, ThrowLastErrorReportsTheLastError)
{
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    try {
        App::throw_last_error("CreateWindowEx");
        FAIL() << "no exception";
    } catch (const COMException& failure) {
        EXPECT_EQ(failure.hr(), static_cast<HRESULT>(0x80070578u));
        EXPECT_STREQ(failure.call_name(), "CreateWindowEx");
    }
}

TEST(Win32ErrorTest, ErrorZeroBecomesResultZeroWithTheSuccessText)
{
    SetLastError(0);
    try {
        App::throw_last_error("GetMessage");
        FAIL() << "no exception";
    } catch (const COMException& failure) {
        EXPECT_EQ(failure.hr(), 0);
        std::string text = failure.what();
        EXPECT_FALSE(starts_with(text, "HR 0x")) << text;
        EXPECT_EQ(text, system_text(0) + " (GetMessage)");
    }
}

TEST(ComCallTest, OnlyNegativeResultsRaise)
{
    EXPECT_NO_THROW(App::check(S_OK, "IA::B"));
    EXPECT_NO_THROW(App::check(S_FALSE, "IA::B"));
    EXPECT_NO_THROW(App::check(static_cast<HRESULT>(0x087A0001) /* DXGI_STATUS_OCCLUDED */, "IA::B"));
    try {
        App::check(E_NOTIMPL, "IDXGIResource::GetSharedHandle");
        FAIL() << "no exception";
    } catch (const COMException& failure) {
        EXPECT_EQ(failure.hr(), E_NOTIMPL);
        EXPECT_STREQ(failure.call_name(), "IDXGIResource::GetSharedHandle");
    }
}
