#include "fs/folder_source.h"

#include "platform/folder_search.h"
#include "platform/mapped_file.h"

#include <cstring>
#include <limits>

namespace Mod {

BlobPtr FolderSource::read(const std::string& path) const
{
    auto file = Platform::MappedFile::open(path);
    if (!file)
        return nullptr;
    const std::uint64_t size = file->size();
    if (size == 0)
        return make_blob(nullptr, 0, nullptr);
    // Blob sizes are 32-bit: larger files are not supported, so they read as missing.
    if (size > std::numeric_limits<std::uint32_t>::max())
        return nullptr;
    const auto length = static_cast<std::size_t>(size);
    const std::uint8_t* view = file->map(0, length);
    if (!view)
        return nullptr;
    // The view keeps the file open; the MappedFile's handles go when it does.
    return make_blob(view, static_cast<std::uint32_t>(size), [view, length] { Platform::unmap_view(view, length); });
}

void FolderSource::list(const std::string& folder, std::vector<std::string>& names) const
{
    const std::string pattern = folder_search_pattern(folder);
    if (pattern.empty())
        return;
    Platform::search_folder(pattern, [&names](const char* name) {
        if (std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0)
            names.emplace_back(name);
    });
}

std::string folder_search_pattern(const std::string& folder)
{
    if (folder.empty())
        return std::string();
    std::string pattern = folder;
    if (pattern.back() != '\\' && pattern.back() != '/')
        pattern += '\\';
    pattern += '*';
    return pattern;
}

} // namespace Mod
