#include "platform/folder_search.h"

#include "platform/posix_path.h"

#include <dirent.h>

#include <memory>

namespace Platform {

void search_folder(const std::string& pattern, const std::function<void(const char* name)>& visit)
{
    // Only the "<folder><separator>*" form occurs; the folder is everything before the "*".
    if (pattern.empty() || pattern.back() != '*')
        return;
    std::string folder = posix_path(pattern.substr(0, pattern.size() - 1));
    if (folder.empty())
        folder = "./";
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), closedir);
    if (!dir)
        return;
    while (const dirent* entry = readdir(dir.get()))
        visit(entry->d_name);
}

} // namespace Platform
