#pragma once
// One-call wrappers of the WIC methods the program uses.

#include "app/com_call.h"

#include <wincodec.h>
#include <wrl/client.h>

namespace App {

inline Microsoft::WRL::ComPtr<IWICStream> create_stream(IWICImagingFactory* factory)
{
    Microsoft::WRL::ComPtr<IWICStream> stream;
    check(factory->CreateStream(&stream), "IWICImagingFactory::CreateStream");
    return stream;
}

inline Microsoft::WRL::ComPtr<IWICBitmapDecoder> create_decoder_from_stream(IWICImagingFactory* factory,
                                                                           IStream* stream, const GUID* vendor,
                                                                           WICDecodeOptions options)
{
    Microsoft::WRL::ComPtr<IWICBitmapDecoder> decoder;
    check(factory->CreateDecoderFromStream(stream, vendor, options, &decoder),
          "IWICImagingFactory::CreateDecoderFromStream");
    return decoder;
}

inline Microsoft::WRL::ComPtr<IWICBitmapFrameDecode> get_frame(IWICBitmapDecoder* decoder, UINT index)
{
    Microsoft::WRL::ComPtr<IWICBitmapFrameDecode> frame;
    check(decoder->GetFrame(index, &frame), "IWICBitmapDecoder::GetFrame");
    return frame;
}

inline Microsoft::WRL::ComPtr<IWICFormatConverter> create_format_converter(IWICImagingFactory* factory)
{
    Microsoft::WRL::ComPtr<IWICFormatConverter> converter;
    check(factory->CreateFormatConverter(&converter), "IWICImagingFactory::CreateFormatConverter");
    return converter;
}

inline void initialize_format_converter(IWICFormatConverter* converter, IWICBitmapSource* source,
                                        REFWICPixelFormatGUID format, WICBitmapDitherType dither,
                                        IWICPalette* palette, double alpha_threshold,
                                        WICBitmapPaletteType palette_type)
{
    check(converter->Initialize(source, format, dither, palette, alpha_threshold, palette_type),
          "IWICFormatConverter::Initialize");
}

inline void get_size(IWICBitmapSource* source, UINT* width, UINT* height)
{
    check(source->GetSize(width, height), "IWICBitmapSource::GetSize");
}

inline void copy_pixels(IWICBitmapSource* source, const WICRect* rect, UINT stride, UINT size, BYTE* buffer)
{
    check(source->CopyPixels(rect, stride, size, buffer), "IWICBitmapSource::CopyPixels");
}

inline Microsoft::WRL::ComPtr<IWICBitmap> create_bitmap(IWICImagingFactory* factory, UINT width, UINT height,
                                                       REFWICPixelFormatGUID format,
                                                       WICBitmapCreateCacheOption option)
{
    Microsoft::WRL::ComPtr<IWICBitmap> bitmap;
    check(factory->CreateBitmap(width, height, format, option, &bitmap), "IWICImagingFactory::CreateBitmap");
    return bitmap;
}

} // namespace App
