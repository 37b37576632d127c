// Style sheets: names from file names, case-insensitive lookups, per-type lists, and
// the silent failure rules.

#include "screen_fixture.h"

#include "platform/debug_output.h"
#include "screen/style_sheets.h"

#include <gtest/gtest.h>

namespace {

TEST(StyleSheetNameTest, FromFileNames)
{
    struct Case {
        const char* file;
        const char* sheet; // null: not a sheet
    };
    const Case cases[] = {
        {"uistyles.styles", "UIStyles"}, {"frontend.styles", "Frontend"}, {"INGAME.STYLES", "INGAME"},
        {"Uimain.Styles", "UImain"},     {"mystyles.styles", "MyStyles"}, {"ui.styles", "UI"},
        {"u.styles", "U"},               {"styles.styles", "Styles"},     {".styles", ""},
        {"readme.txt", nullptr},         {"uistyles.styles.bak", nullptr}, {"styles", nullptr},
    };
    for (const Case& c : cases) {
        std::optional<std::string> sheet = Screen::sheet_name_for_file(c.file);
        if (c.sheet) {
            ASSERT_TRUE(sheet) << c.file;
            EXPECT_EQ(*sheet, c.sheet) << c.file;
        } else {
            EXPECT_FALSE(sheet) << c.file;
        }
    }
}

class StyleSheetsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_previous = Platform::set_debug_sink([this](const std::string& message) { m_debug += message; });
    }
    void TearDown() override { Platform::set_debug_sink(m_previous); }

    // The size the style gives a Button that names it.
    std::string size_of(const char* sheet, const char* style)
    {
        auto document = m_fixture.open(std::string("Screen = { Widgets = { type = 'Button', style = {'") + sheet +
                                        "', '" + style + "'} } }");
        const Screen::Widget* widget = document->widgets();
        char text[64];
        std::snprintf(text, sizeof(text), "%g %g", widget->width(), widget->height());
        return text;
    }

    ScreenFixture m_fixture;
    std::string m_debug;
    Platform::DebugSink m_previous;
};

TEST_F(StyleSheetsTest, LookupsIgnoreCaseAndSheetsKeepTheirOwnStyles)
{
    m_fixture.add_sheet("uistyles.styles", R"(StyleSheet = { Styles = {
        { name = 'default', type = 'ButtonStyle', size = {0.1, 0.1} },
        { name = 'Twice', type = 'ButtonStyle', size = {0.2, 0.2} },
        { name = 'twice', type = 'ButtonStyle', size = {0.3, 0.3} },
    } })");
    m_fixture.add_sheet("Frontend.STYLES", R"(StyleSheet = { Styles = {
        { name = 'Default', type = 'ButtonStyle', size = {0.4, 0.4} },
    } })");
    m_fixture.add_sheet("readme.txt", "this is not Lua");
    EXPECT_EQ(size_of("uistyles", "Default"), "0.1 0.1");
    EXPECT_EQ(size_of("UIStyles", "DEFAULT"), "0.1 0.1");
    EXPECT_EQ(size_of("frontend", "default"), "0.4 0.4") << "the same name in another sheet";
    EXPECT_EQ(size_of("UIStyles", "TWICE"), "0.2 0.2") << "a name given twice keeps its first entry";
    EXPECT_EQ(m_debug, "");
    EXPECT_EQ(size_of("readme", "default"), "1 1");
    // Once for each key the widget takes from its style: size and Presentation.
    EXPECT_EQ(m_debug, "Could not load style default from sheet readme.\nCould not load style default from sheet readme.\n");
}

TEST_F(StyleSheetsTest, StylesOfAType)
{
    m_fixture.add_sheet("frontend.styles", R"(StyleSheet = { Styles = {
        { name = 'f1', type = 'ButtonStyle' }, { name = 'f2', type = 'ButtonStyle' },
        { name = 'combo', type = 'ComboBoxStyle' } } })");
    m_fixture.add_sheet("uistyles.styles", R"(StyleSheet = { Styles = {
        { name = 'u1', type = 'ButtonStyle' }, { name = 'u2', type = 'ButtonStyle' } } })");
    auto document = m_fixture.open("Screen = {}");
    std::string listed;
    for (const Screen::StyleName& style : document->styles_for_type("Button"))
        listed += style.first + "/" + style.second + " ";
    // Sheets in listing order, each sheet's styles backwards.
    EXPECT_EQ(listed, "Frontend/f2 Frontend/f1 UIStyles/u2 UIStyles/u1 ");
    EXPECT_EQ(document->styles_for_type("ComboBox").size(), 1u);
    EXPECT_TRUE(document->styles_for_type("Group").empty());
    EXPECT_TRUE(document->styles_for_type("").empty());
}

TEST_F(StyleSheetsTest, ASheetThatDoesNotLoadOrRunIsSkipped)
{
    m_fixture.add_sheet("a.styles", "StyleSheet = { Styles = {");
    m_fixture.add_sheet("b.styles", "x = nil + 1");
    m_fixture.add_sheet("c.styles", "while true do end");
    m_fixture.add_sheet("d.styles", "StyleSheet = { Styles = { { name = 'ok', type = 'ButtonStyle', size = {0.5, 0.5} } } }");
    EXPECT_EQ(size_of("D", "ok"), "0.5 0.5");
}

