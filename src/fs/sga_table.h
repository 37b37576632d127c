#pragma once
// The table of contents of an SGA archive: folder and file records and their names,
// checked once against the block that holds them and indexed by folder name. Works on
// bytes already in memory; ArchiveSource keeps them mapped for the table's life.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Mod {

class SgaTable {
public:
    // One member's place in the archive, before the header's data base is added.
    struct Member {
        std::uint32_t data_offset = 0;
        std::uint32_t stored_size = 0;
        std::uint32_t unpacked_size = 0;
    };

    // `toc` is the table-of-contents block, `toc_size` bytes long, of an archive of
    // `version` 2 or 4. Throws ArchiveFormatError (no reason) when a table, a record's
    // range or a name it uses lies outside the block, or a name is not terminated in it.
    SgaTable(const std::uint8_t* toc, std::uint32_t toc_size, std::uint32_t version);

    // `folder` and `file` are already normalised (lower case, backslashes; the folder
    // without a trailing backslash, empty for the root).
    std::optional<Member> find(std::string_view folder, std::string_view file) const;

    // Appends the folder's files, then its sub-folders' bare names; nothing when the
    // folder is not in the archive.
    void list(std::string_view folder, std::vector<std::string>& names) const;

    std::size_t folder_count() const { return m_folder_count; }

private:
    struct Folder {
        std::string_view name;
        std::uint16_t first_folder, end_folder, first_file, end_file;
    };

    Folder folder(std::size_t index) const;
    std::string_view file_name(std::size_t index) const;
    const std::uint8_t* file_record(std::size_t index) const { return m_file_table + index * m_file_record_size; }
    const Folder* find_folder(std::string_view name) const;

    const std::uint8_t* m_folder_table = nullptr;
    std::size_t m_folder_count = 0;
    const std::uint8_t* m_file_table = nullptr;
    std::size_t m_file_record_size = 0;
    std::uint32_t m_version = 0;
    const char* m_names = nullptr;
    std::size_t m_names_size = 0;
    // Folders decoded once, and an index of them sorted by the CRC of their stored full
    // names and then by the names: names that share a CRC (easy to make) are told apart
    // by bisection, not by walking a chain of them.
    struct IndexEntry {
        std::uint32_t crc;
        std::string_view name;
        std::uint16_t folder;
    };
    std::vector<Folder> m_folders;
    std::vector<IndexEntry> m_index;
};

} // namespace Mod
