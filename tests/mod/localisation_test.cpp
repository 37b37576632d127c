#include "mod/localisation.h"

#include "ucs_bytes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Mod::UcsTables;
using Ids = std::vector<std::int32_t>;

namespace {

UcsTables tables_of(const std::vector<std::u16string>& bodies)
{
    UcsTables tables;
    for (const auto& body : bodies)
        tables.push_back(Mod::UcsTable::parse(blob_of(ucs_bytes(body))));
    return tables;
}

Mod::WordIndex index_of(const UcsTables& tables)
{
    std::int32_t min_id = 2147483647, max_id = -2147483647 - 1;
    for (const auto& table : tables) {
        min_id = std::min(min_id, table->min_id());
        max_id = std::max(max_id, table->max_id());
    }
    Mod::WordIndex index;
    Mod::build_word_index(tables, min_id, max_id, index);
    return index;
}

TEST(ResolveText, ResolvesReferencesAndFallsBackToTheText)
{
    UcsTables tables = tables_of({u"5\tfirst\r\n7\tLine one%N%Line two%N%\r\n-3\tnegative\r\n",
                                  u"5\tsecond\r\n6\tsix\r\n0\tzero\r\n"});
    struct Case {
        const char* text;
        std::u16string expected;
    };
    for (const Case& c : {
             Case{"$5", u"first"},                          // the first table in load order wins
             Case{"$6", u"six"},
             Case{"$7", u"Line one\nLine two\n"},
             Case{"$ 6", u"six"},                           // atoi: leading white space
             Case{"$+6", u"six"},
             Case{"$6abc", u"six"},                         // digits up to the first non-digit
             Case{"$", u"zero"},                            // no digits read as 0
             Case{"$x", u"zero"},
             Case{"$1234", u"$1234 No String!"},
             Case{"$12ab", u"$12ab"},                       // not found, not only digits
             Case{"$99999999999", u"$99999999999 No String!"}, // saturates, no overflow
             Case{"plain text", u"plain text"},
             Case{"", u""},
             Case{"5", u"5"},
             Case{"caf\xE9", u"caf\u00e9"},
         })
        EXPECT_EQ(Mod::resolve_text(tables, c.text), c.expected) << c.text;
}

TEST(ResolveText, WithoutTablesEveryReferenceIsMissing)
{
    UcsTables none;
    EXPECT_EQ(Mod::resolve_text(none, "$0"), u"$0 No String!");
    EXPECT_EQ(Mod::resolve_text(none, "$"), u"$ No String!");
    EXPECT_EQ(Mod::resolve_text(none, "$-1"), u"$-1");
}

TEST(ResolveText, ReplacesOnlyCompleteLineMarkers)
{
    UcsTables tables = tables_of({u"1\t%N%%N\r\n2\t%%N%%\r\n3\t%N\r\n"});
    EXPECT_EQ(Mod::resolve_text(tables, "$1"), u"\n%N");
    EXPECT_EQ(Mod::resolve_text(tables, "$2"), u"%\n%");
    EXPECT_EQ(Mod::resolve_text(tables, "$3"), u"%N");
}

TEST(ParseStringNumber, ReadsLikeAtoi)
{
    struct Case {
        const char* text;
        std::int32_t expected;
    };
    for (const Case& c : {Case{"", 0}, Case{"42", 42}, Case{" \t\n42x", 42}, Case{"-17", -17}, Case{"+-1", 0},
                          Case{"- 1", 0}, Case{"2147483647", 2147483647}, Case{"2147483648", 2147483647},
                          Case{"-2147483648", -2147483647 - 1}, Case{"-99999999999", -2147483647 - 1}})
        EXPECT_EQ(Mod::parse_string_number(c.text), c.expected) << c.text;
}

TEST(IdLayout, ListsIdentifiersAndMarksGaps)
{
    UcsTables tables = tables_of({u"2\ta\r\n7\tb\r\n", u"3\tc\r\n"});
    struct Case {
        std::int32_t first, last;
        Ids expected;
    };
    for (const Case& c : {Case{1, 10, {1, 2, 3, 4, 6, 7}}, Case{2, 7, {2, 3, 4, 6, 7}}, Case{3, 6, {3}},
                          Case{5, 7, {5, 6, 7}}, Case{6, 7, {6, 7}}, Case{8, 100, {}}, Case{7, 1, {}},
                          Case{-2147483647 - 1, 2147483647, {-2147483647 - 1, 1, 2, 3, 4, 6, 7}}})
        EXPECT_EQ(Mod::id_layout(tables, c.first, c.last), c.expected) << c.first << ".." << c.last;
    EXPECT_EQ(Mod::id_layout(UcsTables(), 1, 10), Ids());
}

TEST(IdLayout, EndsAfterTheLargestIdentifier)
{
    UcsTables tables = tables_of({u"2147483646\ta\r\n2147483647\tb\r\n"});
    EXPECT_EQ(Mod::id_layout(tables, 2147483640, 2147483647), (Ids{2147483640, 2147483645, 2147483646, 2147483647}));
    EXPECT_EQ(Mod::id_layout(tables, 2147483647, 2147483647), (Ids{2147483647}));
}

TEST(WordIndex, IndexesEachOccurrenceOfTheFirstTablesTextsInAscendingOrder)
{
    UcsTables tables = tables_of({u"5\tAttack the base\r\n1\tattack, attack!\r\n",
                                  u"5\tDefend\r\n3\t(ATTACK)<now>?\r\n"});
    Mod::WordIndex index = index_of(tables);
    EXPECT_EQ(index[u"attack"], (Ids{1, 1, 3, 5}));
    EXPECT_EQ(index[u"now"], (Ids{3}));
    EXPECT_EQ(index.count(u"defend"), 0u); // 5 comes from the first table only
    EXPECT_EQ(index.count(u"attack,"), 0u);
    EXPECT_EQ(index.count(u""), 0u);
}

TEST(WordIndex, LowerCasesAsciiOnly)
{
    UcsTables tables = tables_of({u"1\t\u00C9COLE \u00E9cole Stra\u00DFe\r\n"});
    Mod::WordIndex index = index_of(tables);
    EXPECT_EQ(index.count(u"\u00C9cole"), 1u); // only A-Z change
    EXPECT_EQ(index.count(u"\u00E9cole"), 1u);
    EXPECT_EQ(index.count(u"stra\u00DFe"), 1u);
}

TEST(WordIndex, AWalkThatReachesTheLargestIdentifierEnds)
{
    UcsTables tables = tables_of({u"2147483647\ttop\r\n-2147483648\tbottom\r\n", u"2147483647\tshadowed\r\n"});
    Mod::WordIndex index = index_of(tables);
    EXPECT_EQ(index[u"top"], (Ids{2147483647}));
    EXPECT_EQ(index[u"bottom"], (Ids{-2147483647 - 1}));
    EXPECT_EQ(index.count(u"shadowed"), 0u);
}

TEST(WordIndex, EmptyTablesBuildAnEmptyIndex)
{
    UcsTables tables = tables_of({u"", u""});
    EXPECT_TRUE(index_of(tables).empty());
    EXPECT_TRUE(index_of(UcsTables()).empty());
}

TEST(SearchIds, IntersectsTheQueryWordsWithTheAllowedList)
{
    UcsTables tables = tables_of({u"1\tAttack the base\r\n2\tattack!\r\n3\tThe attacks\r\n4\tbase attack base\r\n"
                                  u"5\tnothing\r\n"});
    Mod::WordIndex index = index_of(tables);
    const Ids all{1, 2, 3, 4, 5};
    struct Case {
        std::u16string query;
        Ids allowed;
        Ids expected;
    };
    for (const Case& c : {
             Case{u"Attack!", all, {1, 2, 4}},
             Case{u"attacks", all, {3}},
             Case{u"ATTACK base", all, {1, 4}},
             Case{u"base attack", {1, 2, 3}, {1}},
             Case{u"base base", all, {1, 4}},
             Case{u"the attack base", all, {1}},
             Case{u"attack missing", all, {}},
             Case{u"att", all, {}},
             Case{u"", {3, 1}, {3, 1}},              // empty: the allowed list as given
             Case{u" !?. ", {1, 1, 2, 4, 4}, {1, 2, 4}}, // no words: allowed list without repeats
             Case{u"attack", {}, {}},
         })
        EXPECT_EQ(Mod::search_ids(index, c.query, c.allowed), c.expected) << std::string(c.query.begin(), c.query.end());
}

TEST(IntersectAscending, MergesListsOfVeryDifferentLengths)
{
    Ids many;
    for (std::int32_t i = -50000; i < 50000; i += 3)
        many.push_back(i);
    Ids few{-50000, -49997, -1, 0, 2, 49999, 2147483647};
    Ids also{-50000, 2, 2, 49999, 2147483647};
    EXPECT_EQ(Mod::intersect_ascending({&many, &few}), (Ids{-50000, -49997, 49999}));
    EXPECT_EQ(Mod::intersect_ascending({&few, &also}), (Ids{-50000, 2, 49999, 2147483647}));
    EXPECT_EQ(Mod::intersect_ascending({&few}), few);
    Ids empty;
    EXPECT_EQ(Mod::intersect_ascending({&few, &empty}), Ids());
    EXPECT_EQ(Mod::intersect_ascending({}), Ids());
}

} // namespace
