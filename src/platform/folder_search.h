#pragma once
// Enumeration of a folder's entry names, as FindFirstFileA/FindNextFileA do it.

#include <functional>
#include <string>

namespace Platform {

// `pattern` is a folder path followed by a separator and "*" (for example "art\*").
// Calls `visit` with every entry name, files and sub-folders alike, in the order the
// system returns them, "." and ".." included; nothing when the folder cannot be
// searched.
void search_folder(const std::string& pattern, const std::function<void(const char* name)>& visit);

} // namespace Platform
