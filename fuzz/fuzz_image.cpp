// Texture files: the decoders (DDS, TGA, RGT) and the chunk parser under RGT.

#include "fuzz_input.h"
#include "render/chunky.h"
#include "render/image_decoder.h"

namespace {

// Every byte the uploader would read of the described pixels.
void touch(const Render::PixelSource& source)
{
    std::uint64_t row_bytes = 0;
    std::uint64_t rows = source.height;
    switch (source.format) {
    case Render::PixelFormat::bc1:
        row_bytes = (source.width + 3ull) / 4 * 8;
        rows = (source.height + 3ull) / 4;
        break;
    case Render::PixelFormat::bc2:
    case Render::PixelFormat::bc3:
        row_bytes = (source.width + 3ull) / 4 * 16;
        rows = (source.height + 3ull) / 4;
        break;
    case Render::PixelFormat::b8g8r8a8:
        row_bytes = source.width * 4ull;
        break;
    case Render::PixelFormat::r8:
        // 24-bit rows: the upload takes each pixel's three bytes as three texels.
        row_bytes = source.width * 3ull;
        break;
    }
    volatile std::uint8_t sum = 0;
    for (std::uint64_t y = 0; y < rows; ++y) {
        const std::uint8_t* row = source.data + y * source.pitch;
        for (std::uint64_t x = 0; x < row_bytes; ++x)
            sum = static_cast<std::uint8_t>(sum + row[x]);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    try {
        Render::decode_image_file(blob_of(bytes), [](const Render::PixelSource& source) { touch(source); });
    } catch (const std::exception&) {
    }
    Render::ChunkFolder root = Render::parse_chunky(blob_of(bytes));
    const Render::ChunkFolder& texture = root.folder(Render::chunk_id("RSHD")).folder(Render::chunk_id("TXTR"));
    if (Mod::BlobPtr head = texture.folder(Render::chunk_id("DXTC")).data(Render::chunk_id("TFMT"))) {
        volatile std::uint8_t sum = 0;
        for (std::uint32_t i = 0; i < head->size; ++i)
            sum = static_cast<std::uint8_t>(sum + head->data[i]);
    }
    return 0;
}
