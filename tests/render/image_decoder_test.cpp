// Texture files from strangers: recognition by content, each format's header and its
// refusals, the bounds that keep the consumer inside the file or the inflated buffer,
// and the consumer contract (called once, blob released on return).

#include "render/image_decoder.h"

#include "mod/ucs_bytes.h"
#include "render/texture_files.h"
#include "support/sga_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Render::AlphaMode;
using Render::decode_image_file;
using Render::PixelFormat;
using Render::PixelSource;

const char unrecognised[] = "Unrecognised image format";
const char dds_unsupported[] = "Only DXT[n] and DX10 DDS files are supported";
const char dds_incomplete[] = "Incomplete DDS file";
const char dds_pitch[] = "DDS pitch is smaller than a row of blocks";
const char tga_type[] = "Only truecolour TGA files are supported";
const char tga_depth[] = "Only 24bpp and 32bpp TGA files are supported";
const char tga_incomplete[] = "Incomplete TGA file";
const char dxtc_missing[] = "RGT DXTC chunk missing DATATFMT and/or DATATMAN and/or DATATDAT";
const char dxtc_compression[] = "RGT DXTC chunk contains unrecognised compression method";
const char dxtc_size[] = "RGT DXTC chunk containing incorrectly sized DATATDAT";
const char dxtc_inflate[] = "RGT DXTC contained DATATDAT chunk which could not be uncompressed";
const char imag_missing[] = "RGT IMAG chunk missing DATAATTR and/or DATADATA";
const char imag_size[] = "RGT IMAG chunk containing incorrectly sized DATADATA";
const char rgt_unknown[] = "RGT contains unknown image type";
const char no_pixels[] = "Image has zero width or height";
const char too_large[] = "Image is larger than the graphics device takes (8192 pixels a side)";

bool is_block_format(PixelFormat format)
{
    return format == PixelFormat::bc1 || format == PixelFormat::bc2 || format == PixelFormat::bc3;
}

// Stored rows: rows of 4 x 4 blocks for the block formats.
std::uint64_t stored_rows(const PixelSource& source)
{
    return is_block_format(source.format) ? std::max<std::uint64_t>(1, (std::uint64_t{source.height} + 3) / 4)
                                          : source.height;
}

struct Seen {
    PixelSource source;
    std::string pixels; // every byte the consumer may read: stored rows x pitch
    bool in_file = false;
    int calls = 0;
};

// Decodes `bytes` from an exactly sized heap copy, reading everything the pixel source
// covers so that AddressSanitizer sees any read past the data.
Seen decode(const std::string& bytes)
{
    Seen seen;
    Mod::BlobPtr blob = blob_of(bytes);
    const auto begin = reinterpret_cast<std::uintptr_t>(blob->data);
    const auto end = begin + blob->size;
    decode_image_file(std::move(blob), [&](const PixelSource& source) {
        ++seen.calls;
        seen.source = source;
        seen.pixels.assign(reinterpret_cast<const char*>(source.data), stored_rows(source) * source.pitch);
        const auto at = reinterpret_cast<std::uintptr_t>(source.data);
        seen.in_file = at >= begin && at < end;
    });
    EXPECT_EQ(seen.calls, 1);
    return seen;
}

// The message a refused file gives; the consumer must not have been called.
std::string failure(const std::string& bytes)
{
    int calls = 0;
    try {
        decode_image_file(blob_of(bytes), [&calls](const PixelSource&) { ++calls; });
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(calls, 0);
        return error.what();
    }
    return "<decoded>";
}

TgaHeader plain_tga(std::uint8_t type, std::uint8_t bits, std::uint16_t width, std::uint16_t height)
{
    TgaHeader header;
    header.image_type = type;
    header.bits = bits;
    header.width = width;
    header.height = height;
    return header;
}

struct Refusal {
    const char* name;
    std::string bytes;
    const char* message;
};

void expect_refusals(const std::vector<Refusal>& cases)
{
    for (const Refusal& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(failure(c.bytes), c.message);
    }
}

// ---- recognition ----

