#include "mod/module_chain.h"

#include <stdexcept>
#include <set>

namespace Mod {
namespace {

// Reads and appends the module at `path` unless one of that path was read before.
bool append_module(const FileSource& disk, const std::string& path, std::vector<ModuleEntry>& modules,
                   std::set<std::string>& read)
{
    if (!read.insert(folded_path(path)).second)
        return false;
    BlobPtr blob = disk.read(path);
    if (!blob)
        return false;
    modules.push_back(ModuleEntry{path, ModuleFile::parse(*blob)});
    return true;
}

} // namespace

std::string folded_path(const std::string& path)
{
    std::string folded = path;
    for (char& c : folded) {
        if (c == '/')
            c = '\\';
        else if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return folded;
}

std::string install_folder_of(const std::string& path)
{
    std::size_t separator = path.find_last_of("\\/");
    return separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
}

std::vector<ModuleEntry> read_module_chain(const FileSource& disk, const std::string& module_path)
{
    std::vector<ModuleEntry> modules;
    // Every module is read once, however often it is required or named as a parent.
    std::set<std::string> read;
    if (!append_module(disk, module_path, modules, read))
        throw std::runtime_error("Cannot open module file " + module_path);
    const std::string install_folder = install_folder_of(module_path);

    std::size_t link = 0; // the current link of the parent chain
    while (true) {
        const ModuleSection& global = modules[link].file->section("global");
        for (int n = 1;; ++n) {
            std::string required = global.get("RequiredMod", n);
            if (required.empty())
                break;
            append_module(disk, install_folder + required + ".module", modules, read);
        }
        std::string parent = global.get("Parent");
        if (parent.empty())
            break;
        // A parent read before (a module that is its own ancestor would make the chain
        // endless) ends the chain, as one that cannot be read does.
        if (!append_module(disk, install_folder + parent + ".module", modules, read))
            break;
        link = modules.size() - 1;
    }
    return modules;
}

} // namespace Mod
