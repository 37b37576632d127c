#pragma once
// A tool-strip button that shows a line of text and a drop-down mark instead of an
// icon: the preview resolution's choice. It is as wide as its text needs.

#include "ui/tool_button.h"

#include <dwrite.h>

#include <string>

namespace Ui {

class TextToolButton : public ToolButton {
public:
    TextToolButton(IDWriteFactory* dwrite_factory, IDWriteTextFormat* format, ToolStripBrushes& brushes,
                   std::function<void()> on_click);

    // Lays out `text` and takes the width it needs.
    void set_text(const std::wstring& text);
    const std::wstring& text() const { return m_text; }

    void draw(ID2D1RenderTarget* target) override;

private:
    Microsoft::WRL::ComPtr<IDWriteFactory> m_factory;
    Microsoft::WRL::ComPtr<IDWriteTextFormat> m_format;
    Microsoft::WRL::ComPtr<IDWriteTextLayout> m_layout;
    std::wstring m_text;
};

} // namespace Ui
