// The chunk container: lookups through FOLD and DATA chunks, first chunk winning,
// sequences that end early, and files built to nest deeply or to wrap sizes.

#include "render/chunky.h"

#include "mod/ucs_bytes.h"
#include "render/texture_files.h"

#include <gtest/gtest.h>

namespace {

using Render::chunk_id;
using Render::ChunkFolder;
using Render::parse_chunky;

std::string text_of(const Mod::BlobPtr& blob)
{
    if (!blob)
        return "<absent>";
    return std::string(reinterpret_cast<const char*>(blob->data), blob->size);
}

TEST(ChunkyTest, FindsNestedFoldersAndDataSkippingNamesAndOtherKinds)
{
    const ChunkFolder root = parse_chunky(blob_of(chunky_file({
        data_chunk("HEAD", "header bytes", "a chunk name"),
        Chunk{"JUNK", "SKIP", "ignored", {}, ""},
        fold_chunk("TSET",
                   {fold_chunk("TXTR", {fold_chunk("EMPT", {}), data_chunk("NAME", "inner", "x")}, "texture"),
                    data_chunk("INFO", ""), data_chunk("MORE", "more")}),
        data_chunk("TAIL", "last"),
    })));
    EXPECT_TRUE(root.exists());
    EXPECT_EQ(text_of(root.data(chunk_id("HEAD"))), "header bytes");
    EXPECT_EQ(text_of(root.data(chunk_id("TAIL"))), "last");
    EXPECT_EQ(text_of(root.data(chunk_id("SKIP"))), "<absent>");
    EXPECT_FALSE(root.folder(chunk_id("SKIP")).exists());

    const ChunkFolder& txtr = root.folder(chunk_id("TSET")).folder(chunk_id("TXTR"));
    EXPECT_TRUE(txtr.exists());
    EXPECT_EQ(text_of(txtr.data(chunk_id("NAME"))), "inner");
    EXPECT_TRUE(txtr.folder(chunk_id("EMPT")).exists()); // present although empty
    EXPECT_EQ(text_of(root.folder(chunk_id("TSET")).data(chunk_id("INFO"))), "");

    // A DATA chunk is not a folder, nor a FOLD chunk data.
    EXPECT_FALSE(root.folder(chunk_id("HEAD")).exists());
    EXPECT_FALSE(root.data(chunk_id("TSET")));
}

TEST(ChunkyTest, LookupsThroughAnAbsentFolderFindNothing)
{
    const ChunkFolder root = parse_chunky(blob_of(chunky_file({data_chunk("DATA", "x")})));
    const ChunkFolder& missing = root.folder(chunk_id("NONE"));
    EXPECT_FALSE(missing.exists());
    EXPECT_FALSE(missing.folder(chunk_id("NONE")).folder(chunk_id("DATA")).exists());
    EXPECT_FALSE(missing.data(chunk_id("DATA")));
    EXPECT_FALSE(ChunkFolder().exists());
}

TEST(ChunkyTest, TheFirstChunkOfAnIdentifierWins)
{
    const ChunkFolder root = parse_chunky(blob_of(chunky_file({
        data_chunk("SAME", "first"),
        fold_chunk("FOLD", {data_chunk("WHO", "first folder")}),
        data_chunk("SAME", "second"),
        fold_chunk("FOLD", {data_chunk("WHO", "second folder"), data_chunk("NEW", "only here")}),
    })));
    EXPECT_EQ(text_of(root.data(chunk_id("SAME"))), "first");
    EXPECT_EQ(text_of(root.folder(chunk_id("FOLD")).data(chunk_id("WHO\0"))), "first folder");
    EXPECT_FALSE(root.folder(chunk_id("FOLD")).data(chunk_id("NEW\0")));
}

TEST(ChunkyTest, FilesWithoutChunksGiveAnEmptyRoot)
{
    const std::string good = chunky_file({data_chunk("ITEM", "x")});
    std::string version2 = good;
    version2.replace(16, 4, le32(2));
    std::string first_at_end = good;
    first_at_end.replace(24, 4, le32(static_cast<std::uint32_t>(good.size())));
    std::string first_far = good;
    first_far.replace(24, 4, le32(0xFFFFFFFFu));
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"empty file", ""},
        {"header only", chunky_file({})},
        {"36 bytes", good.substr(0, 36)},
        {"version 2", version2},
        {"first chunk at the end", first_at_end},
        {"first chunk far past the end", first_far},
        {"a header with no room for a chunk", chunky_file_of(std::string(28, 'x'))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ChunkFolder root = parse_chunky(blob_of(c.bytes));
        EXPECT_TRUE(root.exists());
        EXPECT_FALSE(root.data(chunk_id("ITEM")));
    }
}

TEST(ChunkyTest, ChunksStartAtTheFirstChunkOffset)
{
    // A gap of junk between the header and the first chunk.
    std::string bytes = chunky_file_of("0123456789" + chunk_bytes(data_chunk("ITEM", "found")));
    bytes.replace(24, 4, le32(46));
    EXPECT_EQ(text_of(parse_chunky(blob_of(bytes)).data(chunk_id("ITEM"))), "found");
}

