#include "mod/loaded_mod.h"

#include "fs/folder_source.h"
#include "mod/mod_change.h"
#include "mod/module_sources.h"
#include "platform/debug_output.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <limits>
#include <mutex>
#include <stdexcept>

namespace Mod {
namespace {

constexpr std::uint32_t reload_wait_ms = 5000;

std::mutex& default_builder_mutex()
{
    static std::mutex mutex;
    return mutex;
}

ResourceBuilder& default_builder()
{
    static ResourceBuilder builder;
    return builder;
}

// The .ucs tables directly in each of `folders` (full paths), folder by folder; one that
// cannot be read or parsed is left out, with a debugger message.
UcsTables read_tables(const FileSource& disk, const std::vector<std::string>& folders)
{
    UcsTables tables;
    for (const std::string& folder : folders) {
        std::vector<std::string> names;
        disk.list(folder, names);
        for (const std::string& name : names) {
            if (!has_extension(name, ".ucs"))
                continue;
            const std::string path = folder + name;
            BlobPtr mapped = disk.read(path);
            if (!mapped) {
                Platform::debug_output("Cannot read localisation table " + path);
                continue;
            }
            try {
                // Tables live as long as the mod is open: held mapped, their files could
                // not be saved over (nor written in place) until then.
                std::unique_ptr<std::uint8_t[]> bytes(new std::uint8_t[std::max<std::uint32_t>(mapped->size, 1)]);
                if (mapped->size)
                    std::memcpy(bytes.get(), mapped->data, mapped->size);
                BlobPtr blob = make_buffer_blob(std::move(bytes), mapped->size);
                mapped.reset();
                tables.push_back(UcsTable::parse(std::move(blob)));
            } catch (const std::exception& failure) {
                Platform::debug_output(std::string(failure.what()) + ": " + path);
            }
        }
    }
    return tables;
}

} // namespace

LoadedMod::LoadedMod()
    : m_min_id(std::numeric_limits<std::int32_t>::max()), m_max_id(std::numeric_limits<std::int32_t>::min())
{
    std::lock_guard<std::mutex> lock(default_builder_mutex());
    m_resource_builder = default_builder();
}

LoadedMod::~LoadedMod()
{
    // The background load writes into this object until it signals.
    m_stopping.store(true);
    m_loaded.wait(Platform::wait_forever);
}

void LoadedMod::set_default_resource_builder(ResourceBuilder builder)
{
    std::lock_guard<std::mutex> lock(default_builder_mutex());
    default_builder() = std::move(builder);
}

void LoadedMod::wait_until_loaded(std::uint32_t milliseconds) const
{
    if (!m_loaded.wait(milliseconds))
        throw std::runtime_error("The mod is still being loaded.");
    if (m_error)
        throw std::runtime_error(*m_error);
}

void LoadedMod::reset()
{
    m_files.reset();
    m_tables.clear();
    m_modules.clear();
    m_word_index.clear();
    m_resources.reset();
    m_locale_folders.clear();
    m_error.reset();
    m_min_id = std::numeric_limits<std::int32_t>::max();
    m_max_id = std::numeric_limits<std::int32_t>::min();
    m_composition = ModComposition();
    m_install_folder.clear();
    m_disk.reset();
}

void LoadedMod::load(Gfx::GraphicsContext* graphics, const std::string& module_path)
{
    wait_until_loaded(reload_wait_ms);
    reset();

    auto disk = std::make_shared<const FolderSource>();
    ComposedMod composed = compose_mod(disk, module_path);
    m_files = std::move(composed.files);
    m_modules = std::move(composed.modules);
    m_composition = std::move(composed.record);
    m_install_folder = m_composition.install_folder;
    m_locale_folders = locale_folders(m_composition);
    m_disk = std::move(disk);
    m_graphics = graphics;

    m_loaded.reset();
    if (!Platform::queue_work_item(&LoadedMod::run_background_load, this))
        background_load();
}

void LoadedMod::reload_tables()
{
    take_tables(read_tables(FolderSource(), locale_folders(m_composition)));
}

void LoadedMod::take_tables(UcsTables tables)
{
    std::int32_t min_id = std::numeric_limits<std::int32_t>::max();
    std::int32_t max_id = std::numeric_limits<std::int32_t>::min();
    for (const auto& table : tables) {
        min_id = std::min(min_id, table->min_id());
        max_id = std::max(max_id, table->max_id());
    }
    WordIndex word_index;
    build_word_index(tables, min_id, max_id, word_index);
    // Built aside: a failure above leaves the tables the mod had.
    m_tables = std::move(tables);
    m_word_index = std::move(word_index);
    m_min_id = min_id;
    m_max_id = max_id;
}

void LoadedMod::run_background_load(void* context) { static_cast<LoadedMod*>(context)->background_load(); }

void LoadedMod::background_load()
{
    try {
        take_tables(read_tables(*m_disk, m_locale_folders));
        if (m_resource_builder)
            m_resources = m_resource_builder(m_graphics, m_files, m_stopping);
    } catch (const std::exception& failure) {
        m_error = std::make_unique<std::string>(failure.what());
    } catch (...) {
        m_error = std::make_unique<std::string>("The mod could not be loaded (unknown failure).");
    }
    m_locale_folders.clear();
    m_disk.reset();
    // Publishes every write above to the thread that waits on the event; nothing of
    // this object may be touched after set(), which may let it be destroyed.
    std::atomic_thread_fence(std::memory_order_seq_cst);
    m_loaded.set();
}

} // namespace Mod
