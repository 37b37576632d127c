#include "platform/folder_search.h"

#include <windows.h>

namespace Platform {

void search_folder(const std::string& pattern, const std::function<void(const char* name)>& visit)
{
    WIN32_FIND_DATAA entry{};
    HANDLE search = FindFirstFileA(pattern.c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do
        visit(entry.cFileName);
    while (FindNextFileA(search, &entry));
    FindClose(search);
}

} // namespace Platform
