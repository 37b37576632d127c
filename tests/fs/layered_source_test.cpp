#include "fs/name_order.h"
#include "fs/prefixed_source.h"
#include "fs/union_source.h"

#include "archive_files.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>

namespace {

// A source over a fixed table that records what it was asked.
class TableSource : public Mod::FileSource {
public:
    TableSource(std::map<std::string, std::string> files, std::vector<std::string> listing = {},
                std::vector<std::string>* asked = nullptr)
        : m_files(std::move(files)), m_listing(std::move(listing)), m_asked(asked)
    {
    }

    Mod::BlobPtr read(const std::string& path) const override
    {
        if (m_asked)
            m_asked->push_back(path);
        auto found = m_files.find(path);
        if (found == m_files.end())
            return nullptr;
        auto bytes = std::make_unique<std::uint8_t[]>(found->second.size() + 1);
        std::copy(found->second.begin(), found->second.end(), bytes.get());
        return Mod::make_buffer_blob(std::move(bytes), static_cast<std::uint32_t>(found->second.size()));
    }
    void list(const std::string& folder, std::vector<std::string>& names) const override
    {
        if (m_asked)
            m_asked->push_back("list " + folder);
        names.insert(names.end(), m_listing.begin(), m_listing.end());
    }

private:
    std::map<std::string, std::string> m_files;
    std::vector<std::string> m_listing;
    std::vector<std::string>* m_asked;
};

TEST(PrefixedSource, PrependsThePrefixVerbatimToPathsAndFolders)
{
    std::vector<std::string> asked;
    auto inner = std::make_shared<TableSource>(std::map<std::string, std::string>{{"font\\a.ttf", "A"}},
                                               std::vector<std::string>{"a.ttf"}, &asked);
    auto fonts = Mod::PrefixedSource::make_shared(inner, "font\\");
    Mod::PrefixedSource plain(inner, "");
    EXPECT_EQ(read_text(*fonts, "a.ttf"), "A");
    EXPECT_EQ(read_text(*fonts, "b.ttf"), "<null>");
    EXPECT_EQ(list_names(*fonts, "sub\\"), std::vector<std::string>{"a.ttf"});
    EXPECT_EQ(read_text(plain, "font\\a.ttf"), "A");
    EXPECT_EQ(asked, (std::vector<std::string>{"font\\a.ttf", "font\\b.ttf", "list font\\sub\\", "font\\a.ttf"}));
}

TEST(PrefixedSource, KeepsItsInnerSourceAlive)
{
    std::weak_ptr<TableSource> watch;
    std::shared_ptr<Mod::PrefixedSource> view;
    {
        auto inner = std::make_shared<TableSource>(std::map<std::string, std::string>{{"p\\x", "X"}});
        watch = inner;
        view = Mod::PrefixedSource::make_shared(inner, "p\\");
    }
    EXPECT_FALSE(watch.expired());
    EXPECT_EQ(read_text(*view, "x"), "X");
}

TEST(UnionSource, TheFirstSourceWithTheFileAnswersAndLaterOnesAreNotAsked)
{
    std::vector<std::string> first_asked, second_asked, third_asked;
    Mod::UnionSource layers;
    layers.add(std::make_unique<TableSource>(std::map<std::string, std::string>{{"both", "first"}, {"empty", ""}},
                                             std::vector<std::string>{}, &first_asked));
    layers.add(std::make_unique<TableSource>(std::map<std::string, std::string>{{"second", "2"}},
                                             std::vector<std::string>{}, &second_asked));
    layers.add(std::make_unique<TableSource>(
        std::map<std::string, std::string>{{"both", "third"}, {"empty", "not empty"}, {"third", "3"}},
        std::vector<std::string>{}, &third_asked));
    EXPECT_EQ(read_text(layers, "both"), "first");
    EXPECT_EQ(read_text(layers, "empty"), ""); // an empty file in front still hides the later one
    EXPECT_TRUE(third_asked.empty());
    EXPECT_EQ(read_text(layers, "third"), "3");
    EXPECT_EQ(read_text(layers, "nowhere"), "<null>");
    EXPECT_EQ(first_asked, (std::vector<std::string>{"both", "empty", "third", "nowhere"}));
    EXPECT_EQ(second_asked, (std::vector<std::string>{"third", "nowhere"}));
    EXPECT_EQ(third_asked, (std::vector<std::string>{"third", "nowhere"}));
}

TEST(UnionSource, MergesListingsSortedAndDeDuplicatedIgnoringCaseAfterTheCallersNames)
{
    Mod::UnionSource layers;
    layers.add(std::make_unique<TableSource>(std::map<std::string, std::string>{},
                                             std::vector<std::string>{"b.txt", "A.txt", "same", "a_"}));
    layers.add(std::make_unique<TableSource>(std::map<std::string, std::string>{},
                                             std::vector<std::string>{"a.TXT", "SAME", "_a", "same", "ab"}));
    std::vector<std::string> names{"zz", "b.txt", "aa"};
    layers.list("any", names);
    ASSERT_EQ(names.size(), 9u);
    // The caller's entries stay in place and are not merged with the new ones.
    EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 3), (std::vector<std::string>{"zz", "b.txt", "aa"}));
    // Upper-cased, 'B' (0x42) sorts before '_' (0x5F), which sorts before every lower-case
    // letter in a plain byte order: "_a" comes last here, not first.
    const std::vector<std::string> expected_upper{"A.TXT", "AB", "A_", "B.TXT", "SAME", "_A"};
    std::vector<std::string> added(names.begin() + 3, names.end());
    ASSERT_EQ(added.size(), expected_upper.size());
    for (std::size_t i = 0; i < added.size(); ++i) {
        std::string upper = added[i];
        for (char& c : upper)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        EXPECT_EQ(upper, expected_upper[i]) << i;
    }
}

