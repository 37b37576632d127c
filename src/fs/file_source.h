#pragma once
// The interface of every file source: whole-file reads and folder listings. Sources
// are immutable after construction and may be used from several threads at once.

#include "fs/file_blob.h"

#include <string>
#include <vector>

namespace Mod {

class FileSource {
public:
    virtual ~FileSource() = default;

    // The file's bytes, or null when it is missing or unreadable. Never throws for a
    // missing file; only allocation failures propagate.
    virtual BlobPtr read(const std::string& path) const = 0;

    // Appends the bare names of the folder's entries (files and sub-folders) to
    // `names`, leaving what is already there untouched.
    virtual void list(const std::string& folder, std::vector<std::string>& names) const = 0;
};

} // namespace Mod
