#include "archive_files.h"

#include "platform/mapped_file.h"
#include "support/mapping_probe.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

// Larger than Windows' 64 KiB granularity, so later members start at unaligned offsets.
const std::string big(70001, 'b');
const std::string screen = "Screen = { Group = { text = 'hello hello hello hello hello' } }";

SgaWriter sample_writer(std::uint32_t version)
{
    SgaWriter writer(version);
    writer.add_file("readme.txt", "root file");
    writer.add_file("art\\ui\\screens\\main.screen", screen, true);
    writer.add_file("art\\ui\\styles\\a.styles", "style a");
    writer.add_file("art\\ui\\styles\\b.styles", "style b", true);
    writer.add_file("art\\ui\\x.txt", "x");
    writer.add_file("art\\ui\\big.bin", big);
    writer.add_file("art\\ui\\y.txt", "after big", true);
    writer.add_file("data\\empty.bin", "");
    writer.add_file("data\\empty_packed.bin", "", true);
    // Stored as is although the bytes are a valid zlib stream: must come back unchanged.
    writer.add_file("data\\looks_packed.bin", zlib_compress("inflate me"));
    writer.add_folder("art\\nothing");
    return writer;
}

class ArchiveSourceTest : public ::testing::TestWithParam<std::uint32_t> {
protected:
    void SetUp() override
    {
        SgaWriter writer = sample_writer(GetParam());
        m_bytes = writer.build();
        m_layout = writer.layout();
        m_path = write_archive(m_folder, "sample.sga", m_bytes);
        m_source = std::make_unique<Mod::ArchiveSource>(m_path);
    }

    TempFolder m_folder;
    std::string m_bytes;
    SgaWriter::Layout m_layout;
    std::string m_path;
    std::unique_ptr<Mod::ArchiveSource> m_source;
};

TEST_P(ArchiveSourceTest, ReadsEveryMemberWhateverTheCaseAndSeparators)
{
    const struct {
        const char* path;
        std::string expected;
    } cases[] = {
        {"readme.txt", "root file"},
        {"README.TXT", "root file"},
        {"art\\ui\\screens\\main.screen", screen},
        {"Art/UI/Screens/Main.Screen", screen},
        {"art/ui\\styles/A.styles", "style a"},
        {"art\\ui\\styles\\b.styles", "style b"},
        {"art\\ui\\x.txt", "x"},
        {"art\\ui\\big.bin", big},
        {"art\\ui\\y.txt", "after big"},
        {"data\\empty.bin", ""},
        {"data\\empty_packed.bin", ""},
        {"data\\looks_packed.bin", zlib_compress("inflate me")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(read_text(*m_source, c.path), c.expected);
    }
}

TEST_P(ArchiveSourceTest, MissingFilesFoldersAndFolderPathsReadNull)
{
    for (const char* path : {"", "missing.txt", "art\\ui\\", "art/ui/", "art\\ui", "art\\nothing\\x", "nowhere\\x.txt",
                             "art\\ui\\x.txt\\", "art\\ui\\x.tx", "art\\ui\\x.txtt", "\\\\art\\ui\\x.txt"}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(m_source->read(path), nullptr);
    }
}

TEST_P(ArchiveSourceTest, EmptyMembersAreFoundAndEmpty)
{
    for (const char* path : {"data\\empty.bin", "data\\empty_packed.bin"}) {
        Mod::BlobPtr blob = m_source->read(path);
        ASSERT_NE(blob, nullptr) << path;
        EXPECT_EQ(blob->size, 0u) << path;
    }
}

TEST_P(ArchiveSourceTest, ListsFilesBeforeSubFoldersWithoutTheParentsName)
{
    const struct {
        const char* folder;
        std::vector<std::string> expected;
    } cases[] = {
        // Root sub-folders are stored as "art", "data": the first letter must survive.
        {"", {"readme.txt", "art", "data"}},
        {"\\", {"readme.txt", "art", "data"}},
        {"art", {"nothing", "ui"}},
        {"art\\ui", {"big.bin", "x.txt", "y.txt", "screens", "styles"}},
        {"art\\ui\\", {"big.bin", "x.txt", "y.txt", "screens", "styles"}},
        {"Art/UI/", {"big.bin", "x.txt", "y.txt", "screens", "styles"}},
        {"art\\ui\\styles", {"a.styles", "b.styles"}},
        {"art\\nothing", {}},
        {"missing", {}},
        {"art\\ui\\\\", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.folder);
        EXPECT_EQ(list_names(*m_source, c.folder), c.expected);
    }
}

TEST_P(ArchiveSourceTest, ListAppendsAfterWhatTheCallerHas)
{
    std::vector<std::string> names{"zz", "aa"};
    m_source->list("art\\ui\\styles", names);
    EXPECT_EQ(names, (std::vector<std::string>{"zz", "aa", "a.styles", "b.styles"}));
}

TEST_P(ArchiveSourceTest, StoredMembersAreTheMappingItselfAndInflatedOnesAreNot)
{
    Mod::BlobPtr stored = m_source->read("art\\ui\\big.bin");
    Mod::BlobPtr packed = m_source->read("art\\ui\\screens\\main.screen");
    ASSERT_TRUE(stored && packed);
    EXPECT_TRUE(points_into_file_mapping(stored->data));
    EXPECT_FALSE(points_into_file_mapping(packed->data));
}

TEST_P(ArchiveSourceTest, BlobsOutliveTheSource)
{
    Mod::BlobPtr stored = m_source->read("art\\ui\\y.txt");
    Mod::BlobPtr tail = m_source->read("art\\ui\\big.bin");
    Mod::BlobPtr packed = m_source->read("art\\ui\\screens\\main.screen");
    m_source.reset();
    ASSERT_TRUE(stored && tail && packed);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(tail->data), tail->size), big);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(packed->data), packed->size), screen);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(stored->data), stored->size), "after big");
}

