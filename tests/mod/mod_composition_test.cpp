#include "mod/mod_composition.h"

#include "memory_source.h"
#include "mod/module_sources.h"
#include "platform/debug_output.h"

#include <gtest/gtest.h>

#include <stdexcept>

using Mod::SourceEntry;
using Mod::SourceKind;
using Strings = std::vector<std::string>;

namespace {

SourceEntry folder(const std::string& path) { return {SourceKind::folder, path}; }
SourceEntry archive(const std::string& path) { return {SourceKind::archive, path}; }

// Archives "open" when the fake knows them; the rest fail as a real archive would.
struct FakeArchives {
    std::set<std::string> present;
    Strings opened;
    Mod::ArchiveOpener opener()
    {
        return [this](const std::string& path) -> std::unique_ptr<Mod::FileSource> {
            if (!present.count(path))
                throw std::runtime_error("Could not open archive " + path);
            opened.push_back(path);
            auto source = std::make_unique<MemorySource>();
            source->add("from-archive.txt", path);
            return source;
        };
    }
};

class Composition : public testing::Test {
protected:
    Composition() : disk(std::make_shared<MemorySource>())
    {
        previous_sink = Platform::set_debug_sink([this](const std::string& m) { messages.push_back(m); });
    }
    ~Composition() override { Platform::set_debug_sink(previous_sink); }

    Mod::ComposedMod compose(const std::string& main = "inst\\Main.module")
    {
        return Mod::compose_mod(disk, main, archives.opener());
    }
    static std::vector<SourceEntry> entries(const Mod::ComposedMod& mod)
    {
        std::vector<SourceEntry> result;
        for (const auto& record : mod.record.sources)
            result.push_back(record.entry);
        return result;
    }
    static std::vector<SourceEntry> engine(const std::string& locale = "english")
    {
        return {folder("Engine\\Data\\"), archive("Engine\\Engine.sga")};
    }
    static std::vector<SourceEntry> joined(std::vector<SourceEntry> a, const std::vector<SourceEntry>& b)
    {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    }

