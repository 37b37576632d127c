#include "start/installation_folders.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include <windows.h>

#include <algorithm>
#include <optional>

using Start::installation_folders;
using Start::normalise_installation_folder;

TEST(NormaliseInstallationFolder, TurnsSlashesUpperCasesTheDriveAndEndsInABackslash)
{
    const std::pair<const char*, const char*> cases[] = {
        {"d:/games/rts", "D:\\games\\rts\\"},
        {"C:\\Games\\RTS\\", "C:\\Games\\RTS\\"},
        {"c:", "C:\\"},
        {"\\\\server\\share/rts", "\\\\server\\share\\rts\\"},
        {"relative/folder/", "relative\\folder\\"},
        {"", "\\"},
    };
    for (const auto& [input, expected] : cases)
        EXPECT_EQ(normalise_installation_folder(input), expected) << input;
}

namespace {

constexpr REGSAM view = KEY_WOW64_32KEY;
const char* const publisher = "SOFTWARE\\THQ";
const char* const uninstall = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Company of Heroes";

HKEY create_key(const std::string& path)
{
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS)
        << path;
    return key;
}

void set_value(const std::string& path, const char* name, DWORD type, const std::string& data)
{
    HKEY key = create_key(path);
    ASSERT_EQ(RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.c_str()),
                             static_cast<DWORD>(data.size() + 1)),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

void delete_tree(const std::string& path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_ALL_ACCESS | view, &key) != ERROR_SUCCESS)
        return;
    RegDeleteTreeA(key, nullptr); // subkeys and values; the key itself goes next
    RegCloseKey(key);
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), view, 0);
}

bool key_exists(const char* path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ | view, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

std::string current_folder()
{
    char buffer[MAX_PATH];
    DWORD length = GetCurrentDirectoryA(MAX_PATH, buffer);
    return normalise_installation_folder(std::string(buffer, length));
}

// In the project's own Wine prefix (scripts/with-wine.sh says so) the installation keys
// are the tests' alone: whatever a crashed run left is cleared first. Anywhere else the
// test refuses to run over keys it did not make.
class InstallationRegistry : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (std::getenv("TVSE_OWN_PREFIX")) {
            delete_tree(publisher);
            delete_tree(uninstall);
            RegDeleteKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\THQ\\Other View", KEY_WOW64_64KEY, 0);
            RegDeleteKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\THQ", KEY_WOW64_64KEY, 0);
        }
        if (key_exists(publisher) || key_exists(uninstall))
            GTEST_SKIP() << "the prefix already has installation keys";
    }
    void TearDown() override
    {
        delete_tree(publisher);
        delete_tree(uninstall);
    }
};

} // namespace

TEST_F(InstallationRegistry, WithoutKeysOnlyTheCurrentDirectoryIsListed)
{
    EXPECT_EQ(installation_folders(), std::vector<std::string>{current_folder()});
}

TEST_F(InstallationRegistry, ListsPublisherSubkeysThenTheUninstallEntryThenTheCurrentDirectory)
{
    set_value(std::string(publisher) + "\\Game A", "InstallLocation", REG_SZ, "d:/games/rts");
    create_key(std::string(publisher) + "\\No Location"); // skipped, enumeration goes on
    set_value(std::string(publisher) + "\\Pack B", "InstallLocation", REG_BINARY, "E:\\binary"); // not a string
    set_value(std::string(publisher) + "\\Pack C", "InstallLocation", REG_SZ, "F:\\Pack");
    set_value(uninstall, "InstallLocation", REG_SZ, "G:\\Uninstall\\Here");

    EXPECT_EQ(installation_folders(),
              (std::vector<std::string>{"D:\\games\\rts\\", "F:\\Pack\\", "G:\\Uninstall\\Here\\", current_folder()}));
}

TEST_F(InstallationRegistry, IgnoresAnUninstallLocationThatIsNotAPlainString)
{
    set_value(uninstall, "InstallLocation", REG_EXPAND_SZ, "G:\\Expanded");
    EXPECT_EQ(installation_folders(), std::vector<std::string>{current_folder()});
}

TEST_F(InstallationRegistry, SkipsValuesTooLongForTheBufferAndSubkeysWithLongNames)
{
    set_value(std::string(publisher) + "\\" + std::string(120, 'k'), "InstallLocation", REG_SZ, "H:\\Hidden");
    set_value(std::string(publisher) + "\\Long", "InstallLocation", REG_SZ, "I:\\" + std::string(300, 'x'));
    set_value(std::string(publisher) + "\\Short", "InstallLocation", REG_SZ, "J:\\Short");
    EXPECT_EQ(installation_folders(), (std::vector<std::string>{"J:\\Short\\", current_folder()}));
}

TEST_F(InstallationRegistry, ReadsThe32BitViewWhereTheGameRegistersItself)
{
    // Written into the 64-bit view only: not where the game's installer writes.
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\THQ\\Other View", 0, nullptr, 0,
                              KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const char location[] = "K:\\Other";
    RegSetValueExA(key, "InstallLocation", 0, REG_SZ, reinterpret_cast<const BYTE*>(location), sizeof(location));
    RegCloseKey(key);
    set_value(std::string(publisher) + "\\Game", "InstallLocation", REG_SZ, "L:\\Game");

    std::vector<std::string> folders = installation_folders();
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\THQ\\Other View", KEY_WOW64_64KEY, 0);
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\THQ", KEY_WOW64_64KEY, 0);
    EXPECT_EQ(folders, (std::vector<std::string>{"L:\\Game\\", current_folder()}));
}