TEST(ImageDecoderTest, FilesOfNoKnownFormatAreRefused)
{
    const std::string dds_127 = dds_file({}, "").substr(0, 127);
    const std::string footer_35 = std::string(17, '\0') + tga_signature; // one byte short of a TGA
    expect_refusals({
        {"empty file", "", unrecognised},
        {"127 bytes beginning with DDS", dds_127, unrecognised},
        {"TGA footer in 35 bytes", footer_35, unrecognised},
        {"TGA without its footer", tga_file({2, 32, 1, 1, "", 0, 0, 0, false}, "BGRA"), unrecognised},
        {"container magic cut to 15 bytes", chunky_magic.substr(0, 15), unrecognised},
        {"text", "Screen = {}\n", unrecognised},
    });
    int calls = 0;
    try {
        decode_image_file(nullptr, [&calls](const PixelSource&) { ++calls; });
        ADD_FAILURE() << "a missing file decoded";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), unrecognised);
    }
    EXPECT_EQ(calls, 0);
}

TEST(ImageDecoderTest, FormatsAreTestedInOrderOnTheSmallestFilesTheyAllow)
{
    // 36 bytes ending in the footer are a TGA: its (run-length) type is then refused.
    EXPECT_EQ(failure(tga_file(plain_tga(10, 32, 0, 0), "")), tga_type);
    // The bare container magic is a container without chunks.
    EXPECT_EQ(failure(chunky_magic), rgt_unknown);
    // A DDS file that also ends in the TGA footer is a DDS file.
    const Seen seen = decode(dds_file({}, pattern(8)) + std::string(8, '\0') + tga_signature);
    EXPECT_EQ(seen.source.format, PixelFormat::bc1);
    // A TGA file beginning with the container magic is a TGA file.
    TgaHeader tga;
    tga.id = chunky_magic;
    EXPECT_EQ(decode(tga_file(tga, pattern(16))).source.format, PixelFormat::b8g8r8a8);
}

// ---- DDS ----

TEST(DdsDecoderTest, FourCharacterCodesGiveFormatAndAlphaMode)
{
    const struct {
        const char* fourcc;
        PixelFormat format;
        AlphaMode alpha;
        std::uint32_t pitch;
    } cases[] = {
        {"DXT1", PixelFormat::bc1, AlphaMode::straight, 8},
        {"DXT2", PixelFormat::bc2, AlphaMode::premultiplied, 16},
        {"DXT3", PixelFormat::bc2, AlphaMode::straight, 16},
        {"DXT4", PixelFormat::bc3, AlphaMode::premultiplied, 16},
        {"DXT5", PixelFormat::bc3, AlphaMode::straight, 16},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fourcc);
        DdsHeader header;
        header.fourcc = c.fourcc;
        header.width = 3;
        header.height = 4;
        const std::string pixels = pattern(c.pitch);
        const Seen seen = decode(dds_file(header, pixels));
        EXPECT_EQ(seen.source.format, c.format);
        EXPECT_EQ(seen.source.alpha_mode, c.alpha);
        EXPECT_EQ(seen.source.width, 3u);
        EXPECT_EQ(seen.source.height, 4u);
        EXPECT_EQ(seen.source.pitch, c.pitch);
        EXPECT_EQ(seen.pixels, pixels); // from offset 128
        EXPECT_TRUE(seen.in_file);
    }
}

TEST(DdsDecoderTest, TheBlockPitchAndRowsFollowTheSizeAndTheFileMustHoldThem)
{
    const struct {
        const char* fourcc;
        std::uint32_t width, height;
        std::uint32_t pitch, rows;
    } cases[] = {
        {"DXT1", 1, 1, 8, 1},  {"DXT1", 2, 2, 8, 1},   {"DXT1", 3, 3, 8, 1},  {"DXT1", 4, 4, 8, 1},
        {"DXT1", 5, 5, 16, 2}, {"DXT1", 8, 9, 16, 3},  {"DXT3", 5, 4, 32, 1}, {"DXT5", 1, 1, 16, 1},
        {"DXT5", 17, 8, 80, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.fourcc) + " " + std::to_string(c.width) + "x" + std::to_string(c.height));
        DdsHeader header;
        header.fourcc = c.fourcc;
        header.width = c.width;
        header.height = c.height;
        const std::string pixels = pattern(std::size_t{c.pitch} * c.rows);
        const Seen seen = decode(dds_file(header, pixels));
        EXPECT_EQ(seen.source.pitch, c.pitch);
        EXPECT_EQ(seen.pixels, pixels);
        EXPECT_EQ(failure(dds_file(header, pixels.substr(1))), dds_incomplete);
    }
}

