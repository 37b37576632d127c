#pragma once
// What opening a screen shows until the editor workspace exists: the screen's path,
// display name and a summary of what was built from it, centred.

#include "gfx/graphics_context.h"
#include "ui/element.h"

#include <dwrite.h>
#include <wrl/client.h>

#include <string>

namespace Start {

class ScreenPlaceholder : public Ui::Element {
public:
    ScreenPlaceholder(Gfx::GraphicsContext* graphics, const std::string& path, const std::string& display_name,
                      const std::wstring& summary);

    const std::wstring& text() const { return m_text; }

    // Covers its area, but is not interactive.
    Ui::HitResult hit_test(float x, float y) override;
    void draw(ID2D1RenderTarget* target) override;
    void on_resized() override;

private:
    std::wstring m_text;
    Microsoft::WRL::ComPtr<IDWriteTextLayout> m_layout;
    Microsoft::WRL::ComPtr<ID2D1SolidColorBrush> m_brush;
};

} // namespace Start
