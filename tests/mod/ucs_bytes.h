#pragma once
// Builders for .ucs bytes and blobs in the mod tests.

#include "fs/file_blob.h"

#include <cstring>
#include <string>

// The UTF-16LE bytes of `body` after a byte-order mark.
inline std::string ucs_bytes(const std::u16string& body)
{
    std::string bytes = "\xFF\xFE";
    for (char16_t unit : body) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}

// A heap copy of `bytes`, sized exactly, so that reading past its end is caught.
inline Mod::BlobPtr blob_of(const std::string& bytes)
{
    std::unique_ptr<std::uint8_t[]> buffer(new std::uint8_t[bytes.size() ? bytes.size() : 1]);
    if (!bytes.empty())
        std::memcpy(buffer.get(), bytes.data(), bytes.size());
    return Mod::make_buffer_blob(std::move(buffer), static_cast<std::uint32_t>(bytes.size()));
}
