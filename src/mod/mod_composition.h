#pragma once
// The synchronous part of loading a mod: the module chain, the locale, the ordered
// source list, and the union of the sources that could be opened. What became of each
// source is recorded for tvse-tool and the tests.

#include "fs/file_source.h"
#include "fs/union_source.h"
#include "mod/module_file.h"
#include "mod/source_entry.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace Mod {

struct ModComposition {
    std::string install_folder;
    std::string locale;
    std::vector<std::string> module_paths;   // main module first, in precedence order
    std::vector<SourceRecord> sources;       // in precedence order, opened or not
    std::vector<std::string> locale_folders; // relative to install_folder
};

// Opens an archive at a full path; throws a std::exception when it cannot.
using ArchiveOpener = std::function<std::unique_ptr<FileSource>(const std::string& path)>;

struct ComposedMod {
    ModComposition record;
    std::vector<std::unique_ptr<ModuleFile>> modules;
    std::shared_ptr<UnionSource> files;
};

// Composes the mod of the .module file at `module_path`, reading modules and listing
// folders through `disk`; archives are opened with `open_archive` (ArchiveSource when
// empty). Sources that cannot be opened are left out with a debugger message. Throws
// std::runtime_error "Cannot open module file <path>" when the main module is unreadable.
ComposedMod compose_mod(const std::shared_ptr<const FileSource>& disk, const std::string& module_path,
                        const ArchiveOpener& open_archive = ArchiveOpener());

} // namespace Mod
