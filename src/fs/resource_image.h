#pragma once
// Pictures carried in the program's own executable as resources of type "PNG": a WIC
// stream over the resource's bytes in place, the decoded image in 32-bit premultiplied
// BGRA, and a top-down DIB section for the controls that want GDI bitmaps.

#include <wincodec.h>
#include <windows.h>
#include <wrl/client.h>

#include <utility>

namespace Images {

// A stream over the bytes of the executable's "PNG" resource `name`; nothing is copied.
// Raises std::runtime_error "Could not load resource <name>" when the resource is
// missing, "Could not create stream around resource <name>" when the stream refuses
// the bytes, and COMException "IWICImagingFactory::CreateStream".
Microsoft::WRL::ComPtr<IWICStream> open_png_resource(IWICImagingFactory* factory, const char* name);

// The stream's first frame converted to GUID_WICPixelFormat32bppPBGRA. Raises
// COMException naming the failed WIC call.
Microsoft::WRL::ComPtr<IWICBitmapSource> decode_image(IWICImagingFactory* factory, IWICStream* stream);

// A 32-bit DIB section, rows top-down, holding the source's pixels, and its bits. The
// caller owns the bitmap (DeleteObject); the bits belong to it. Raises
// std::runtime_error "Empty source" for a source without pixels, "Couldn't create DIB
// section", or COMException "IWICBitmapSource::CopyPixels" (the bitmap is deleted).
std::pair<HBITMAP, void*> make_dib_section(IWICBitmapSource* source);

} // namespace Images
