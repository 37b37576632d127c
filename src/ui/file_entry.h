#pragma once
// One file of a FileSelector: a row of cell texts, highlighted while hovered. A
// left-button click (released while still over it) chooses the file.

#include "ui/clickable_element.h"

#include <dwrite.h>
#include <wrl/client.h>

#include <string>
#include <vector>

namespace Ui {

class FileSelector;

class FileEntry : public ClickableElement {
public:
    // `path`: the folder, a "\" unless it already ends in a separator, and the name.
    FileEntry(FileSelector& selector, std::string path);

    const std::string& path() const { return m_path; }
    std::size_t cell_count() const { return m_cells.size(); }
    IDWriteTextLayout* cell(std::size_t column) const { return m_cells[column].Get(); }
    float cell_width(std::size_t column) const { return m_cell_widths[column]; }

    void draw(ID2D1RenderTarget* target) override;

protected:
    void clicked() override;

private:
    FileSelector* m_selector;
    std::vector<Microsoft::WRL::ComPtr<IDWriteTextLayout>> m_cells;
    std::vector<float> m_cell_widths;
    std::string m_path;
};

// The entry's path for `name` in `folder`.
std::string join_path(const std::string& folder, const std::string& name);

// Height of a cell with `line_count` lines measuring `height`: half a line of padding.
float cell_line_height(UINT32 line_count, float height);

} // namespace Ui
