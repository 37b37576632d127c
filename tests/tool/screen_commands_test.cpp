// tvse-tool widgets and lua: the widget tree of a screen read through a module, with its
// style sheet and colour table, the text copying hands out, and the failures of loading
// a screen.

#include "tool_runner.h"

#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

const char* const style_sheet = R"(
StyleSheet = { Styles = {
    { name = 'Big', type = 'ButtonStyle', size = {0.25, 0.0625},
      Presentation = { Art = { { type = 'Rectangle', states = {'Normal'}, colour = 'gold' } } } },
    { name = 'Tip', type = 'TextLabelStyle', size = {0.5, 0.1} },
    { name = 'Bar', type = 'ProgressBarStyle', size = {0.75, 0.05},
      Progress = { type = 'ArtLabel', name = 'Fill', position = {0.01, 0.1}, size = {0.5, 0.8} } },
} }
)";

const char* const colour_table = R"(
ColourTable = { { key = 'gold', value = {255, 200, 0, 255} } }
)";

const char* const screen = R"(
Screen = {
    Widgets = { type = 'Group', name = 'Root', Children = {
        { type = 'Button', name = 'Play', style = {'UIStyles', 'Big'}, position = {0.1, 0.2},
          text = 'Play now', tooltip_text = 'Starts a game', tooltip_name = 'Tip' },
        { type = 'Button', name = 'Quit', style = {'uistyles', 'BIG'}, position = {-0.25, 1/3},
          size = {0.5, 0.125}, text = 'Quit' },
        { type = 'TextLabel', name = 'Lost', style = {'UIStyles', 'Missing'}, visible = false },
        { name = 'Far', position = {12345678, 0}, size = {-1, 0.5} },
        { type = 'Group', Children = {
            { type = 'CheckButton', name = 'Deep', text = 7 },
            { type = 'ProgressBar', name = 'Meter', style = {'UIStyles', 'Bar'} },
        } },
    } },
    TooltipWidgets = { type = 'Group', name = 'Tips', Children = {
        { type = 'TextLabel', name = 'Tip', style = {'UIStyles', 'Tip'}, position = {0.25, 0.875} },
    } },
}
)";

class ScreenCommandsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder.write("Main.module", "[global]\nModFolder=Main\nDataFolder.1=Data\n");
        m_folder.write("Main\\Data\\art\\ui\\styles\\uistyles.styles", style_sheet);
        m_folder.write("Main\\Data\\art\\ui\\styles\\colourtable.colours", colour_table);
        m_folder.write("Main\\Data\\art\\ui\\screens\\menu.screen", screen);
        m_folder.write("Main\\Data\\art\\ui\\screens\\prints.screen", "print('hello')\n");
        m_folder.write("Main\\Data\\art\\ui\\screens\\badsize.screen", "Screen = { Widgets = { size = {'x'} } }\n");
        m_module = m_folder.path("Main.module");
    }

    // Whether stderr holds `line` as one whole line: the mod's loading may report
    // sources it left out before it.
    static bool has_line(const ToolRun& run, const std::string& line)
    {
        const auto lines = lines_of(run.err);
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }

    TempFolder m_folder;
    std::string m_module;
};

TEST_F(ScreenCommandsTest, WidgetsPrintsTheTreeThenTheTooltipWidgets)
{
    const ToolRun run = run_tool({"widgets", m_module, "art\\ui\\screens\\menu.screen"});
    ASSERT_EQ(run.exit_code, 0) << run.err;
    const std::vector<std::string> expected{
        "Root Group ContainerWidget 0 0 1 1 visible - -",
        "  Play Button ButtonWidget 0.1 0.2 0.25 0.0625 visible UIStyles/Big (style size) Play now",
        // Its own size; the names as the screen spells them, found without regard to case.
        "  Quit Button ButtonWidget -0.25 0.3333333 0.5 0.125 visible uistyles/BIG Quit",
        // A style that is not there leaves the default size, still the style's to give.
        "  Lost TextLabel Widget 0 0 1 1 hidden UIStyles/Missing (style size) -",
        // No type, no style; a negative size is none.
        "  Far - Widget 1.234568e+07 0 0 0.5 visible - -",
        "  Untitled Group ContainerWidget 0 0 1 1 visible - -",
        "    Deep CheckButton ToggleWidget 0 0 1 1 visible - 7",
        "    Meter ProgressBar MeterWidget 0 0 0.75 0.05 visible UIStyles/Bar (style size) -",
        // The bar the style gives is a widget of the meter's.
        "      Fill ArtLabel Widget 0.01 0.1 0.5 0.8 visible - -",
        "Tips Group ContainerWidget 0 0 1 1 visible - -",
        "  Tip TextLabel Widget 0.25 0.875 0.5 0.1 visible UIStyles/Tip (style size) -",
    };
    EXPECT_EQ(lines_of(run.out), expected) << run.out;
}