TEST_P(ArchiveSourceTest, RootSubFoldersStoredWithABackslashListTheSame)
{
    SgaWriter writer = sample_writer(GetParam());
    writer.set_root_children_with_backslash(true);
    const std::string path = write_archive(m_folder, "backslash.sga", writer.build());
    Mod::ArchiveSource source(path);
    EXPECT_EQ(list_names(source, ""), (std::vector<std::string>{"readme.txt", "art", "data"}));
}

TEST_P(ArchiveSourceTest, ConcurrentReadsAgree)
{
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 50; ++i) {
                if (read_text(*m_source, "art\\ui\\screens\\main.screen") != screen ||
                    read_text(*m_source, "art\\ui\\y.txt") != "after big")
                    ++wrong;
                std::vector<std::string> names;
                m_source->list("art\\ui", names);
                if (names.size() != 5)
                    ++wrong;
            }
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(wrong.load(), 0);
}

TEST_P(ArchiveSourceTest, BisectionFindsEveryNameOfALargeFolderAndNothingBetween)
{
    SgaWriter writer(GetParam());
    std::vector<std::string> names;
    for (int i = 0; i < 300; i += 2) {
        names.push_back("f" + std::to_string(1000 + i));
        writer.add_file("many\\" + names.back(), names.back());
    }
    const std::string path = write_archive(m_folder, "many.sga", writer.build());
    Mod::ArchiveSource source(path);
    for (const auto& name : names) {
        ASSERT_EQ(read_text(source, "many\\" + name), name);
        const std::string between = "f" + std::to_string(std::stoi(name.substr(1)) + 1);
        ASSERT_EQ(source.read("many\\" + between), nullptr) << between;
    }
    EXPECT_EQ(source.read("many\\e"), nullptr);
    EXPECT_EQ(source.read("many\\g"), nullptr);
    EXPECT_EQ(list_names(source, "many"), names);
}

INSTANTIATE_TEST_SUITE_P(Versions, ArchiveSourceTest, ::testing::Values(2u, 4u),
                         [](const auto& info) { return "v" + std::to_string(info.param); });

// The smallest archive that opens: a version-2 header and a 24-byte table with no folders.
std::string minimal_v2()
{
    std::string bytes = "_ARCHIVE";
    bytes.resize(204, '\0');
    put_u32(bytes, 8, 2);
    put_u32(bytes, 172, 24);
    put_u32(bytes, 176, 204);
    for (std::size_t field : {6, 12, 18})
        put_u32(bytes, 180 + field, 24);
    return bytes;
}

TEST(ArchiveOpening, RefusesFilesThatAreNotArchivesWithTheirReason)
{
    TempFolder folder;
    std::string wrong_magic = minimal_v2();
    wrong_magic[7] = 'e';
    std::string version3 = minimal_v2();
    put_u32(version3, 8, 3);
    std::string high_version = minimal_v2();
    put_u32(high_version, 8, 0x10002);
    std::string version4_no_room = minimal_v2(); // 184-byte header leaves 20 bytes of table
    put_u32(version4_no_room, 8, 4);
    const struct {
        const char* name;
        std::string bytes;
        const char* reason;
    } cases[] = {
        {"empty.sga", "", " (file is too small)"},
        {"short.sga", minimal_v2().substr(0, 203), " (file is too small)"},
        {"magic.sga", wrong_magic, " (file is not an SGA)"},
        {"v3.sga", version3, " (wrong SGA version)"},
        {"high.sga", high_version, " (wrong SGA version)"},
        {"v4small.sga", version4_no_room, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = write_archive(folder, c.name, c.bytes);
        EXPECT_EQ(open_failure(path), "Could not open archive " + path + c.reason);
    }
    const std::string missing = folder.path("missing.sga");
    EXPECT_EQ(open_failure(missing), "Could not open archive " + missing);
    EXPECT_EQ(open_failure(folder.root()), "Could not open archive " + folder.root());
}

TEST(ArchiveOpening, TheSmallestArchiveOpensEmpty)
{
    TempFolder folder;
    const std::string path = write_archive(folder, "minimal.sga", minimal_v2());
    Mod::ArchiveSource source(path);
    EXPECT_EQ(source.read("x"), nullptr);
    EXPECT_TRUE(list_names(source, "").empty());
}

} // namespace
