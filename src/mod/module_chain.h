#pragma once
// The modules whose data makes up a mod: the main module, the modules each link of its
// parent chain requires, and the parent chain itself, in precedence order.

#include "fs/file_source.h"
#include "mod/module_file.h"

#include <memory>
#include <string>
#include <vector>

namespace Mod {

struct ModuleEntry {
    std::string path; // as it was read through the disk source
    std::unique_ptr<ModuleFile> file;
};

// `path` in lower case with backslashes: game paths that name the same file fold alike.
std::string folded_path(const std::string& path);

// The folder part of `path` with its trailing '\' or '/'; empty when it has neither.
std::string install_folder_of(const std::string& path);

// Reads the main module and follows RequiredMod.N and Parent (required modules are not
// followed further). Each module is read once: a required module read before is
// skipped. Unreadable required and parent modules are skipped; a parent that names a
// module already read ends the chain. Throws std::runtime_error "Cannot open
// module file <path>" when the main module cannot be read.
std::vector<ModuleEntry> read_module_chain(const FileSource& disk, const std::string& module_path);

} // namespace Mod
