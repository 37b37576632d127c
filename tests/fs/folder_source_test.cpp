#include "fs/folder_source.h"

#include "archive_files.h"
#include "support/mapping_probe.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace {

std::vector<std::string> sorted(std::vector<std::string> names)
{
    std::sort(names.begin(), names.end());
    return names;
}

TEST(FolderSource, ReadsWholeFilesAsMappedViews)
{
    TempFolder folder;
    folder.write("art\\ui\\x.screen", "Screen = {}");
    Mod::FolderSource source;
    Mod::BlobPtr blob = source.read(folder.path("art\\ui\\x.screen"));
    ASSERT_NE(blob, nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(blob->data), blob->size), "Screen = {}");
    EXPECT_TRUE(points_into_file_mapping(blob->data));
}

TEST(FolderSource, AnEmptyFileIsFoundWithNoBytes)
{
    TempFolder folder;
    folder.write("empty.txt", "");
    Mod::BlobPtr blob = Mod::FolderSource().read(folder.path("empty.txt"));
    ASSERT_NE(blob, nullptr);
    EXPECT_EQ(blob->data, nullptr);
    EXPECT_EQ(blob->size, 0u);
}

TEST(FolderSource, MissingFilesAndFoldersReadNull)
{
    TempFolder folder;
    folder.make_folder("sub");
    Mod::FolderSource source;
    EXPECT_EQ(source.read(folder.path("missing.txt")), nullptr);
    EXPECT_EQ(source.read(folder.path("nowhere\\missing.txt")), nullptr);
    EXPECT_EQ(source.read(folder.path("sub")), nullptr);
    EXPECT_EQ(source.read(""), nullptr);
}

TEST(FolderSource, ABlobStaysReadableAfterItsFileIsDeleted)
{
    TempFolder folder;
    folder.write("doomed.txt", "still here");
    Mod::BlobPtr blob = Mod::FolderSource().read(folder.path("doomed.txt"));
    ASSERT_NE(blob, nullptr);
    // Windows refuses to delete a mapped file; POSIX unlinks it. The view holds on either way.
    std::error_code ignored;
    std::filesystem::remove(std::filesystem::path(folder.path("doomed.txt")), ignored);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(blob->data), blob->size), "still here");
}

TEST(FolderSource, FilesOfFourGibibytesOrMoreReadNull)
{
    TempFolder folder;
    const std::filesystem::path huge = std::filesystem::path(folder.path("huge.bin"));
    std::ofstream(huge, std::ios::binary).put('x');
    std::error_code error;
    std::filesystem::resize_file(huge, 0x100000000ull, error); // sparse where the system allows
    if (error)
        GTEST_SKIP() << "cannot make a 4 GiB file here: " << error.message();
    EXPECT_EQ(Mod::FolderSource().read(folder.path("huge.bin")), nullptr);
}

TEST(FolderSource, SearchPatternAddsOneBackslashUnlessTheFolderEndsInASeparator)
{
    const struct {
        const char* folder;
        const char* pattern;
    } cases[] = {
        {"", ""}, {"art", "art\\*"}, {"art\\", "art\\*"}, {"art/", "art/*"}, {"a\\b", "a\\b\\*"}, {"\\", "\\*"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Mod::folder_search_pattern(c.folder), c.pattern) << c.folder;
}

TEST(FolderSource, ListsFilesAndSubFoldersAlikeButNeverDotEntries)
{
    TempFolder folder;
    folder.write("art\\one.txt", "1");
    folder.write("art\\.hidden", "h");
    folder.write("art\\sub\\deep.txt", "2");
    folder.make_folder("art\\empty");
    Mod::FolderSource source;
    const std::vector<std::string> expected{".hidden", "empty", "one.txt", "sub"};
    for (const std::string& form : {folder.path("art"), folder.path("art\\"), folder.path("art") + "/"}) {
        SCOPED_TRACE(form);
        EXPECT_EQ(sorted(list_names(source, form)), expected);
    }
    EXPECT_TRUE(list_names(source, folder.path("art\\empty")).empty());
    EXPECT_TRUE(list_names(source, folder.path("missing")).empty());
    EXPECT_TRUE(list_names(source, "").empty());
}

TEST(FolderSource, ListAppendsAfterWhatTheCallerHas)
{
    TempFolder folder;
    folder.write("only.txt", "");
    std::vector<std::string> names{"z", "a"};
    Mod::FolderSource().list(folder.root(), names);
    EXPECT_EQ(names, (std::vector<std::string>{"z", "a", "only.txt"}));
}

} // namespace
