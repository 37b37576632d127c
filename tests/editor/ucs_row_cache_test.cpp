#include "editor/ucs_row_cache.h"

#include "mod/localisation.h"
#include "mod/ucs_bytes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

using Editor::UcsRowCache;
using Editor::first_not_less;
using Editor::format_reference;
using Editor::parse_reference;
using Editor::reference_beyond_ids;

namespace {

constexpr std::int32_t int32_max = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t int32_min = std::numeric_limits<std::int32_t>::min();

// Identifiers 100, 102, 104, ...: row i is "$<100 + 2i>", so a row's content tells
// which index it was resolved for.
std::vector<std::int32_t> even_ids(std::size_t count)
{
    std::vector<std::int32_t> ids;
    for (std::size_t i = 0; i < count; ++i)
        ids.push_back(static_cast<std::int32_t>(100 + 2 * i));
    return ids;
}

std::u16string u16(const std::string& ascii)
{
    return std::u16string(ascii.begin(), ascii.end());
}

// A cache whose resolver records what it was asked for.
class RowCacheTest : public testing::Test {
protected:
    std::vector<std::string> asked;
    UcsRowCache cache{[this](std::string_view reference) {
        asked.emplace_back(reference);
        return u"text of " + u16(std::string(reference));
    }};
    std::vector<std::int32_t> ids = even_ids(100);

    // Every cached row holds the row of its own index.
    void expect_rows_match()
    {
        for (std::size_t i = cache.start(); i < cache.start() + cache.size(); ++i) {
            const UcsRowCache::Row* row = cache.row(ids, i);
            ASSERT_NE(row, nullptr);
            EXPECT_EQ(row->reference, u16(format_reference(ids[i]))) << i;
            EXPECT_EQ(row->text, u"text of " + row->reference) << i;
        }
    }
};

} // namespace

TEST(UcsReference, FormatsSignedIdentifiers)
{
    EXPECT_EQ(format_reference(0), "$0");
    EXPECT_EQ(format_reference(1234), "$1234");
    EXPECT_EQ(format_reference(int32_max), "$2147483647");
    EXPECT_EQ(format_reference(int32_min), "$-2147483648");
}

TEST(UcsReference, ReadsDollarAndDigitsLongerThanTwoCharacters)
{
    EXPECT_EQ(parse_reference(u"$12"), 12);
    EXPECT_EQ(parse_reference(u"$007"), 7);
    EXPECT_EQ(parse_reference(u"$00"), 0);
    EXPECT_EQ(parse_reference(u"$2147483647"), int32_max);
}

TEST(UcsReference, AnythingElseIsPlainText)
{
    EXPECT_FALSE(parse_reference(u""));
    EXPECT_FALSE(parse_reference(u"$"));
    EXPECT_FALSE(parse_reference(u"$7")); // two characters only
    EXPECT_FALSE(parse_reference(u"$12a"));
    EXPECT_FALSE(parse_reference(u"$1 2"));
    EXPECT_FALSE(parse_reference(u"$-5"));
    EXPECT_FALSE(parse_reference(u"$+5"));
    EXPECT_FALSE(parse_reference(u" $12"));
    EXPECT_FALSE(parse_reference(u"1234"));
    EXPECT_FALSE(parse_reference(u"$\uFF11\uFF12")); // full-width digits
    EXPECT_FALSE(parse_reference(u"$/:")); // the units just outside '0'..'9'
}

TEST(UcsReference, NumbersPastTheIdentifierRangeSaturate)
{
    EXPECT_EQ(parse_reference(u"$2147483648"), reference_beyond_ids);
    EXPECT_EQ(parse_reference(u"$4294967296"), reference_beyond_ids); // would wrap to 0 in 32 bits
    EXPECT_EQ(parse_reference(u"$99999999999"), reference_beyond_ids);
    EXPECT_EQ(parse_reference(u"$" + std::u16string(400, u'9')), reference_beyond_ids);
    // Leading zeros are not "large".
    EXPECT_EQ(parse_reference(u"$" + std::u16string(40, u'0') + u"42"), 42);
}

