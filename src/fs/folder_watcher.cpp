#include "fs/folder_watcher.h"

#include "platform/debug_output.h"
#include "platform/text_encoding.h"
#include "platform/wine_host.h"

#include <windows.h>

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

} // namespace

// Heap-held and deleted by its own completion routine once its handle is closed: the
// system may still write the buffer and queue that routine after the watcher has gone.
struct FolderWatcher::Watch {
    HANDLE folder = INVALID_HANDLE_VALUE;
    OVERLAPPED overlapped{};
    DWORD buffer[buffer_size / sizeof(DWORD)]; // DWORD-aligned, as the records require
    FolderWatcher* owner = nullptr;           // null once the watcher has gone
    std::size_t index = 0;
    std::string prefix;   // this folder relative to the watched one, with a backslash
    bool subtree = true;  // false: one folder only, its subfolders watched on their own
    bool pending = false; // a read is queued: its completion routine will run

    bool start()
    {
        overlapped = OVERLAPPED{};
        overlapped.hEvent = this; // unused by the system with a completion routine
        pending = ReadDirectoryChangesW(folder, buffer, buffer_size, subtree, change_filter, nullptr, &overlapped,
                                        completed) != 0;
        return pending;
    }

    static void CALLBACK completed(DWORD error, DWORD bytes, OVERLAPPED* overlapped)
    {
        auto* watch = static_cast<Watch*>(overlapped->hEvent);
        watch->pending = false;
        FolderWatcher* owner = watch->owner;
        if (!owner) {
            delete watch;
            return;
        }
        // No bytes: more changed than the buffer could hold.
        if (error == ERROR_NOTIFY_ENUM_DIR || (error == ERROR_SUCCESS && bytes == 0)) {
            owner->m_listener(watch->index, std::string());
        } else if (error == ERROR_SUCCESS) {
            for (const auto& record : parse_change_records(watch->buffer, bytes)) {
                const std::string path = watch->prefix + Platform::utf16_to_ansi(record.second);
                if (!watch->subtree && (record.first == FILE_ACTION_ADDED || record.first == FILE_ACTION_RENAMED_NEW_NAME))
                    owner->watch_new_folders(watch->index, path);
                owner->m_listener(watch->index, path);
            }
        }
        if (error != ERROR_SUCCESS && error != ERROR_NOTIFY_ENUM_DIR) {
            // The folder went away or the watch was refused: nothing more will come.
            Platform::debug_output("Folder watch ended: error " + std::to_string(error) + "\n");
            return;
        }
        if (!watch->start())
            Platform::debug_output("Folder watch could not go on: error " + std::to_string(GetLastError()) + "\n");
    }
};

FolderWatcher::FolderWatcher(const std::vector<std::string>& folders, Listener listener)
    : m_listener(std::move(listener)), m_subtrees(!Platform::running_under_wine())
{
    m_roots.reserve(folders.size());
    for (const std::string& folder : folders)
        m_roots.push_back(with_separator(folder));
    for (std::size_t i = 0; i < m_roots.size(); ++i) {
        if (add_watch(i, std::string()))
            ++m_watched_count;
    }
}

FolderWatcher::~FolderWatcher()
{
    for (Watch* watch : m_watches) {
        watch->owner = nullptr;
        // Closing cancels a pending read; its completion routine then frees the watch.
        CancelIoEx(watch->folder, &watch->overlapped);
        CloseHandle(watch->folder);
        if (!watch->pending)
            delete watch;
    }
}

bool FolderWatcher::add_watch(std::size_t index, const std::string& prefix)
{
    if (m_watches.size() >= max_folder_watches)
        return false;
    HANDLE folder = CreateFileA((m_roots[index] + prefix).c_str(), FILE_LIST_DIRECTORY,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
    if (folder == INVALID_HANDLE_VALUE)
        return false;
    auto* watch = new Watch;
    watch->folder = folder;
    watch->owner = this;
    watch->index = index;
    watch->prefix = prefix;
    watch->subtree = m_subtrees;
    if (!watch->start()) {
        CloseHandle(folder);
        delete watch; // nothing was queued
        return false;
    }
    m_watches.push_back(watch);
    if (!m_subtrees) {
        for (const std::string& name : subfolders(m_roots[index] + prefix))
            add_watch(index, prefix + name + "\\");
    }
    return true;
}

void FolderWatcher::watch_new_folders(std::size_t index, const std::string& path)
{
    if (!is_folder(m_roots[index] + path))
        return;
    add_watch(index, path + "\\");
    // What was written in it before its watch began went unseen: each file is new.
    std::size_t budget = max_reported_files;
    report_files(index, path + "\\", budget);
}

void FolderWatcher::report_files(std::size_t index, const std::string& prefix, std::size_t& budget)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((m_roots[index] + prefix + "*").c_str(), &found);
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

} // namespace Mod
