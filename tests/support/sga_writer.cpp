#include "support/sga_writer.h"

#include <zlib.h>

#include <cctype>
#include <deque>
#include <limits>
#include <stdexcept>

namespace {

std::vector<std::string> split_path(const std::string& path)
{
    std::vector<std::string> parts(1);
    for (char c : path) {
        if (c == '\\' || c == '/') {
            parts.emplace_back();
        } else {
            parts.back() += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
    }
    std::vector<std::string> result;
    for (auto& part : parts)
        if (!part.empty())
            result.push_back(std::move(part));
    return result;
}

void append_u16(std::string& out, std::size_t value)
{
    if (value > 0xFFFF)
        throw std::length_error("SGA field does not fit 16 bits");
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

void append_u32(std::string& out, std::uint64_t value)
{
    if (value > 0xFFFFFFFFu)
        throw std::length_error("SGA field does not fit 32 bits");
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

} // namespace

SgaWriter::SgaWriter(std::uint32_t version) : m_version(version)
{
    if (version != 2 && version != 4)
        throw std::invalid_argument("SgaWriter writes versions 2 and 4");
}

SgaWriter::Folder& SgaWriter::folder_at(const std::vector<std::string>& parts, std::size_t count)
{
    Folder* folder = &m_root;
    for (std::size_t i = 0; i < count; ++i)
        folder = &folder->folders[parts[i]];
    return *folder;
}

void SgaWriter::add_file(const std::string& path, const std::string& bytes, bool compress)
{
    const auto parts = split_path(path);
    if (parts.empty())
        throw std::invalid_argument("SgaWriter::add_file needs a file name");
    folder_at(parts, parts.size() - 1).files[parts.back()] = {bytes, compress};
}

void SgaWriter::add_folder(const std::string& path)
{
    const auto parts = split_path(path);
    folder_at(parts, parts.size());
}

const SgaWriter::FileEntry* SgaWriter::Layout::file(const std::string& path) const
{
    for (const auto& entry : files)
        if (entry.path == path)
            return &entry;
    return nullptr;
}

const SgaWriter::FolderEntry* SgaWriter::Layout::folder(const std::string& name) const
{
    for (const auto& entry : folders)
        if (entry.name == name)
            return &entry;
    return nullptr;
}

std::string SgaWriter::build()
{
    struct Placed {
        const Folder* folder;
        std::string name;  // stored full name
        std::string path;  // lower-case path without any leading backslash
        std::size_t first_folder = 0, end_folder = 0, first_file = 0, end_file = 0;
    };
    // Breadth-first: a folder's children get consecutive indices.
    std::vector<Placed> placed{{&m_root, "", ""}};
    for (std::size_t i = 0; i < placed.size(); ++i) {
        placed[i].first_folder = placed.size();
        const Folder* folder = placed[i].folder;
        const std::string path = placed[i].path;
        for (const auto& [child_name, child] : folder->folders) {
            std::string child_path = path.empty() ? child_name : path + "\\" + child_name;
            std::string stored = path.empty() && m_root_children_with_backslash ? "\\" + child_name : child_path;
            placed.push_back({&child, stored, child_path});
        }
        placed[i].end_folder = placed.size();
    }

    Layout layout;
    layout.header_size = m_version == 2 ? 180 : 184;
    layout.file_record_size = m_version == 2 ? 20 : 22;

    std::string names;
    std::string folder_table;
    std::string file_table;
    std::string data;
    std::vector<std::string> file_paths;
    std::vector<std::pair<std::size_t, std::size_t>> file_data; // offset in `data`, stored size
    std::size_t file_count = 0;
    for (auto& p : placed) {
        p.first_file = file_count;
        file_count += p.folder->files.size();
        p.end_file = file_count;
    }
    auto add_name = [&names](const std::string& name) {
        const std::size_t offset = names.size();
        names += name;
        names += '\0';
        return offset;
    };
    for (const auto& p : placed) {
        layout.folders.push_back({p.name, folder_table.size()});
        append_u32(folder_table, add_name(p.name));
        append_u16(folder_table, p.first_folder);
        append_u16(folder_table, p.end_folder);
        append_u16(folder_table, p.first_file);
        append_u16(folder_table, p.end_file);
    }
    for (const auto& p : placed) {
        for (const auto& [file_name, content] : p.folder->files) {
            const std::string& bytes = content.first;
            std::string stored = bytes;
            bool compressed = false;
            if (content.second) {
                std::string packed = zlib_compress(bytes);
                if (packed.size() != bytes.size()) {
                    stored = std::move(packed);
                    compressed = true;
                }
            }
            FileEntry entry;
            entry.path = p.path.empty() ? file_name : p.path + "\\" + file_name;
            entry.record = file_table.size();
            entry.data = data.size();
            entry.stored_size = static_cast<std::uint32_t>(stored.size());
            entry.unpacked_size = static_cast<std::uint32_t>(bytes.size());
            entry.compressed = compressed;
            if (bytes.size() > std::numeric_limits<std::uint32_t>::max())
                throw std::length_error("SGA member too large");
            const std::size_t name_offset = add_name(file_name);
            append_u32(file_table, name_offset);
            if (m_version == 2) {
                append_u32(file_table, 0);
                append_u32(file_table, data.size());
                append_u32(file_table, stored.size());
                append_u32(file_table, bytes.size());
            } else {
                append_u32(file_table, data.size());
                append_u32(file_table, stored.size());
                append_u32(file_table, bytes.size());
                file_table.append(6, '\0');
            }
            data += stored;
            layout.files.push_back(std::move(entry));
        }
    }

    // Table of contents: the 24-byte fixed part, then folders, files and names.
    std::string toc;
    const std::size_t folder_offset = 24;
    const std::size_t file_offset = folder_offset + folder_table.size();
    const std::size_t names_offset = file_offset + file_table.size();
    append_u32(toc, folder_offset); // where real archives keep this, it is not read
    append_u16(toc, placed.size());
    append_u32(toc, folder_offset);
    append_u16(toc, placed.size());
    append_u32(toc, file_offset);
    append_u16(toc, file_count);
    append_u32(toc, names_offset);
    append_u16(toc, std::min<std::size_t>(placed.size() + file_count, 0xFFFF));
    toc += folder_table;
    toc += file_table;
    toc += names;

    std::string archive = "_ARCHIVE";
    append_u32(archive, m_version);
    archive.append(160, '\0'); // MD5s and the archive's title: not read
    append_u32(archive, toc.size());
    const std::uint64_t data_base = layout.header_size + toc.size();
    append_u32(archive, data_base);
    if (m_version == 4)
        append_u32(archive, 0);
    archive += toc;
    archive += data;

    const std::size_t toc_start = layout.header_size;
    layout.toc_size = static_cast<std::uint32_t>(toc.size());
    layout.data_base = static_cast<std::uint32_t>(data_base);
    layout.folder_table = toc_start + folder_offset;
    layout.file_table = toc_start + file_offset;
    layout.name_block = toc_start + names_offset;
    for (auto& folder : layout.folders)
        folder.record += layout.folder_table;
    for (auto& file : layout.files) {
        file.record += layout.file_table;
        file.data += data_base;
    }
    m_layout = std::move(layout);
    return archive;
}

void put_u16(std::string& bytes, std::size_t offset, std::uint16_t value)
{
    if (offset + 2 > bytes.size())
        throw std::out_of_range("put_u16 past the end");
    bytes[offset] = static_cast<char>(value & 0xFF);
    bytes[offset + 1] = static_cast<char>(value >> 8);
}

void put_u32(std::string& bytes, std::size_t offset, std::uint32_t value)
{
    if (offset + 4 > bytes.size())
        throw std::out_of_range("put_u32 past the end");
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::uint32_t get_u32(const std::string& bytes, std::size_t offset)
{
    if (offset + 4 > bytes.size())
        throw std::out_of_range("get_u32 past the end");
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[offset + i]);
    return value;
}

std::string zlib_compress(const std::string& bytes)
{
    uLongf size = compressBound(static_cast<uLong>(bytes.size()));
    std::string out(size, '\0');
    if (compress(reinterpret_cast<Bytef*>(&out[0]), &size, reinterpret_cast<const Bytef*>(bytes.data()),
                 static_cast<uLong>(bytes.size())) != Z_OK)
        throw std::runtime_error("zlib compress failed");
    out.resize(size);
    return out;
}
