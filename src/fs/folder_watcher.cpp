#include "fs/folder_watcher.h"

#include "platform/debug_output.h"
#include "platform/text_encoding.h"
#include "platform/wine_host.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

namespace Mod {

namespace {

constexpr DWORD buffer_size = 64 * 1024; // the most a network folder allows
constexpr DWORD change_filter = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME |
                                FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE |
                                FILE_NOTIFY_CHANGE_CREATION;
// Folder watches one watcher makes at most where each folder needs its own.
constexpr std::size_t max_folder_watches = 4096;
// Files reported at most for one folder that appears there.
constexpr std::size_t max_reported_files = 100000;

bool is_folder(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The subfolders of `folder` (which ends in a backslash), by name.
std::vector<std::string> subfolders(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::string name = found.cFileName;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != "." && name != "..")
            names.push_back(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

std::string with_separator(std::string folder)
{
    if (!folder.empty() && folder.back() != '\\' && folder.back() != '/')
        folder += '\\';
    return folder;
}

// File names compare as the file system does: ignoring letter case, beyond ASCII too.
bool same_name(std::u16string_view a, std::u16string_view b)
{
    return a.size() == b.size() &&
           CompareStringOrdinal(reinterpret_cast<LPCWCH>(a.data()), static_cast<int>(a.size()),
                                reinterpret_cast<LPCWCH>(b.data()), static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// The same for names in the program's code page, without converting ASCII ones: a tree
// going away under Wine compares every folder watch with every folder gone.
bool same_name(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const char x = a[i];
        const char y = b[i];
        if ((x | y) & 0x80)
            return same_name(Platform::ansi_to_utf16(a), Platform::ansi_to_utf16(b));
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(x) != lower(y))
            return false;
    }
    return true;
}

// Whether `path` is `folder` (both ending in a backslash, or empty for the root) or
// lies below it.
bool at_or_below(std::string_view path, std::string_view folder)
{
    return path.size() >= folder.size() && same_name(path.substr(0, folder.size()), folder);
}

HANDLE open_folder(const std::string& path, DWORD flags)
{
    return CreateFileA(path.c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | flags, nullptr);
}

struct Identity {
    bool known = false;
    std::uint64_t volume = 0;
    std::uint64_t file_index = 0;
};

Identity identity_of(HANDLE handle)
{
    Identity identity;
    BY_HANDLE_FILE_INFORMATION information{};
    if (GetFileInformationByHandle(handle, &information)) {
        identity.known = true;
        identity.volume = information.dwVolumeSerialNumber;
        identity.file_index = (std::uint64_t{information.nFileIndexHigh} << 32) | information.nFileIndexLow;
    }
    return identity;
}

} // namespace

// Heap-held and deleted by its own completion routine once its handle is closed: the
// system may still write the buffer and queue that routine after the watcher has gone.
struct FolderWatcher::Watch {
    HANDLE folder = INVALID_HANDLE_VALUE;
    OVERLAPPED overlapped{};
    DWORD buffer[buffer_size / sizeof(DWORD)]; // DWORD-aligned, as the records require
    FolderWatcher* owner = nullptr;           // null once released
    std::size_t index = 0;
    std::string prefix;     // this folder relative to the watched one, with a backslash
    bool subtree = true;    // false: one folder only, its subfolders watched on their own
    bool of_parent = false; // watches the root's parent for the root's name
    bool pending = false;   // a read is queued: its completion routine will run
    bool delivering = false; // its completion routine is running

    bool start()
    {
        overlapped = OVERLAPPED{};
        overlapped.hEvent = this; // unused by the system with a completion routine
        const DWORD filter = of_parent ? FILE_NOTIFY_CHANGE_DIR_NAME : change_filter;
        pending = ReadDirectoryChangesW(folder, buffer, buffer_size, subtree, filter, nullptr, &overlapped,
                                        completed) != 0;
        return pending;
    }

    static void CALLBACK completed(DWORD error, DWORD bytes, OVERLAPPED* overlapped)
    {
        auto* watch = static_cast<Watch*>(overlapped->hEvent);
        watch->pending = false;
        if (watch->owner) {
            watch->delivering = true;
            watch->owner->deliver(*watch, error, bytes);
            watch->delivering = false;
        }
        if (!watch->owner && !watch->pending)
            delete watch;
    }
};

// Heap-held like a watch: a timer that has fired queues its routine, which may run after
// the watcher has gone.
struct FolderWatcher::Retry {
    HANDLE timer = nullptr;
    FolderWatcher* owner = nullptr;
    bool queued = false; // set to fire, or fired with its routine still to run

    static void CALLBACK fired(void* context, DWORD, DWORD)
    {
        auto* retry = static_cast<Retry*>(context);
        retry->queued = false;
        if (!retry->owner) {
            CloseHandle(retry->timer);
            delete retry;
            return;
        }
        retry->owner->retry_missing();
    }
};

FolderWatcher::FolderWatcher(const std::vector<std::string>& folders, Listener listener)
    : m_listener(std::move(listener)), m_subtrees(!Platform::running_under_wine())
{
    m_roots.reserve(folders.size());
    for (const std::string& folder : folders) {
        Root root;
        root.path = with_separator(folder);
        auto [parent, leaf] = split_parent(root.path);
        root.parent = std::move(parent);
        root.leaf = Platform::ansi_to_utf16(leaf);
        m_roots.push_back(std::move(root));
    }
    for (std::size_t i = 0; i < m_roots.size(); ++i)
        m_roots[i].followed = watch_root(i);
}

FolderWatcher::~FolderWatcher()
{
    const std::vector<Watch*> watches = m_watches;
    for (Watch* watch : watches)
        release(watch);
    if (m_retry) {
        m_retry->owner = nullptr;
        // Once it has fired (a manual-reset timer stays signalled), its routine is
        // queued and frees it; cancelled before that, it never fires.
        if (m_retry->queued) {
            CancelWaitableTimer(m_retry->timer);
            if (WaitForSingleObject(m_retry->timer, 0) == WAIT_OBJECT_0)
                return;
        }
        CloseHandle(m_retry->timer);
        delete m_retry;
    }
}

void FolderWatcher::deliver(Watch& watch, unsigned long error, unsigned long bytes)
{
    if (watch.of_parent) {
        deliver_parent(watch, error, bytes);
        return;
    }
    const std::size_t index = watch.index;
    if (error != ERROR_SUCCESS && error != ERROR_NOTIFY_ENUM_DIR) {
        // The folder went away or the watch was refused: nothing more will come. Its
        // handle goes at once, or the folder could not go on Windows.
        Platform::debug_output("Folder watch ended: error " + std::to_string(error) + "\n");
        if (watch.prefix.empty())
            root_ended(index);
        else
            release(&watch); // its parent folder's watch tells when it comes back
        return;
    }
    // No bytes: more changed than the buffer could hold.
    if (error == ERROR_NOTIFY_ENUM_DIR || bytes == 0) {
        m_listener(index, std::string());
    } else {
        for (const auto& record : parse_change_records(watch.buffer, bytes)) {
            if (record.second.empty())
                continue;
            const std::string path = watch.prefix + Platform::utf16_to_ansi(record.second);
            if (!watch.subtree) {
                // The watch of a folder that went follows it wherever it went (or stays
                // on nothing): its reports would come under the old name.
                if (record.first == FILE_ACTION_REMOVED || record.first == FILE_ACTION_RENAMED_OLD_NAME)
                    release_below(index, path + "\\");
                else if (record.first == FILE_ACTION_ADDED || record.first == FILE_ACTION_RENAMED_NEW_NAME)
                    watch_new_folders(index, path);
            }
            m_listener(index, path);
        }
    }
    if (!watch.owner)
        return;
    if (!watch.start()) {
        Platform::debug_output("Folder watch could not go on: error " + std::to_string(GetLastError()) + "\n");
        if (watch.prefix.empty())
            root_ended(index);
        else
            release(&watch);
    }
}

void FolderWatcher::deliver_parent(Watch& watch, unsigned long error, unsigned long bytes)
{
    const std::size_t index = watch.index;
    Root& root = m_roots[index];
    if (error != ERROR_SUCCESS && error != ERROR_NOTIFY_ENUM_DIR) {
        // The parent went: the root went with it, or is looked for until it is back.
        root.parent_watch = nullptr;
        release(&watch);
        check_root(index);
        return;
    }
    bool named = error == ERROR_NOTIFY_ENUM_DIR || bytes == 0; // lost count: it may be among them
    if (!named) {
        for (const auto& record : parse_change_records(watch.buffer, bytes))
            named = named || same_name(std::u16string_view(record.second), root.leaf);
    }
    if (named)
        check_root(index); // may watch the parent afresh, releasing this watch
    if (watch.owner && !watch.start()) {
        root.parent_watch = nullptr;
        release(&watch);
    }
}

bool FolderWatcher::watch_root(std::size_t index)
{
    Watch* watch = add_watch(index, std::string());
    if (!watch)
        return false;
    Root& root = m_roots[index];
    root.watched = true;
    ++m_watched_count;
    const Identity identity = identity_of(watch->folder);
    root.identified = identity.known;
    root.volume = identity.volume;
    root.file_index = identity.file_index;
    // Afresh: the parent may be another folder than the one watched before.
    if (root.parent_watch) {
        release(root.parent_watch);
        root.parent_watch = nullptr;
    }
    if (root.parent.empty())
        return true;
    root.parent_watch = start_watch(root.parent, index, std::string(), false, true);
    return true;
}

void FolderWatcher::unwatch_root(std::size_t index)
{
    Root& root = m_roots[index];
    if (!root.watched)
        return;
    release_below(index, std::string());
    root.watched = false;
    --m_watched_count;
}

bool FolderWatcher::present(const Root& root) const
{
    HANDLE folder = is_folder(root.path) ? open_folder(root.path, 0) : INVALID_HANDLE_VALUE;
    if (folder == INVALID_HANDLE_VALUE)
        return false; // a folder whose deletion waits for its last handle too
    const Identity identity = identity_of(folder);
    CloseHandle(folder);
    return !identity.known || !root.identified ||
           (identity.volume == root.volume && identity.file_index == root.file_index);
}

void FolderWatcher::check_root(std::size_t index)
{
    Root& root = m_roots[index];
    bool changed = false;
    if (root.watched && !present(root)) {
        unwatch_root(index);
        changed = true;
    }
    if (!root.watched && is_folder(root.path) && watch_root(index)) {
        root.followed = true;
        changed = true; // what it holds now went unseen
    }
    if (!root.watched && root.followed)
        schedule_retry();
    if (changed)
        m_listener(index, std::string());
}

void FolderWatcher::root_ended(std::size_t index)
{
    Root& root = m_roots[index];
    // Still there: the system refused to go on watching it, and would again.
    if (present(root))
        root.followed = false;
    unwatch_root(index);
    // Gone: looked for a second later, not at once, when its parent does not tell first.
    if (root.followed)
        schedule_retry();
    m_listener(index, std::string());
}

void FolderWatcher::retry_missing()
{
    for (std::size_t i = 0; i < m_roots.size(); ++i) {
        if (m_roots[i].followed && !m_roots[i].watched)
            check_root(i);
    }
}

void FolderWatcher::schedule_retry()
{
    if (!m_retry) {
        HANDLE timer = CreateWaitableTimerW(nullptr, TRUE, nullptr);
        if (!timer)
            return; // then only the parent's watch tells when a folder comes back
        m_retry = new Retry;
        m_retry->timer = timer;
        m_retry->owner = this;
    }
    if (m_retry->queued)
        return;
    LARGE_INTEGER due{};
    due.QuadPart = -static_cast<LONGLONG>(retry_ms) * 10000; // relative, in 100 ns
    m_retry->queued = SetWaitableTimer(m_retry->timer, &due, 0, Retry::fired, m_retry, FALSE) != 0;
}

FolderWatcher::Watch* FolderWatcher::start_watch(const std::string& path, std::size_t index, const std::string& prefix,
                                                 bool subtree, bool of_parent)
{
    HANDLE folder = open_folder(path, FILE_FLAG_OVERLAPPED);
    if (folder == INVALID_HANDLE_VALUE)
        return nullptr;
    auto* watch = new Watch;
    watch->folder = folder;
    watch->owner = this;
    watch->index = index;
    watch->prefix = prefix;
    watch->subtree = subtree;
    watch->of_parent = of_parent;
    if (!watch->start()) {
        CloseHandle(folder);
        delete watch; // nothing was queued
        return nullptr;
    }
    m_watches.push_back(watch);
    return watch;
}

FolderWatcher::Watch* FolderWatcher::add_watch(std::size_t index, const std::string& prefix)
{
    if (m_watches.size() >= max_folder_watches)
        return nullptr;
    Watch* watch = start_watch(m_roots[index].path + prefix, index, prefix, m_subtrees, false);
    if (!watch)
        return nullptr;
    if (!m_subtrees) {
        for (const std::string& name : subfolders(m_roots[index].path + prefix))
            add_watch(index, prefix + name + "\\");
    }
    return watch;
}

void FolderWatcher::release(Watch* watch)
{
    m_watches.erase(std::remove(m_watches.begin(), m_watches.end(), watch), m_watches.end());
    watch->owner = nullptr;
    // Closing cancels a pending read; its completion routine then frees the watch.
    CancelIoEx(watch->folder, &watch->overlapped);
    CloseHandle(watch->folder);
    if (!watch->pending && !watch->delivering)
        delete watch;
}

void FolderWatcher::release_below(std::size_t index, const std::string& prefix)
{
    std::vector<Watch*> going;
    for (Watch* watch : m_watches) {
        if (!watch->of_parent && watch->index == index && at_or_below(watch->prefix, prefix))
            going.push_back(watch);
    }
    for (Watch* watch : going)
        release(watch);
}

void FolderWatcher::watch_new_folders(std::size_t index, const std::string& path)
{
    if (!is_folder(m_roots[index].path + path))
        return;
    // A folder told twice (renamed back and forth in one burst) keeps one watch.
    const std::string prefix = path + "\\";
    const bool watched = std::any_of(m_watches.begin(), m_watches.end(), [&](const Watch* watch) {
        return !watch->of_parent && watch->index == index && same_name(watch->prefix, prefix);
    });
    if (!watched)
        add_watch(index, prefix);
    // What was written in it before its watch began went unseen: each file is new.
    std::size_t budget = max_reported_files;
    report_files(index, prefix, budget);
}

void FolderWatcher::report_files(std::size_t index, const std::string& prefix, std::size_t& budget)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((m_roots[index].path + prefix + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        if (budget == 0)
            break;
        --budget;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            report_files(index, prefix + name + "\\", budget);
        else
            m_listener(index, prefix + name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

std::vector<std::pair<unsigned long, std::u16string>> parse_change_records(const void* buffer, std::size_t size)
{
    std::vector<std::pair<unsigned long, std::u16string>> records;
    const auto* bytes = static_cast<const unsigned char*>(buffer);
    constexpr std::size_t header = offsetof(FILE_NOTIFY_INFORMATION, FileName);
    std::size_t at = 0;
    while (at <= size && size - at >= header) {
        FILE_NOTIFY_INFORMATION record;
        std::memcpy(&record, bytes + at, header);
        const std::size_t length = record.FileNameLength;
        if (length > size - at - header)
            break;
        std::u16string name(length / 2, u'\0');
        std::memcpy(&name[0], bytes + at + header, name.size() * 2);
        records.emplace_back(record.Action, std::move(name));
        if (record.NextEntryOffset == 0)
            break;
        at += record.NextEntryOffset;
    }
    return records;
}

std::pair<std::string, std::string> split_parent(const std::string& folder)
{
    std::string path = folder;
    while (!path.empty() && (path.back() == '\\' || path.back() == '/'))
        path.pop_back();
    const std::size_t cut = path.find_last_of("\\/");
    // "C:" and "\\server" name no folder above them that could be watched.
    if (cut == std::string::npos || cut + 1 == path.size() || path.find_first_not_of("\\/") >= cut)
        return {};
    return {path.substr(0, cut + 1), path.substr(cut + 1)};
}

} // namespace Mod