TEST(UnionSource, ASingleSourcesListingComesBackSorted)
{
    Mod::UnionSource layers;
    layers.add(std::make_unique<TableSource>(std::map<std::string, std::string>{}, std::vector<std::string>{}));
    layers.add(std::make_unique<TableSource>(std::map<std::string, std::string>{},
                                             std::vector<std::string>{"styles", "Colours", "big.bin"}));
    EXPECT_EQ(list_names(layers, "art"), (std::vector<std::string>{"big.bin", "Colours", "styles"}));
}

TEST(UnionSource, WithNoSourcesReadsNullAndListsNothing)
{
    Mod::UnionSource layers;
    EXPECT_EQ(layers.read("x"), nullptr);
    std::vector<std::string> names{"kept"};
    layers.list("", names);
    EXPECT_EQ(names, std::vector<std::string>{"kept"});
}

TEST(UnionSource, BlobsOutliveTheUnionAndItsArchives)
{
    TempFolder folder;
    SgaWriter writer(2);
    writer.add_file("art\\a.txt", "archived", true);
    writer.add_file("art\\b.txt", "stored");
    const std::string path = write_archive(folder, "data.sga", writer.build());
    Mod::BlobPtr packed, stored;
    {
        Mod::UnionSource layers;
        layers.add(std::make_unique<Mod::ArchiveSource>(path));
        packed = layers.read("ART/A.TXT");
        stored = layers.read("art\\b.txt");
    }
    ASSERT_TRUE(packed && stored);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(packed->data), packed->size), "archived");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(stored->data), stored->size), "stored");
}

TEST(NameOrder, ComparesUpperCasedSignedBytesWithPrefixesFirst)
{
    const struct {
        const char* a;
        const char* b;
        int order;
    } cases[] = {
        {"abc", "ABC", 0},   {"", "", 0},     {"", "a", -1},         {"ab", "abc", -1},
        {"a_", "_a", -1},    {"Z", "a", 1},   {"\xE9", "a", -1},     {"a\xE9", "a\x7F", -1},
        {"x.dds", "X.DDT", -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " vs " + c.b);
        const int forward = Mod::compare_names_ignoring_case(c.a, c.b);
        const int backward = Mod::compare_names_ignoring_case(c.b, c.a);
        EXPECT_EQ((forward > 0) - (forward < 0), c.order);
        EXPECT_EQ((backward > 0) - (backward < 0), -c.order);
    }
}

} // namespace