TEST(UcsReference, FirstNotLessBisects)
{
    const std::vector<std::int32_t> ids{-7, 2, 3, 7, 1000};
    EXPECT_EQ(first_not_less(ids, int32_min), 0u);
    EXPECT_EQ(first_not_less(ids, -7), 0u);
    EXPECT_EQ(first_not_less(ids, -6), 1u);
    EXPECT_EQ(first_not_less(ids, 3), 2u);
    EXPECT_EQ(first_not_less(ids, 4), 3u); // missing: the next larger
    EXPECT_EQ(first_not_less(ids, 1000), 4u);
    EXPECT_EQ(first_not_less(ids, 1001), ids.size());
    EXPECT_EQ(first_not_less({}, 5), 0u);
}

TEST(UcsReference, BeyondTheRangeFindsNothingEvenWithTheLargestIdentifier)
{
    const std::vector<std::int32_t> ids{1, int32_max};
    EXPECT_EQ(first_not_less(ids, *parse_reference(u"$2147483647")), 1u);
    EXPECT_EQ(first_not_less(ids, *parse_reference(u"$99999999999")), ids.size());
    EXPECT_EQ(first_not_less(ids, *parse_reference(u"$4294967297")), ids.size());
}

TEST_F(RowCacheTest, FillsTheRequestedRangeOnce)
{
    cache.fill(ids, 10, 20);
    EXPECT_EQ(cache.start(), 10u);
    EXPECT_EQ(cache.size(), 11u);
    EXPECT_EQ(asked.size(), 11u);
    EXPECT_EQ(asked.front(), "$120");
    EXPECT_EQ(asked.back(), "$140");
    expect_rows_match();

    // Inside the cache: no refill, whether as a range, its edges or single rows.
    asked.clear();
    cache.fill(ids, 10, 20);
    cache.fill(ids, 12, 15);
    cache.fill(ids, 20, 20);
    EXPECT_EQ(cache.row(ids, 10)->reference, u"$120");
    EXPECT_EQ(cache.row(ids, 20)->reference, u"$140");
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(cache.start(), 10u);
    EXPECT_EQ(cache.size(), 11u);
}

TEST_F(RowCacheTest, ASingleRowOnAnEmptyCacheIsTheWholeRun)
{
    const UcsRowCache::Row* row = cache.row(ids, 42);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->reference, u"$184");
    EXPECT_EQ(row->text, u"text of $184");
    EXPECT_EQ(cache.start(), 42u);
    EXPECT_EQ(cache.size(), 1u);
}

TEST_F(RowCacheTest, ASingleRowAfterTheCacheExtendsItFromTheCacheStart)
{
    cache.fill(ids, 10, 20);
    asked.clear();
    EXPECT_EQ(cache.row(ids, 25)->reference, u"$150");
    EXPECT_EQ(cache.start(), 10u);
    EXPECT_EQ(cache.size(), 16u);
    // The rows already cached are kept, not resolved again.
    EXPECT_EQ(asked, (std::vector<std::string>{"$142", "$144", "$146", "$148", "$150"}));
    expect_rows_match();
}

TEST_F(RowCacheTest, ASingleRowBeforeTheCacheExtendsItToTheCacheEnd)
{
    cache.fill(ids, 10, 20);
    asked.clear();
    EXPECT_EQ(cache.row(ids, 3)->reference, u"$106");
    EXPECT_EQ(cache.start(), 3u);
    EXPECT_EQ(cache.size(), 18u);
    EXPECT_EQ(asked.size(), 7u);
    expect_rows_match();
}