TEST_F(ScreenCommandsTest, WidgetsReportsAScreenThatDoesNotLoad)
{
    const struct {
        std::string path;
        std::string message;
    } cases[] = {
        {"art\\ui\\screens\\prints.screen", "Cannot load screen file art\\ui\\screens\\prints.screen: "
                                            "slice:1: attempt to call global 'print' (a nil value)"},
        {"art\\ui\\screens\\badsize.screen",
         "Cannot instantiate screen file art\\ui\\screens\\badsize.screen: number expected, got string"},
        {"art\\ui\\screens\\missing.screen", "Cannot open screen file art\\ui\\screens\\missing.screen"},
    };
    for (const auto& c : cases) {
        const ToolRun run = run_tool({"widgets", m_module, c.path});
        EXPECT_EQ(run.exit_code, 1) << c.path;
        EXPECT_EQ(run.out, "") << c.path;
        EXPECT_TRUE(has_line(run, c.message)) << run.err;
    }
}

TEST_F(ScreenCommandsTest, WidgetsNeedsAModuleAndAScreen)
{
    const std::string missing = m_folder.path("Nothing.module");
    ToolRun run = run_tool({"widgets", missing, "art\\ui\\screens\\menu.screen"});
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_NE(run.err.find("Cannot open module file " + missing), std::string::npos) << run.err;

    for (const auto& arguments : std::vector<std::vector<std::string>>{
             {"widgets"}, {"widgets", m_module}, {"widgets", m_module, "art\\ui\\screens\\menu.screen", "extra"}}) {
        run = run_tool(arguments);
        EXPECT_EQ(run.exit_code, 1) << arguments.size();
        EXPECT_EQ(run.out, "");
        EXPECT_TRUE(has_line(run, "usage: tvse-tool widgets FILE.module SCREENPATH")) << run.err;
    }
}

TEST_F(ScreenCommandsTest, LuaPrintsWhatCopyingHandsOut)
{
    const std::string menu = "art\\ui\\screens\\menu.screen";
    const ToolRun whole = run_tool({"lua", m_module, menu});
    ASSERT_EQ(whole.exit_code, 0) << whole.err;
    EXPECT_EQ(whole.out.rfind("Screen = {\n", 0), 0u) << whole.out;
    // A size the widget takes from its style is the style's to give: not written.
    EXPECT_EQ(whole.out.find("0.0625"), std::string::npos) << whole.out;
    EXPECT_NE(whole.out.find("size = {0.5, 0.125}"), std::string::npos) << "an own size is";

    // A widget by its path of names, from either root; the first of a name at each step.
    const ToolRun deep = run_tool({"lua", m_module, menu, "Root/Untitled/Deep"});
    ASSERT_EQ(deep.exit_code, 0) << deep.err;
    EXPECT_EQ(deep.out, "{\n    type = \"CheckButton\",\n    name = \"Deep\",\n    text = 7,\n}\n");
    EXPECT_EQ(run_tool({"lua", m_module, menu, "Tips/Tip"}).exit_code, 0);

    const struct {
        std::vector<std::string> arguments;
        int exit_code;
        std::string line;
    } failures[] = {
        {{"lua", m_module, menu, "Root/Nobody"}, 1, "no widget Root/Nobody in " + menu},
        {{"lua", m_module, menu, "Deep"}, 1, "no widget Deep in " + menu},
        {{"lua", m_module, "art\\ui\\screens\\missing.screen"}, 1,
         "Cannot open screen file art\\ui\\screens\\missing.screen"},
        {{"lua", m_module}, 2, "usage: tvse-tool lua FILE.module SCREENPATH [WIDGETPATH]"},
        {{"lua", m_module, menu, "Root", "extra"}, 2, "usage: tvse-tool lua FILE.module SCREENPATH [WIDGETPATH]"},
    };
    for (const auto& f : failures) {
        const ToolRun run = run_tool(f.arguments);
        EXPECT_EQ(run.exit_code, f.exit_code) << f.line;
        EXPECT_EQ(run.out, "") << f.line;
        EXPECT_TRUE(has_line(run, f.line)) << run.err;
    }
}

} // namespace
