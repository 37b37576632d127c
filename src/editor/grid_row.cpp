#include "editor/grid_row.h"

namespace Editor {

HWND GridRow::open_popup(HWND)
{
    return nullptr;
}

void GridRow::commit(const std::u16string& text)
{
    m_value_text = text;
}

void GridRow::repaint() const
{
    if (!m_tree || !m_item)
        return;
    RECT rect{};
    // Nothing to do for a row scrolled out of view or under a collapsed parent.
    if (TreeView_GetItemRect(m_tree, m_item, &rect, FALSE))
        InvalidateRect(m_tree, &rect, TRUE);
}

} // namespace Editor
