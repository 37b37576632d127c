#pragma once
// The fixed header at the start of an SGA archive (versions 2 and 4), and the error an
// archive's structure raises while it is being opened.

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace Mod {

// A malformed archive. `reason()` is the short text shown in brackets after the
// archive's path, or empty when the message names no reason.
class ArchiveFormatError : public std::runtime_error {
public:
    explicit ArchiveFormatError(std::string reason = std::string())
        : std::runtime_error(reason.empty() ? "malformed archive" : reason), m_reason(std::move(reason))
    {
    }
    const std::string& reason() const { return m_reason; }

private:
    std::string m_reason;
};

struct SgaHeader {
    static constexpr std::size_t first_view_size = 180; // the version-2 header
    static constexpr std::uint64_t minimum_file_size = 204; // version-2 header + fixed table part

    std::uint32_t version = 0;
    std::uint32_t size = 0; // 180 (version 2) or 184 (version 4): where the table of contents starts
    std::uint32_t toc_size = 0;
    std::uint32_t data_base = 0;
};

// Reads the header from the archive's first `first_view_size` bytes. Throws
// ArchiveFormatError "file is not an SGA" or "wrong SGA version".
SgaHeader parse_sga_header(const std::uint8_t* bytes);

// Little-endian fields at any alignment.
inline std::uint16_t read_u16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

inline std::uint32_t read_u32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

} // namespace Mod
