#include "mod/id_text_map.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

using Mod::IdTextMap;

namespace {

// Both forms (dense runs and scattered identifiers) must agree with a plain map.
TEST(IdTextMap, AgreesWithAReferenceMapForDenseAndSparseIdentifiers)
{
    static const char16_t unit = u'x';
    struct Case {
        const char* name;
        std::vector<std::int32_t> ids;
    };
    std::vector<Case> cases{
        {"dense ascending", {}},      {"dense shuffled with repeats", {}}, {"strided", {}},
        {"extremes", {-2147483647 - 1, 2147483647, 0, -1, 1}}, {"single", {42}}};
    for (int i = 0; i < 3000; ++i)
        cases[0].ids.push_back(1000 + i);
    std::mt19937 random(3);
    for (int i = 0; i < 3000; ++i)
        cases[1].ids.push_back(-500 + static_cast<int>(random() % 2000));
    for (int i = 0; i < 3000; ++i)
        cases[2].ids.push_back(i * 4096);

    for (const Case& c : cases) {
        std::vector<IdTextMap::Entry> entries;
        std::map<std::int32_t, std::uint32_t> expected;
        for (std::size_t i = 0; i < c.ids.size(); ++i) {
            entries.push_back({c.ids[i], Mod::UcsText{&unit, static_cast<std::uint32_t>(i)}});
            expected[c.ids[i]] = static_cast<std::uint32_t>(i); // later entries replace earlier ones
        }
        IdTextMap map;
        std::vector<std::int32_t> ids;
        map.build(entries, ids);
        std::vector<std::int32_t> expected_ids;
        for (const auto& e : expected)
            expected_ids.push_back(e.first);
        EXPECT_EQ(ids, expected_ids) << c.name;
        for (const auto& e : expected) {
            const Mod::UcsText* text = map.find(e.first);
            ASSERT_NE(text, nullptr) << c.name << " " << e.first;
            EXPECT_EQ(text->length, e.second) << c.name << " " << e.first;
        }
        for (std::int32_t probe : {-2147483647 - 1, -501, 999, 4095, 4097, 2147483647, 43}) {
            if (!expected.count(probe)) {
                EXPECT_EQ(map.find(probe), nullptr) << c.name << " " << probe;
            }
        }
    }
}

TEST(IdTextMap, AnEmptyMapFindsNothing)
{
    IdTextMap map;
    EXPECT_EQ(map.find(0), nullptr);
    std::vector<std::int32_t> ids{1};
    map.build({}, ids);
    EXPECT_TRUE(ids.empty());
    EXPECT_EQ(map.find(0), nullptr);
}

} // namespace