TEST(DdsDecoderTest, TheStoredPitchIsUsedOnlyWhenFlagged)
{
    DdsHeader header;
    header.width = 4;
    header.height = 8; // two block rows
    header.pitch = 64;
    const std::string pixels = pattern(128);
    EXPECT_EQ(decode(dds_file(header, pixels)).source.pitch, 8u);

    header.flags |= 0x8;
    const Seen seen = decode(dds_file(header, pixels));
    EXPECT_EQ(seen.source.pitch, 64u);
    EXPECT_EQ(seen.pixels, pixels);
    EXPECT_EQ(failure(dds_file(header, pixels.substr(1))), dds_incomplete);
}

TEST(DdsDecoderTest, RefusesCodesItCannotUploadAndSizesTheFileCannotHold)
{
    const auto dds = [](std::string fourcc, std::uint32_t width, std::uint32_t height, std::uint32_t flags = 0x1007,
                        std::uint32_t pitch = 0, std::uint32_t format_flags = 0x4, std::size_t pixels = 64) {
        return dds_file({std::move(fourcc), width, height, flags, pitch, format_flags}, pattern(pixels));
    };
    expect_refusals({
        {"no four-character-code flag", dds("DXT1", 4, 4, 0x1007, 0, 0x40), dds_unsupported},
        {"DX10", dds("DX10", 4, 4), dds_unsupported},
        {"DXT0", dds("DXT0", 4, 4), dds_unsupported},
        {"DXT6", dds("DXT6", 4, 4), dds_unsupported},
        {"no code", dds("", 4, 4), dds_unsupported},
        {"header only", dds("DXT1", 4, 4, 0x1007, 0, 0x4, 0), dds_incomplete},
        {"too wide for the file", dds("DXT1", 33, 4), dds_incomplete},
        {"too tall for the file", dds("DXT1", 4, 33), dds_incomplete},
        {"largest size", dds("DXT5", 0xFFFFFFFFu, 0xFFFFFFFFu), too_large},
        {"largest width", dds("DXT5", 0xFFFFFFFFu, 4), too_large},
        {"past the device's side", dds("DXT1", 4, 8193), too_large},
        {"stored pitch past the file", dds("DXT1", 4, 4, 0x100F, 65), dds_incomplete},
        {"largest stored pitch", dds("DXT1", 4, 8192, 0x100F, 0xFFFFFFFFu), dds_incomplete},
        {"stored pitch below a block row", dds("DXT1", 8, 4, 0x100F, 15), dds_pitch},
        {"stored pitch of zero", dds("DXT1", 4, 4, 0x100F, 0), dds_pitch},
        {"stored pitch with the largest width", dds("DXT1", 8192, 4, 0x100F, 64), dds_pitch},
        {"zero width", dds("DXT1", 0, 4), no_pixels},
        {"zero height", dds("DXT1", 4, 0), no_pixels},
    });
}

// ---- TGA ----

