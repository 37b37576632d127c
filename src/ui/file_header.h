#pragma once
// Shown above a FileSelector's detail: the chosen file's path on a dark bar, centred.
// Clicking it goes back to the list.

#include "ui/clickable_element.h"

#include <dwrite.h>
#include <wrl/client.h>

#include <string>

namespace Ui {

class FileSelector;

class FileHeader : public ClickableElement {
public:
    FileHeader(FileSelector& selector, const std::string& path);

    // One line of the heading format with some air: ceil(1.5 x its height).
    float natural_height() const { return m_natural_height; }
    IDWriteTextLayout* text() const { return m_text.Get(); }

    void draw(ID2D1RenderTarget* target) override;
    void on_resized() override;

protected:
    void clicked() override;

private:
    FileSelector* m_selector;
    Microsoft::WRL::ComPtr<IDWriteTextLayout> m_text;
    float m_natural_height = 0.0f;
};

} // namespace Ui
