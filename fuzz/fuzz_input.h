#pragma once
// What the fuzz targets share: the input cut into several files at a marker, and a
// heap copy of bytes sized exactly, so that a read past its end is caught.

#include "fs/file_blob.h"

#include <cstdint>
#include <cstring>
#include <memory>
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

inline Mod::BlobPtr blob_of(const std::string& bytes)
{
    std::unique_ptr<std::uint8_t[]> buffer(new std::uint8_t[bytes.size() ? bytes.size() : 1]);
    if (!bytes.empty())
        std::memcpy(buffer.get(), bytes.data(), bytes.size());
    return Mod::make_buffer_blob(std::move(buffer), static_cast<std::uint32_t>(bytes.size()));
}

} // namespace Fuzz
