#pragma once
// The file source over the operating system's file system. Paths go to the system as
// given (absolute, or relative to the current directory); each read maps the whole
// file instead of copying it. Wrap it in a PrefixedSource to root it at a folder.

#include "fs/file_source.h"

namespace Mod {

class FolderSource : public FileSource {
public:
    BlobPtr read(const std::string& path) const override;
    void list(const std::string& folder, std::vector<std::string>& names) const override;
};

// The search pattern that `list` hands to the system: the folder, one backslash
// unless it already ends in a separator, and "*". Empty for an empty folder string.
std::string folder_search_pattern(const std::string& folder);

} // namespace Mod
