#pragma once
// Texture files (DDS, TGA and packed RGT textures) recognised by their content and
// described, top level only, as a PixelSource for an uploader that takes the pixels
// as stored: nothing is converted here.

#include "fs/file_blob.h"
#include "render/pixel_source.h"

#include <functional>
#include <optional>
#include <type_traits>
#include <utility>

namespace Render {

// Calls `consumer` exactly once with the file's top-level pixels, which are valid only
// during that call, or throws std::runtime_error saying why the file cannot be used
// (and then does not call it). Whatever the consumer throws passes through unchanged.
// `blob` and anything inflated from it are released before this returns.
void decode_image_file(Mod::BlobPtr blob, const std::function<void(const PixelSource&)>& consumer);

// The same, returning what the consumer returns.
template <typename R, typename F>
R decode_image_file(Mod::BlobPtr blob, F&& consumer)
{
    if constexpr (std::is_void_v<R>) {
        decode_image_file(std::move(blob), std::function<void(const PixelSource&)>(std::forward<F>(consumer)));
    } else {
        std::optional<R> result;
        decode_image_file(std::move(blob), [&result, &consumer](const PixelSource& source) {
            result.emplace(consumer(source));
        });
        return std::move(*result);
    }
}

} // namespace Render
