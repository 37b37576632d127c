#pragma once
// Opening a .module file for the mod-data subcommands (sources, text, search, and the
// --module form of ls and cat).

#include "mod/loaded_mod.h"

#include <memory>
#include <string>

namespace Tool {

// Composes the mod without graphics (no resource set is built); with `wait`, also
// waits for the localisation tables. Throws the loader's failures.
inline std::shared_ptr<Mod::LoadedMod> open_loaded_mod(const std::string& module_path, bool wait)
{
    auto mod = std::make_shared<Mod::LoadedMod>();
    mod->load(nullptr, module_path);
    if (wait)
        mod->wait_until_loaded(Platform::wait_forever);
    return mod;
}

} // namespace Tool