TEST_F(StyleSheetsTest, ABrokenRegistrationEndsAllStyles)
{
    const char* breakers[] = {
        "Nothing = {}",                                                  // no StyleSheet
        "StyleSheet = { Styles = { { type = 'ButtonStyle' } } }",        // style without a name
        "StyleSheet = { Styles = { { name = 'x', type = {} } } }",       // type that is no text
        "StyleSheet = { Styles = { 5 } }",                               // style that is no table
    };
    for (const char* breaker : breakers) {
        ScreenFixture fixture;
        fixture.add_sheet("a.styles", "StyleSheet = { Styles = { { name = 'ok', type = 'ButtonStyle', size = {0.5, 0.5} } } }");
        fixture.add_sheet("b.styles", breaker);
        fixture.add_sheet("c.styles", "StyleSheet = { Styles = { { name = 'ok', type = 'ButtonStyle', size = {0.5, 0.5} } } }");
        auto document = fixture.open("Screen = { Widgets = { type = 'Button', style = {'A', 'ok'} } }");
        EXPECT_FALSE(document->styles_loaded()) << breaker;
        EXPECT_EQ(document->widgets()->width(), 1.0f) << breaker;
    }
}

TEST_F(StyleSheetsTest, SkippedSheetsAreRecordedWithLuasMessage)
{
    m_fixture.add_sheet("a.styles", "StyleSheet = { Styles = {");
    m_fixture.add_sheet("b.styles", "StyleSheet = { Styles = {} }");
    m_fixture.add_sheet("c.styles", "x = nil + 1");
    m_fixture.add_sheet("readme.txt", "not a sheet, never read");
    auto document = m_fixture.open("Screen = {}");
    EXPECT_TRUE(document->styles_loaded());
    const auto& problems = document->style_problems();
    ASSERT_EQ(problems.size(), 2u);
    // In listing order, each named by its path as listed and by its sheet name.
    EXPECT_EQ(problems[0].file, "art/ui/styles/a.styles");
    EXPECT_EQ(problems[0].sheet, "A");
    EXPECT_EQ(problems[0].message, "slice:1: unexpected symbol near <eof>");
    EXPECT_FALSE(problems[0].ended_loading);
    EXPECT_EQ(problems[1].file, "art/ui/styles/c.styles");
    EXPECT_EQ(problems[1].sheet, "C");
    EXPECT_EQ(problems[1].message, "slice:1: attempt to perform arithmetic on a nil value");
    EXPECT_FALSE(problems[1].ended_loading);

    ScreenFixture clean;
    clean.add_sheet("b.styles", "StyleSheet = { Styles = {} }");
    EXPECT_TRUE(clean.open("Screen = {}")->style_problems().empty());
}

TEST_F(StyleSheetsTest, TheRegistrationThatEndsTheLoadingIsRecordedLast)
{
    m_fixture.add_sheet("a.styles", "StyleSheet = {");
    m_fixture.add_sheet("b.styles", "StyleSheet = { Styles = { { type = 'ButtonStyle' } } }");
    m_fixture.add_sheet("c.styles", "StyleSheet = {"); // never reached
    auto document = m_fixture.open("Screen = { Widgets = { type = 'Button' } }");
    EXPECT_FALSE(document->styles_loaded());
    ASSERT_NE(document->widgets(), nullptr) << "the screen still loads";
    const auto& problems = document->style_problems();
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_EQ(problems[0].file, "art/ui/styles/a.styles");
    EXPECT_FALSE(problems[0].ended_loading);
    EXPECT_EQ(problems[1].file, "art/ui/styles/b.styles");
    EXPECT_EQ(problems[1].sheet, "B");
    EXPECT_EQ(problems[1].message, "string expected, got nil");
    EXPECT_TRUE(problems[1].ended_loading);
}

TEST_F(StyleSheetsTest, OddStyleListsGiveEmptySheets)
{
    m_fixture.add_sheet("a.styles", "StyleSheet = { Styles = 'none' }");
    m_fixture.add_sheet("b.styles", "StyleSheet = {}");
    m_fixture.add_sheet("c.styles", "StyleSheet = { Styles = { { name = 'ok', type = 'ButtonStyle', size = {0.5, 0.5} } } }");
    EXPECT_EQ(size_of("C", "ok"), "0.5 0.5");
    EXPECT_EQ(size_of("A", "ok"), "1 1");
}

TEST_F(StyleSheetsTest, SheetsRunWithTheirOwnGlobals)
{
    m_fixture.add_sheet("a.styles", "Shared = 'from a' StyleSheet = { Styles = {} }");
    m_fixture.add_sheet("b.styles", R"(StyleSheet = { Styles = { { name = 'probe', type = 'ButtonStyle',
        size = { Shared == nil and 0.25 or 0.75, Screen == nil and 0.25 or 0.75 } } } })");
    auto document = m_fixture.open("Screen = { Widgets = { type = 'Button', style = {'B', 'probe'} } }");
    // Neither the other sheet's nor the screen's globals are visible to a sheet.
    EXPECT_EQ(document->widgets()->width(), 0.25f);
    EXPECT_EQ(document->widgets()->height(), 0.25f);
    Screen::protected_call(document->lua(), [](lua_State* L) {
        lua_getglobal(L, "Shared");
        EXPECT_TRUE(lua_isnil(L, -1)) << "nor does a sheet leak into the screen's globals";
    });
}

} // namespace
