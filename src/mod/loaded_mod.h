#pragma once
// One opened module: its file system (composed at once, on the calling thread), and
// its localisation tables, word index and rendering resources (built by a background
// work item). Localisation data may be used only after wait_until_loaded has returned.

#include "fs/union_source.h"
#include "mod/localisation.h"
#include "mod/mod_composition.h"
#include "mod/mod_resources.h"
#include "mod/module_file.h"
#include "mod/ucs_table.h"
#include "mod/word_index.h"
#include "platform/background_work.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace Gfx {
struct GraphicsContext;
}

namespace Mod {

class LoadedMod {
public:
    LoadedMod();
    // Stops the scripts the background load runs, then waits for it without limit,
    // ignoring its outcome.
    ~LoadedMod();
    LoadedMod(const LoadedMod&) = delete;
    LoadedMod& operator=(const LoadedMod&) = delete;

    // Composes the file system of the .module file at `module_path` and starts the
    // background load. A second call first waits as wait_until_loaded(5000) does (its
    // failures propagate), then starts afresh. Throws std::runtime_error "Cannot open
    // module file <path>".
    void load(Gfx::GraphicsContext* graphics, const std::string& module_path);

    // Returns once the background load has finished; throws std::runtime_error "The mod
    // is still being loaded." when `milliseconds` pass first (Platform::wait_forever: no
    // limit), or the message of the failure that ended the load.
    void wait_until_loaded(std::uint32_t milliseconds) const;

    // Builds the resources in the background load of this object (before load()).
    void set_resource_builder(ResourceBuilder builder) { m_resource_builder = std::move(builder); }
    // The builder that objects constructed afterwards start with; none at first.
    static void set_default_resource_builder(ResourceBuilder builder);

    // Complete once load() has returned; may be read from any thread.
    const std::shared_ptr<UnionSource>& files() const { return m_files; }
    const std::vector<std::unique_ptr<ModuleFile>>& modules() const { return m_modules; }
    const std::string& install_folder() const { return m_install_folder; }
    const ModComposition& composition() const { return m_composition; }

    // Reads the localisation tables again from the locale folders, as the load did, with
    // their identifier range and word index; nothing else is read again. Only after
    // wait_until_loaded has returned normally, on the thread that uses the tables: the
    // texts they handed out before are gone. A failure leaves the old tables.
    void reload_tables();

    // Only after wait_until_loaded has returned normally.
    const UcsTables& tables() const { return m_tables; }
    std::int32_t min_id() const { return m_min_id; }
    std::int32_t max_id() const { return m_max_id; }
    const WordIndex& word_index() const { return m_word_index; }
    ModResources* resources() const { return m_resources.get(); }

    std::u16string resolve_text(std::string_view text) const { return Mod::resolve_text(m_tables, text); }
    const UcsText* find_text(std::int32_t id) const { return Mod::find_text(m_tables, id); }
    std::vector<std::int32_t> id_layout(std::int32_t first, std::int32_t last) const
    {
        return Mod::id_layout(m_tables, first, last);
    }
    // An empty query (or none) returns `allowed` unchanged.
    std::vector<std::int32_t> search_ids(std::u16string_view query, const std::vector<std::int32_t>& allowed) const
    {
        return Mod::search_ids(m_word_index, query, allowed);
    }

private:
    static void run_background_load(void* context);
    void background_load();
    void reset();
    // Makes `tables` the mod's, with their identifier range and word index.
    void take_tables(UcsTables tables);

    std::shared_ptr<UnionSource> m_files;
    UcsTables m_tables;
    std::vector<std::unique_ptr<ModuleFile>> m_modules;
    std::int32_t m_min_id;
    std::int32_t m_max_id;
    WordIndex m_word_index;
    std::unique_ptr<ModResources> m_resources;
    Platform::ManualResetEvent m_loaded{true};
    std::atomic<bool> m_stopping{false};
    std::string m_install_folder;
    std::vector<std::string> m_locale_folders; // full paths
    std::shared_ptr<const FileSource> m_disk;
    Gfx::GraphicsContext* m_graphics = nullptr;
    std::unique_ptr<std::string> m_error;

    ModComposition m_composition;
    ResourceBuilder m_resource_builder;
};

} // namespace Mod
