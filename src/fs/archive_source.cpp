#include "fs/archive_source.h"

#include "fs/sga_header.h"
#include "fs/sga_table.h"
#include "platform/mapped_file.h"

#include <zlib.h>

#include <cctype>
#include <new>
#include <optional>

namespace Mod {
namespace {

// Deflate cannot expand by more than 1032 to 1, so a larger unpacked size is a corrupt
// record; refusing it early avoids a huge allocation that could never be filled.
constexpr std::uint64_t max_inflate_ratio = 1032;

// An unmapped-on-destruction view.
struct View {
    const std::uint8_t* base = nullptr;
    std::size_t length = 0;

    View() = default;
    View(const std::uint8_t* b, std::size_t l) : base(b), length(l) {}
    View(const View&) = delete;
    View& operator=(const View&) = delete;
    ~View() { Platform::unmap_view(base, length); }
};

std::string normalised(const std::string& path)
{
    std::string result = path;
    for (char& c : result)
        c = c == '/' ? '\\' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return result;
}

} // namespace

struct ArchiveSource::State {
    std::unique_ptr<Platform::MappedFile> file; // the file and its mapping, for the source's life
    std::uint32_t granularity = 0;
    View header_view;                           // header and table of contents
    SgaHeader header;
    std::optional<SgaTable> table;
};

ArchiveSource::ArchiveSource(const std::string& path) : m_state(std::make_unique<State>())
{
    auto failure = [&path](const std::string& reason) {
        std::string message = "Could not open archive " + path;
        if (!reason.empty())
            message += " (" + reason + ")";
        return std::runtime_error(message);
    };
    State& s = *m_state;
    // On any throw below, m_state's destructor releases what was acquired.
    s.file = Platform::MappedFile::open(path);
    if (!s.file)
        throw failure("");
    s.granularity = Platform::allocation_granularity();
    if (s.file->size() < SgaHeader::minimum_file_size)
        throw failure("file is too small");
    try {
        {
            View first(s.file->map(0, SgaHeader::first_view_size), SgaHeader::first_view_size);
            if (!first.base)
                throw ArchiveFormatError();
            s.header = parse_sga_header(first.base);
        }
        // Computed in 64 bits: header plus table must not wrap past the end of the file.
        const std::uint64_t view_length = std::uint64_t{s.header.size} + s.header.toc_size;
        if (view_length > s.file->size())
            throw ArchiveFormatError();
        const auto length = static_cast<std::size_t>(view_length);
        s.header_view.base = s.file->map(0, length);
        if (!s.header_view.base)
            throw ArchiveFormatError();
        s.header_view.length = length;
        s.table.emplace(s.header_view.base + s.header.size, s.header.toc_size, s.header.version);
    } catch (const ArchiveFormatError& error) {
        throw failure(error.reason());
    }
}

ArchiveSource::~ArchiveSource() = default;

BlobPtr ArchiveSource::read(const std::string& path) const
{
    const State& s = *m_state;
    const std::string normal = normalised(path);
    const std::size_t split = normal.rfind('\\');
    const std::string_view whole(normal);
    const std::string_view folder = split == std::string::npos ? std::string_view() : whole.substr(0, split);
    const std::string_view file = split == std::string::npos ? whole : whole.substr(split + 1);
    if (file.empty())
        return nullptr; // a path ending in a separator names a folder, not a file
    const auto member = s.table->find(folder, file);
    if (!member)
        return nullptr;

    const std::uint64_t offset = std::uint64_t{s.header.data_base} + member->data_offset;
    const std::uint32_t stored = member->stored_size;
    const std::uint32_t unpacked = member->unpacked_size;
    if (offset + stored > s.file->size())
        return nullptr; // never map past the end of the file
    const bool compressed = stored != unpacked;
    if (compressed && unpacked > std::uint64_t{stored} * max_inflate_ratio)
        return nullptr;
    if (stored == 0) // an empty member: nothing to map (a zero-length view would map the rest of the file)
        return make_blob(nullptr, 0, nullptr);

    const std::uint64_t slack = offset % s.granularity;
    const auto length = static_cast<std::size_t>(slack + stored);
    const std::uint8_t* base = s.file->map(offset - slack, length);
    if (!base)
        return nullptr;
    const std::uint8_t* bytes = base + slack;
    if (!compressed)
        return make_blob(bytes, unpacked, [base, length] { Platform::unmap_view(base, length); });

    View view(base, length);
    std::unique_ptr<std::uint8_t[]> buffer(new (std::nothrow) std::uint8_t[unpacked]);
    if (!buffer)
        return nullptr;
    uLongf produced = unpacked;
    if (uncompress(buffer.get(), &produced, bytes, stored) != Z_OK)
        return nullptr;
    return make_buffer_blob(std::move(buffer), static_cast<std::uint32_t>(produced));
}

void ArchiveSource::list(const std::string& folder, std::vector<std::string>& names) const
{
    std::string normal = normalised(folder);
    if (!normal.empty() && normal.back() == '\\')
        normal.pop_back();
    m_state->table->list(normal, names);
}

} // namespace Mod
