#pragma once
// "PropTree": the property grid control. A child window holding a SysTreeView32 whose
// items are the rows (name column) and which draws the value column itself: value
// texts, themed buttons at the right edge, a splitter between the columns, and in-place
// "Edit" editors and popups opened over a row's value.

#include "editor/grid_row.h"
#include "gfx/native_window.h"

#include <uxtheme.h>

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace Editor {

class PropTree : public Gfx::NativeWindow {
public:
    // Creates the control as a visible child of `parent` over (x, y, width, height) of
    // its client area. The window deletes the object after its last message.
    static PropTree* create(HWND parent, int x, int y, int width, int height);
    ~PropTree() override;

    HWND tree() const { return m_tree; }

    // Removes every row, closing an open editor first.
    void clear();
    // Inserts `row` named `name` as the first child of `parent` (TVI_ROOT: a top-level
    // row, drawn as a header bar) and enters it in the index by its name. The grid owns
    // the row.
    HTREEITEM insert_row(HTREEITEM parent, const std::u16string& name, std::unique_ptr<GridRow> row);
    // A top-level group row with no value, shown bold.
    HTREEITEM insert_group(const std::u16string& name);
    // Expands or collapses `item` (once its children are inserted).
    void expand(HTREEITEM item, bool expanded);
    // The row entered under `name`, or null.
    GridRow* row(std::u16string_view name) const;
    // The row of `item`, or null.
    GridRow* row_of(HTREEITEM item) const;

    // Hides the open editor or popup and destroys it later, from the message loop. A
    // docked side window that a row's button returned is not the grid's, and stays.
    // Text typed into a row that does not commit live is dropped.
    void close_editor();
    // Ends the open text edit as the user does: what a row that does not commit live
    // was given is committed, then the editor closes.
    void finish_editor();
    // Ends it as Escape does: the row goes back to the value it had when the editor
    // opened, with no undo step left behind, and the editor closes.
    void cancel_editor();
    GridRow* active_row() const { return m_active_row; }
    HWND editor_window() const { return m_editor; }

    // Every row reads its value again (the shown widget changed elsewhere), and an open
    // text editor shows its row's new value.
    void refresh_rows();

    // Asked first about every key pressed in the tree; true when it took the key.
    void set_key_handler(std::function<bool(UINT key)> handler) { m_key_handler = std::move(handler); }
    // Asked to take back the undo step of an editor's keystrokes (its run) on Escape;
    // true when it did.
    void set_revert_handler(std::function<bool(std::uint64_t run)> handler) { m_revert_handler = std::move(handler); }

    // The next (or previous) row from `item` down (or up) the visible rows that opens a
    // text editor, wrapping around; null when there is none but `item` itself.
    HTREEITEM next_editable_row(HTREEITEM item, bool forward) const;

    int name_column_width() const { return m_name_width; }
    void set_name_column_width(int width);
    int button_width() const { return m_button_width; }
    static constexpr int splitter_width = 5;
    // The blended colour of header texts: 0.7/0.3, 0.75/0.25, 0.8/0.2 of face and text
    // for red, green and blue, each rounded to nearest.
    static COLORREF header_text_colour(COLORREF face, COLORREF text);

protected:
    LRESULT handle_message(UINT message, WPARAM wparam, LPARAM lparam) override;
    void describe_class(WNDCLASSEXW& description) override;

private:
    // An open theme handle, closed with its owner.
    class Theme {
    public:
        Theme() = default;
        ~Theme() { reset(); }
        Theme(const Theme&) = delete;
        Theme& operator=(const Theme&) = delete;
        void open(HWND hwnd, const wchar_t* class_list);
        void reset();
        HTHEME get() const { return m_theme; }

    private:
        HTHEME m_theme = nullptr;
    };

    struct Colours {
        COLORREF window = 0;
        COLORREF window_text = 0;
        COLORREF face = 0;
        COLORREF face_text = 0;
        COLORREF highlight = 0;
        COLORREF highlight_text = 0;
        COLORREF gray_text = 0;
        COLORREF header_text = 0;
    };

    PropTree() = default;

    void create_tree(int width, int height);
    void load_theme();
    void update_metrics();

    LRESULT on_notify(const NMHDR& header);
    LRESULT on_custom_draw(NMTVCUSTOMDRAW& draw);
    void draw_item_background(NMTVCUSTOMDRAW& draw, const GridRow* row);
    void draw_item_value(const NMTVCUSTOMDRAW& draw, const GridRow* row);
    void draw_button(HDC dc, const RECT& rect, RowButton kind, HTREEITEM item) const;
    void on_selection_changed(HTREEITEM item);

    // The tree's own messages, before the tree sees them; true when handled.
    bool on_tree_message(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);
    void on_mouse_move(int x, int y);
    // True when the tree must not see the press.
    bool on_left_down(int x, int y);
    void on_left_up(int x, int y);
    bool on_double_click(int x, int y);
    bool on_set_cursor();
    void on_editor_command(WPARAM wparam);
    // Enter, Escape, Tab and Shift+Tab in the open text editor.
    void on_editor_key(WPARAM key);
    void on_popup_command(WPARAM wparam);

    void open_text_editor(GridRow* row, HTREEITEM item);
    void open_popup_of(GridRow* row, HTREEITEM item);
    void place_popup(HWND popup, HTREEITEM item) const;
    // Moves the open text editor along with its row (after an expansion moved the rows),
    // or closes it when its row is out of sight.
    void place_editor();
    // False when the row is out of sight.
    bool editor_rectangle(HTREEITEM item, const GridRow& row, RECT& rectangle) const;

    void set_hot_item(HTREEITEM item);
    void invalidate_button_strip(int client_width) const;
    HTREEITEM item_at(int x, int y, UINT* flags = nullptr) const;
    int tree_client_width() const;

    // The popup's notifications go to its owner (a top-level window), which is
    // subclassed while the popup is open.
    void listen_to_owner(HWND owner);
    void stop_listening_to_owner();

    static LRESULT CALLBACK tree_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR id,
                                           DWORD_PTR data);
    static LRESULT CALLBACK owner_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR id,
                                            DWORD_PTR data);
    static LRESULT CALLBACK editor_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR id,
                                             DWORD_PTR data);

    HWND m_tree = nullptr;
    HFONT m_font = nullptr; // the tree's
    int m_text_height = 0;
    int m_name_width = 100;
    int m_button_width = 0;
    int m_indent = 0;
    int m_width = 0;
    int m_height = 0;
    Theme m_tree_theme;
    Theme m_button_theme;
    Theme m_window_theme;
    Colours m_colours;

    GridRow* m_active_row = nullptr;
    HWND m_editor = nullptr;
    bool m_editor_is_popup = false;
    std::function<bool(UINT key)> m_key_handler;
    std::function<bool(std::uint64_t run)> m_revert_handler;
    std::uint64_t m_edit_run = 0; // the open text editor's keystrokes are one undo step
    std::u16string m_editor_original; // the row's value when the editor opened (or last changed elsewhere)
    bool m_committing = false;   // the open editor's text is going to its row
    bool m_setting_text = false; // the grid itself is changing the editor's text
    HWND m_owner = nullptr; // subclassed for the popup's notifications

    HTREEITEM m_hot_item = nullptr;     // under the pointer, in the button strip
    HTREEITEM m_pressed_item = nullptr; // where the left button went down in the strip
    bool m_pressed = false;             // the left button is down (outside the splitter)
    bool m_dragging = false;            // the splitter is being dragged
    bool m_tracking_leave = false;
    GridRow* m_dismissed_row = nullptr; // whose list a press on its button just closed
    bool m_clearing = false;

    std::vector<std::unique_ptr<GridRow>> m_rows;
    std::map<std::u16string, GridRow*, std::less<>> m_index;
};

// Where the pointer is across a row.
enum class GridZone { name, splitter, value, button };
// `row_has_button`: whether the row under the pointer draws a button (otherwise its
// value reaches the right edge).
GridZone grid_zone(int x, int client_width, int name_width, int button_width, bool row_has_button);

// The name column width while the splitter is dragged to `pointer_x`: the splitter's
// middle follows the pointer, and each column keeps at least the splitter and one indent.
int clamp_name_width(int pointer_x, int client_width, int indent);

// The value buttons' width: the item height, made odd so that a triangle has a middle.
int odd_button_width(int item_height);

// The filled triangle on a button: right-pointing for side_panel, down-pointing for
// drop_down.
std::array<POINT, 3> triangle_points(const RECT& button, RowButton kind);

// A popup over a row (`row` in screen coordinates): from the splitter's middle, one pixel
// above the row, as wide as the rest of the row or its own width if wider, its own
// height; then moved, if it must, to lie inside `area` (the monitor's work area).
RECT popup_rectangle(const RECT& row, int name_width, SIZE popup, const RECT& area);

} // namespace Editor
