#include "start/installation_folders.h"

#include "ui/file_selector.h"

#include <windows.h>

#include <cctype>

namespace Start {
namespace {

constexpr const char* publisher_key = "SOFTWARE\\THQ";
constexpr const char* uninstall_key = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Company of Heroes";
constexpr const char* location_value = "InstallLocation";
constexpr DWORD value_capacity = 260;
constexpr DWORD subkey_name_capacity = 100;

// The game is a 32-bit program and registers itself in the 32-bit view; asking for that
// view explicitly finds it from a 64-bit build too (a 32-bit build reads it anyway).
// Subkeys opened through such a handle stay in that view.
constexpr REGSAM read_access = KEY_READ | KEY_WOW64_32KEY;

class RegistryKey {
public:
    RegistryKey(HKEY parent, const char* path)
    {
        if (RegOpenKeyExA(parent, path, 0, read_access, &m_key) != ERROR_SUCCESS)
            m_key = nullptr;
    }
    ~RegistryKey()
    {
        if (m_key)
            RegCloseKey(m_key);
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    HKEY get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

// A string read into a buffer of `capacity` bytes; the value's own terminator ends it.
std::string terminated(const char* buffer, DWORD capacity)
{
    DWORD length = 0;
    while (length < capacity && buffer[length] != '\0')
        ++length;
    return std::string(buffer, length);
}

void add_publisher_folders(std::vector<std::string>& folders)
{
    RegistryKey publisher(HKEY_LOCAL_MACHINE, publisher_key);
    if (!publisher.get())
        return;
    for (DWORD index = 0;; ++index) {
        char name[subkey_name_capacity];
        DWORD name_length = subkey_name_capacity;
        LONG status = RegEnumKeyExA(publisher.get(), index, name, &name_length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_MORE_DATA)
            continue; // a name too long for the buffer: skip this subkey only
        if (status != ERROR_SUCCESS)
            break;
        char value[value_capacity];
        DWORD size = value_capacity;
        if (RegGetValueA(publisher.get(), name, location_value, RRF_RT_REG_SZ, nullptr,
                         value, &size) == ERROR_SUCCESS)
            folders.push_back(normalise_installation_folder(terminated(value, size)));
    }
}

void add_uninstall_folder(std::vector<std::string>& folders)
{
    RegistryKey entry(HKEY_LOCAL_MACHINE, uninstall_key);
    if (!entry.get())
        return;
    char value[value_capacity];
    DWORD size = value_capacity;
    DWORD type = REG_NONE;
    if (RegQueryValueExA(entry.get(), location_value, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) ==
            ERROR_SUCCESS &&
        type == REG_SZ)
        folders.push_back(normalise_installation_folder(terminated(value, size)));
}

void add_current_folder(std::vector<std::string>& folders)
{
    DWORD needed = GetCurrentDirectoryA(0, nullptr);
    if (needed == 0)
        return;
    std::string buffer(needed, '\0');
    DWORD length = GetCurrentDirectoryA(needed, &buffer[0]);
    if (length == 0 || length >= needed)
        return;
    buffer.resize(length);
    folders.push_back(normalise_installation_folder(buffer));
}

} // namespace

std::string normalise_installation_folder(std::string folder)
{
    for (char& c : folder)
        if (c == '/')
            c = '\\';
    if (folder.size() >= 2 && folder[1] == ':')
        folder[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(folder[0])));
    if (folder.empty() || folder.back() != '\\')
        folder.push_back('\\');
    return folder;
}

std::vector<std::string> installation_folders()
{
    std::vector<std::string> folders;
    add_publisher_folders(folders);
    add_uninstall_folder(folders);
    add_current_folder(folders);
    return folders;
}

void find_installation_folders(Ui::FileSelector& selector)
{
    for (const std::string& folder : installation_folders())
        selector.add_folder(folder);
}

} // namespace Start