TEST_F(RowCacheTest, ARangeNotInsideTheCacheReplacesIt)
{
    cache.fill(ids, 10, 20);
    asked.clear();
    // Overlapping the end: the new run is exactly the range.
    cache.fill(ids, 15, 30);
    EXPECT_EQ(cache.start(), 15u);
    EXPECT_EQ(cache.size(), 16u);
    EXPECT_EQ(asked.size(), 10u); // 21..30; 15..20 were kept
    expect_rows_match();

    // Enclosing the cache: still just the range.
    cache.fill(ids, 0, 40);
    EXPECT_EQ(cache.start(), 0u);
    EXPECT_EQ(cache.size(), 41u);
    expect_rows_match();

    // Far away: no run between the two.
    cache.fill(ids, 90, 95);
    EXPECT_EQ(cache.start(), 90u);
    EXPECT_EQ(cache.size(), 6u);
    expect_rows_match();
}

TEST_F(RowCacheTest, RangesAreCutAtTheEndOfTheList)
{
    cache.fill(ids, 95, 1000);
    EXPECT_EQ(cache.start(), 95u);
    EXPECT_EQ(cache.size(), 5u);

    // Nothing at all past the end, and nothing for a reversed range.
    cache.fill(ids, 100, 120);
    cache.fill(ids, 50, 40);
    EXPECT_EQ(cache.row(ids, 100), nullptr);
    EXPECT_EQ(cache.row(ids, static_cast<std::size_t>(-1)), nullptr);
    EXPECT_EQ(cache.start(), 95u);
    EXPECT_EQ(cache.size(), 5u);

    const std::vector<std::int32_t> none;
    EXPECT_EQ(cache.row(none, 0), nullptr);
}

TEST_F(RowCacheTest, ClearForgetsEveryRow)
{
    cache.fill(ids, 10, 20);
    cache.clear();
    EXPECT_EQ(cache.size(), 0u);
    EXPECT_FALSE(cache.contains(10, 10));

    // A shorter list after a search: the old indices mean other rows now.
    const std::vector<std::int32_t> found{7, 8};
    asked.clear();
    EXPECT_EQ(cache.row(found, 1)->reference, u"$8");
    EXPECT_EQ(asked, std::vector<std::string>{"$8"});
    EXPECT_EQ(cache.start(), 1u);
    EXPECT_EQ(cache.size(), 1u);
}

TEST_F(RowCacheTest, AFailedResolutionLeavesNoHalfMovedRows)
{
    UcsRowCache failing([](std::string_view reference) -> std::u16string {
        if (reference == "$150")
            throw std::runtime_error("cannot resolve");
        return u"ok";
    });
    failing.fill(ids, 10, 20);
    EXPECT_THROW(failing.fill(ids, 25, 25), std::runtime_error);
    EXPECT_EQ(failing.size(), 0u);
    EXPECT_EQ(failing.row(ids, 12)->reference, u"$124");
    EXPECT_EQ(failing.row(ids, 12)->text, u"ok");
}

// The rows of a real layout with gaps, resolved by the mod's lookups: gap members and
// missing strings read "<reference> No String!", line-break marks become line feeds.
TEST(UcsRowCacheWithTables, GapRowsReadNoString)
{
    Mod::UcsTables tables;
    tables.push_back(Mod::UcsTable::parse(blob_of(ucs_bytes(u"2\tTwo\r\n3\tLine one%N%Line two\r\n7\tSeven\r\n"))));
    const std::vector<std::int32_t> layout = Mod::id_layout(tables, 1, 10);
    ASSERT_EQ(layout, (std::vector<std::int32_t>{1, 2, 3, 4, 6, 7}));

    UcsRowCache cache([&](std::string_view reference) { return Mod::resolve_text(tables, reference); });
    cache.fill(layout, 0, layout.size() - 1);
    const std::u16string expected[][2] = {
        {u"$1", u"$1 No String!"}, {u"$2", u"Two"},           {u"$3", u"Line one\nLine two"},
        {u"$4", u"$4 No String!"}, {u"$6", u"$6 No String!"}, {u"$7", u"Seven"},
    };
    for (std::size_t i = 0; i < layout.size(); ++i) {
        EXPECT_EQ(cache.row(layout, i)->reference, expected[i][0]) << i;
        EXPECT_EQ(cache.row(layout, i)->text, expected[i][1]) << i;
    }
}
