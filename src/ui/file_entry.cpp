#include "ui/file_entry.h"

#include "app/dwrite_calls.h"
#include "ui/file_selector.h"
#include "ui/text_format.h"

#include <algorithm>
#include <cmath>

namespace Ui {

std::string join_path(const std::string& folder, const std::string& name)
{
    if (!folder.empty() && (folder.back() == '\\' || folder.back() == '/'))
        return folder + name;
    return folder + "\\" + name;
}

float cell_line_height(UINT32 line_count, float height)
{
    // An empty text still has its one line; never divide by zero.
    double lines = line_count > 0 ? line_count : 1;
    return static_cast<float>(std::ceil((lines + 0.5) / lines * height));
}


FileEntry::FileEntry(FileSelector& selector, std::string path) : m_selector(&selector), m_path(std::move(path))
{
    IDWriteFactory* factory = selector.graphics()->dwrite_factory.Get();
    float entry_height = 0.0f;
    for (std::size_t column = 0; column < selector.column_count(); ++column) {
        std::wstring text = selector.cell_text(column, m_path);
        m_cells.push_back(create_text_layout(text, factory, selector.cell_format()));
        DWRITE_TEXT_METRICS metrics = App::get_metrics(m_cells.back().Get());
        m_cell_widths.push_back(metrics.width);
        entry_height = std::max(entry_height, cell_line_height(metrics.lineCount, metrics.height));
    }
    // The cell format centres the text vertically in this height.
    for (const auto& cell : m_cells)
        App::set_max_height(cell.Get(), entry_height);
    m_width = 100.0f;
    m_height = entry_height;
}

void FileEntry::clicked()
{
    // Choosing replaces the list: work on copies, not on this entry's members.
    FileSelector* selector = m_selector;
    const std::string path = m_path;
    selector->choose(path);
}

void FileEntry::draw(ID2D1RenderTarget* target)
{
    const FileSelectorBrushes& brushes = m_selector->brushes(target);
    bool hovered = (m_hover_state & chain_inside) != 0;
    if (hovered) {
        span_vertically(brushes.highlight.Get(), m_height);
        D2D1_ROUNDED_RECT shape = D2D1::RoundedRect(D2D1::RectF(0.5f, 0.5f, m_width - 0.5f, m_height - 0.5f), 2.0f, 2.0f);
        target->FillRoundedRectangle(shape, brushes.highlight.Get());
        target->DrawRoundedRectangle(shape, brushes.highlight_outline.Get(), 1.0f);
    }
    ID2D1Brush* text = hovered ? brushes.hover_text.Get() : brushes.entry_text.Get();
    float x = file_cell_indent;
    for (std::size_t column = 0; column < m_cells.size(); ++column) {
        target->DrawTextLayout(D2D1::Point2F(x, 0.0f), m_cells[column].Get(), text);
        if (column < m_selector->column_count())
            x += m_selector->column_width(column) + file_cell_indent;
    }
}

} // namespace Ui
