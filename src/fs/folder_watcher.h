#pragma once
// Change notifications for folders on disk, delivered on the thread that made the
// watcher: each watched folder and everything below it reports the paths written,
// created, removed or renamed in it. The reports arrive as asynchronous procedure calls,
// that is while that thread waits alertably (as the program's message loop does).
// Wine reports nothing from below a watched folder, so there each folder of the tree
// gets a watch of its own (new ones as they appear), up to a few thousand.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace Mod {

class FolderWatcher {
public:
    // `folder` is the index into the watched folders; `path` is relative to it, with
    // backslashes, or empty when the system lost count and anything may have changed.
    // The listener must not destroy the watcher.
    using Listener = std::function<void(std::size_t folder, const std::string& path)>;

    // Folders that cannot be watched (missing, or refused) are left out silently: the
    // program works the same without their notifications.
    FolderWatcher(const std::vector<std::string>& folders, Listener listener);
    // Stops every watch. A report already on its way is dropped, never delivered.
    ~FolderWatcher();
    FolderWatcher(const FolderWatcher&) = delete;
    FolderWatcher& operator=(const FolderWatcher&) = delete;

    // How many of the folders are watched.
    std::size_t watched_count() const { return m_watched_count; }

    struct Watch; // one folder's handle and buffer; outlives the watcher until its last call

private:
    // Watches m_roots[index] + prefix (and, folder by folder, what lies below it where
    // subtree watches do not work); false when it cannot.
    bool add_watch(std::size_t index, const std::string& prefix);
    // After `path` (relative to root `index`) appeared: when it is a folder, watches it
    // and reports the files already in it.
    void watch_new_folders(std::size_t index, const std::string& path);
    void report_files(std::size_t index, const std::string& prefix, std::size_t& budget);

    std::vector<std::string> m_roots; // each ending in a backslash
    std::vector<Watch*> m_watches;
    Listener m_listener;
    bool m_subtrees;
    std::size_t m_watched_count = 0;
};

// The records of one notification buffer as (action, name) pairs, each name as the
// system wrote it (UTF-16). Stops at the first record that does not fit in `size`
// bytes, so a short or damaged buffer never reads past its end.
std::vector<std::pair<unsigned long, std::u16string>> parse_change_records(const void* buffer, std::size_t size);

} // namespace Mod
