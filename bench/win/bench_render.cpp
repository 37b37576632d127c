// Rendering resources on the real device (under Wine: its software rasteriser).
//
// (a) A texture file decoded and converted into a premultiplied BGRA texture, beside
// (b) the least any upload must do with the same file: decode it and create an
//     immutable texture of its stored format from its bytes; and the same copied once
//     on the device. All read one texel back, which waits until the device has done
//     the work; the ratios are the conversion's price over a bare upload.
// (c) A mod's background load with and without its resource set (colour table, image
//     converter with its own device and shaders, font collection and caches).
//
// Prints its figures; each is the median of several runs after a warm-up.

#include "bench_timing.h"

#include "app/com_call.h"
#include "app/d3d10_calls.h"
#include "gfx/graphics_context.h"
#include "mod/loaded_mod.h"
#include "platform/background_work.h"
#include "render/image_converter.h"
#include "render/image_decoder.h"
#include "render/resource_set.h"

#include <objbase.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Microsoft::WRL::ComPtr;

using BenchTiming::now_ms;
using BenchTiming::time_ms;
using BenchTiming::Timing;

void put_u16(std::string& bytes, std::size_t at, std::uint32_t value)
{
    bytes[at] = static_cast<char>(value & 0xFF);
    bytes[at + 1] = static_cast<char>((value >> 8) & 0xFF);
}

void put_u32(std::string& bytes, std::size_t at, std::uint32_t value)
{
    put_u16(bytes, at, value & 0xFFFF);
    put_u16(bytes, at + 2, value >> 16);
}

// Noise, so that no block or row is trivially uniform.
std::string noise(std::size_t size, std::uint32_t seed)
{
    std::string bytes(size, '\0');
    for (char& c : bytes) {
        seed = seed * 1664525u + 1013904223u;
        c = static_cast<char>(seed >> 24);
    }
    return bytes;
}

std::string dds_file(const char* fourcc, std::uint32_t width, std::uint32_t height, std::uint32_t block_bytes)
{
    std::string file(128, '\0');
    file.replace(0, 4, "DDS ");
    put_u32(file, 4, 124);
    put_u32(file, 12, height);
    put_u32(file, 16, width);
    put_u32(file, 76, 32);
    put_u32(file, 80, 4); // four-character code
    file.replace(84, 4, fourcc);
    return file + noise(static_cast<std::size_t>(width / 4) * (height / 4) * block_bytes, width + block_bytes);
}

std::string tga24_file(std::uint32_t width, std::uint32_t height)
{
    std::string file(18, '\0');
    file[2] = 2; // uncompressed truecolour
    put_u16(file, 12, width);
    put_u16(file, 14, height);
    file[16] = 24;
    file += noise(static_cast<std::size_t>(width) * height * 3, 24);
    return file + std::string(8, '\0') + "TRUEVISION-XFILE." + std::string(1, '\0');
}

// A blob over bytes that outlive it, as a mapped file is.
Mod::BlobPtr blob_over(const std::string& bytes)
{
    return Mod::make_blob(reinterpret_cast<const std::uint8_t*>(bytes.data()), static_cast<std::uint32_t>(bytes.size()),
                          [] {});
}

bool block_compressed(DXGI_FORMAT format)
{
    return format == DXGI_FORMAT_BC1_UNORM || format == DXGI_FORMAT_BC2_UNORM || format == DXGI_FORMAT_BC3_UNORM;
}

// Copies the first texel (block) of `texture` to a staging texture and maps it: the map
// waits for every command that writes the texture.
std::uint32_t read_first_texel(ID3D10Device* device, ID3D10Texture2D* texture)
{
    D3D10_TEXTURE2D_DESC description;
    texture->GetDesc(&description);
    const UINT side = block_compressed(description.Format) ? 4 : 1;
    description.Width = side;
    description.Height = side;
    description.Usage = D3D10_USAGE_STAGING;
    description.BindFlags = 0;
    description.CPUAccessFlags = D3D10_CPU_ACCESS_READ;
    description.MiscFlags = 0;
    ComPtr<ID3D10Texture2D> staging = App::create_texture_2d(device, description, nullptr);
    const D3D10_BOX box = {0, 0, 0, side, side, 1};
    device->CopySubresourceRegion(staging.Get(), 0, 0, 0, 0, texture, 0, &box);
    D3D10_MAPPED_TEXTURE2D mapped = App::map_texture(staging.Get(), D3D10_MAP_READ);
    std::uint32_t texel = 0;
    std::memcpy(&texel, mapped.pData, description.Format == DXGI_FORMAT_R8_UNORM ? 1 : 4);
    staging->Unmap(0);
    return texel;
}

volatile std::uint32_t sink; // keeps the read-backs from being optimised away

struct TextureCase {
    const char* name;
    std::string file;
    std::uint32_t width;
    std::uint32_t height;
};