TEST(TgaDecoderTest, PixelsStartAfterTheIdentificationAndColourMap)
{
    const struct {
        const char* name;
        std::string id;
        std::uint8_t map_type;
        std::uint16_t map_length;
        std::uint8_t map_bits;
    } layouts[] = {
        {"bare", "", 0, 0, 0},
        {"identification", "hello", 0, 0, 0},
        {"colour map of 24-bit entries", "", 1, 3, 24},
        {"both", std::string(255, 'i'), 1, 256, 32},
        {"colour map of 15-bit entries, two bytes each", "id", 1, 5, 15},
        {"colour map of 16-bit entries", "id", 1, 7, 16},
        {"colour-map size without a colour map", "id", 0, 100, 32},
    };
    const struct {
        std::uint8_t bits;
        PixelFormat format;
    } depths[] = {{32, PixelFormat::b8g8r8a8}, {24, PixelFormat::r8}};
    for (const auto& layout : layouts) {
        for (const auto& depth : depths) {
            SCOPED_TRACE(std::string(layout.name) + ", " + std::to_string(depth.bits) + " bits");
            TgaHeader header{2, depth.bits, 3, 2, layout.id, layout.map_type, layout.map_length, layout.map_bits};
            const std::uint32_t pitch = 3u * depth.bits / 8;
            const std::string pixels = pattern(2 * pitch, 5);
            const Seen seen = decode(tga_file(header, pixels));
            EXPECT_EQ(seen.source.width, 3u);
            EXPECT_EQ(seen.source.height, 2u);
            EXPECT_EQ(seen.source.pitch, pitch);
            EXPECT_EQ(seen.source.format, depth.format);
            EXPECT_EQ(seen.source.alpha_mode, AlphaMode::straight);
            EXPECT_EQ(seen.pixels, pixels);
        }
    }
}

TEST(TgaDecoderTest, PixelsMayReachTheFileEndButNotPassIt)
{
    // 1 pixel wide, 2 stored bytes and the 26-byte footer: 28 bytes, 7 rows at most.
    TgaHeader header = plain_tga(2, 32, 1, 7);
    const std::string file = tga_file(header, "ab");
    const Seen seen = decode(file);
    EXPECT_EQ(seen.pixels, file.substr(18));
    header.height = 8;
    EXPECT_EQ(failure(tga_file(header, "ab")), tga_incomplete);
}

TEST(TgaDecoderTest, RefusesOtherTypesDepthsAndMissingPixels)
{
    const auto tga = [](std::uint8_t type, std::uint8_t bits, std::uint16_t width, std::uint16_t height,
                        std::size_t pixels) { return tga_file(plain_tga(type, bits, width, height), pattern(pixels)); };
    TgaHeader big_map{2, 32, 1, 1, "", 1, 0xFFFF, 32};
    std::string map_past_end = tga_file(big_map, "");
    map_past_end.replace(5, 2, le16(0xFFFF)); // the builder wrote the map; keep the field, drop the map
    map_past_end = map_past_end.substr(0, 18) + map_past_end.substr(18 + 0xFFFF * 4);
    expect_refusals({
        {"run-length true colour", tga(10, 32, 2, 2, 16), tga_type},
        {"colour mapped", tga(1, 8, 2, 2, 4), tga_type},
        {"type before depth", tga(10, 16, 2, 2, 8), tga_type},
        {"16 bits", tga(2, 16, 2, 2, 8), tga_depth},
        {"8 bits", tga(2, 8, 2, 2, 4), tga_depth},
        {"0 bits", tga(2, 0, 2, 2, 4), tga_depth},
        {"pixels past the end", tga(2, 32, 64, 64, 100), tga_incomplete},
        {"largest size", tga(2, 32, 0xFFFF, 0xFFFF, 16), too_large},
        {"24-bit rows wider than the device's side", tga(2, 24, 2731, 1, 2731 * 3), too_large},
        {"pixels past the end at the largest size", tga(2, 32, 8192, 8192, 16), tga_incomplete},
        {"colour map past the end", map_past_end, tga_incomplete},
        {"zero width", tga(2, 32, 0, 2, 16), no_pixels},
        {"zero height", tga(2, 24, 2, 0, 16), no_pixels},
    });
}

// ---- RGT ----

