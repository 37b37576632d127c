// tvse-tool check: every screen of a mod or the ones named, the summary line and the
// exit codes, and the deliberate defects of the sample's Frontier module.

#include "tool_runner.h"

#include "support/temp_folder.h"

#include <gtest/gtest.h>

namespace {

class CheckCommandTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder.write("Main.module", "[global]\nModFolder=Main\nDataFolder.1=Data\n");
        m_folder.write("Main\\Data\\art\\ui\\styles\\broken.styles", "StyleSheet = {");
        m_folder.write("Main\\Data\\Art\\UI\\Screens\\good.screen", "Screen = { Widgets = { name = 'Fine' } }");
        m_folder.write("Main\\Data\\Art\\UI\\Screens\\lost.screen",
                       "Screen = { Widgets = { name = 'Lost', text = '$5' } }");
        m_folder.write("Main\\Data\\Art\\UI\\Screens\\odd.screen", "Screen = {");
        // Not screens: never checked.
        m_folder.write("Main\\Data\\Art\\UI\\Screens\\readme.txt", "Screen = {");
        m_folder.write("Main\\Data\\Art\\UI\\Screens\\odd.screen.bak", "Screen = {");
        m_module = m_folder.path("Main.module");
    }

    TempFolder m_folder;
    std::string m_module;
};

TEST_F(CheckCommandTest, ChecksEveryScreenAndEndsWithTheCounts)
{
    const ToolRun run = run_tool({"check", m_module});
    EXPECT_EQ(run.exit_code, 1) << run.err;
    const std::vector<std::string> expected{
        "art/ui/styles/broken.styles: slice:1: unexpected symbol near <eof>",
        "Art\\UI\\Screens\\lost.screen: widget Lost: no string for $5",
        "Art\\UI\\Screens\\odd.screen: Cannot load screen file Art\\UI\\Screens\\odd.screen: slice:1: unexpected "
        "symbol near <eof>",
        "3 screens checked, 3 problems found",
    };
    EXPECT_EQ(lines_of(run.out), expected) << run.out;
}

TEST_F(CheckCommandTest, ChecksOnlyTheScreensNamed)
{
    ToolRun run = run_tool({"check", m_module, "Art\\UI\\Screens\\good.screen"});
    EXPECT_EQ(run.exit_code, 1) << "the sheet is still broken";
    EXPECT_EQ(lines_of(run.out), (std::vector<std::string>{
                                     "art/ui/styles/broken.styles: slice:1: unexpected symbol near <eof>",
                                     "1 screen checked, 1 problem found",
                                 }));

    m_folder.write("Main\\Data\\art\\ui\\styles\\broken.styles", "StyleSheet = { Styles = {} }");
    run = run_tool({"check", m_module, "Art\\UI\\Screens\\good.screen"});
    EXPECT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(lines_of(run.out), std::vector<std::string>{"1 screen checked, 0 problems found"});

    run = run_tool({"check", m_module, "Art\\UI\\Screens\\none.screen"});
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(lines_of(run.out), (std::vector<std::string>{
                                     "Art\\UI\\Screens\\none.screen: Cannot open screen file Art\\UI\\Screens\\none.screen",
                                     "1 screen checked, 1 problem found",
                                 }));
}

TEST_F(CheckCommandTest, AModuleThatCannotBeReadOrNoModuleIsExitCodeTwo)
{
    const std::string missing = m_folder.path("Nothing.module");
    ToolRun run = run_tool({"check", missing});
    EXPECT_EQ(run.exit_code, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("Cannot open module file " + missing), std::string::npos) << run.err;

    run = run_tool({"check"});
    EXPECT_EQ(run.exit_code, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("usage: tvse-tool check FILE.module [SCREENPATH...]"), std::string::npos) << run.err;
}

TEST(CheckSampleTest, FrontierShowsItsDeliberateDefects)
{
    const ToolRun run = run_tool({"check", std::string(TVSE_SAMPLE_DIR) + "\\Frontier.module"});
    EXPECT_EQ(run.exit_code, 1) << run.err;
    const std::string outpost = "Art\\UI\\Screens\\outpostscreen.screen: widget ";
    const std::vector<std::string> expected{
        // tools/make_sample.py: DEFECT_SHEET, and MISSING_TEXTURE of the main menu, which
        // Frontier.sga has too.
        "art/ui/styles/outpost.styles: slice:6: unexpected symbol near <eof>",
        "Art\\UI\\Screens\\mainmenuscreen.screen: widget MenuPanel: Missing texture: "
        "art/ui/textures/frontend/bastion_crest",
        // The rest of make_sample.py's DEFECT_ names, in the screen's order.
        outpost + "OutpostBanner: Missing texture: art/ui/textures/frontend/outpost_banner",
        outpost + "OutpostTitle: no string for $987654",
        outpost + "GarrisonButton: unknown style UIStyles/OutpostButton",
        outpost + "RecruitButton: tooltip_name OutpostTip names no widget",
        outpost + "OutpostMotto: Cannot open font description font\\outpost_script.fnt",
        "6 screens checked, 7 problems found",
    };
    EXPECT_EQ(lines_of(run.out), expected) << run.out;
}

} // namespace
