#pragma once
// Real TrueType files for the font tests, taken from the Linux host that Wine runs on
// (its root is drive Z:) and written into a temporary mod folder under "font\".

#include "fs/file_source.h"
#include "fs/folder_source.h"
#include "fs/prefixed_source.h"

#include "support/temp_folder.h"

#include <fstream>
#include <iterator>
#include <memory>
#include <string>

namespace HostFonts {

constexpr const char* tahoma = "Z:\\usr\\share\\wine\\fonts\\tahoma.ttf";
constexpr const char* tahoma_bold = "Z:\\usr\\share\\wine\\fonts\\tahomabd.ttf";
constexpr const char* dejavu = "Z:\\usr\\share\\fonts\\truetype\\dejavu\\DejaVuSans.ttf";
constexpr const char* dejavu_bold = "Z:\\usr\\share\\fonts\\truetype\\dejavu\\DejaVuSans-Bold.ttf";

// The file's bytes, or "" when the host has no such file.
inline std::string bytes_of(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// True when all four fonts are there; tests skip otherwise.
inline bool available()
{
    for (const char* path : {tahoma, tahoma_bold, dejavu, dejavu_bold})
        if (bytes_of(path).empty())
            return false;
    return true;
}

// The temporary folder as a mod's file system: paths relative to its root.
inline std::shared_ptr<const Mod::FileSource> mod_files(const TempFolder& folder)
{
    return Mod::PrefixedSource::make_shared(std::make_shared<Mod::FolderSource>(), folder.root());
}

// The four fonts under their usual names in the mod's font folder.
inline void write_all(const TempFolder& folder)
{
    folder.write("font\\tahoma.ttf", bytes_of(tahoma));
    folder.write("font\\tahomabd.ttf", bytes_of(tahoma_bold));
    folder.write("font\\DejaVuSans.ttf", bytes_of(dejavu));
    folder.write("font\\DejaVuSans-Bold.ttf", bytes_of(dejavu_bold));
}

} // namespace HostFonts