// A DXTC texture whose TDAT holds the 16-byte prefix and `blocks`, packed or not.
std::string dxtc_file(std::uint32_t width, std::uint32_t height, std::uint32_t compression,
                      const std::string& blocks, bool packed)
{
    const std::string unpacked = std::string(16, 'p') + blocks;
    const std::string stored = packed ? zlib_compress(unpacked) : unpacked;
    const auto unpacked_size = static_cast<std::uint32_t>(unpacked.size());
    const auto stored_size = static_cast<std::uint32_t>(stored.size());
    return rgt_file({fold_chunk("DXTC", {data_chunk("TFMT", tfmt(width, height, compression)),
                                         data_chunk("TMAN", tman(unpacked_size, stored_size)),
                                         data_chunk("TDAT", stored)})});
}

TEST(RgtDecoderTest, BlockCompressedTexturesAreUsedInPlaceOrInflated)
{
    const struct {
        std::uint32_t compression;
        PixelFormat format;
        std::uint32_t width, height, pitch;
    } cases[] = {
        {13, PixelFormat::bc1, 8, 8, 16},
        {14, PixelFormat::bc2, 8, 8, 32},
        {15, PixelFormat::bc3, 8, 8, 32},
        {13, PixelFormat::bc1, 4, 4, 8},
        {15, PixelFormat::bc3, 12, 4, 48},
        {13, PixelFormat::bc1, 5, 4, 16},
        // Sized by pixel rows: the last block row is short, and completed with zeros.
        {13, PixelFormat::bc1, 4, 1, 8},
        {13, PixelFormat::bc1, 4, 5, 8},
        {15, PixelFormat::bc3, 8, 7, 32},
    };
    for (const auto& c : cases) {
        for (bool packed : {false, true}) {
            SCOPED_TRACE(std::to_string(c.compression) + " " + std::to_string(c.width) + "x" +
                         std::to_string(c.height) + (packed ? " packed" : " stored"));
            const std::string blocks = pattern(std::size_t{c.height} * c.pitch / 4, 9);
            const std::size_t whole = (c.height + 3) / 4 * std::size_t{c.pitch};
            const Seen seen = decode(dxtc_file(c.width, c.height, c.compression, blocks, packed));
            EXPECT_EQ(seen.source.format, c.format);
            EXPECT_EQ(seen.source.alpha_mode, AlphaMode::straight);
            EXPECT_EQ(seen.source.width, c.width);
            EXPECT_EQ(seen.source.height, c.height);
            EXPECT_EQ(seen.source.pitch, c.pitch);
            EXPECT_EQ(seen.pixels, blocks + std::string(whole - blocks.size(), '\0'));
            EXPECT_EQ(seen.in_file, !packed && whole == blocks.size());
        }
    }
}

TEST(RgtDecoderTest, PlainImagesAreUsedInPlace)
{
    const std::string pixels = pattern(3 * 2 * 4, 3);
    const Seen seen = decode(rgt_file({fold_chunk("IMAG", {data_chunk("ATTR", attr(3, 2)), data_chunk("DATA", pixels)})}));
    EXPECT_EQ(seen.source.format, PixelFormat::b8g8r8a8);
    EXPECT_EQ(seen.source.alpha_mode, AlphaMode::straight);
    EXPECT_EQ(seen.source.width, 3u);
    EXPECT_EQ(seen.source.height, 2u);
    EXPECT_EQ(seen.source.pitch, 12u);
    EXPECT_EQ(seen.pixels, pixels);
    EXPECT_TRUE(seen.in_file);
}

TEST(RgtDecoderTest, ABlockCompressedTextureIsPreferredToAPlainOne)
{
    const std::string blocks = pattern(8);
    const std::string file = rgt_file({
        fold_chunk("IMAG", {data_chunk("ATTR", attr(1, 1)), data_chunk("DATA", "BGRA")}),
        fold_chunk("DXTC", {data_chunk("TFMT", tfmt(4, 4, 13)), data_chunk("TMAN", tman(24, 24)),
                            data_chunk("TDAT", std::string(16, 'p') + blocks)}),
    });
    EXPECT_EQ(decode(file).source.format, PixelFormat::bc1);
}

