// The sample installation end to end: composition, precedence and the localisation
// lookups on data written by an independent generator.

#include "mod/loaded_mod.h"

#include <gtest/gtest.h>

namespace {

std::string text_of(const Mod::BlobPtr& blob)
{
    return blob ? std::string(reinterpret_cast<const char*>(blob->data), blob->size) : std::string("<null>");
}

class SampleMod : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_mod = new Mod::LoadedMod;
        s_mod->load(nullptr, std::string(TVSE_SAMPLE_DIR) + "/Bastion.module");
        s_mod->wait_until_loaded(30000);
    }
    static void TearDownTestSuite()
    {
        delete s_mod;
        s_mod = nullptr;
    }
    static Mod::LoadedMod* s_mod;
};

Mod::LoadedMod* SampleMod::s_mod = nullptr;

TEST_F(SampleMod, StacksTheSourcesOfTheModuleChain)
{
    const Mod::ModComposition& composition = s_mod->composition();
    EXPECT_EQ(composition.locale, "english");
    ASSERT_EQ(composition.module_paths.size(), 3u);
    EXPECT_NE(composition.module_paths[1].find("Armoury.module"), std::string::npos);
    EXPECT_NE(composition.module_paths[2].find("Frontier.module"), std::string::npos);
    std::size_t left_out = 0;
    for (const auto& record : composition.sources)
        left_out += record.opened ? 0 : 1;
    EXPECT_EQ(composition.sources.size(), 16u);
    EXPECT_EQ(left_out, 2u); // the broken and the missing archive
    EXPECT_EQ(s_mod->files()->source_count(), 14u);
    EXPECT_EQ(text_of(s_mod->files()->read("source.txt")).rfind("Bastion\\Data\\", 0), 0u);
}

TEST_F(SampleMod, ResolvesAndSearchesTheTables)
{
    EXPECT_EQ(s_mod->resolve_text("$1"), u"OK");
    EXPECT_EQ(s_mod->resolve_text("$41"), u"$41 No String!"); // in the free range 41-49
    // 10005 is in both the main module's table and the parent's: the main one is read first.
    EXPECT_EQ(s_mod->resolve_text("$10005"), u"The wall is breached: Line Troopers are fighting at the gate!");
    std::vector<std::int32_t> every;
    for (std::int32_t id : s_mod->id_layout(s_mod->min_id(), s_mod->max_id()))
        if (s_mod->find_text(id))
            every.push_back(id);
    EXPECT_EQ(every.size(), 305u); // 306 strings, 10005 twice
    auto found = s_mod->search_ids(u"ATTACK", every);
    ASSERT_FALSE(found.empty());
    EXPECT_EQ(found.front(), 89);
    for (std::int32_t id : found) {
        std::u16string text = s_mod->resolve_text("$" + std::to_string(id));
        for (char16_t& unit : text)
            if (unit >= u'A' && unit <= u'Z')
                unit = static_cast<char16_t>(unit - u'A' + u'a');
        EXPECT_NE(text.find(u"attack"), std::u16string::npos) << id;
    }
}

} // namespace
