#include "platform/folder_search.h"
#include "platform/mapped_file.h"

#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

TEST(MappedFile, MapsRangesAlignedToTheGranularityAndRefusesRangesPastTheEnd)
{
    TempFolder folder;
    const std::uint32_t granularity = Platform::allocation_granularity();
    ASSERT_GT(granularity, 0u);
    std::string content(granularity + 10, 'a');
    content[granularity] = 'B';
    folder.write("data.bin", content);

    auto file = Platform::MappedFile::open(folder.path("data.bin"));
    ASSERT_TRUE(file);
    EXPECT_EQ(file->size(), content.size());

    const std::uint8_t* tail = file->map(granularity, 10);
    ASSERT_TRUE(tail);
    EXPECT_EQ(tail[0], 'B');
    const std::uint8_t* whole = file->map(0, 0);
    ASSERT_TRUE(whole);
    file.reset();
    // Views stay readable after the file object is gone.
    EXPECT_EQ(whole[granularity], 'B');
    Platform::unmap_view(tail, 10);
    Platform::unmap_view(whole, content.size());

    auto again = Platform::MappedFile::open(folder.path("data.bin"));
    EXPECT_EQ(again->map(0, content.size() + 1), nullptr);
    EXPECT_EQ(again->map(2 * static_cast<std::uint64_t>(granularity), 1), nullptr);
}

TEST(MappedFile, EmptyFilesOpenButMapNothingAndMissingFilesDoNotOpen)
{
    TempFolder folder;
    folder.write("empty", "");
    auto file = Platform::MappedFile::open(folder.path("empty"));
    ASSERT_TRUE(file);
    EXPECT_EQ(file->size(), 0u);
    EXPECT_EQ(file->map(0, 0), nullptr);
    EXPECT_FALSE(Platform::MappedFile::open(folder.path("missing")));
}

TEST(FolderSearch, ListsFilesAndFoldersOfAPatternWithBackslashes)
{
    TempFolder folder;
    folder.write("one.txt", "1");
    folder.write("sub\\two.txt", "2");
    std::vector<std::string> names;
    Platform::search_folder(folder.path("*"), [&](const char* name) { names.push_back(name); });
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{".", "..", "one.txt", "sub"}));

    names.clear();
    Platform::search_folder(folder.path("nothing\\*"), [&](const char* name) { names.push_back(name); });
    EXPECT_TRUE(names.empty());
}
