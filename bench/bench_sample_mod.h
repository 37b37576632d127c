#pragma once
// The sample installation's main module, loaded once per benchmark program with its
// rendering resources, and the path of its stress screen (2,000+ widgets).

#include "mod/loaded_mod.h"
#include "render/resource_set.h"

#include <memory>
#include <string>

namespace BenchSample {

inline const char* const stress_path = "Art\\UI\\Screens\\stressscreen.screen";

inline const Mod::LoadedMod& sample_mod()
{
    static const std::unique_ptr<Mod::LoadedMod> mod = [] {
        auto loaded = std::make_unique<Mod::LoadedMod>();
        loaded->set_resource_builder(Render::resource_set_builder());
        loaded->load(nullptr, std::string(TVSE_SAMPLE_DIR) + "/Bastion.module");
        loaded->wait_until_loaded(60000);
        return loaded;
    }();
    return *mod;
}

} // namespace BenchSample
