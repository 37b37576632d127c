#include "platform/mapped_file.h"

#include <windows.h>

namespace Platform {

std::unique_ptr<MappedFile> MappedFile::open(const std::string& path)
{
    // Sharing deletion lets a modder's editor save over a file the program holds (a font,
    // a string table) the way most editors save: a new file renamed over the old one.
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_NO_BUFFERING, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return nullptr;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size)) {
        CloseHandle(file);
        return nullptr;
    }
    HANDLE mapping = nullptr;
    if (size.QuadPart != 0) {
        mapping = CreateFileMappingW(file, nullptr, PAGE_READONLY, static_cast<DWORD>(size.QuadPart >> 32),
                                     static_cast<DWORD>(size.QuadPart), nullptr);
        if (!mapping) {
            CloseHandle(file);
            return nullptr;
        }
    }
    std::unique_ptr<MappedFile> result(new MappedFile);
    result->m_size = static_cast<std::uint64_t>(size.QuadPart);
    result->m_file = file;
    result->m_mapping = mapping;
    return result;
}

MappedFile::~MappedFile()
{
    if (m_mapping)
        CloseHandle(m_mapping);
    if (m_file)
        CloseHandle(m_file);
}

const std::uint8_t* MappedFile::map(std::uint64_t offset, std::size_t length) const
{
    if (!m_mapping || offset > m_size || length > m_size - offset)
        return nullptr;
    void* view = MapViewOfFile(m_mapping, FILE_MAP_READ, static_cast<DWORD>(offset >> 32),
                               static_cast<DWORD>(offset), length);
    return static_cast<const std::uint8_t*>(view);
}

void unmap_view(const void* base, std::size_t)
{
    if (base)
        UnmapViewOfFile(base);
}

std::uint32_t allocation_granularity()
{
    static const std::uint32_t granularity = [] {
        SYSTEM_INFO info{};
        GetSystemInfo(&info);
        return static_cast<std::uint32_t>(info.dwAllocationGranularity);
    }();
    return granularity;
}

} // namespace Platform
