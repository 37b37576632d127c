// Archives from strangers: every field that points somewhere, damaged; truncations;
// damaged zlib streams; random corruption. None may read outside the file or the
// table of contents, hang or crash.

#include "archive_files.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

namespace {

struct Sample {
    std::string bytes;
    SgaWriter::Layout layout;
};

const std::string packed_text(400, 'p');

Sample make_sample(std::uint32_t version)
{
    SgaWriter writer(version);
    writer.add_file("root.txt", "root");
    writer.add_file("art\\ui\\a.txt", "alpha");
    writer.add_file("art\\ui\\b.txt", packed_text, true);
    writer.add_file("art\\ui\\c.txt", "charlie");
    writer.add_file("art\\ui\\styles\\s.styles", "styles");
    writer.add_file("font\\f.ttf", "font bytes");
    Sample sample;
    sample.bytes = writer.build();
    sample.layout = writer.layout();
    return sample;
}

// Field positions inside records; they differ between versions only for files.
std::size_t data_offset_field(const Sample& s) { return s.layout.file_record_size == 20 ? 8 : 4; }

using Damage = std::function<void(std::string& bytes, const SgaWriter::Layout& layout)>;

class ArchiveDamageTest : public ::testing::TestWithParam<std::uint32_t> {
protected:
    void SetUp() override { m_sample = make_sample(GetParam()); }

    std::string damaged(const Damage& damage) const
    {
        std::string bytes = m_sample.bytes;
        damage(bytes, m_sample.layout);
        return write_archive(m_folder, "damaged.sga", bytes);
    }
    std::size_t toc() const { return m_sample.layout.header_size; }
    std::size_t folder_record(const char* name) const { return m_sample.layout.folder(name)->record; }
    std::size_t file_record(const char* path) const { return m_sample.layout.file(path)->record; }

