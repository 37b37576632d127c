#pragma once
// Change notifications for folders on disk, delivered on the thread that made the
// watcher: each watched folder and everything below it reports the paths written,
// created, removed or renamed in it. The reports arrive as asynchronous procedure calls,
// that is while that thread waits alertably (as the program's message loop does).
// Wine reports nothing from below a watched folder, so there each folder of the tree
// gets a watch of its own (new ones as they appear, dropped as they go), up to a few
// thousand.
//
// A watched folder that goes away (removed, or renamed away) and comes back is watched
// again. Its own watch does not always end when it goes (Wine's never does, and a
// renamed folder's watch follows it), so its parent folder is watched for the names of
// its subfolders too; while a folder is missing it is also looked for once a second, in
// case its parent went with it.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace Mod {

class FolderWatcher {
public:
    // `folder` is the index into the watched folders; `path` is relative to it, with
    // backslashes, or empty when anything may have changed: the system lost count, or
    // the folder itself went away or came back.
    // The listener must not destroy the watcher.
    using Listener = std::function<void(std::size_t folder, const std::string& path)>;

    // Once a second, while a folder that was watched is missing.
    static constexpr std::uint32_t retry_ms = 1000;

    // Folders that cannot be watched at the start (missing, or refused) are left out
    // silently: the program works the same without their notifications.
    FolderWatcher(const std::vector<std::string>& folders, Listener listener);
    // Stops every watch. A report already on its way is dropped, never delivered.
    ~FolderWatcher();
    FolderWatcher(const FolderWatcher&) = delete;
    FolderWatcher& operator=(const FolderWatcher&) = delete;

    // How many of the folders are watched now.
    std::size_t watched_count() const { return m_watched_count; }

    struct Watch; // one folder's handle and buffer; outlives the watcher until its last call
    struct Retry; // the timer that looks for missing folders; the same

private:
    struct Root {
        std::string path;   // ending in a backslash
        std::string parent; // the folder holding it, ending in a separator; empty for none
        std::u16string leaf; // its name in `parent`
        bool watched = false;
        bool followed = false; // watched once (and not refused since): looked for while missing
        // Which folder is watched (volume and file index), to tell one of the same name
        // that took its place.
        bool identified = false;
        std::uint64_t volume = 0;
        std::uint64_t file_index = 0;
        Watch* parent_watch = nullptr;
    };

    // Called by a watch's completion routine, which frees the watch afterwards when it
    // was released meanwhile.
    void deliver(Watch& watch, unsigned long error, unsigned long bytes);
    void deliver_parent(Watch& watch, unsigned long error, unsigned long bytes);

    // Watches root `index` and (where each folder needs its own watch) what lies below
    // it, and its parent for its name; false when it cannot.
    bool watch_root(std::size_t index);
    // Drops the watches of root `index` and below; its parent's stays.
    void unwatch_root(std::size_t index);
    // Whether the folder at the root's path is the one watched (or cannot be told apart).
    bool present(const Root& root) const;
    // Finds out whether root `index` went away, or came back, or was replaced by another
    // folder of its name; reports it when so.
    void check_root(std::size_t index);
    // The root's watch ended with an error: when the folder went, it is looked for again
    // a second later; when it is still there, it is not watched any more.
    void root_ended(std::size_t index);
    void retry_missing();
    void schedule_retry();

    // Watches m_roots[index] + prefix (and, folder by folder, what lies below it where
    // subtree watches do not work); null when it cannot.
    Watch* add_watch(std::size_t index, const std::string& prefix);
    // Opens `path` and starts its watch (kept in m_watches); null when it cannot.
    Watch* start_watch(const std::string& path, std::size_t index, const std::string& prefix, bool subtree,
                       bool of_parent);
    // Closes `watch`; its completion routine frees it when a read is still queued.
    void release(Watch* watch);
    // Releases root `index`'s folder watches at `prefix` and below.
    void release_below(std::size_t index, const std::string& prefix);
    // After `path` (relative to root `index`) appeared: when it is a folder, watches it
    // and reports the files already in it.
    void watch_new_folders(std::size_t index, const std::string& path);
    void report_files(std::size_t index, const std::string& prefix, std::size_t& budget);

    std::vector<Root> m_roots;
    std::vector<Watch*> m_watches; // every open watch, folders' and parents'
    Retry* m_retry = nullptr;      // made when first needed
    Listener m_listener;
    bool m_subtrees;
    std::size_t m_watched_count = 0;
};

// The records of one notification buffer as (action, name) pairs, each name as the
// system wrote it (UTF-16). Stops at the first record that does not fit in `size`
// bytes, so a short or damaged buffer never reads past its end.
std::vector<std::pair<unsigned long, std::u16string>> parse_change_records(const void* buffer, std::size_t size);

// The folder holding `folder` (ending in a separator) and the name `folder` has in it;
// both empty when `folder` has no parent in its text (a drive, or a bare name).
std::pair<std::string, std::string> split_parent(const std::string& folder);

} // namespace Mod
