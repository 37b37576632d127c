#include "mod/mod_composition.h"

#include "fs/archive_source.h"
#include "fs/prefixed_source.h"
#include "mod/module_chain.h"
#include "mod/module_sources.h"
#include "platform/debug_output.h"

#include <exception>
#include <set>

namespace Mod {
namespace {

// Opens one source; null with `reason` set when it is left out.
std::unique_ptr<FileSource> open_source(const std::shared_ptr<const FileSource>& disk, const SourceEntry& entry,
                                        const std::string& full_path, const ArchiveOpener& open_archive,
                                        std::string& reason)
{
    if (entry.kind == SourceKind::archive) {
        if (open_archive)
            return open_archive(full_path);
        return std::make_unique<ArchiveSource>(full_path);
    }
    std::vector<std::string> names;
    disk->list(full_path, names);
    if (names.empty()) {
        reason = "empty or missing folder";
        return nullptr;
    }
    return std::make_unique<PrefixedSource>(disk, full_path);
}

} // namespace

ComposedMod compose_mod(const std::shared_ptr<const FileSource>& disk, const std::string& module_path,
                        const ArchiveOpener& open_archive)
{
    ComposedMod mod;
    ModComposition& record = mod.record;
    std::vector<ModuleEntry> chain = read_module_chain(*disk, module_path);
    record.install_folder = install_folder_of(module_path);

    std::vector<const ModuleFile*> files;
    for (const ModuleEntry& entry : chain) {
        record.module_paths.push_back(entry.path);
        files.push_back(entry.file.get());
    }
    record.locale = choose_locale(*disk, record.install_folder, files);

    std::vector<SourceEntry> entries;
    for (ModuleEntry& entry : chain)
        append_module_sources(*entry.file, record.locale, entries, record.locale_folders);
    append_engine_sources(*disk, record.install_folder, record.locale, entries, record.locale_folders);

    mod.files = std::make_shared<UnionSource>();
    // A folder or archive listed again (by the same or another module) adds nothing
    // that its first place does not: it is opened once. (Ordered sets: no hash to aim at.)
    std::set<std::string> listed;
    for (const SourceEntry& entry : entries) {
        SourceRecord result{entry, false, std::string()};
        if (!listed.insert(std::string(kind_name(entry.kind)) + ":" + folded_path(entry.path)).second) {
            result.reason = "listed before";
            record.sources.push_back(std::move(result));
            continue;
        }
        try {
            if (auto source = open_source(disk, entry, record.install_folder + entry.path, open_archive, result.reason)) {
                mod.files->add(std::move(source));
                result.opened = true;
            }
        } catch (const std::exception& failure) {
            // An optional input: the developer hears of it, the load goes on without it.
            result.reason = failure.what();
            Platform::debug_output(result.reason);
        }
        record.sources.push_back(std::move(result));
    }

    for (ModuleEntry& entry : chain)
        mod.modules.push_back(std::move(entry.file));
    return mod;
}

} // namespace Mod
