#pragma once
// Which sources and locale folders each module contributes, and in which order: the
// order of the list is the order of precedence in the mod's file system.

#include "fs/file_source.h"
#include "mod/module_file.h"
#include "mod/source_entry.h"

#include <string>
#include <vector>

namespace Mod {

// The locale common to every module that has a <ModFolder>\Locale folder (the smallest
// such name, byte-wise), or "english" when none has one or they share none.
std::string choose_locale(const FileSource& disk, const std::string& install_folder,
                          const std::vector<const ModuleFile*>& modules);

// Sets the module's variables for `locale`, then appends its DataFolder.N folders, its
// common and then locale data sections (each folder before its archives), its
// ArchiveFile.N archives, and its locale folders.
void append_module_sources(ModuleFile& module, const std::string& locale, std::vector<SourceEntry>& sources,
                           std::vector<std::string>& locale_folders);

// Engine\Data\, Engine\Engine.sga, and the .sga archives of the engine's locale folder
// (in listing order); the engine's locale folder joins `locale_folders`.
void append_engine_sources(const FileSource& disk, const std::string& install_folder, const std::string& locale,
                           std::vector<SourceEntry>& sources, std::vector<std::string>& locale_folders);

// True when `name` ends with `extension` (e.g. ".sga"), ignoring ASCII letter case.
bool has_extension(const std::string& name, const char* extension);

} // namespace Mod
