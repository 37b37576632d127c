#include "fs/file_blob.h"

namespace Mod {

BlobPtr make_blob(const std::uint8_t* data, std::uint32_t size, std::function<void()> release)
{
    auto deleter = [release = std::move(release)](const FileBlob* blob) {
        delete blob;
        if (release)
            release();
    };
    FileBlob* blob = nullptr;
    try {
        blob = new FileBlob{data, size};
    } catch (...) {
        deleter(nullptr); // the bytes must not leak when the owner cannot be built
        throw;
    }
    // Should the control block fail to allocate, shared_ptr runs the deleter itself.
    return BlobPtr(blob, std::move(deleter));
}

BlobPtr make_buffer_blob(std::unique_ptr<std::uint8_t[]> buffer, std::uint32_t size)
{
    std::uint8_t* bytes = buffer.release();
    return make_blob(bytes, size, [bytes] { delete[] bytes; });
}

} // namespace Mod
