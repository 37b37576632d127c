#pragma once
// Builds SGA archives (versions 2 and 4) in memory for tests and benchmarks:
//
//     SgaWriter writer(4);
//     writer.add_file("art\\ui\\x.screen", bytes, /*compress=*/true);
//     std::string archive = writer.build();
//
// Paths use '\' or '/', are stored in lower case, and create their folders. Folders are
// written breadth-first with the root first, each folder's sub-folders and files sorted
// by name, so every folder's ranges are contiguous as the reader expects. The MD5
// fields and per-file headers of real archives are left zero or out: readers ignore
// them. `layout()` tells where every field went, so tests can damage them.

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

class SgaWriter {
public:
    explicit SgaWriter(std::uint32_t version = 4);

    // `compress` stores one zlib stream; should the stream come out exactly as long as
    // the data (the reader would take it as stored), the data is stored as is.
    void add_file(const std::string& path, const std::string& bytes, bool compress = false);
    // A folder with nothing in it (parents are created too).
    void add_folder(const std::string& path);

    // Store the root's sub-folders as "\art" instead of the usual "art".
    void set_root_children_with_backslash(bool on) { m_root_children_with_backslash = on; }

    // Throws std::length_error when counts or offsets do not fit the format's fields.
    std::string build();

    struct FileEntry {
        std::string path;           // full lower-case path, e.g. "art\ui\x.screen"
        std::size_t record = 0;     // file offset of the file record
        std::size_t data = 0;       // file offset of the stored bytes
        std::uint32_t stored_size = 0;
        std::uint32_t unpacked_size = 0;
        bool compressed = false;
    };
    struct FolderEntry {
        std::string name;       // stored full name ("" for the root)
        std::size_t record = 0; // file offset of the folder record
    };
    struct Layout {
        std::size_t header_size = 0; // 180 or 184: the table of contents starts here
        std::uint32_t toc_size = 0;
        std::uint32_t data_base = 0;
        std::size_t folder_table = 0; // file offsets
        std::size_t file_table = 0;
        std::size_t name_block = 0;
        std::size_t file_record_size = 0;
        std::vector<FolderEntry> folders; // in table order
        std::vector<FileEntry> files;     // in table order
        const FileEntry* file(const std::string& path) const;
        const FolderEntry* folder(const std::string& name) const;
    };
    // Valid after build().
    const Layout& layout() const { return m_layout; }

private:
    struct Folder {
        std::map<std::string, Folder> folders;
        std::map<std::string, std::pair<std::string, bool>> files; // name -> bytes, compress
    };
    Folder& folder_at(const std::vector<std::string>& parts, std::size_t count);

    std::uint32_t m_version;
    bool m_root_children_with_backslash = false;
    Folder m_root;
    Layout m_layout;
};

// Little-endian field writers for damaging a built archive; they grow nothing and
// throw std::out_of_range past the end.
void put_u16(std::string& bytes, std::size_t offset, std::uint16_t value);
void put_u32(std::string& bytes, std::size_t offset, std::uint32_t value);
std::uint32_t get_u32(const std::string& bytes, std::size_t offset);

// zlib's one-call compression of `bytes` (the reader's stream format).
std::string zlib_compress(const std::string& bytes);
