// tvse-tool ls and cat over SGA archives.

#include "tool_runner.h"

#include "support/sga_writer.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

namespace {

// Bytes that a text-mode stdout would damage.
const std::string binary("line\r\nnext\n\0\x1a\xff end", 18);

class FsCommandsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SgaWriter writer(4);
        writer.add_file("readme.txt", "hello");
        writer.add_file("art\\ui\\screens\\main.screen", "Screen = {}", true);
        writer.add_file("art\\ui\\bytes.bin", binary);
        writer.add_file("art\\ui\\packed.bin", binary + binary + binary, true);
        writer.add_folder("data");
        m_folder.write("data.sga", writer.build());
        m_archive = m_folder.path("data.sga");
    }

    TempFolder m_folder;
    std::string m_archive;
};

TEST_F(FsCommandsTest, LsListsAFolderOneNameALineInTheSourcesOrder)
{
    const struct {
        std::vector<std::string> folder;
        std::vector<std::string> names;
    } cases[] = {
        {{}, {"readme.txt", "art", "data"}},
        {{""}, {"readme.txt", "art", "data"}},
        {{"art\\ui"}, {"bytes.bin", "packed.bin", "screens"}},
        {{"Art/UI/"}, {"bytes.bin", "packed.bin", "screens"}},
        {{"data"}, {}},
        {{"missing"}, {}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> arguments{"ls", m_archive};
        arguments.insert(arguments.end(), c.folder.begin(), c.folder.end());
        const ToolRun run = run_tool(arguments);
        SCOPED_TRACE(c.folder.empty() ? "(no folder)" : c.folder[0]);
        EXPECT_EQ(run.exit_code, 0) << run.err;
        EXPECT_EQ(lines_of(run.out), c.names);
        EXPECT_EQ(run.err, "");
    }
}

TEST_F(FsCommandsTest, CatWritesAMembersBytesUnchanged)
{
    const struct {
        const char* path;
        std::string bytes;
    } cases[] = {
        {"readme.txt", "hello"},
        {"art\\ui\\bytes.bin", binary},
        {"art/ui/PACKED.bin", binary + binary + binary},
        {"art\\ui\\screens\\main.screen", "Screen = {}"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const ToolRun run = run_tool({"cat", m_archive, c.path});
        EXPECT_EQ(run.exit_code, 0) << run.err;
        EXPECT_EQ(run.out, c.bytes);
    }
}

TEST_F(FsCommandsTest, CatOfAMissingMemberSaysSoAndFails)
{
    for (const char* path : {"art\\nope.txt", "art\\ui\\"}) {
        const ToolRun run = run_tool({"cat", m_archive, path});
        EXPECT_EQ(run.exit_code, 1);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(lines_of(run.err), std::vector<std::string>{std::string("Not found: ") + path});
    }
}

TEST_F(FsCommandsTest, AnArchiveThatCannotBeOpenedPrintsItsErrorAndFails)
{
    m_folder.write("text.sga", std::string(300, 'x'));
    const std::string missing = m_folder.path("missing.sga");
    const std::string text = m_folder.path("text.sga");
    const struct {
        std::vector<std::string> arguments;
        std::string message;
    } cases[] = {
        {{"ls", missing}, "Could not open archive " + missing},
        {{"cat", missing, "readme.txt"}, "Could not open archive " + missing},
        {{"ls", text}, "Could not open archive " + text + " (file is not an SGA)"},
    };
    for (const auto& c : cases) {
        const ToolRun run = run_tool(c.arguments);
        EXPECT_EQ(run.exit_code, 1);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(lines_of(run.err), std::vector<std::string>{c.message});
    }
}

TEST_F(FsCommandsTest, MissingArgumentsPrintTheUsage)
{
    for (const auto& arguments : {std::vector<std::string>{"ls"}, std::vector<std::string>{"cat", m_archive},
                                  std::vector<std::string>{"cat"}, std::vector<std::string>{"ls", m_archive, "a", "b"}}) {
        const ToolRun run = run_tool(arguments);
        EXPECT_EQ(run.exit_code, 1);
        EXPECT_EQ(run.err.rfind("usage: tvse-tool " + arguments[0] + " ", 0), 0u) << run.err;
    }
}

} // namespace
