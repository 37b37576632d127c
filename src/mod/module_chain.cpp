#include "mod/module_chain.h"

#include <stdexcept>

namespace Mod {
namespace {

// Game paths name the same file whatever their letter case and separators.
bool same_path(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i] == '/' ? '\\' : a[i];
        char y = b[i] == '/' ? '\\' : b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

bool append_module(const FileSource& disk, const std::string& path, std::vector<ModuleEntry>& modules)
{
    BlobPtr blob = disk.read(path);
    if (!blob)
        return false;
    modules.push_back(ModuleEntry{path, ModuleFile::parse(*blob)});
    return true;
}

} // namespace

std::string install_folder_of(const std::string& path)
{
    std::size_t separator = path.find_last_of("\\/");
    return separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
}

std::vector<ModuleEntry> read_module_chain(const FileSource& disk, const std::string& module_path)
{
    std::vector<ModuleEntry> modules;
    if (!append_module(disk, module_path, modules))
        throw std::runtime_error("Cannot open module file " + module_path);
    const std::string install_folder = install_folder_of(module_path);

    std::size_t link = 0; // the current link of the parent chain
    while (true) {
        const ModuleSection& global = modules[link].file->section("global");
        for (int n = 1;; ++n) {
            std::string required = global.get("RequiredMod", n);
            if (required.empty())
                break;
            append_module(disk, install_folder + required + ".module", modules);
        }
        std::string parent = global.get("Parent");
        if (parent.empty())
            break;
        std::string parent_path = install_folder + parent + ".module";
        // A module that is its own ancestor would make the chain endless.
        bool seen = false;
        for (const ModuleEntry& entry : modules)
            seen = seen || same_path(entry.path, parent_path);
        if (seen || !append_module(disk, parent_path, modules))
            break;
        link = modules.size() - 1;
    }
    return modules;
}

} // namespace Mod
