#pragma once
// Watches the loose folders and the locale folders of an opened mod and reports what
// changed once the changes have stopped for a moment: editors save in several steps (a
// temporary file, a rename, a touch), and each such burst gives one report.

#include "fs/folder_watcher.h"
#include "mod/mod_change.h"
#include "mod/mod_composition.h"

#include <windows.h>

#include <functional>

namespace Start {

class ModWatcher {
public:
    using Handler = std::function<void(const Mod::ModChange& change)>;
    // Quiet time after the last notification before the report.
    static constexpr UINT default_quiet_ms = 250;

    // Reports arrive on this thread, from its message loop; the handler may not destroy
    // the watcher.
    ModWatcher(const Mod::ModComposition& composition, Handler handler, UINT quiet_ms = default_quiet_ms);
    ~ModWatcher();
    ModWatcher(const ModWatcher&) = delete;
    ModWatcher& operator=(const ModWatcher&) = delete;

    std::size_t watched_count() const { return m_watcher.watched_count(); }

private:
    static void CALLBACK quiet_time_over(HWND, UINT, UINT_PTR timer, DWORD);
    void changed(std::size_t folder, const std::string& path);
    void stop_timer();

    Handler m_handler;
    std::size_t m_loose_count; // the watched folders after these are locale folders
    UINT m_quiet_ms;
    Mod::ModChange m_pending;
    UINT_PTR m_timer = 0;
    Mod::FolderWatcher m_watcher; // last: it calls changed() until it has gone
};

} // namespace Start
