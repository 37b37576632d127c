#pragma once
// One row of the property grid: a name in the tree, a value text drawn in the value
// column, perhaps a button at its right edge, perhaps an in-place text editor. The grid
// owns its rows; each tree item carries its row as the item parameter.

#include <windows.h>
#include <commctrl.h>

#include <string>

namespace Editor {

// The button drawn at the right edge of a row's value column.
enum class RowButton : int {
    none = 0,
    side_panel = 1, // a right-pointing triangle: opens a side panel
    drop_down = 2,  // a down-pointing triangle: opens a list
    close = 3,      // the theme's close button
};

class GridRow {
public:
    GridRow() = default;
    GridRow(RowButton button, bool editable) : m_button(button), m_editable(editable) {}
    virtual ~GridRow() = default;
    GridRow(const GridRow&) = delete;
    GridRow& operator=(const GridRow&) = delete;

    // The window the row's button opens (a popup the grid places over the row, or a
    // docked child window it leaves where it is), or null: a plain row opens nothing.
    virtual HWND open_popup(HWND tree);
    // The notification without arguments (a choice row advances to its next entry);
    // a plain row ignores it.
    virtual void advance() {}
    // The editor's whole current text: on every change, or once the edit is done for a
    // row that does not commit live. A plain row keeps it as its value text and nothing
    // else happens.
    virtual void commit(const std::u16string& text);
    // Reads the value text again from what the row shows, which changed elsewhere; a
    // plain row keeps its text.
    virtual void refresh() {}

    RowButton button() const { return m_button; }
    bool editable() const { return m_editable; }
    // Whether typed text is committed on every change, or only when the edit is done
    // (Enter, Tab, the focus leaving): a name must not pass through every prefix.
    bool commits_live() const { return m_commits_live; }
    // Drawn faded, with no editor: the value is there to be read.
    bool read_only() const { return m_read_only; }
    const std::u16string& value_text() const { return m_value_text; }
    void set_value_text(std::u16string text) { m_value_text = std::move(text); }

    // Set by the grid when it inserts the row.
    void attach(HWND tree, HTREEITEM item)
    {
        m_tree = tree;
        m_item = item;
    }
    HWND tree() const { return m_tree; }
    HTREEITEM item() const { return m_item; }
    // Repaints the row's rectangle in the tree (nothing before it is inserted).
    void repaint() const;

protected:
    RowButton m_button = RowButton::none;
    bool m_editable = false;
    bool m_commits_live = true;
    bool m_read_only = false;
    std::u16string m_value_text;

private:
    HWND m_tree = nullptr;
    HTREEITEM m_item = nullptr;
};

} // namespace Editor
