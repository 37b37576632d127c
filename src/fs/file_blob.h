#pragma once
// A whole file's read-only bytes. Blobs are always handed out through a shared
// pointer whose deleter runs the release that matches where the bytes live (unmap a
// view, free an inflated buffer, or nothing for an empty file); the count is atomic,
// so a blob may cross threads, and it never depends on the source that made it.

#include <cstdint>
#include <functional>
#include <memory>

namespace Mod {

struct FileBlob {
    const std::uint8_t* data = nullptr; // null only for an empty file
    std::uint32_t size = 0;
};

// Null means "not there or unreadable"; a present empty file is a blob of size 0.
using BlobPtr = std::shared_ptr<const FileBlob>;

// A blob over `data`/`size`; `release` runs once, when the last holder lets go.
BlobPtr make_blob(const std::uint8_t* data, std::uint32_t size, std::function<void()> release);

// A blob that owns a heap buffer allocated with new[].
BlobPtr make_buffer_blob(std::unique_ptr<std::uint8_t[]> buffer, std::uint32_t size);

} // namespace Mod
