#pragma once
// The colours of the tool strip and its buttons: made on the first draw, shared by the
// strip and every button, dropped with the render target.

#include <d2d1.h>
#include <wrl/client.h>

namespace Ui {

struct ToolStripBrushes {
    Microsoft::WRL::ComPtr<ID2D1LinearGradientBrush> background; // vertical, spanned to the strip
    Microsoft::WRL::ComPtr<ID2D1SolidColorBrush> rule;           // bottom edge and group separator
    Microsoft::WRL::ComPtr<ID2D1SolidColorBrush> text;
    Microsoft::WRL::ComPtr<ID2D1SolidColorBrush> alert; // the status line's text
    Microsoft::WRL::ComPtr<ID2D1SolidColorBrush> hover_fill;
    Microsoft::WRL::ComPtr<ID2D1SolidColorBrush> hover_outline;
    Microsoft::WRL::ComPtr<ID2D1SolidColorBrush> chosen_fill; // the current tool, and a button held down
    Microsoft::WRL::ComPtr<ID2D1SolidColorBrush> chosen_outline;

    bool created() const { return background != nullptr; }
    // Makes every brush; on failure none is kept, so the next draw tries again.
    void create(ID2D1RenderTarget* target);
    void release() { *this = ToolStripBrushes(); }
};

} // namespace Ui
