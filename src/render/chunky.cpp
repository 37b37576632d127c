#include "render/chunky.h"

namespace Render {
namespace {

constexpr std::uint32_t header_size = 36;
constexpr std::uint32_t chunk_header_size = 28;
constexpr std::uint32_t supported_version = 3;
constexpr std::uint32_t fold_kind = chunk_id("FOLD");
constexpr std::uint32_t data_kind = chunk_id("DATA");

// Each level costs only 28 bytes, so a file built to nest deeply could otherwise
// exhaust the stack; deeper folders are kept, empty. Real textures nest three deep.
constexpr int max_depth = 64;

std::uint32_t read_u32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

} // namespace

const ChunkFolder& ChunkFolder::folder(std::uint32_t id) const
{
    static const ChunkFolder absent;
    const auto found = m_folders.find(id);
    return found == m_folders.end() ? absent : *found->second;
}

Mod::BlobPtr ChunkFolder::data(std::uint32_t id) const
{
    const auto found = m_data.find(id);
    if (found == m_data.end())
        return nullptr;
    // The chunk's blob keeps the whole file alive for as long as it is held.
    return Mod::make_blob(m_file->data + found->second.offset, found->second.size, [file = m_file] {});
}

void ChunkFolder::read_sequence(std::uint32_t begin, std::uint32_t end, int depth)
{
    const std::uint8_t* bytes = m_file->data;
    // 64-bit positions: the sizes of a chunk cannot wrap past the end of its range.
    std::uint64_t p = begin;
    while (p + chunk_header_size < end) {
        const std::uint8_t* chunk = bytes + p;
        const std::uint32_t kind = read_u32(chunk);
        const std::uint32_t id = read_u32(chunk + 4);
        const std::uint32_t data_size = read_u32(chunk + 12);
        const std::uint32_t name_size = read_u32(chunk + 16);
        const std::uint64_t data_begin = p + chunk_header_size + name_size;
        const std::uint64_t next = data_begin + data_size;
        if (next > end)
            break; // a truncated chunk ends the sequence
        if (kind == data_kind) {
            m_data.emplace(id, Span{static_cast<std::uint32_t>(data_begin), data_size});
        } else if (kind == fold_kind && m_folders.find(id) == m_folders.end()) {
            // Only the first folder of an identifier can be found, so a repeat is not read.
            auto child = std::make_unique<ChunkFolder>();
            child->m_exists = true;
            child->m_file = m_file;
            if (depth < max_depth)
                child->read_sequence(static_cast<std::uint32_t>(data_begin), static_cast<std::uint32_t>(next),
                                     depth + 1);
            m_folders.emplace(id, std::move(child));
        }
        p = next;
    }
}

ChunkFolder parse_chunky(Mod::BlobPtr file)
{
    ChunkFolder root;
    root.m_exists = true;
    root.m_file = std::move(file);
    const std::uint32_t size = root.m_file->size;
    if (size <= header_size)
        return root;
    const std::uint8_t* bytes = root.m_file->data;
    const std::uint32_t first = read_u32(bytes + 24);
    if (read_u32(bytes + 16) != supported_version || first >= size)
        return root;
    root.read_sequence(first, size, 0);
    return root;
}

} // namespace Render
