// tvse-tool sources, text, search, and the --module form of ls and cat.

#include "tool_runner.h"

#include "support/sga_writer.h"
#include "support/temp_folder.h"

#include "mod/ucs_bytes.h"

#include <gtest/gtest.h>

namespace {

class ModCommandsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder.write("Main.module", "[global]\nModFolder=Main\nDataFolder.1=Data\nArchiveFile.1=Main\n"
                                      "ArchiveFile.2=Missing\nParent=Base\n");
        m_folder.write("Base.module", "[global]\nModFolder=Base\nDataFolder.1=Data\n");
        m_folder.write("Main\\Data\\art\\readme.txt", "main data");
        m_folder.write("Base\\Data\\art\\readme.txt", "base data");
        m_folder.write("Base\\Data\\art\\base.txt", "only in base");
        SgaWriter writer(2);
        writer.add_file("art\\packed.txt", "from the archive", true);
        m_folder.write("Main\\Main.sga", writer.build());
        m_folder.write("Main\\Locale\\french\\main.ucs",
                       ucs_bytes(u"10\tAttaquer la base\r\n11\tD\u00e9fendre la base%N%maintenant\r\n12\tattaquer!\r\n"));
        m_folder.write("Main\\Locale\\english\\main.ucs", ucs_bytes(u"10\tAttack\r\n"));
        m_folder.write("Base\\Locale\\french\\base.ucs", ucs_bytes(u"10\tshadowed\r\n20\tBase attaquer\r\n"));
        m_module = m_folder.path("Main.module");
    }

    TempFolder m_folder;
    std::string m_module;
};

TEST_F(ModCommandsTest, SourcesShowsTheCompositionInPrecedenceOrder)
{
    const ToolRun run = run_tool({"sources", m_module});
    ASSERT_EQ(run.exit_code, 0) << run.err;
    const auto lines = lines_of(run.out);
    const std::vector<std::string> expected{
        "locale french", // english exists only in Main: french is common to both
        "module " + m_module,
        "module " + m_folder.path("Base.module"),
        "folder Main\\Data\\ opened",
        "archive Main\\Main.sga opened",
        "archive Main\\Missing.sga left out: Could not open archive " + m_folder.path("Main\\Missing.sga"),
        "folder Base\\Data\\ opened",
        "folder Engine\\Data\\ left out: empty or missing folder",
        "archive Engine\\Engine.sga left out: Could not open archive " + m_folder.path("Engine\\Engine.sga"),
        "locale-folder Main\\Locale\\french\\",
        "locale-folder Base\\Locale\\french\\",
        "locale-folder Engine\\Locale\\french\\",
    };
    ASSERT_EQ(lines.size(), expected.size()) << run.out;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        // An archive's own message may add its reason in parentheses.
        if (expected[i].find("Could not open") != std::string::npos)
            EXPECT_EQ(lines[i].rfind(expected[i], 0), 0u) << lines[i];
        else
            EXPECT_EQ(lines[i], expected[i]);
    }
}

TEST_F(ModCommandsTest, TextResolvesReferencesInTheMainModulesTablesFirst)
{
    const struct {
        std::string text;
        std::string expected;
    } cases[] = {
        {"$10", "Attaquer la base"},
        {"$11", "D\xC3\xA9" "fendre la base\nmaintenant"},
        {"$20", "Base attaquer"},
        {"$99", "$99 No String!"},
        {"plain", "plain"},
    };
    for (const auto& c : cases) {
        const ToolRun run = run_tool({"text", m_module, c.text});
        EXPECT_EQ(run.exit_code, 0) << run.err;
        EXPECT_EQ(run.out, c.expected + "\n") << c.text;
    }
}

TEST_F(ModCommandsTest, SearchPrintsEachMatchWithItsText)
{
    const struct {
        std::string query;
        std::vector<std::string> lines;
    } cases[] = {
        {"ATTAQUER", {"10\tAttaquer la base", "12\tattaquer!", "20\tBase attaquer"}},
        {"la", {"10\tAttaquer la base", "11\tD\xC3\xA9" "fendre la base\\nmaintenant"}},
        // "%N%" separates no words: text 11 holds "base%N%maintenant", not "base".
        {"la base", {"10\tAttaquer la base"}},
        {"shadowed", {}},
        {"nothing", {}},
    };
    for (const auto& c : cases) {
        const ToolRun run = run_tool({"search", m_module, c.query});
        EXPECT_EQ(run.exit_code, 0) << run.err;
        EXPECT_EQ(lines_of(run.out), c.lines) << c.query;
    }
}

TEST_F(ModCommandsTest, LsAndCatReadThroughTheModsFileSystem)
{
    ToolRun run = run_tool({"ls", "--module", m_module, "art"});
    ASSERT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(lines_of(run.out), (std::vector<std::string>{"base.txt", "packed.txt", "readme.txt"}));

    const struct {
        std::string path;
        std::string bytes;
    } cases[] = {
        {"art\\readme.txt", "main data"},
        {"art\\base.txt", "only in base"},
        {"art\\packed.txt", "from the archive"},
    };
    for (const auto& c : cases) {
        run = run_tool({"cat", "--module", m_module, c.path});
        EXPECT_EQ(run.exit_code, 0) << run.err;
        EXPECT_EQ(run.out, c.bytes) << c.path;
    }
}

TEST_F(ModCommandsTest, AMissingModuleOrMissingArgumentsFail)
{
    const std::string missing = m_folder.path("Nothing.module");
    for (const auto& arguments : std::vector<std::vector<std::string>>{
             {"sources", missing}, {"text", missing, "$1"}, {"search", missing, "x"}, {"ls", "--module", missing}}) {
        const ToolRun run = run_tool(arguments);
        EXPECT_EQ(run.exit_code, 1) << arguments[0];
        EXPECT_NE(run.err.find("Cannot open module file " + missing), std::string::npos) << run.err;
    }
    for (const auto& arguments : std::vector<std::vector<std::string>>{
             {"sources"}, {"text", m_module}, {"search", m_module}, {"ls", "--module"}}) {
        const ToolRun run = run_tool(arguments);
        EXPECT_EQ(run.exit_code, 1) << arguments[0];
        EXPECT_NE(run.err.find("usage: tvse-tool " + arguments[0]), std::string::npos) << run.err;
    }
}

} // namespace
