#include "render/image_decoder.h"

#include "render/chunky.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <stdexcept>

namespace Render {
namespace {

const char unrecognised_format[] = "Unrecognised image format";
const char dds_unsupported[] = "Only DXT[n] and DX10 DDS files are supported";
const char dds_incomplete[] = "Incomplete DDS file";
const char dds_pitch_too_small[] = "DDS pitch is smaller than a row of blocks";
const char tga_not_truecolour[] = "Only truecolour TGA files are supported";
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

constexpr std::uint32_t dds_header_size = 128;
constexpr std::uint32_t dds_pitch_flag = 0x8;
constexpr std::uint32_t dds_fourcc_flag = 0x4;
constexpr std::uint32_t tga_header_size = 18;
constexpr char tga_footer[] = "TRUEVISION-XFILE."; // and its terminating zero
constexpr std::uint32_t tga_footer_size = sizeof tga_footer;
constexpr char chunky_magic[] = "Relic Chunky\r\n\x1A"; // and its terminating zero
constexpr std::uint32_t chunky_magic_size = sizeof chunky_magic;
constexpr std::uint32_t rgt_prefix_size = 16; // skipped before the block rows

// Deflate cannot expand by more than 1032 to 1, so a larger unpacked size is a damaged
// field; refusing it early avoids a huge allocation that could never be filled.
constexpr std::uint64_t max_inflate_ratio = 1032;

static_assert(tga_footer_size == 18 && chunky_magic_size == 16, "signatures include their zero byte");

std::uint32_t read_u32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

std::uint16_t read_u16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

[[noreturn]] void fail(const char* message) { throw std::runtime_error(message); }

// `stored_width`: the texels of a row as uploaded (three a pixel for 24-bit rows).
void check_dimensions(std::uint32_t width, std::uint32_t height, std::uint64_t stored_width)
{
    if (width == 0 || height == 0)
        fail(no_pixels);
    if (stored_width > max_texture_side || height > max_texture_side)
        fail(too_large);
}

void check_dimensions(std::uint32_t width, std::uint32_t height)
{
    check_dimensions(width, height, width);
}

// In 64 bits: a row of 4 x 4 blocks of a 32-bit width need not fit in 32 bits.
std::uint64_t block_pitch(std::uint32_t width, std::uint32_t block_bytes)
{
    return std::max<std::uint64_t>(1, (std::uint64_t{width} + 3) / 4) * block_bytes;
}

std::uint64_t block_rows(std::uint32_t height) { return std::max<std::uint64_t>(1, (std::uint64_t{height} + 3) / 4); }

// The pixels and, for an inflated texture, the buffer that holds them.
struct Decoded {
    PixelSource source;
    std::unique_ptr<std::uint8_t[]> buffer;
};

bool is_dds(const Mod::FileBlob& file)
{
    return file.size >= dds_header_size && std::memcmp(file.data, "DDS ", 4) == 0;
}

bool is_tga(const Mod::FileBlob& file)
{
    return file.size >= tga_header_size + tga_footer_size &&
           std::memcmp(file.data + file.size - tga_footer_size, tga_footer, tga_footer_size) == 0;
}

bool is_chunky(const Mod::FileBlob& file)
{
    return file.size >= chunky_magic_size && std::memcmp(file.data, chunky_magic, chunky_magic_size) == 0;
}

Decoded decode_dds(const Mod::FileBlob& file)
{
    const std::uint8_t* header = file.data;
    const std::uint8_t* fourcc = header + 84;
    if (!(read_u32(header + 80) & dds_fourcc_flag) || std::memcmp(fourcc, "DXT", 3) != 0 || fourcc[3] < '1' ||
        fourcc[3] > '5')
        fail(dds_unsupported);
    Decoded result;
    PixelSource& source = result.source;
    switch (fourcc[3]) {
    case '1': source.format = PixelFormat::bc1; source.alpha_mode = AlphaMode::straight; break;
    case '2': source.format = PixelFormat::bc2; source.alpha_mode = AlphaMode::premultiplied; break;
    case '3': source.format = PixelFormat::bc2; source.alpha_mode = AlphaMode::straight; break;
    case '4': source.format = PixelFormat::bc3; source.alpha_mode = AlphaMode::premultiplied; break;
    default: source.format = PixelFormat::bc3; source.alpha_mode = AlphaMode::straight; break;
    }
    source.height = read_u32(header + 12);
    source.width = read_u32(header + 16);
    check_dimensions(source.width, source.height);

    std::uint64_t pitch = block_pitch(source.width, source.format == PixelFormat::bc1 ? 8 : 16);
    if (read_u32(header + 8) & dds_pitch_flag) {
        // A shorter stored pitch would make the device read each row into the next.
        const std::uint32_t stored = read_u32(header + 20);
        if (stored < pitch)
            fail(dds_pitch_too_small);
        pitch = stored;
    }
    // Once the pitch is known to fit in the file, rows x pitch cannot wrap.
    const std::uint64_t available = file.size - dds_header_size;
    if (pitch > available || block_rows(source.height) * pitch > available)
        fail(dds_incomplete);
    source.pitch = static_cast<std::uint32_t>(pitch);
    source.data = file.data + dds_header_size;
    return result;
}

Decoded decode_tga(const Mod::FileBlob& file)
{
    const std::uint8_t* header = file.data;
    if (header[2] != 2)
        fail(tga_not_truecolour);
    const std::uint32_t bits = header[16];
    if (bits != 24 && bits != 32)
        fail(tga_depth);
    Decoded result;
    PixelSource& source = result.source;
    source.width = read_u16(header + 12);
    source.height = read_u16(header + 14);
    check_dimensions(source.width, source.height, std::uint64_t{source.width} * (bits == 24 ? 3 : 1));

    // Entries take whole bytes: 15-bit ones two, as 16-bit ones do.
    const std::uint64_t colour_map = header[1] != 0 ? std::uint64_t{read_u16(header + 5)} * ((header[7] + 7u) / 8u) : 0;
    const std::uint64_t start = tga_header_size + header[0] + colour_map;
    const std::uint32_t bytes_per_pixel = bits / 8;
    source.pitch = source.width * bytes_per_pixel;
    if (file.size < start + std::uint64_t{source.height} * source.pitch)
        fail(tga_incomplete);
    source.data = file.data + start;
    source.format = bits == 32 ? PixelFormat::b8g8r8a8 : PixelFormat::r8;
    source.alpha_mode = AlphaMode::straight;
    return result;
}

Decoded decode_dxtc(const ChunkFolder& dxtc)
{
    const Mod::BlobPtr format = dxtc.data(chunk_id("TFMT"));
    const Mod::BlobPtr sizes = dxtc.data(chunk_id("TMAN"));
    const Mod::BlobPtr packed_data = dxtc.data(chunk_id("TDAT"));
    if (!format || format->size < 20 || !sizes || sizes->size < 12 || !packed_data)
        fail(dxtc_missing);
    Decoded result;
    PixelSource& source = result.source;
    std::uint32_t block_bytes = 16;
    switch (read_u32(format->data + 16)) {
    case 13: source.format = PixelFormat::bc1; block_bytes = 8; break;
    case 14: source.format = PixelFormat::bc2; break;
    case 15: source.format = PixelFormat::bc3; break;
    default: fail(dxtc_compression);
    }
    source.alpha_mode = AlphaMode::straight;
    source.width = read_u32(format->data);
    source.height = read_u32(format->data + 4);
    check_dimensions(source.width, source.height);

    const std::uint32_t unpacked = read_u32(sizes->data + 4);
    const std::uint32_t packed = read_u32(sizes->data + 8);
    const std::uint64_t pitch = block_pitch(source.width, block_bytes);
    // The stated size counts pixel rows, not block rows: with a height that is not a
    // multiple of 4 the last block row is short, and is completed with zeros. (Small
    // products: both sides are at most 8192.)
    if (unpacked != rgt_prefix_size + source.height * (pitch / 4) || packed_data->size < packed)
        fail(dxtc_size);
    source.pitch = static_cast<std::uint32_t>(pitch);
    const std::uint64_t whole = rgt_prefix_size + block_rows(source.height) * pitch;

    if (packed == unpacked && whole == unpacked) {
        source.data = packed_data->data + rgt_prefix_size;
        return result;
    }
    if (packed != unpacked && unpacked > packed * max_inflate_ratio)
        fail(dxtc_inflate);
    result.buffer.reset(new std::uint8_t[whole]());
    if (packed == unpacked) {
        std::memcpy(result.buffer.get(), packed_data->data, unpacked);
    } else {
        uLongf produced = unpacked;
        if (uncompress(result.buffer.get(), &produced, packed_data->data, packed) != Z_OK || produced != unpacked)
            fail(dxtc_inflate);
    }
    source.data = result.buffer.get() + rgt_prefix_size;
    return result;
}

Decoded decode_imag(const ChunkFolder& imag)
{
    const Mod::BlobPtr attributes = imag.data(chunk_id("ATTR"));
    const Mod::BlobPtr pixels = imag.data(chunk_id("DATA"));
    if (!attributes || attributes->size < 12 || !pixels)
        fail(imag_missing);
    Decoded result;
    PixelSource& source = result.source;
    source.width = read_u32(attributes->data + 4);
    source.height = read_u32(attributes->data + 8);
    check_dimensions(source.width, source.height);
    // Compared by division first: width x height x 4 may not fit in 64 bits.
    const std::uint64_t count = std::uint64_t{source.width} * source.height;
    if (count > pixels->size / 4 || count * 4 != pixels->size)
        fail(imag_size);
    source.data = pixels->data;
    source.pitch = source.width * 4;
    source.format = PixelFormat::b8g8r8a8;
    source.alpha_mode = AlphaMode::straight;
    return result;
}

Decoded decode_rgt(const Mod::BlobPtr& file)
{
    const ChunkFolder root = parse_chunky(file);
    const ChunkFolder& texture = root.folder(chunk_id("TSET")).folder(chunk_id("TXTR"));
    if (const ChunkFolder& dxtc = texture.folder(chunk_id("DXTC")); dxtc.exists())
        return decode_dxtc(dxtc);
    if (const ChunkFolder& imag = texture.folder(chunk_id("IMAG")); imag.exists())
        return decode_imag(imag);
    fail(rgt_unknown);
}

} // namespace

void decode_image_file(Mod::BlobPtr blob, const std::function<void(const PixelSource&)>& consumer)
{
    // Held here rather than in the parameter, so that the file is let go before this
    // returns (a parameter may live on until the end of the caller's expression).
    const Mod::BlobPtr file = std::move(blob);
    static const Mod::FileBlob no_file;
    const Mod::FileBlob& bytes = file ? *file : no_file;
    Decoded decoded;
    if (is_dds(bytes))
        decoded = decode_dds(bytes);
    else if (is_tga(bytes))
        decoded = decode_tga(bytes);
    else if (is_chunky(bytes))
        decoded = decode_rgt(file);
    else
        fail(unrecognised_format);
    consumer(decoded.source);
}

} // namespace Render