void bench_conversion(const Gfx::GraphicsContext& graphics)
{
    Render::ImageConverter converter(graphics);
    ID3D10Device1* device = converter.device();
    const TextureCase cases[] = {
        {"DDS DXT1 256x256", dds_file("DXT1", 256, 256, 8), 256, 256},
        {"DDS DXT5 256x256", dds_file("DXT5", 256, 256, 16), 256, 256},
        {"TGA 24-bit 512x512", tga24_file(512, 512), 512, 512},
    };
    constexpr int warm_up = 3;
    constexpr int runs = 51;
    std::printf("texture conversion, median of %d runs (each: decode, then one texel read back);\n"
                "best run in brackets\n",
                runs);
    std::printf("  %-20s %19s %19s %7s %19s %7s %14s\n", "file", "convert ms", "upload ms", "ratio", "upload+copy ms",
                "ratio", "convert Mpx/s");
    for (const TextureCase& texture : cases) {
        auto convert = [&] {
            ComPtr<IDXGIResource> converted = Render::decode_image_file<ComPtr<IDXGIResource>>(
                blob_over(texture.file), [&](const Render::PixelSource& source) { return converter.convert(source); });
            ComPtr<ID3D10Texture2D> result;
            App::check(converted.As(&result), "IDXGIResource::QueryInterface");
            sink = read_first_texel(device, result.Get());
        };
        // The least an upload does: the stored bytes into an immutable texture as they are.
        // A driver may keep such a texture in memory until it is first used on the device
        // (Wine's does), so the second figure also copies it once there, as every use must.
        auto upload = [&](bool copied) {
            Render::decode_image_file<void>(blob_over(texture.file), [&](const Render::PixelSource& source) {
                ComPtr<ID3D10Texture2D> stored = Render::upload_as_stored(device, source);
                if (!copied) {
                    sink = read_first_texel(device, stored.Get());
                    return;
                }
                D3D10_TEXTURE2D_DESC description = {};
                stored->GetDesc(&description);
                description.Usage = D3D10_USAGE_DEFAULT;
                ComPtr<ID3D10Texture2D> copy = App::create_texture_2d(device, description, nullptr);
                device->CopyResource(copy.Get(), stored.Get());
                sink = read_first_texel(device, copy.Get());
            });
        };
        const std::vector<Timing> t = time_ms(warm_up, runs, {convert, [&] { upload(false); }, [&] { upload(true); }});
        const double megapixels = static_cast<double>(texture.width) * texture.height / 1e6;
        std::printf("  %-20s %9.3f (%7.3f) %9.3f (%7.3f) %7.2f %9.3f (%7.3f) %7.2f %14.1f\n", texture.name, t[0].median,
                    t[0].best, t[1].median, t[1].best, t[0].median / t[1].median, t[2].median, t[2].best,
                    t[0].median / t[2].median, megapixels / (t[0].median / 1000.0));
    }
}

void bench_mod_load(Gfx::GraphicsContext& graphics)
{
    const std::string module = std::string(TVSE_SAMPLE_DIR) + "\\Bastion.module";
    constexpr int warm_up = 1;
    constexpr int runs = 15;
    std::unique_ptr<Mod::LoadedMod> mod; // closed outside the timing
    auto load = [&](bool with_resources) {
        mod = std::make_unique<Mod::LoadedMod>();
        if (with_resources)
            mod->set_resource_builder(Render::resource_set_builder());
        mod->load(&graphics, module);
        mod->wait_until_loaded(Platform::wait_forever);
        if (with_resources && !mod->resources())
            throw std::runtime_error("no resource set was built");
    };
    const std::vector<Timing> t =
        time_ms(warm_up, runs, {[&] { load(false); }, [&] { load(true); }}, [&] { mod.reset(); });
    std::printf("\nbackground load of the sample's Bastion.module, median of %d runs (best)\n", runs);
    std::printf("  %-22s %9.2f ms (%7.2f)\n", "without resource set", t[0].median, t[0].best);
    std::printf("  %-22s %9.2f ms (%7.2f)\n", "with resource set", t[1].median, t[1].best);
    std::printf("  %-22s %9.2f ms (%7.2f)\n", "resource set's share", t[1].median - t[0].median,
                t[1].best - t[0].best);
}

} // namespace

int main()
{
    int status = 0;
    try {
        App::check(CoInitialize(nullptr), "CoInitialize");
        auto* graphics = new Gfx::GraphicsContext; // never released: the process ends below
        Gfx::create_graphics_context(*graphics);
        bench_conversion(*graphics);
        bench_mod_load(*graphics);
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "bench_render: %s\n", failure.what());
        status = 1;
    }
    // Under Wine a process that has used Direct2D sometimes hangs while its DLLs detach:
    // end at once once the figures are out.
    std::fflush(stdout);
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(status));
    return status;
}
