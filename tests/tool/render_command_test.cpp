// tvse-tool render: a screen drawn headless at the size asked for, and the failures.

#include "png_reader.h"
#include "tool_runner.h"

#include "support/temp_folder.h"

#include <gtest/gtest.h>

namespace {

using PngReader::read_png;

class RenderCommandTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder.write("Main.module", "[global]\nModFolder=Main\nDataFolder.1=Data\n");
        // A green box over the right half of the screen, a red one at the top left.
        m_folder.write("Main\\Data\\Art\\UI\\Screens\\boxes.screen",
                       "Screen = { Widgets = { Presentation = { Art = {\n"
                       "  { type = 'Rectangle', states = { 'Normal' }, position = {0.5, 0}, size = {0.5, 1}, "
                       "colour = {0, 255, 0, 255} },\n"
                       "  { type = 'Rectangle', states = { 'Normal' }, size = {0.25, 0.25}, colour = {255, 0, 0, 255} },\n"
                       "} } } }\n");
        m_folder.write("Main\\Data\\Art\\UI\\Screens\\noisy.screen", "print('x')\n");
        m_module = m_folder.path("Main.module");
    }

    TempFolder m_folder;
    std::string m_module;
};

TEST_F(RenderCommandTest, DrawsTheScreenAtTheSizeAskedFor)
{
    const std::string out = m_folder.path("boxes.png");
    ToolRun run = run_tool({"render", m_module, "Art\\UI\\Screens\\boxes.screen", out, "64x48"});
    ASSERT_EQ(run.exit_code, 0) << run.err;
    PngReader::Png png = read_png(out);
    ASSERT_EQ(png.width, 64u);
    ASSERT_EQ(png.height, 48u);
    const PngReader::Rgba red = png.at(4, 4);
    EXPECT_EQ(red.r, 255);
    EXPECT_EQ(red.g, 0);
    const PngReader::Rgba green = png.at(50, 30);
    EXPECT_EQ(green.g, 255);
    EXPECT_EQ(green.r, 0);
    EXPECT_EQ(green.a, 255);
}

TEST_F(RenderCommandTest, TheDefaultSizeIs1024By768)
{
    const std::string out = m_folder.path("default.png");
    ToolRun run = run_tool({"render", m_module, "Art\\UI\\Screens\\boxes.screen", out});
    ASSERT_EQ(run.exit_code, 0) << run.err;
    PngReader::Png png = read_png(out);
    EXPECT_EQ(png.width, 1024u);
    EXPECT_EQ(png.height, 768u);
}

TEST_F(RenderCommandTest, FailuresSayWhy)
{
    const std::string out = m_folder.path("never.png");
    ToolRun run = run_tool({"render", m_module, "Art\\UI\\Screens\\noisy.screen", out});
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(lines_of(run.err).front(),
              "Cannot load screen file Art\\UI\\Screens\\noisy.screen: slice:1: attempt to call global 'print' (a nil value)");
    run = run_tool({"render", m_module, "Art\\UI\\Screens\\gone.screen", out});
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(lines_of(run.err).front(), "Cannot open screen file Art\\UI\\Screens\\gone.screen");
    for (const char* size : {"0x10", "10", "10x", "axb", "20000x10", "10x10x"}) {
        run = run_tool({"render", m_module, "Art\\UI\\Screens\\boxes.screen", out, size});
        EXPECT_EQ(run.exit_code, 1) << size;
        EXPECT_NE(run.err.find("usage: tvse-tool render"), std::string::npos) << size;
    }
}

} // namespace