TEST(RgtDecoderTest, RefusesIncompleteOrInconsistentBlockTextures)
{
    const std::string prefix(16, 'p');
    // 4 x 4 BC1 texture: 16 + 8 bytes unpacked.
    // A chunk after the others: an empty one that ends its folder is not read.
    const Chunk pad = data_chunk("PAD", "x");
    const auto dxtc = [&pad](std::vector<Chunk> chunks) {
        chunks.push_back(pad);
        return rgt_file({fold_chunk("DXTC", std::move(chunks))});
    };
    const Chunk good_tfmt = data_chunk("TFMT", tfmt(4, 4, 13));
    const Chunk good_tman = data_chunk("TMAN", tman(24, 24));
    const Chunk good_tdat = data_chunk("TDAT", prefix + pattern(8));
    const auto with = [&](std::string format, std::string sizes, std::string data) {
        return dxtc({data_chunk("TFMT", std::move(format)), data_chunk("TMAN", std::move(sizes)),
                     data_chunk("TDAT", std::move(data))});
    };
    const std::string stream = zlib_compress(prefix + pattern(8));
    const auto stream_size = static_cast<std::uint32_t>(stream.size());
    std::string damaged_stream = stream;
    damaged_stream[2] = '\xFF';
    damaged_stream[3] = '\xFF';
    std::string bad_checksum = stream;
    bad_checksum.back() ^= 0x55;
    const std::string short_stream = zlib_compress(prefix + pattern(7));
    const std::string long_stream = zlib_compress(prefix + pattern(9));
    expect_refusals({
        {"no TFMT", dxtc({good_tman, good_tdat}), dxtc_missing},
        {"short TFMT", with(tfmt(4, 4, 13).substr(0, 19), tman(24, 24), prefix + pattern(8)), dxtc_missing},
        {"TFMT as a folder", dxtc({fold_chunk("TFMT", {}), good_tman, good_tdat}), dxtc_missing},
        {"no TMAN", dxtc({good_tfmt, good_tdat}), dxtc_missing},
        {"short TMAN", with(tfmt(4, 4, 13), tman(24, 24).substr(0, 11), prefix + pattern(8)), dxtc_missing},
        {"no TDAT", dxtc({good_tfmt, good_tman}), dxtc_missing},
        {"DXTC folder without them", dxtc({}), dxtc_missing},
        {"empty DXTC folder", rgt_file({fold_chunk("DXTC", {}), pad}), dxtc_missing},
        {"missing before compression", dxtc({data_chunk("TFMT", tfmt(4, 4, 99)), good_tman}), dxtc_missing},
        {"compression 12", with(tfmt(4, 4, 12), tman(24, 24), prefix + pattern(8)), dxtc_compression},
        {"compression 16", with(tfmt(4, 4, 16), tman(24, 24), prefix + pattern(8)), dxtc_compression},
        {"compression before size", with(tfmt(4, 4, 0), tman(1, 1), ""), dxtc_compression},
        {"unpacked size one short", with(tfmt(4, 4, 13), tman(23, 23), prefix + pattern(7)), dxtc_size},
        {"unpacked size one over", with(tfmt(4, 4, 13), tman(25, 25), prefix + pattern(9)), dxtc_size},
        {"TDAT shorter than stored", with(tfmt(4, 4, 13), tman(24, 24), prefix + pattern(7)), dxtc_size},
        {"TDAT shorter than packed", with(tfmt(4, 4, 13), tman(24, stream_size), stream.substr(1)), dxtc_size},
        {"height 5 sized as whole block rows", with(tfmt(4, 5, 13), tman(32, 32), prefix + pattern(16)), dxtc_size},
        {"largest size", with(tfmt(0xFFFFFFFFu, 0xFFFFFFFFu, 15), tman(24, 24), prefix + pattern(8)), too_large},
        {"largest width", with(tfmt(0xFFFFFFFFu, 4, 13), tman(0, 0), prefix), too_large},
        // Refused before anything is inflated: a few bytes must not ask for gigabytes.
        {"past the device's side", with(tfmt(8193, 4, 13), tman(16 + 2049 * 8, 10), stream), too_large},
        {"zero width", with(tfmt(0, 4, 13), tman(24, 24), prefix + pattern(8)), no_pixels},
        {"zero height", with(tfmt(4, 0, 13), tman(16, 16), prefix), no_pixels},
        {"damaged stream", with(tfmt(4, 4, 13), tman(24, stream_size), damaged_stream), dxtc_inflate},
        {"bad checksum", with(tfmt(4, 4, 13), tman(24, stream_size), bad_checksum), dxtc_inflate},
        {"stream cut short by the packed size", with(tfmt(4, 4, 13), tman(24, stream_size - 4), stream),
         dxtc_inflate},
        {"stream too short", with(tfmt(4, 4, 13), tman(24, static_cast<std::uint32_t>(short_stream.size())),
                                  short_stream),
         dxtc_inflate},
        {"stream too long", with(tfmt(4, 4, 13), tman(24, static_cast<std::uint32_t>(long_stream.size())), long_stream),
         dxtc_inflate},
        {"packed size zero", with(tfmt(4, 4, 13), tman(24, 0), stream), dxtc_inflate},
        {"more than deflate can expand", with(tfmt(4096, 4096, 15), tman(16 + 4096 * 4096, 10), stream),
         dxtc_inflate},
    });
}

