#include "fs/sga_header.h"

#include <cstring>

namespace Mod {

SgaHeader parse_sga_header(const std::uint8_t* bytes)
{
    if (std::memcmp(bytes, "_ARCHIVE", 8) != 0)
        throw ArchiveFormatError("file is not an SGA");
    SgaHeader header;
    header.version = read_u32(bytes + 8);
    if (header.version != 2 && header.version != 4)
        throw ArchiveFormatError("wrong SGA version");
    header.size = header.version == 2 ? 180 : 184;
    header.toc_size = read_u32(bytes + 172);
    header.data_base = read_u32(bytes + 176);
    return header;
}

} // namespace Mod
