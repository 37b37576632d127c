// Folder names made to share one CRC (easy: four chosen bytes force any CRC) must not
// turn the archive's folder index into a chain walked for every name.

#include "fs/archive_source.h"

#include "support/sga_writer.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace {

std::array<std::uint32_t, 256> crc_table()
{
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}

// `prefix` and four bytes after it such that zlib's CRC-32, seeded with the whole
// name's length as the archive reader seeds it, is `target`.
std::string forced_name(const std::string& prefix, std::uint32_t target)
{
    static const std::array<std::uint32_t, 256> table = crc_table();
    const auto length = static_cast<uInt>(prefix.size() + 4);
    std::uint32_t start = ~static_cast<std::uint32_t>(
        crc32(length, reinterpret_cast<const Bytef*>(prefix.data()), static_cast<uInt>(prefix.size())));
    // Backwards from the register wanted at the end: the top byte of each step names the
    // table entry it used.
    std::uint32_t x = ~target;
    std::uint8_t used[4];
    for (int i = 3; i >= 0; --i) {
        std::uint32_t index = 0;
        while ((table[index] >> 24) != (x >> 24))
            ++index;
        used[i] = static_cast<std::uint8_t>(index);
        x = (x ^ table[index]) << 8;
    }
    std::string name = prefix;
    std::uint32_t reg = start;
    for (std::uint8_t index : used) {
        name.push_back(static_cast<char>((reg ^ index) & 0xFF));
        reg = (reg >> 8) ^ table[index];
    }
    return name;
}

bool storable(const std::string& name)
{
    for (char c : name) {
        if (c == '\0' || c == '\\' || c == '/' || (c >= 'A' && c <= 'Z'))
            return false;
    }
    return true;
}

} // namespace

TEST(ArchiveCollisions, ThousandsOfFolderNamesWithOneCrcAreFoundAtOnce)
{
    const std::uint32_t target = 0x5EED1234u;
    std::vector<std::string> names;
    for (int i = 0; names.size() < 20000; ++i) {
        std::string name = forced_name("f" + std::to_string(i), target);
        if (!storable(name))
            continue;
        const auto length = static_cast<uInt>(name.size());
        ASSERT_EQ(crc32(length, reinterpret_cast<const Bytef*>(name.data()), length), target);
        names.push_back(name);
    }
    SgaWriter writer(4);
    for (const std::string& name : names)
        writer.add_file(name + "\\file.txt", name);
    TempFolder folder;
    folder.write("collide.sga", writer.build());

    Mod::ArchiveSource archive(folder.path("collide.sga"));
    for (std::size_t i = 0; i < names.size(); i += 7) {
        Mod::BlobPtr blob = archive.read(names[i] + "\\file.txt");
        ASSERT_TRUE(blob) << i;
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(blob->data), blob->size), names[i]);
    }
    EXPECT_FALSE(archive.read(forced_name("absent", target) + "\\file.txt"));
    std::vector<std::string> listed;
    archive.list("", listed);
    EXPECT_EQ(listed.size(), names.size());
}
