#include "mod/ucs_table.h"

#include "ucs_bytes.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <stdexcept>
#include <string>

using Mod::UcsTable;

namespace {

std::map<std::int32_t, std::u16string> entries_of(const UcsTable& table)
{
    std::map<std::int32_t, std::u16string> entries;
    for (std::int32_t id : table.ids())
        entries[id] = std::u16string(Mod::view(*table.find(id)));
    return entries;
}

std::unique_ptr<UcsTable> parse(const std::u16string& body) { return UcsTable::parse(blob_of(ucs_bytes(body))); }

struct UcsCase {
    const char* name;
    std::u16string body;
    std::map<std::int32_t, std::u16string> expected;
};

class UcsParsing : public testing::TestWithParam<UcsCase> {};

TEST_P(UcsParsing, YieldsTheExpectedEntries)
{
    auto table = parse(GetParam().body);
    EXPECT_EQ(entries_of(*table), GetParam().expected);
}

using E = std::map<std::int32_t, std::u16string>;

INSTANTIATE_TEST_SUITE_P(
    Cases, UcsParsing,
    testing::Values(
        UcsCase{"Tab", u"100\tHello\r\n", E{{100, u"Hello"}}},
        UcsCase{"OneToFourSpaces", u"1 a\r\n2    b\r\n", E{{1, u"a"}, {2, u"b"}}},
        UcsCase{"FifthSpaceBelongsToText", u"100     Hello\r\n", E{{100, u" Hello"}}},
        UcsCase{"EmptyText", u"7\t\r\n8\tx\r\n", E{{7, u""}, {8, u"x"}}},
        UcsCase{"NoSeparatorResumesAtNextDigit", u"100Hello 5 world\r\n6\tsix\r\n", E{{5, u"world"}, {6, u"six"}}},
        UcsCase{"SeparatorFirstIsIdentifierZero", u"\tzero\r\n", E{{0, u"zero"}}},
        UcsCase{"LastLineWithoutLineEndLosesTwoUnits", u"1\tone\r\n2\tHello", E{{1, u"one"}, {2, u"Hel"}}},
        UcsCase{"FewerThanThreeUnitsAfterSeparatorDropped", u"1\tone\r\n2\tab", E{{1, u"one"}}},
        UcsCase{"LfOnlyLinesRunTogether", u"1\ta\n2\tb\n3\tc\r\n", E{{1, u"a\n2\tb\n3\tc"}}},
        UcsCase{"RepeatedIdentifierReplaces", u"5\told\r\n5\tnew\r\n", E{{5, u"new"}}},
        UcsCase{"DigitsUpToTheEnd", u"1\tone\r\n12345", E{{1, u"one"}}},
        UcsCase{"SeparatorAtTheVeryEnd", u"1\tone\r\n2\t", E{{1, u"one"}}},
        UcsCase{"SpacesRunToTheEnd", u"1\tone\r\n2   ", E{{1, u"one"}}},
        UcsCase{"GarbageOnly", u"no digits here at all", E{}},
        UcsCase{"UnsortedFile", u"30\tc\r\n10\ta\r\n20\tb\r\n", E{{10, u"a"}, {20, u"b"}, {30, u"c"}}},
        UcsCase{"NonAsciiText", u"1\t\u00e9t\u00e9 \u4e2d\r\n", E{{1, u"\u00e9t\u00e9 \u4e2d"}}},
        UcsCase{"LargestIdentifier", u"2147483647\tmax\r\n", E{{2147483647, u"max"}}},
        UcsCase{"ElevenDigitsWrap", u"4294967297\twrapped\r\n", E{{1, u"wrapped"}}}),
    [](const testing::TestParamInfo<UcsCase>& info) { return info.param.name; });

TEST(UcsTable, RejectsTooShortAndOddFiles)
{
    struct Case {
        std::string bytes;
        const char* message;
    };
    for (const Case& c : {Case{"", "UCS file too short"}, Case{"\xFF", "UCS file too short"},
                          Case{"\xFF\xFE\x31", "UCS file has odd number of bytes"},
                          Case{ucs_bytes(u"1\tabc\r\n") + "x", "UCS file has odd number of bytes"}}) {
        try {
            UcsTable::parse(blob_of(c.bytes));
            ADD_FAILURE() << "no failure for " << c.bytes.size() << " bytes";
        } catch (const std::runtime_error& failure) {
            EXPECT_STREQ(failure.what(), c.message);
        }
    }
    EXPECT_THROW(UcsTable::parse(nullptr), std::runtime_error);
}

TEST(UcsTable, OnlyAByteOrderMarkIsAnEmptyTable)
{
    auto table = UcsTable::parse(blob_of("\xFF\xFE"));
    EXPECT_TRUE(table->ids().empty());
    EXPECT_EQ(table->min_id(), 2147483647);
    EXPECT_EQ(table->max_id(), -2147483647 - 1);
    EXPECT_EQ(table->find(0), nullptr);
}

TEST(UcsTable, TracksTheIdentifierRangeAndSortsIds)
{
    auto table = parse(u"40\td\r\n\tx\r\n10\ta\r\n-5\tno\r\n30\tc\r\n");
    EXPECT_EQ(table->min_id(), 0); // the line that starts with its separator; "-5" resumes at "5"
    EXPECT_EQ(table->ids(), (std::vector<std::int32_t>{0, 5, 10, 30, 40}));
    EXPECT_EQ(table->max_id(), 40);
    EXPECT_EQ(table->lower_bound(11), 3u);
    EXPECT_EQ(table->lower_bound(41), 5u);
}

TEST(UcsTable, TextsPointIntoTheKeptBlob)
{
    Mod::BlobPtr blob = blob_of(ucs_bytes(u"1\tone\r\n"));
    const auto* begin = blob->data;
    const auto* end = blob->data + blob->size;
    std::weak_ptr<const Mod::FileBlob> watch = blob;
    auto table = UcsTable::parse(std::move(blob));
    const auto* text = reinterpret_cast<const std::uint8_t*>(table->find(1)->data);
    EXPECT_TRUE(text >= begin && text < end);
    EXPECT_FALSE(watch.expired());
    table.reset();
    EXPECT_TRUE(watch.expired());
}

TEST(UcsTable, CopiesABlobThatStartsAtAnOddAddress)
{
    std::string bytes = ucs_bytes(u"1\tone\r\n2\ttwo\r\n");
    std::unique_ptr<std::uint8_t[]> buffer(new std::uint8_t[bytes.size() + 1]);
    std::memcpy(buffer.get() + 1, bytes.data(), bytes.size());
    const std::uint8_t* odd = buffer.get() + 1;
    Mod::BlobPtr blob = Mod::make_blob(odd, static_cast<std::uint32_t>(bytes.size()), [] {});
    auto table = UcsTable::parse(blob);
    EXPECT_EQ(entries_of(*table), (E{{1, u"one"}, {2, u"two"}}));
}

TEST(UcsTable, HoldsManyEntries)
{
    std::u16string body;
    for (int i = 0; i < 5000; ++i) {
        std::string line = std::to_string(i * 7) + "\ttext " + std::to_string(i) + "\r\n";
        body.append(line.begin(), line.end());
    }
    auto table = parse(body);
    ASSERT_EQ(table->ids().size(), 5000u);
    for (int i = 0; i < 5000; ++i) {
        std::string expected = "text " + std::to_string(i);
        ASSERT_EQ(std::u16string(Mod::view(*table->find(i * 7))), std::u16string(expected.begin(), expected.end()));
    }
    EXPECT_EQ(table->find(1), nullptr);
}

// Every truncation of a valid file and every single damaged unit must parse without
// reading outside the blob (the sanitizers watch), and keep texts inside it.
TEST(UcsTable, SurvivesTruncationAndDamage)
{
    const std::string good = ucs_bytes(u"1\tone\r\n22  two\r\n333\t\r\n4444    four\r\n5\tfive");
    auto check = [](const std::string& bytes) {
        Mod::BlobPtr blob = blob_of(bytes);
        std::unique_ptr<UcsTable> table;
        try {
            table = UcsTable::parse(blob);
        } catch (const std::runtime_error&) {
            return;
        }
        for (std::int32_t id : table->ids()) {
            const Mod::UcsText* text = table->find(id);
            ASSERT_NE(text, nullptr);
            const auto* first = reinterpret_cast<const std::uint8_t*>(text->data);
            ASSERT_GE(first, blob->data);
            ASSERT_LE(first + 2 * std::size_t(text->length), blob->data + blob->size);
        }
    };
    for (std::size_t size = 0; size <= good.size(); ++size)
        check(good.substr(0, size));
    // Random files over the units the parser branches on.
    std::mt19937 random(5);
    const char16_t alphabet[] = {u'1', u'9', u'0', u'\t', u' ', u'\r', u'\n', u'a'};
    for (int n = 0; n < 3000; ++n) {
        std::u16string body;
        for (std::size_t length = random() % 40; length > 0; --length)
            body.push_back(alphabet[random() % 8]);
        check(ucs_bytes(body));
    }
    const char16_t damage[] = {u'\r', u'\n', u'\t', u' ', u'7', u'x'};
    for (std::size_t at = 2; at + 1 < good.size(); at += 2)
        for (char16_t unit : damage) {
            std::string bad = good;
            bad[at] = static_cast<char>(unit & 0xFF);
            bad[at + 1] = static_cast<char>(unit >> 8);
            check(bad);
            check(bad.substr(0, at + 2));
        }
}

} // namespace
