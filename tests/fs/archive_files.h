#pragma once
// Writing archives built by SgaWriter to disk and reading members back as strings.

#include "fs/archive_source.h"

#include "support/sga_writer.h"
#include "support/temp_folder.h"

#include <string>

inline std::string write_archive(const TempFolder& folder, const std::string& name, const std::string& bytes)
{
    folder.write(name, bytes);
    return folder.path(name);
}

// The member's bytes, or "<null>" when the read returned null.
inline std::string read_text(const Mod::FileSource& source, const std::string& path)
{
    Mod::BlobPtr blob = source.read(path);
    if (!blob)
        return "<null>";
    return std::string(reinterpret_cast<const char*>(blob->data), blob->size);
}

inline std::vector<std::string> list_names(const Mod::FileSource& source, const std::string& folder)
{
    std::vector<std::string> names;
    source.list(folder, names);
    return names;
}

// The message of the exception opening `path` throws, or "<opened>".
inline std::string open_failure(const std::string& path)
{
    try {
        Mod::ArchiveSource source(path);
    } catch (const std::runtime_error& error) {
        return error.what();
    }
    return "<opened>";
}
