#pragma once
// The tool icon atlas: one bitmap from which every tool button draws its icon. Its upper
// row is the "TOOLBAR" picture as stored; its lower row the "WIDGET_TYPES" icons, each
// with the toolbar's plus badge drawn over it, so that each reads as adding a widget of
// that type. Both pictures come from the program's resources.

#include <d2d1.h>
#include <wincodec.h>
#include <wrl/client.h>

namespace Editor {

// Where the plus badge sits in the atlas's upper row.
constexpr D2D1_RECT_F tool_atlas_badge_cell = {48.0f, 0.0f, 64.0f, 16.0f};

// Composes the atlas on `target` (the size of "TOOLBAR", in DIPs); it can be drawn only
// there. Raises the resource errors of Images and COMException naming the failed call.
Microsoft::WRL::ComPtr<ID2D1Bitmap> compose_tool_atlas(ID2D1RenderTarget* target, IWICImagingFactory* wic_factory);

} // namespace Editor
