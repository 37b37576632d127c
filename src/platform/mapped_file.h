#pragma once
// Read-only file mapping with one contract on Win32 and POSIX: open a file, learn its
// size, map ranges of it, and unmap a view by its base address. Views outlive the
// MappedFile that made them.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace Platform {

class MappedFile {
public:
    // Opens an existing file for reading (paths use backslashes or slashes; relative
    // paths start at the current directory). Null when the file cannot be opened, its
    // size cannot be read, or a non-empty file cannot be mapped.
    static std::unique_ptr<MappedFile> open(const std::string& path);

    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    std::uint64_t size() const { return m_size; }

    // Maps `length` bytes from `offset` (a multiple of allocation_granularity()),
    // read-only. Null on failure, also for an empty file or a range beyond its end.
    const std::uint8_t* map(std::uint64_t offset, std::size_t length) const;

private:
    MappedFile() = default;

    std::uint64_t m_size = 0;
#ifdef _WIN32
    void* m_file = nullptr;     // HANDLE
    void* m_mapping = nullptr;  // HANDLE, null for an empty file
#else
    int m_fd = -1;
#endif
};

// Unmaps a view returned by MappedFile::map; `length` is the length it was mapped with.
void unmap_view(const void* base, std::size_t length);

// Alignment required of every view's offset.
std::uint32_t allocation_granularity();

} // namespace Platform
