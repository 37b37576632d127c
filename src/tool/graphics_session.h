#pragma once
// What the drawing subcommands need: COM, the graphics context, and a mod loaded with
// its rendering resources, released backwards when the command ends.

#include "app/com_call.h"
#include "gfx/graphics_context.h"
#include "mod/loaded_mod.h"
#include "render/resource_set.h"

#include <objbase.h>

#include <string>

namespace Tool {

class GraphicsSession {
public:
    // Loads the module and waits for its background load; raises its failures.
    explicit GraphicsSession(const std::string& module_path)
    {
        App::check(CoInitialize(nullptr), "CoInitialize");
        m_com = true;
        Gfx::create_graphics_context(m_graphics);
        m_mod = std::make_unique<Mod::LoadedMod>();
        m_mod->set_resource_builder(Render::resource_set_builder());
        m_mod->load(&m_graphics, module_path);
        m_mod->wait_until_loaded(Platform::wait_forever);
    }
    ~GraphicsSession()
    {
        m_mod.reset();
        m_graphics.release();
        if (m_com)
            CoUninitialize();
    }
    GraphicsSession(const GraphicsSession&) = delete;
    GraphicsSession& operator=(const GraphicsSession&) = delete;

    Gfx::GraphicsContext& graphics() { return m_graphics; }
    Mod::LoadedMod& mod() { return *m_mod; }
    // Null when the mod could not build them.
    Render::ResourceSet* resources() const { return dynamic_cast<Render::ResourceSet*>(m_mod->resources()); }

private:
    bool m_com = false;
    Gfx::GraphicsContext m_graphics;
    std::unique_ptr<Mod::LoadedMod> m_mod;
};

} // namespace Tool
