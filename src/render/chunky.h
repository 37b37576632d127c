#pragma once
// The chunk container that packed textures are stored in: a tree of FOLD chunks
// (sequences of chunks) and DATA chunks (bytes), each under a four-byte identifier.
// Parsed once per file and dropped after decoding.

#include "fs/file_blob.h"

#include <cstdint>
#include <map>
#include <memory>

namespace Render {

// A four-character identifier as the 32-bit value of its bytes in file order.
constexpr std::uint32_t chunk_id(const char (&name)[5])
{
    return std::uint32_t(std::uint8_t(name[0])) | std::uint32_t(std::uint8_t(name[1])) << 8 |
           std::uint32_t(std::uint8_t(name[2])) << 16 | std::uint32_t(std::uint8_t(name[3])) << 24;
}

class ChunkFolder {
public:
    // An absent folder: no children, and exists() is false.
    ChunkFolder() = default;

    // The first FOLD child with this identifier; an absent folder when there is none
    // (always so for an absent folder), so lookups chain without checks.
    const ChunkFolder& folder(std::uint32_t id) const;
    // The first DATA child's bytes, sharing the file's ownership; null when absent.
    Mod::BlobPtr data(std::uint32_t id) const;

    bool exists() const { return m_exists; }

private:
    struct Span {
        std::uint32_t offset = 0;
        std::uint32_t size = 0;
    };

    friend ChunkFolder parse_chunky(Mod::BlobPtr file);

    // Reads the chunks in file bytes [begin, end) into this folder; `depth` is the
    // number of folders around it.
    void read_sequence(std::uint32_t begin, std::uint32_t end, int depth);

    bool m_exists = false;
    Mod::BlobPtr m_file;
    std::map<std::uint32_t, std::unique_ptr<ChunkFolder>> m_folders;
    // DATA chunks as places in the file; a blob is made only for the ones looked up.
    std::map<std::uint32_t, Span> m_data;
};

// The root folder of a container file (present, possibly empty). A file that is too
// short, of another container version or whose first chunk lies outside it has no
// chunks; a truncated chunk ends its sequence, keeping the chunks before it. `file`
// must not be null.
ChunkFolder parse_chunky(Mod::BlobPtr file);

} // namespace Render