TEST(ChunkyTest, AChunkRunningPastItsFolderEndsThatFolderOnly)
{
    // Inside TSET: A, then B claiming more data than TSET holds, then C (unreachable).
    std::string inner = chunk_bytes(data_chunk("A\0\0\0", "a")) + chunk_bytes(data_chunk("B\0\0\0", "bb")) +
                        chunk_bytes(data_chunk("C\0\0\0", "c"));
    inner.replace(29 + 12, 4, le32(1000)); // B's data size
    const std::string body = chunk_header("FOLD", "TSET", static_cast<std::uint32_t>(inner.size()), 0) + inner +
                             chunk_bytes(data_chunk("NEXT", "after the folder"));
    const ChunkFolder root = parse_chunky(blob_of(chunky_file_of(body)));
    const ChunkFolder& tset = root.folder(chunk_id("TSET"));
    EXPECT_EQ(text_of(tset.data(chunk_id("A\0\0\0"))), "a");
    EXPECT_FALSE(tset.data(chunk_id("B\0\0\0")));
    EXPECT_FALSE(tset.data(chunk_id("C\0\0\0")));
    EXPECT_EQ(text_of(root.data(chunk_id("NEXT"))), "after the folder");
}

TEST(ChunkyTest, SizesThatWouldWrapOrRunPastTheFileEndTheSequence)
{
    const std::string before = chunk_bytes(data_chunk("KEEP", "kept"));
    const struct {
        const char* name;
        std::uint32_t data_size;
        std::uint32_t name_size;
        std::size_t bytes_after;
    } cases[] = {
        // 40 bytes follow the header: a sum wrapped in 32 bits would seem to fit.
        {"data size wraps 32 bits", 0xFFFFFFFFu, 0, 40},
        {"name size wraps 32 bits", 0, 0xFFFFFFFFu, 40},
        {"both sizes maximal", 0xFFFFFFFFu, 0xFFFFFFFFu, 40},
        {"sum wraps to a small step", 0xFFFFFFF0u, 0x20, 40},
        {"one byte past the end", 41, 0, 40},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string body = before + chunk_header("DATA", "LOST", c.data_size, c.name_size) +
                                 std::string(c.bytes_after, 'z');
        const ChunkFolder root = parse_chunky(blob_of(chunky_file_of(body)));
        EXPECT_EQ(text_of(root.data(chunk_id("KEEP"))), "kept");
        EXPECT_FALSE(root.data(chunk_id("LOST")));
    }
}

TEST(ChunkyTest, AChunkIsReadOnlyWhenMoreThanItsHeaderRemains)
{
    // The sequence needs more than 28 bytes left: an empty chunk that ends the file is
    // not read, a one-byte one is.
    const std::string one = chunky_file({data_chunk("LAST", "1")});
    EXPECT_EQ(text_of(parse_chunky(blob_of(one)).data(chunk_id("LAST"))), "1");
    const std::string empty_last = chunky_file({data_chunk("KEEP", "k"), data_chunk("LAST", "")});
    const ChunkFolder root = parse_chunky(blob_of(empty_last));
    EXPECT_EQ(text_of(root.data(chunk_id("KEEP"))), "k");
    EXPECT_FALSE(root.data(chunk_id("LAST")));
}

// `levels` FOLD chunks each holding the next; the innermost holds a DATA chunk "LEAF".
std::string nested_file(std::size_t levels)
{
    const std::string leaf = chunk_bytes(data_chunk("LEAF", "leaf"));
    std::string body;
    body.reserve(levels * 28 + leaf.size());
    for (std::size_t i = 0; i < levels; ++i)
        body += chunk_header("FOLD", "NEST", static_cast<std::uint32_t>((levels - 1 - i) * 28 + leaf.size()), 0);
    return chunky_file_of(body + leaf);
}

const ChunkFolder& descend(const ChunkFolder& root, std::size_t levels)
{
    const ChunkFolder* folder = &root;
    for (std::size_t i = 0; i < levels; ++i)
        folder = &folder->folder(chunk_id("NEST"));
    return *folder;
}

TEST(ChunkyTest, FoldersNestUpTo64DeepAndDeeperOnesAreEmpty)
{
    const ChunkFolder root64 = parse_chunky(blob_of(nested_file(64)));
    EXPECT_EQ(text_of(descend(root64, 64).data(chunk_id("LEAF"))), "leaf");

    const ChunkFolder root65 = parse_chunky(blob_of(nested_file(65)));
    EXPECT_TRUE(descend(root65, 64).exists());
    EXPECT_TRUE(descend(root65, 65).exists());
    EXPECT_FALSE(descend(root65, 65).data(chunk_id("LEAF")));
    EXPECT_FALSE(descend(root65, 66).exists());
}

TEST(ChunkyTest, AVeryDeeplyNestedFileParsesWithoutExhaustingTheStack)
{
    const ChunkFolder root = parse_chunky(blob_of(nested_file(500000)));
    EXPECT_TRUE(descend(root, 65).exists());
    EXPECT_FALSE(descend(root, 66).exists());
}

TEST(ChunkyTest, DataBlobsKeepTheFileAliveAfterTheFolderIsGone)
{
    bool released = false;
    const std::string bytes = chunky_file({fold_chunk("TSET", {data_chunk("ITEM", "still here")})});
    Mod::BlobPtr item;
    {
        Mod::BlobPtr file = blob_of(bytes);
        const Mod::FileBlob* raw = file.get();
        file = Mod::make_blob(raw->data, raw->size, [owner = std::move(file), &released] { released = true; });
        item = parse_chunky(std::move(file)).folder(chunk_id("TSET")).data(chunk_id("ITEM"));
    }
    EXPECT_FALSE(released);
    EXPECT_EQ(text_of(item), "still here");
    item.reset();
    EXPECT_TRUE(released);
}

} // namespace
