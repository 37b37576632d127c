#include "ui/text_format.h"

#include "app/com_exception.h"
#include "app/dwrite_calls.h"

#include "support/win/test_graphics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using TestSupport::test_graphics;

TEST(SystemFontSize, ScalesTheMessageFontHeightToTheNominalSize)
{
    struct Case {
        LONG lf_height;
        float nominal;
        float dips;
    };
    const Case cases[] = {
        {-12, 12.0f, 16.0f},          // the common message font: 9 pt at 96 DPI
        {-12, 10.0f, 40.0f / 3.0f},   // about 13.33
        {-11, 12.0f, 44.0f / 3.0f},   // Wine's Tahoma
        {12, 12.0f, 12.0f},           // a cell height: no point conversion
        {16, 10.0f, 40.0f / 3.0f},
        {0, 12.0f, 16.0f},            // the default: the nominal size in points
        {0, 9.0f, 12.0f},
        {-12, 0.0f, 0.0f},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(Ui::system_font_size(c.lf_height, c.nominal), c.dips, 1e-4f)
            << c.lf_height << " at nominal " << c.nominal;
}

TEST(SystemTextFormat, UsesTheMessageFontsFamilyLocaleAndScaledSize)
{
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0));
    IDWriteFactory* factory = test_graphics().dwrite_factory.Get();

    for (float nominal : {12.0f, 10.0f}) {
        auto format = Ui::create_system_text_format(factory, nominal, DWRITE_FONT_WEIGHT_NORMAL);
        ASSERT_TRUE(format);
        EXPECT_FLOAT_EQ(format->GetFontSize(), Ui::system_font_size(metrics.lfMessageFont.lfHeight, nominal));
        EXPECT_EQ(format->GetFontWeight(), DWRITE_FONT_WEIGHT_NORMAL);
        EXPECT_EQ(format->GetFontStyle(), DWRITE_FONT_STYLE_NORMAL);

        std::wstring family(format->GetFontFamilyNameLength() + 1, L'\0');
        ASSERT_EQ(format->GetFontFamilyName(&family[0], static_cast<UINT32>(family.size())), S_OK);
        family.resize(family.size() - 1);
        EXPECT_EQ(family, std::wstring(metrics.lfMessageFont.lfFaceName));
        EXPECT_GT(format->GetLocaleNameLength(), 0u);
    }
    auto bold = Ui::create_system_text_format(factory, 12.0f, DWRITE_FONT_WEIGHT_BOLD);
    EXPECT_EQ(bold->GetFontWeight(), DWRITE_FONT_WEIGHT_BOLD);
}

TEST(TextLayout, IsUnboundedAndMeasuresItsText)
{
    IDWriteFactory* factory = test_graphics().dwrite_factory.Get();
    auto format = Ui::create_system_text_format(factory, 12.0f, DWRITE_FONT_WEIGHT_NORMAL);

    auto empty = Ui::create_text_layout(std::wstring_view(), factory, format.Get());
    EXPECT_TRUE(std::isinf(empty->GetMaxWidth()));
    EXPECT_TRUE(std::isinf(empty->GetMaxHeight()));
    DWRITE_TEXT_METRICS none = App::get_metrics(empty.Get());
    EXPECT_EQ(none.width, 0.0f);
    EXPECT_EQ(none.lineCount, 1u);
    EXPECT_GT(none.height, 0.0f); // one empty line still has its height

    // The whole view, not up to a terminator: "ab" of "ab\0cd" measures less than all five.
    const wchar_t text[] = L"ab\0cd";
    auto two = Ui::create_text_layout(std::wstring_view(text, 2), factory, format.Get());
    auto five = Ui::create_text_layout(std::wstring_view(text, 5), factory, format.Get());
    float two_width = App::get_metrics(two.Get()).width;
    EXPECT_GT(two_width, 0.0f);
    EXPECT_GT(App::get_metrics(five.Get()).width, two_width);
}

TEST(TextLayout, FailuresNameTheCall)
{
    IDWriteFactory* factory = test_graphics().dwrite_factory.Get();
    try {
        Ui::create_text_layout(L"x", factory, nullptr); // no format
        FAIL() << "no failure";
    } catch (const App::COMException& failure) {
        EXPECT_STREQ(failure.call_name(), "IDWriteFactory::CreateTextLayout");
    }
}
