#include "mod/module_sources.h"

#include "fs/name_order.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <set>

namespace Mod {

bool has_extension(const std::string& name, const char* extension)
{
    return name_ends_with_ignoring_case(name, extension);
}

std::string choose_locale(const FileSource& disk, const std::string& install_folder,
                          const std::vector<const ModuleFile*>& modules)
{
    std::set<std::string> common;
    bool filled = false;
    for (const ModuleFile* module : modules) {
        std::vector<std::string> names;
        disk.list(install_folder + module->section("global").get("ModFolder") + "\\Locale", names);
        if (names.empty())
            continue;
        std::set<std::string> listed(names.begin(), names.end());
        if (!filled) {
            common = std::move(listed);
            filled = true;
        } else {
            std::set<std::string> both;
            std::set_intersection(common.begin(), common.end(), listed.begin(), listed.end(),
                                  std::inserter(both, both.end()));
            common = std::move(both);
        }
    }
    return common.empty() ? std::string("english") : *common.begin();
}

void append_module_sources(ModuleFile& module, const std::string& locale, std::vector<SourceEntry>& sources,
                           std::vector<std::string>& locale_folders)
{
    module.set_variable("LOCALE", "Locale\\" + locale);
    module.set_variable("TEXTURE-LEVEL", "Full");
    module.set_variable("SOUND-LEVEL", "Full");
    module.set_variable("MODEL-LEVEL", "High");

    const ModuleSection& global = module.section("global");
    const std::string mod_folder = global.get("ModFolder") + "\\";

    for (int n = 1;; ++n) {
        std::string folder = global.get("DataFolder", n);
        if (folder.empty())
            break;
        sources.push_back({SourceKind::folder, mod_folder + folder + "\\"});
    }

    for (const std::string& base : {std::string("common"), locale}) {
        for (int j = 0;; ++j) {
            std::string name = "data:" + base;
            if (j != 0) {
                char suffix[16];
                std::snprintf(suffix, sizeof suffix, ":%02d", j);
                name += suffix;
            }
            const ModuleSection& data = module.section(name);
            // The unnumbered section may be missing while the numbered ones exist.
            if (j != 0 && data.key_count() == 0)
                break;
            std::string folder = data.get("folder");
            if (!folder.empty())
                sources.push_back({SourceKind::folder, folder + "\\"});
            for (int n = 1;; ++n) {
                std::string archive = data.get("archive", n);
                if (archive.empty())
                    break;
                sources.push_back({SourceKind::archive, archive + ".sga"});
            }
        }
    }

    for (int n = 1;; ++n) {
        std::string archive = global.get("ArchiveFile", n);
        if (archive.empty())
            break;
        sources.push_back({SourceKind::archive, mod_folder + archive + ".sga"});
    }

    const ModuleSection& locale_section = module.section("locale:" + locale);
    if (mod_folder.size() < 2 || locale_section.key_count() > 0) {
        for (int n = 1;; ++n) {
            std::string folder = locale_section.get("folder", n);
            if (folder.empty())
                break;
            locale_folders.push_back(folder + "\\");
        }
    } else {
        locale_folders.push_back(mod_folder + "Locale\\" + locale + "\\");
    }
}

void append_engine_sources(const FileSource& disk, const std::string& install_folder, const std::string& locale,
                           std::vector<SourceEntry>& sources, std::vector<std::string>& locale_folders)
{
    sources.push_back({SourceKind::folder, "Engine\\Data\\"});
    sources.push_back({SourceKind::archive, "Engine\\Engine.sga"});
    const std::string locale_folder = "Engine\\Locale\\" + locale + "\\";
    locale_folders.push_back(locale_folder);
    std::vector<std::string> names;
    disk.list(install_folder + locale_folder, names);
    for (const std::string& name : names)
        if (has_extension(name, ".sga"))
            sources.push_back({SourceKind::archive, locale_folder + name});
}

} // namespace Mod