TEST(RgtDecoderTest, RefusesIncompleteOrInconsistentPlainImages)
{
    const Chunk pad = data_chunk("PAD", "x"); // so that an empty DATA chunk is not the last
    const auto imag = [&pad](std::vector<Chunk> chunks) {
        chunks.push_back(pad);
        return rgt_file({fold_chunk("IMAG", std::move(chunks))});
    };
    const auto with = [&](std::string attributes, std::size_t pixels) {
        return imag({data_chunk("ATTR", std::move(attributes)), data_chunk("DATA", pattern(pixels))});
    };
    expect_refusals({
        {"no ATTR", imag({data_chunk("DATA", pattern(24))}), imag_missing},
        {"short ATTR", with(attr(3, 2).substr(0, 11), 24), imag_missing},
        {"no DATA", imag({data_chunk("ATTR", attr(3, 2))}), imag_missing},
        {"DATA as a folder", imag({data_chunk("ATTR", attr(3, 2)), fold_chunk("DATA", {})}), imag_missing},
        {"IMAG folder without them", imag({}), imag_missing},
        {"empty IMAG folder", rgt_file({fold_chunk("IMAG", {}), pad}), imag_missing},
        {"DATA one short", with(attr(3, 2), 23), imag_size},
        {"DATA one over", with(attr(3, 2), 25), imag_size},
        {"DATA a row short", with(attr(3, 2), 12), imag_size},
        {"size wrapping to zero in 64 bits", with(attr(0x80000000u, 0x80000000u), 0), too_large},
        {"largest size", with(attr(0xFFFFFFFFu, 0xFFFFFFFFu), 4), too_large},
        {"largest size the device takes", with(attr(8192, 8192), 4), imag_size},
        {"zero width", with(attr(0, 2), 0), no_pixels},
        {"zero height", with(attr(3, 0), 0), no_pixels},
    });
}

TEST(RgtDecoderTest, ContainersWithoutATextureAreOfUnknownType)
{
    const std::vector<Chunk> plain = {
        fold_chunk("IMAG", {data_chunk("ATTR", attr(1, 1)), data_chunk("DATA", "BGRA")})};
    EXPECT_EQ(decode(rgt_file(plain)).source.width, 1u); // the same files in version 3 decode
    expect_refusals({
        {"version 2", rgt_file(plain, 2), rgt_unknown},
        {"no chunks", chunky_file({}), rgt_unknown},
        {"no TSET", chunky_file({fold_chunk("TXTR", plain)}), rgt_unknown},
        {"no TXTR", chunky_file({fold_chunk("TSET", plain)}), rgt_unknown},
        {"other texture kinds", rgt_file({fold_chunk("TEXT", {}), data_chunk("INFO", "x")}), rgt_unknown},
        {"DXTC and IMAG as data", rgt_file({data_chunk("DXTC", "x"), data_chunk("IMAG", "y")}), rgt_unknown},
    });
}

// ---- the consumer contract ----

