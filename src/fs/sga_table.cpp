#include "fs/sga_table.h"

#include "fs/sga_header.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace Mod {
namespace {

constexpr std::uint32_t fixed_part_size = 24;
constexpr std::size_t folder_record_size = 12;

// zlib's CRC-32 seeded with the name's length.
std::uint32_t name_crc(std::string_view name)
{
    const auto length = static_cast<uInt>(name.size());
    return static_cast<std::uint32_t>(crc32(length, reinterpret_cast<const Bytef*>(name.data()), length));
}

bool index_order(std::uint32_t crc_a, std::string_view a, std::uint32_t crc_b, std::string_view b)
{
    return crc_a != crc_b ? crc_a < crc_b : a < b;
}

} // namespace

SgaTable::SgaTable(const std::uint8_t* toc, std::uint32_t toc_size, std::uint32_t version)
    : m_file_record_size(version == 2 ? 20 : 22), m_version(version)
{
    if (toc_size < fixed_part_size)
        throw ArchiveFormatError();
    // Every sum below is done in 64 bits: a 32-bit sum could wrap into a valid range.
    const std::uint64_t folder_offset = read_u32(toc + 6);
    m_folder_count = read_u16(toc + 10);
    const std::uint64_t file_offset = read_u32(toc + 12);
    const std::uint64_t names_offset = read_u32(toc + 18);
    if (folder_offset + m_folder_count * folder_record_size > toc_size || file_offset > toc_size ||
        names_offset > toc_size)
        throw ArchiveFormatError();
    m_folder_table = toc + folder_offset;
    m_file_table = toc + file_offset;
    // The number of files is not trusted: only what fits in the block can be indexed.
    const std::uint64_t file_capacity = (toc_size - file_offset) / m_file_record_size;
    m_names = reinterpret_cast<const char*>(toc + names_offset);
    m_names_size = static_cast<std::size_t>(toc_size - names_offset);

    // A name is terminated inside the block exactly when it starts at or before the
    // block's last zero byte; finding that once makes each file's check constant-time.
    std::size_t last_zero = m_names_size;
    for (std::size_t i = m_names_size; i-- > 0;)
        if (m_names[i] == '\0') {
            last_zero = i;
            break;
        }
    auto check_name = [this, last_zero](std::uint32_t offset) {
        if (last_zero == m_names_size || offset > last_zero)
            throw ArchiveFormatError();
    };
    auto checked_name = [this, &check_name](std::uint32_t offset) {
        check_name(offset);
        return std::string_view(m_names + offset);
    };

    m_folders.reserve(m_folder_count);
    std::vector<std::pair<std::uint16_t, std::uint16_t>> file_ranges;
    file_ranges.reserve(m_folder_count);
    for (std::size_t i = 0; i < m_folder_count; ++i) {
        const std::uint8_t* record = m_folder_table + i * folder_record_size;
        Folder f{checked_name(read_u32(record)), read_u16(record + 4), read_u16(record + 6), read_u16(record + 8),
                 read_u16(record + 10)};
        if (f.first_folder > f.end_folder || f.end_folder > m_folder_count || f.first_file > f.end_file ||
            f.end_file > file_capacity)
            throw ArchiveFormatError();
        if (f.first_file < f.end_file)
            file_ranges.emplace_back(f.first_file, f.end_file);
        m_folders.push_back(f);
    }

    // Each file record that some folder uses gets its name checked once, however the
    // folders' ranges overlap.
    std::sort(file_ranges.begin(), file_ranges.end());
    std::size_t checked_up_to = 0;
    for (const auto& range : file_ranges) {
        for (std::size_t i = std::max<std::size_t>(range.first, checked_up_to); i < range.second; ++i)
            check_name(read_u32(file_record(i)));
        checked_up_to = std::max<std::size_t>(checked_up_to, range.second);
    }

    m_index.reserve(m_folder_count);
    for (std::size_t i = 0; i < m_folders.size(); ++i)
        m_index.push_back(IndexEntry{name_crc(m_folders[i].name), m_folders[i].name, static_cast<std::uint16_t>(i)});
    std::stable_sort(m_index.begin(), m_index.end(), [](const IndexEntry& a, const IndexEntry& b) {
        return index_order(a.crc, a.name, b.crc, b.name);
    });
    // Of folders stored under one name, the later one is found.
    std::size_t kept = 0;
    for (std::size_t i = 0; i < m_index.size(); ++i) {
        if (kept > 0 && m_index[kept - 1].crc == m_index[i].crc && m_index[kept - 1].name == m_index[i].name)
            m_index[kept - 1] = m_index[i];
        else
            m_index[kept++] = m_index[i];
    }
    m_index.resize(kept);
}

std::string_view SgaTable::file_name(std::size_t index) const
{
    // Checked at construction: the offset lies in the name block and the name ends there.
    return std::string_view(m_names + read_u32(file_record(index)));
}

const SgaTable::Folder* SgaTable::find_folder(std::string_view name) const
{
    const std::uint32_t crc = name_crc(name);
    auto found = std::lower_bound(m_index.begin(), m_index.end(), name, [crc](const IndexEntry& entry, std::string_view key) {
        return index_order(entry.crc, entry.name, crc, key);
    });
    return found != m_index.end() && found->crc == crc && found->name == name ? &m_folders[found->folder] : nullptr;
}

std::optional<SgaTable::Member> SgaTable::find(std::string_view folder, std::string_view file) const
{
    const Folder* f = find_folder(folder);
    if (!f)
        return std::nullopt;
    std::size_t low = f->first_file;
    std::size_t high = f->end_file;
    while (low < high) {
        const std::size_t middle = low + (high - low) / 2;
        const int order = file.compare(file_name(middle));
        if (order < 0) {
            high = middle;
        } else if (order > 0) {
            low = middle + 1;
        } else {
            const std::uint8_t* record = file_record(middle);
            const std::uint8_t* sizes = record + (m_version == 2 ? 8 : 4);
            return Member{read_u32(sizes), read_u32(sizes + 4), read_u32(sizes + 8)};
        }
    }
    return std::nullopt;
}

void SgaTable::list(std::string_view folder, std::vector<std::string>& names) const
{
    const Folder* f = find_folder(folder);
    if (!f)
        return;
    for (std::size_t i = f->first_file; i < f->end_file; ++i)
        names.emplace_back(file_name(i));
    for (std::size_t i = f->first_folder; i < f->end_folder; ++i) {
        std::string_view child = m_folders[i].name;
        // A sub-folder's stored name is "<parent>\<name>". The root's name is empty, and
        // archives store its sub-folders without a leading backslash ("art"); strip one
        // only if it is there.
        if (folder.empty()) {
            if (!child.empty() && child.front() == '\\')
                child.remove_prefix(1);
        } else if (child.size() > folder.size() + 1) {
            child.remove_prefix(folder.size() + 1);
        } else {
            continue; // too short to be a child of this folder: malformed, nothing to name
        }
        if (!child.empty())
            names.emplace_back(child);
    }
}

} // namespace Mod
