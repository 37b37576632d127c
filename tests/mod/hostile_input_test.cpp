// Inputs made to multiply the work of the mod readers: each must finish at once, with
// the result an honest input would give.

#include "mod/id_text_map.h"
#include "mod/mod_composition.h"
#include "mod/module_chain.h"
#include "mod/module_file.h"

#include "memory_source.h"

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <string>

namespace {

// Counts the reads that reach it.
class CountingSource : public MemorySource {
public:
    Mod::BlobPtr read(const std::string& path) const override
    {
        ++reads[path];
        return MemorySource::read(path);
    }
    mutable std::map<std::string, int> reads;
};

} // namespace

TEST(HostileInput, ManyMarkersExpandInTimeLinearInTheValue)
{
    Mod::ModuleVariables variables{{"V", "value"}, {"LONG", std::string(1000, 'x')}};
    std::string value;
    for (int i = 0; i < 200000; ++i)
        value += "%V%";
    const std::string expanded = Mod::expand_variables(value, variables);
    EXPECT_EQ(expanded.size(), 200000u * 5);
    // Unknown markers and markers whose replacement holds markers.
    std::string unknown;
    for (int i = 0; i < 200000; ++i)
        unknown += "%NOPE%";
    EXPECT_EQ(Mod::expand_variables(unknown, variables), unknown);
    EXPECT_EQ(Mod::expand_variables("%A%V%B%", {{"V", "%V%"}}), "%A%V%B%") << "A and B unknown, V not re-expanded";
    EXPECT_EQ(Mod::expand_variables("a%V%b%LONG%c%", variables), "avalueb" + std::string(1000, 'x') + "c%");
}

TEST(HostileInput, AModuleRequiredOverAndOverIsReadOnce)
{
    CountingSource disk;
    std::string main = "[global]\nModFolder=Main\nParent=Main\n";
    for (int n = 1; n <= 20000; ++n)
        main += "RequiredMod." + std::to_string(n) + "=" + (n % 2 ? "Common" : "COMMON") + "\n";
    main += "RequiredMod.20001=Main\n";
    disk.add("inst\\Main.module", main);
    disk.add("inst\\Common.module", "[global]\nModFolder=Common\n");
    const std::vector<Mod::ModuleEntry> chain = Mod::read_module_chain(disk, "inst\\Main.module");
    ASSERT_EQ(chain.size(), 2u) << "the main module and Common, once each";
    EXPECT_EQ(chain[1].path, "inst\\Common.module");
    EXPECT_EQ(disk.reads["inst\\Main.module"], 1);
    EXPECT_EQ(disk.reads["inst\\Common.module"], 1);
}

TEST(HostileInput, AnArchiveOrFolderListedOverAndOverIsOpenedOnce)
{
    auto disk = std::make_shared<MemorySource>();
    std::string main = "[global]\nModFolder=Main\n";
    for (int n = 1; n <= 5000; ++n) {
        main += "ArchiveFile." + std::to_string(n) + "=" + (n % 2 ? "Same" : "SAME") + "\n";
        main += "DataFolder." + std::to_string(n) + "=Data\n";
    }
    disk->add("inst\\Main.module", main);
    disk->add("inst\\Main\\Data\\x.txt", "x");
    std::vector<std::string> archives_opened;
    Mod::ComposedMod mod = Mod::compose_mod(disk, "inst\\Main.module", [&](const std::string& path) {
        archives_opened.push_back(path);
        return std::make_unique<MemorySource>();
    });
    ASSERT_EQ(archives_opened.size(), 2u) << "Same once, then the engine's";
    EXPECT_EQ(archives_opened[0], "inst\\Main\\Same.sga");
    int opened = 0;
    int repeated = 0;
    for (const Mod::SourceRecord& record : mod.record.sources) {
        opened += record.opened;
        repeated += record.reason == "listed before";
    }
    EXPECT_EQ(repeated, 2 * 5000 - 2) << "every repeat is recorded as such";
    EXPECT_GE(opened, 2);
    ASSERT_TRUE(mod.files->read("x.txt"));
}

TEST(HostileInput, SparseIdentifiersChosenToCollideStayFastAndCorrect)
{
    // Identifiers spread far apart (the sparse form) in an order and with repeats that
    // a probing hash would chain: every one must still be found, the last text winning.
    static const char16_t first[] = u"first";
    static const char16_t last[] = u"last";
    std::vector<Mod::IdTextMap::Entry> entries;
    const int count = 300000;
    for (int i = count; i-- > 0;) {
        const std::int32_t id = static_cast<std::int32_t>(static_cast<std::uint32_t>(i) << 13);
        entries.push_back({id, {first, 5}});
    }
    for (int i = 0; i < count; i += 3)
        entries.push_back({static_cast<std::int32_t>(static_cast<std::uint32_t>(i) << 13), {last, 4}});
    Mod::IdTextMap map;
    std::vector<std::int32_t> ids;
    map.build(entries, ids);
    ASSERT_EQ(ids.size(), static_cast<std::size_t>(count));
    EXPECT_TRUE(std::is_sorted(ids.begin(), ids.end()));
    for (int i = 0; i < count; ++i) {
        const Mod::UcsText* text = map.find(static_cast<std::int32_t>(static_cast<std::uint32_t>(i) << 13));
        ASSERT_NE(text, nullptr) << i;
        EXPECT_EQ(text->length, i % 3 == 0 ? 4u : 5u) << i;
    }
    EXPECT_EQ(map.find(1), nullptr);
    EXPECT_EQ(map.find(-1), nullptr);
}