// `bytes` as a blob that records its release.
Mod::BlobPtr tracked_blob(const std::string& bytes, bool& released)
{
    Mod::BlobPtr inner = blob_of(bytes);
    const Mod::FileBlob* raw = inner.get();
    return Mod::make_blob(raw->data, raw->size, [inner, &released] { released = true; });
}

TEST(ImageDecoderContractTest, TheFileIsReleasedBeforeReturningAndNotBefore)
{
    const struct {
        const char* name;
        std::string bytes;
        bool decodes;
    } cases[] = {
        {"DDS", dds_file({}, pattern(8)), true},
        {"TGA", tga_file({}, pattern(16)), true},
        {"RGT stored", dxtc_file(4, 4, 13, pattern(8), false), true},
        {"RGT packed", dxtc_file(4, 4, 13, pattern(8), true), true},
        {"RGT refused", rgt_file({fold_chunk("DXTC", {})}), false},
        {"unrecognised", "nothing", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        bool released = false;
        bool released_during = true;
        try {
            decode_image_file(tracked_blob(c.bytes, released),
                              [&](const PixelSource&) { released_during = released; });
            EXPECT_TRUE(c.decodes);
            EXPECT_FALSE(released_during);
        } catch (const std::runtime_error&) {
            EXPECT_FALSE(c.decodes);
        }
        EXPECT_TRUE(released);
    }
}

TEST(ImageDecoderContractTest, WhatTheConsumerThrowsPassesThroughUnchanged)
{
    struct DeviceLost : std::exception {
        const char* what() const noexcept override { return "device lost"; }
    };
    bool released = false;
    int calls = 0;
    EXPECT_THROW(decode_image_file(tracked_blob(dxtc_file(4, 4, 13, pattern(8), true), released),
                                   [&calls](const PixelSource&) {
                                       ++calls;
                                       throw DeviceLost();
                                   }),
                 DeviceLost);
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(released);
}

TEST(ImageDecoderContractTest, TheGenericFormReturnsTheConsumersResult)
{
    const std::string file = dds_file({"DXT5", 8, 4}, pattern(32));
    const auto result = decode_image_file<std::unique_ptr<std::uint32_t>>(
        blob_of(file), [](const PixelSource& source) { return std::make_unique<std::uint32_t>(source.pitch); });
    ASSERT_TRUE(result);
    EXPECT_EQ(*result, 32u);

    int calls = 0;
    decode_image_file<void>(blob_of(file), [&calls](const PixelSource&) { ++calls; });
    EXPECT_EQ(calls, 1);
    EXPECT_THROW(decode_image_file<int>(blob_of("junk"), [](const PixelSource&) { return 1; }), std::runtime_error);
}

// ---- damage ----

// Every truncation and many single-byte changes of good files: each either decodes
// within its data (AddressSanitizer watches the reads) or is refused.
TEST(ImageDecoderDamageTest, TruncatedOrCorruptedFilesDecodeWithinBoundsOrAreRefused)
{
    TgaHeader tga24{2, 24, 3, 3, "id", 1, 2, 24};
    const std::string files[] = {
        dds_file({"DXT1", 5, 5, 0x100F, 16}, pattern(32)),
        tga_file({}, pattern(16)),
        tga_file(tga24, pattern(27)),
        dxtc_file(8, 8, 15, pattern(64), false),
        dxtc_file(8, 8, 14, pattern(64), true),
        rgt_file({fold_chunk("IMAG", {data_chunk("ATTR", attr(2, 2)), data_chunk("DATA", pattern(16))})}),
    };
    const auto attempt = [](const std::string& bytes) {
        try {
            decode(bytes);
        } catch (const std::runtime_error&) {
        }
    };
    for (const std::string& file : files) {
        for (std::size_t length = 0; length < file.size(); ++length)
            attempt(file.substr(0, length));
        for (std::size_t at = 0; at < file.size(); ++at) {
            for (char value : {'\0', '\x01', '\x7F', '\xFF'}) {
                std::string damaged = file;
                damaged[at] = value;
                attempt(damaged);
            }
        }
    }
}

} // namespace