    std::shared_ptr<MemorySource> disk;
    FakeArchives archives;
    Strings messages;
    Platform::DebugSink previous_sink;
};

TEST_F(Composition, AModuleAloneYieldsItsSourcesThenTheEngines)
{
    disk->add("inst\\Main.module", "[global]\nModFolder=MyMod\nDataFolder.1=Data\nDataFolder.2=%LOCALE%\\Data\n"
                                   "DataFolder.01=Never\nArchiveFile.1=Main\nArchiveFile.2=%TEXTURE-LEVEL%\n"
                                   "[data:common]\nfolder=Common\narchive.01=c1\narchive.02=c2\narchive.04=c4\n"
                                   "[data:common:01]\narchive.01=c01\n"
                                   "[data:english]\nfolder=Eng\n[data:english:01]\nfolder=Eng01\n"
                                   "[data:english:03]\nfolder=Never\n[data:french]\nfolder=Never\n");
    auto mod = compose();
    EXPECT_EQ(mod.record.locale, "english");
    EXPECT_EQ(mod.record.install_folder, "inst\\");
    EXPECT_EQ(mod.record.module_paths, Strings{"inst\\Main.module"});
    EXPECT_EQ(entries(mod), joined({folder("MyMod\\Data\\"), folder("MyMod\\Locale\\english\\Data\\"),
                                    folder("Common\\"), archive("c1.sga"), archive("c2.sga"), archive("c01.sga"),
                                    folder("Eng\\"), folder("Eng01\\"), archive("MyMod\\Main.sga"),
                                    archive("MyMod\\Full.sga")},
                                   engine()));
    EXPECT_EQ(mod.record.locale_folders, (Strings{"MyMod\\Locale\\english\\", "Engine\\Locale\\english\\"}));
    ASSERT_EQ(mod.modules.size(), 1u);
}

TEST_F(Composition, NumberedDataSectionsStartAfterAMissingFirstAndStopAtAGap)
{
    disk->add("inst\\Main.module", "[global]\nModFolder=M\n[data:common:01]\nfolder=One\n"
                                   "[data:common:03]\nfolder=Three\n");
    EXPECT_EQ(entries(compose()), joined({folder("One\\")}, engine()));
}

TEST_F(Composition, RequiredModulesJoinAndMissingOnesAreSkipped)
{
    disk->add("inst\\Main.module", "[global]\nModFolder=Main\nRequiredMod.1=A\nRequiredMod.2=B\nRequiredMod.4=D\n");
    disk->add("inst\\B.module", "[global]\nModFolder=B\nDataFolder.1=Data\nRequiredMod.1=C\nParent=C\n");
    disk->add("inst\\C.module", "[global]\nModFolder=C\n");
    disk->add("inst\\D.module", "[global]\nModFolder=D\n");
    auto mod = compose();
    // B's own RequiredMod and Parent are not followed.
    EXPECT_EQ(mod.record.module_paths, (Strings{"inst\\Main.module", "inst\\B.module"}));
    EXPECT_EQ(entries(mod), joined({folder("B\\Data\\")}, engine()));
    EXPECT_EQ(mod.record.locale_folders,
              (Strings{"Main\\Locale\\english\\", "B\\Locale\\english\\", "Engine\\Locale\\english\\"}));
}

TEST_F(Composition, TheParentChainIsFollowedWithTheRequiredModulesOfEachLink)
{
    disk->add("inst\\Main.module", "[global]\nModFolder=Main\nDataFolder.1=d\nParent=P\n");
    disk->add("inst\\P.module", "[global]\nModFolder=P\nDataFolder.1=d\nRequiredMod.1=Q\nParent=R\n");
    disk->add("inst\\Q.module", "[global]\nModFolder=Q\nDataFolder.1=d\n");
    disk->add("inst\\R.module", "[global]\nModFolder=R\nDataFolder.1=d\nParent=Missing\n");
    auto mod = compose();
    EXPECT_EQ(mod.record.module_paths,
              (Strings{"inst\\Main.module", "inst\\P.module", "inst\\Q.module", "inst\\R.module"}));
    EXPECT_EQ(entries(mod),
              joined({folder("Main\\d\\"), folder("P\\d\\"), folder("Q\\d\\"), folder("R\\d\\")}, engine()));
}

TEST_F(Composition, AParentCycleEndsWhereAModuleWouldComeAgain)
{
    struct Case {
        const char* name;
        std::map<std::string, std::string> files;
        Strings expected;
    };
    for (const Case& c : {
             Case{"self", {{"inst\\Main.module", "[global]\nParent=Main\n"}}, {"inst\\Main.module"}},
             Case{"self in other case",
                  {{"inst\\Main.module", "[global]\nParent=MAIN\n"}, {"inst\\MAIN.module", "[global]\n"}},
                  {"inst\\Main.module"}},
             Case{"two links",
                  {{"inst\\Main.module", "[global]\nParent=P\n"}, {"inst\\P.module", "[global]\nParent=Main\n"}},
                  {"inst\\Main.module", "inst\\P.module"}},
             Case{"back to a required module",
                  {{"inst\\Main.module", "[global]\nRequiredMod.1=Q\nParent=P\n"},
                   {"inst\\P.module", "[global]\nParent=Q\n"},
                   {"inst\\Q.module", "[global]\nParent=Main\n"}},
                  {"inst\\Main.module", "inst\\Q.module", "inst\\P.module"}},
         }) {
        disk = std::make_shared<MemorySource>();
        for (const auto& file : c.files)
            disk->add(file.first, file.second);
        EXPECT_EQ(compose().record.module_paths, c.expected) << c.name;
    }
}

TEST_F(Composition, AMissingMainModuleFails)
{
    try {
        compose("inst\\Nothing.module");
        FAIL() << "no failure";
    } catch (const std::runtime_error& failure) {
        EXPECT_STREQ(failure.what(), "Cannot open module file inst\\Nothing.module");
    }
}

TEST_F(Composition, AModulePathWithoutFolderHasAnEmptyInstallFolder)
{
    disk->add("Main.module", "[global]\nModFolder=M\nDataFolder.1=d\n");
    disk->add("M\\d\\file.txt");
    auto mod = compose("Main.module");
    EXPECT_EQ(mod.record.install_folder, "");
    EXPECT_TRUE(mod.record.sources[0].opened);
}

TEST_F(Composition, TheLocaleIsTheSmallestNameCommonToEveryModuleThatHasLocales)
{
    struct Case {
        const char* name;
        std::vector<Strings> locales; // per module: main, parent, grandparent; empty: no Locale folder
        const char* expected;
    };
    for (const Case& c : {
             Case{"none", {{}, {}}, "english"},
             Case{"only common name", {{"english", "french"}, {"french", "german"}}, "french"},
             Case{"smallest byte-wise", {{"german", "French", "french"}, {}}, "French"},
             Case{"empty listings are ignored", {{}, {"german", "spanish"}, {}}, "german"},
             Case{"nothing in common", {{"english"}, {"french"}}, "english"},
             Case{"intersections narrow", {{"a", "b", "c"}, {"b", "c"}, {"c", "d"}}, "c"},
         }) {
        disk = std::make_shared<MemorySource>();
        for (std::size_t m = 0; m < c.locales.size(); ++m) {
            std::string name = "M" + std::to_string(m);
            std::string parent = m + 1 < c.locales.size() ? "Parent=M" + std::to_string(m + 1) + "\n" : "";
            disk->add("inst\\" + name + ".module", "[global]\nModFolder=" + name + "\n" + parent);
            for (const std::string& locale : c.locales[m])
                disk->add_folder("inst\\" + name + "\\Locale\\" + locale);
        }
        auto mod = compose("inst\\M0.module");
        EXPECT_EQ(mod.record.locale, c.expected) << c.name;
    }
}

TEST_F(Composition, TheLocaleIsChosenBeforeVariablesExist)
{
    disk->add("inst\\Main.module", "[global]\nModFolder=%LOCALE%\n");
    disk->add_folder("inst\\%LOCALE%\\Locale\\french");
    auto mod = compose();
    EXPECT_EQ(mod.record.locale, "french");
    // Afterwards the variable is set, so the folder expands.
    EXPECT_EQ(mod.record.locale_folders[0], "Locale\\french\\Locale\\french\\");
}

TEST_F(Composition, LocaleFoldersComeFromTheLocaleSectionWhenThereIsOneOrNoModFolder)
{
    struct Case {
        const char* name;
        const char* module;
        Strings expected;
    };
    for (const Case& c : {
             Case{"default", "[global]\nModFolder=MyMod\n", {"MyMod\\Locale\\english\\"}},
             Case{"section", "[global]\nModFolder=MyMod\n[locale:english]\nfolder.01=L1\nfolder.02=%LOCALE%\\L2\nfolder.04=L4\n",
                  {"L1\\", "Locale\\english\\L2\\"}},
             Case{"section with other keys only", "[global]\nModFolder=MyMod\n[locale:english]\nx=1\n", {}},
             Case{"other locale's section", "[global]\nModFolder=MyMod\n[locale:french]\nfolder.01=F\n",
                  {"MyMod\\Locale\\english\\"}},
             Case{"no mod folder", "[global]\nDescription=x\n", {}},
             Case{"one-letter mod folder", "[global]\nModFolder=M\n", {"M\\Locale\\english\\"}},
         }) {
        disk = std::make_shared<MemorySource>();
        disk->add("inst\\Main.module", c.module);
        Strings expected = c.expected;
        expected.push_back("Engine\\Locale\\english\\");
        EXPECT_EQ(compose().record.locale_folders, expected) << c.name;
    }
}

TEST_F(Composition, EngineLocaleArchivesAreAddedInListingOrder)
{
    disk->add("inst\\Main.module", "[global]\nModFolder=M\n");
    disk->add("inst\\M\\Locale\\german\\x.ucs");
    disk->add("inst\\Engine\\Locale\\german\\A.SGA");
    disk->add("inst\\Engine\\Locale\\german\\b.sga");
    disk->add("inst\\Engine\\Locale\\german\\notes.txt");
    disk->add("inst\\Engine\\Locale\\german\\x.sga.bak");
    auto mod = compose();
    EXPECT_EQ(entries(mod), joined(engine(), {archive("Engine\\Locale\\german\\A.SGA"),
                                              archive("Engine\\Locale\\german\\b.sga")}));
}

TEST_F(Composition, SourcesThatCannotBeOpenedAreLeftOutAndRecorded)
{
    disk->add("inst\\Main.module", "[global]\nModFolder=M\nDataFolder.1=Full\nDataFolder.2=Empty\n"
                                   "DataFolder.3=Missing\nArchiveFile.1=Good\nArchiveFile.2=Bad\n");
    disk->add("inst\\M\\Full\\a.txt", "full");
    disk->add_folder("inst\\M\\Empty");
    disk->add("inst\\Engine\\Data\\e.txt", "engine");
    archives.present = {"inst\\M\\Good.sga"};
    auto mod = compose();

    struct Expected {
        bool opened;
        const char* reason;
    };
    const std::vector<Expected> expected{{true, ""},
                                         {false, "empty or missing folder"},
                                         {false, "empty or missing folder"},
                                         {true, ""},
                                         {false, "Could not open archive inst\\M\\Bad.sga"},
                                         {true, ""},
                                         {false, "Could not open archive inst\\Engine\\Engine.sga"}};
    ASSERT_EQ(mod.record.sources.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(mod.record.sources[i].opened, expected[i].opened) << i;
        EXPECT_EQ(mod.record.sources[i].reason, expected[i].reason) << i;
    }
    EXPECT_EQ(mod.files->source_count(), 3u);
    // Archive failures reach the debugger output; empty folders do not.
    EXPECT_EQ(messages, (Strings{"Could not open archive inst\\M\\Bad.sga", "Could not open archive inst\\Engine\\Engine.sga"}));
    // Folder sources are rooted at the installation folder plus their path.
    auto blob = mod.files->read("a.txt");
    ASSERT_TRUE(blob);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(blob->data), blob->size), "full");
    blob = mod.files->read("from-archive.txt");
    ASSERT_TRUE(blob);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(blob->data), blob->size), "inst\\M\\Good.sga");
    EXPECT_TRUE(mod.files->read("e.txt"));
}

TEST(HasExtension, IgnoresAsciiCase)
{
    EXPECT_TRUE(Mod::has_extension("a.UCS", ".ucs"));
    EXPECT_TRUE(Mod::has_extension(".ucs", ".ucs"));
    EXPECT_FALSE(Mod::has_extension("ucs", ".ucs"));
    EXPECT_FALSE(Mod::has_extension("a.ucs ", ".ucs"));
}

} // namespace
