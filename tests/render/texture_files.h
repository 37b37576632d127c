#pragma once
// Builders for small texture files in the render tests: DDS headers, TGA files with an
// identification field, colour map and footer, and chunk containers of FOLD and DATA
// chunks.

#include <cstdint>
#include <string>
#include <vector>

inline std::string le32(std::uint32_t value)
{
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    return bytes;
}

inline std::string le16(std::uint16_t value)
{
    return {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
}

// Distinct bytes, so that a wrong start or pitch shows in the pixels seen.
inline std::string pattern(std::size_t size, unsigned seed = 1)
{
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 7 + seed * 31) & 0xFF);
    return bytes;
}

struct DdsHeader {
    std::string fourcc = "DXT1";
    std::uint32_t width = 4;
    std::uint32_t height = 4;
    std::uint32_t flags = 0x1007; // caps, height, width, pixel format
    std::uint32_t pitch = 0;
    std::uint32_t format_flags = 0x4; // four-character code
};

inline std::string dds_file(const DdsHeader& header, const std::string& pixels)
{
    std::string bytes(128, '\0');
    bytes.replace(0, 4, "DDS ");
    bytes.replace(4, 4, le32(124));
    bytes.replace(8, 4, le32(header.flags));
    bytes.replace(12, 4, le32(header.height));
    bytes.replace(16, 4, le32(header.width));
    bytes.replace(20, 4, le32(header.pitch));
    bytes.replace(76, 4, le32(32));
    bytes.replace(80, 4, le32(header.format_flags));
    bytes.replace(84, 4, (header.fourcc + std::string(4, '\0')).substr(0, 4));
    return bytes + pixels;
}

struct TgaHeader {
    std::uint8_t image_type = 2;
    std::uint8_t bits = 32;
    std::uint16_t width = 2;
    std::uint16_t height = 2;
    std::string id;
    std::uint8_t colour_map_type = 0;
    std::uint16_t colour_map_length = 0;
    std::uint8_t colour_map_bits = 0;
    bool footer = true;
};

inline const std::string tga_signature = std::string("TRUEVISION-XFILE.") + '\0';

// Header, identification, colour map (colour-map length x entry bits / 8 bytes, when
// the colour-map type is not 0), pixels, then the 26-byte footer.
inline std::string tga_file(const TgaHeader& header, const std::string& pixels)
{
    std::string bytes;
    bytes += static_cast<char>(header.id.size());
    bytes += static_cast<char>(header.colour_map_type);
    bytes += static_cast<char>(header.image_type);
    bytes += le16(0);
    bytes += le16(header.colour_map_length);
    bytes += static_cast<char>(header.colour_map_bits);
    bytes += le32(0);
    bytes += le16(header.width);
    bytes += le16(header.height);
    bytes += static_cast<char>(header.bits);
    bytes += static_cast<char>(0x08);
    bytes += header.id;
    if (header.colour_map_type != 0)
        bytes += std::string(std::size_t{header.colour_map_length} * ((header.colour_map_bits + 7u) / 8u), '\x77');
    bytes += pixels;
    if (header.footer)
        bytes += le32(0) + le32(0) + tga_signature;
    return bytes;
}

// One chunk: a DATA chunk's bytes, or a FOLD chunk's children; any other kind is
// written with its bytes.
struct Chunk {
    std::string kind;
    std::string id;
    std::string bytes;
    std::vector<Chunk> children;
    std::string name;
};

inline Chunk data_chunk(const std::string& id, const std::string& bytes, const std::string& name = "")
{
    return {"DATA", id, bytes, {}, name};
}

inline Chunk fold_chunk(const std::string& id, std::vector<Chunk> children, const std::string& name = "")
{
    return {"FOLD", id, "", std::move(children), name};
}

inline std::string chunk_header(const std::string& kind, const std::string& id, std::uint32_t data_size,
                                std::uint32_t name_size)
{
    // Short identifiers are padded with zero bytes, as chunk_id("AB\0\0") reads them.
    const auto four = [](const std::string& text) { return (text + std::string(4, '\0')).substr(0, 4); };
    return four(kind) + four(id) + le32(1) + le32(data_size) + le32(name_size) + std::string(8, '\0');
}

inline std::string chunk_bytes(const Chunk& chunk)
{
    std::string data = chunk.bytes;
    for (const Chunk& child : chunk.children)
        data += chunk_bytes(child);
    return chunk_header(chunk.kind, chunk.id, static_cast<std::uint32_t>(data.size()),
                        static_cast<std::uint32_t>(chunk.name.size())) +
           chunk.name + data;
}

inline const std::string chunky_magic = std::string("Relic Chunky\r\n\x1A") + '\0';

// The 36-byte file header with the first chunk right after it, then `body`.
inline std::string chunky_file_of(const std::string& body, std::uint32_t version = 3)
{
    return chunky_magic + le32(version) + le32(1) + le32(36) + std::string(8, '\0') + body;
}

inline std::string chunky_file(const std::vector<Chunk>& chunks, std::uint32_t version = 3)
{
    std::string body;
    for (const Chunk& chunk : chunks)
        body += chunk_bytes(chunk);
    return chunky_file_of(body, version);
}

// TSET / TXTR / `texture`, the path that the decoder reads.
inline std::string rgt_file(std::vector<Chunk> texture, std::uint32_t version = 3)
{
    return chunky_file({fold_chunk("TSET", {fold_chunk("TXTR", std::move(texture))})}, version);
}

inline std::string tfmt(std::uint32_t width, std::uint32_t height, std::uint32_t compression)
{
    return le32(width) + le32(height) + le32(0) + le32(0) + le32(compression);
}

inline std::string tman(std::uint32_t unpacked, std::uint32_t packed) { return le32(0) + le32(unpacked) + le32(packed); }

inline std::string attr(std::uint32_t width, std::uint32_t height) { return le32(0) + le32(width) + le32(height); }
