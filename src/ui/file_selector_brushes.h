#pragma once
// The colours of the file selector, its groups, entries and header: made once, on the
// first draw, and shared by all of them.

#include <d2d1.h>
#include <wrl/client.h>

namespace Ui {

struct FileSelectorBrushes {
    // Vertical gradients; their end points are set to the element being drawn.
    Microsoft::WRL::ComPtr<ID2D1LinearGradientBrush> background;
    Microsoft::WRL::ComPtr<ID2D1LinearGradientBrush> highlight;
    Microsoft::WRL::ComPtr<ID2D1LinearGradientBrush> header_background;
    Microsoft::WRL::ComPtr<ID2D1SolidColorBrush> heading_text; // group headings, empty-folder line, title
    Microsoft::WRL::ComPtr<ID2D1SolidColorBrush> rule;
    Microsoft::WRL::ComPtr<ID2D1SolidColorBrush> entry_text;
    Microsoft::WRL::ComPtr<ID2D1SolidColorBrush> hover_text; // entries and header
    Microsoft::WRL::ComPtr<ID2D1SolidColorBrush> highlight_outline;
    Microsoft::WRL::ComPtr<ID2D1SolidColorBrush> header_text;

    bool created() const { return background != nullptr; }
    // Makes every brush; on failure none is kept, so the next draw tries again.
    void create(ID2D1RenderTarget* target);
};

// An opaque colour from 8-bit components.
D2D1_COLOR_F rgb(int red, int green, int blue);

// Points `brush` from the top to the bottom of an element `height` DIPs tall.
void span_vertically(ID2D1LinearGradientBrush* brush, float height);

} // namespace Ui