    TempFolder m_folder;
    Sample m_sample;
};

TEST_P(ArchiveDamageTest, RefusesTablesRangesAndNamesOutsideTheTableOfContents)
{
    const std::uint32_t toc_size = m_sample.layout.toc_size;
    const std::size_t t = toc();
    const std::size_t ui = folder_record("art\\ui");
    const std::size_t a = file_record("art\\ui\\a.txt");
    const std::uint16_t folders = static_cast<std::uint16_t>(m_sample.layout.folders.size());
    const struct {
        const char* name;
        Damage damage;
    } cases[] = {
        {"toc past the end of the file",
         [&](std::string& b, const SgaWriter::Layout& l) {
             put_u32(b, 172, static_cast<std::uint32_t>(b.size() - l.header_size + 1));
         }},
        {"toc size wrapping with the header size", [&](std::string& b, auto&) { put_u32(b, 172, 0xFFFFFFFFu - 100); }},
        {"toc smaller than its fixed part", [&](std::string& b, auto&) { put_u32(b, 172, 23); }},
        {"folder table past the toc", [&](std::string& b, auto&) { put_u32(b, t + 6, toc_size); }},
        {"folder table wrapping in 32 bits", [&](std::string& b, auto&) { put_u32(b, t + 6, 0xFFFFFFF8u); }},
        {"too many folders", [&](std::string& b, auto&) { put_u16(b, t + 10, 0xFFFF); }},
        {"file table past the toc", [&](std::string& b, auto&) { put_u32(b, t + 12, toc_size + 1); }},
        {"file table at the toc's end", [&](std::string& b, auto&) { put_u32(b, t + 12, toc_size); }},
        {"name block past the toc", [&](std::string& b, auto&) { put_u32(b, t + 18, toc_size + 1); }},
        {"empty name block", [&](std::string& b, auto&) { put_u32(b, t + 18, toc_size); }},
        {"folder name past the names", [&](std::string& b, auto&) { put_u32(b, ui, toc_size); }},
        {"folder name offset wrapping", [&](std::string& b, auto&) { put_u32(b, ui, 0xFFFFFFFFu); }},
        {"sub-folder range past the table", [&](std::string& b, auto&) { put_u16(b, ui + 6, folders + 1); }},
        {"sub-folder range inverted",
         [&](std::string& b, auto&) {
             put_u16(b, ui + 4, 1);
             put_u16(b, ui + 6, 0);
         }},
        {"file range past what fits", [&](std::string& b, auto&) { put_u16(b, ui + 10, 0xFFFF); }},
        {"file range inverted", [&](std::string& b, auto&) { put_u16(b, ui + 8, 0xFFFF); }},
        {"file name past the names", [&](std::string& b, auto&) { put_u32(b, a, 0x7FFFFFFFu); }},
        {"last name not terminated",
         [&](std::string& b, const SgaWriter::Layout& l) { b[l.header_size + l.toc_size - 1] = 'x'; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = damaged(c.damage);
        EXPECT_EQ(open_failure(path), "Could not open archive " + path);
    }
}

// A version-2 archive whose table of contents ends with its one file record and its
// one folder record, followed by zeros: read as records, the zeros would look valid (name
// offset 0 is the root's empty name), so only the checks against the table's size can
// refuse ranges that reach past it.
std::string archive_with_zeros_after_the_table(std::uint16_t folder_count, std::uint16_t file_end)
{
    const std::uint32_t names = 24, files = 25, folders = 45, toc_size = 57;
    std::string bytes = "_ARCHIVE";
    bytes.resize(180 + toc_size + 64, '\0');
    put_u32(bytes, 8, 2);
    put_u32(bytes, 172, toc_size);
    put_u32(bytes, 176, 180 + toc_size);
    put_u32(bytes, 180 + 6, folders);
    put_u16(bytes, 180 + 10, folder_count);
    put_u32(bytes, 180 + 12, files);
    put_u32(bytes, 180 + 18, names);
    put_u16(bytes, 180 + folders + 10, file_end); // root: name "", no sub-folders, files [0, file_end)
    return bytes;
}

TEST(ArchiveDamage, RefusesRecordsReachingPastTheTableEvenWhenTheBytesThereLookValid)
{
    TempFolder folder;
    const std::string good = write_archive(folder, "good.sga", archive_with_zeros_after_the_table(1, 1));
    EXPECT_EQ(list_names(Mod::ArchiveSource(good), ""), std::vector<std::string>{""});
    for (const auto& [folders, files] : {std::pair<int, int>{2, 1}, {1, 2}}) {
        const std::string path = write_archive(
            folder, "bad.sga",
            archive_with_zeros_after_the_table(static_cast<std::uint16_t>(folders), static_cast<std::uint16_t>(files)));
        EXPECT_EQ(open_failure(path), "Could not open archive " + path) << folders << " folders, " << files << " files";
    }
}

TEST_P(ArchiveDamageTest, DamagedMembersReadNullAndLeaveTheRestReadable)
{
    const std::uint64_t file_size = m_sample.bytes.size();
    const std::size_t field = data_offset_field(m_sample);
    const auto& b_entry = *m_sample.layout.file("art\\ui\\b.txt");
    const auto& c_entry = *m_sample.layout.file("art\\ui\\c.txt");
    const std::uint32_t data_base = m_sample.layout.data_base;
    const struct {
        const char* name;
        const char* member;
        Damage damage;
    } cases[] = {
        {"data past the end", "art\\ui\\c.txt",
         [&](std::string& b, auto&) { put_u32(b, c_entry.record + field, static_cast<std::uint32_t>(file_size)); }},
        {"stored size past the end", "art\\ui\\c.txt",
         [&](std::string& b, auto&) { put_u32(b, c_entry.record + field + 4, 0xFFFFFFF0u); }},
        // data base + offset wraps in 32 bits to offset 0, the header: a 64-bit sum lies past the file.
        {"data offset wrapping onto the header", "art\\ui\\c.txt",
         [&](std::string& b, auto&) { put_u32(b, c_entry.record + field, 0u - data_base); }},
        {"damaged zlib header", "art\\ui\\b.txt", [&](std::string& b, auto&) { b[b_entry.data] ^= 0x55; }},
        {"damaged deflate data", "art\\ui\\b.txt",
         [&](std::string& b, auto&) { b[b_entry.data + b_entry.stored_size / 2] ^= 0xFF; }},
        {"damaged checksum", "art\\ui\\b.txt",
         [&](std::string& b, auto&) { b[b_entry.data + b_entry.stored_size - 1] ^= 0x01; }},
        {"stream cut short", "art\\ui\\b.txt",
         [&](std::string& b, auto&) { put_u32(b, b_entry.record + field + 4, b_entry.stored_size - 3); }},
        {"compressed member of no bytes", "art\\ui\\b.txt",
         [&](std::string& b, auto&) { put_u32(b, b_entry.record + field + 4, 0); }},
        {"unpacked size too small", "art\\ui\\b.txt",
         [&](std::string& b, auto&) { put_u32(b, b_entry.record + field + 8, b_entry.unpacked_size - 1); }},
        {"unpacked size no stream can reach", "art\\ui\\b.txt",
         [&](std::string& b, auto&) { put_u32(b, b_entry.record + field + 8, 0xFFFFFFFFu); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Mod::ArchiveSource source(damaged(c.damage));
        EXPECT_EQ(source.read(c.member), nullptr);
        EXPECT_EQ(read_text(source, "art\\ui\\a.txt"), "alpha");
        EXPECT_EQ(read_text(source, "root.txt"), "root");
        EXPECT_EQ(list_names(source, "art\\ui").size(), 4u);
    }
}

TEST_P(ArchiveDamageTest, AnOverstatedUnpackedSizeGivesTheBytesProduced)
{
    const auto& entry = *m_sample.layout.file("art\\ui\\b.txt");
    Mod::ArchiveSource source(damaged([&](std::string& b, auto&) {
        put_u32(b, entry.record + data_offset_field(m_sample) + 8, entry.unpacked_size + 1000);
    }));
    EXPECT_EQ(read_text(source, "art\\ui\\b.txt"), packed_text);
}

TEST_P(ArchiveDamageTest, ADuplicateFolderNameMeansTheLaterRecord)
{
    // "font" takes the name of "art", which comes earlier in the table.
    const std::size_t art = folder_record("art");
    const std::size_t font = folder_record("font");
    Mod::ArchiveSource source(damaged([&](std::string& b, auto&) { put_u32(b, font, get_u32(b, art)); }));
    EXPECT_EQ(read_text(source, "art\\f.ttf"), "font bytes");
    EXPECT_EQ(list_names(source, "art"), std::vector<std::string>{"f.ttf"});
    EXPECT_EQ(source.read("font\\f.ttf"), nullptr);
    EXPECT_EQ(read_text(source, "art\\ui\\a.txt"), "alpha"); // its own name still finds art\ui
}

TEST_P(ArchiveDamageTest, SubFoldersTooShortForTheirParentAreSkipped)
{
    // art\ui claims the root, "art" and itself as sub-folders.
    const std::size_t ui = folder_record("art\\ui");
    Mod::ArchiveSource source(damaged([&](std::string& b, auto&) {
        put_u16(b, ui + 4, 0);
        put_u16(b, ui + 6, 4);
    }));
    // Table order: root, art, font, art\ui, then art\ui\styles.
    EXPECT_EQ(list_names(source, "art\\ui"), (std::vector<std::string>{"a.txt", "b.txt", "c.txt"}));
}

TEST_P(ArchiveDamageTest, TruncatedAtEveryLengthEitherRefusesOrReadsOnlyWhatIsThere)
{
    const auto& layout = m_sample.layout;
    const std::size_t tables_end = layout.header_size + layout.toc_size;
    for (std::size_t length = 0; length <= m_sample.bytes.size(); ++length) {
        SCOPED_TRACE(length);
        const std::string path = write_archive(m_folder, "cut.sga", m_sample.bytes.substr(0, length));
        if (length < 204) {
            ASSERT_EQ(open_failure(path), "Could not open archive " + path + " (file is too small)");
            continue;
        }
        if (length < tables_end) {
            ASSERT_EQ(open_failure(path), "Could not open archive " + path);
            continue;
        }
        Mod::ArchiveSource source(path);
        for (const auto& file : layout.files) {
            Mod::BlobPtr blob = source.read(file.path);
            if (file.data + file.stored_size <= length)
                ASSERT_NE(blob, nullptr) << file.path;
            else
                ASSERT_EQ(blob, nullptr) << file.path;
        }
    }
}

// Reads every listed name down to a small depth, whatever the listing makes of a
// damaged table.
void walk(const Mod::FileSource& source, const std::string& folder, int depth, std::size_t& reads)
{
    std::vector<std::string> names;
    source.list(folder, names);
    for (const auto& name : names) {
        const std::string path = folder.empty() ? name : folder + "\\" + name;
        if (Mod::BlobPtr blob = source.read(path)) {
            volatile std::uint8_t sink = 0;
            for (std::uint32_t i = 0; i < blob->size; i += 97)
                sink = sink + blob->data[i]; // touch the bytes: the sanitizer checks them
            if (blob->size)
                sink = sink + blob->data[blob->size - 1];
            ++reads;
        }
        if (depth > 0)
            walk(source, path, depth - 1, reads);
    }
}

TEST_P(ArchiveDamageTest, RandomCorruptionNeverReadsOutsideTheFile)
{
    std::mt19937 random(20240601u + GetParam());
    const auto& layout = m_sample.layout;
    // Places that point somewhere: the header's sizes, the toc's fixed part, every record field.
    std::vector<std::size_t> fields{172, 176, toc() + 6, toc() + 10, toc() + 12, toc() + 18};
    for (const auto& folder : layout.folders)
        for (std::size_t f : {0, 4, 6, 8, 10})
            fields.push_back(folder.record + f);
    for (const auto& file : layout.files)
        for (std::size_t f = 0; f + 2 <= layout.file_record_size; f += 2)
            fields.push_back(file.record + f);
    const std::uint32_t interesting[] = {0, 1, 2, 11, 12, 0x7F, 0xFF, 0x100, 0xFFFF, 0x10000, layout.toc_size,
                                         layout.data_base, 0x7FFFFFFF, 0xFFFFFFFF, 0xFFFFFFFE};
    int opened = 0;
    std::size_t reads = 0;
    for (int round = 0; round < 2500; ++round) {
        std::string bytes = m_sample.bytes;
        const int changes = 1 + static_cast<int>(random() % 3);
        for (int i = 0; i < changes; ++i) {
            switch (random() % 5) {
            case 0: bytes[random() % bytes.size()] = static_cast<char>(random()); break;
            case 1: {
                const std::size_t at = fields[random() % fields.size()];
                if (at + 2 <= bytes.size())
                    put_u16(bytes, at, static_cast<std::uint16_t>(interesting[random() % std::size(interesting)]));
                break;
            }
            case 2: {
                const std::size_t at = fields[random() % fields.size()];
                if (at + 4 <= bytes.size())
                    put_u32(bytes, at, interesting[random() % std::size(interesting)]);
                break;
            }
            case 3: {
                const std::size_t at = fields[random() % fields.size()];
                if (at + 2 <= bytes.size())
                    put_u16(bytes, at, static_cast<std::uint16_t>(random()));
                break;
            }
            default: bytes.resize(204 + random() % (bytes.size() - 203)); break;
            }
        }
        const std::string path = write_archive(m_folder, "fuzz.sga", bytes);
        try {
            Mod::ArchiveSource source(path);
            ++opened;
            walk(source, "", 4, reads);
            for (const auto& file : layout.files)
                source.read(file.path);
        } catch (const std::runtime_error& error) {
            ASSERT_EQ(std::string(error.what()).rfind("Could not open archive " + path, 0), 0u) << error.what();
        }
    }
    // The loop must exercise both outcomes to mean anything.
    EXPECT_GT(opened, 100);
    EXPECT_GT(reads, 100u);
}

INSTANTIATE_TEST_SUITE_P(Versions, ArchiveDamageTest, ::testing::Values(2u, 4u),
                         [](const auto& info) { return "v" + std::to_string(info.param); });

} // namespace
