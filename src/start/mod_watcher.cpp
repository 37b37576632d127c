#include "start/mod_watcher.h"

#include <map>

namespace Start {
namespace {

// Thread timers carry no context: their identifiers lead back to the watcher. A timer
// message already queued when its watcher went finds nothing here and is ignored.
std::map<UINT_PTR, ModWatcher*>& watchers_by_timer()
{
    static std::map<UINT_PTR, ModWatcher*> watchers; // user-interface thread only
    return watchers;
}

// The loose folders, then the locale folders.
std::vector<std::string> watched_folders(const Mod::ModComposition& composition)
{
    std::vector<std::string> folders = Mod::loose_folders(composition);
    for (std::string& folder : Mod::locale_folders(composition))
        folders.push_back(std::move(folder));
    return folders;
}

} // namespace

ModWatcher::ModWatcher(const Mod::ModComposition& composition, Handler handler, UINT quiet_ms)
    : m_handler(std::move(handler)), m_loose_count(Mod::loose_folders(composition).size()), m_quiet_ms(quiet_ms),
      m_watcher(watched_folders(composition),
                [this](std::size_t folder, const std::string& path) { changed(folder, path); })
{
}

ModWatcher::~ModWatcher()
{
    stop_timer();
}

void ModWatcher::changed(std::size_t folder, const std::string& path)
{
    if (folder < m_loose_count)
        m_pending.add(path);
    else
        m_pending.add_localisation(path);
    // Every notification starts the quiet time afresh.
    stop_timer();
    m_timer = SetTimer(nullptr, 0, m_quiet_ms, quiet_time_over);
    if (m_timer)
        watchers_by_timer()[m_timer] = this;
}

void ModWatcher::stop_timer()
{
    if (!m_timer)
        return;
    KillTimer(nullptr, m_timer);
    watchers_by_timer().erase(m_timer);
    m_timer = 0;
}

void CALLBACK ModWatcher::quiet_time_over(HWND, UINT, UINT_PTR timer, DWORD)
{
    auto found = watchers_by_timer().find(timer);
    if (found == watchers_by_timer().end()) {
        KillTimer(nullptr, timer);
        return;
    }
    ModWatcher* watcher = found->second;
    watcher->stop_timer();
    Mod::ModChange change;
    std::swap(change, watcher->m_pending);
    if (!change.empty())
        watcher->m_handler(change);
}

} // namespace Start
