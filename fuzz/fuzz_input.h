#pragma once
// What the fuzz targets share: the input cut into several files at a marker, and (from
// the tests' helpers) blob_of, a heap copy sized exactly so that a read past its end is
// caught.

#include "mod/ucs_bytes.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Fuzz {

// Separates the files of one input ("\n@@@@\n" between them); at most `count` parts,
// the last taking the rest.
inline std::vector<std::string> split_input(const std::uint8_t* data, std::size_t size, std::size_t count)
{
    static const std::string marker = "\n@@@@\n";
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (parts.size() + 1 < count) {
        const std::size_t found = input.find(marker, start);
        if (found == std::string::npos)
            break;
        parts.push_back(input.substr(start, found - start));
        start = found + marker.size();
    }
    parts.push_back(input.substr(start));
    parts.resize(count);
    return parts;
}

} // namespace Fuzz
