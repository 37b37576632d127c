#pragma once
// "Outline": the floating tool window with the screen's widget tree. Selecting an item
// selects its widget in the editor, double-clicking one hides or shows it, and the
// "Emphasize Selection" box dims everything but the selection; selection and
// visibility changes made elsewhere come back through the editor session. An item's
// label edit (or F2) renames its widget.

#include "editor/editor_listener.h"
#include "editor/editor_session.h"
#include "editor/tool_window.h"

#include <commctrl.h>

#include <memory>
#include <string>

namespace Screen {
class Widget;
}

namespace Editor {

class EditorWorkspace;

class OutlineWindow : public ToolWindow, private EditorListener {
public:
    // Creates and shows the window, owned by `owner`, without activating it. The editor
    // must outlive it (the editor's tool windows close with it). The window deletes the
    // object after its last message.
    static OutlineWindow* open(EditorWorkspace& editor, HWND owner);
    ~OutlineWindow() override;

    // This kind's frame for the whole run: first 200 x 300 DIPs, not placed.
    static RememberedFrame& remembered_frame();

    HWND tree() const { return m_tree; }
    HWND check_box() const { return m_check_box; }
    // The item carrying `widget` (the screen's own item for null), or null.
    HTREEITEM item_of(const Screen::Widget* widget) const;
    // The live widget `item` carries, or null.
    Screen::Widget* widget_of(HTREEITEM item) const;
    // Starts editing the selected widget's label, which renames it when the edit ends.
    void begin_rename();

protected:
    LRESULT window_message(UINT message, WPARAM wparam, LPARAM lparam) override;
    void describe_class(WNDCLASSEXW& description) override;
    void on_resized(int width, int height) override;

private:
    explicit OutlineWindow(EditorWorkspace& editor);

    void build(const std::string& screen_name);
    void fill_tree(const std::string& screen_name);
    // An item with the same normal, selected and expanded image.
    HTREEITEM insert_item(HTREEITEM parent, HTREEITEM after, const std::string& name, int image, bool expanded,
                          Screen::Widget* widget);
    void insert_widget(HTREEITEM parent, Screen::Widget* widget);
    void load_icons();
    void set_image(HTREEITEM item, int image);
    void tree_selection_changed(const NMTREEVIEWW& change);
    void double_clicked();
    void emphasis_clicked();
    // F2 renames; the editor's keys that need no focus on the screen go to the editor;
    // true when the key was taken.
    bool key_pressed(WORD key);
    // Whether a label edit may start on `item` (only a widget's), and what its end does.
    bool label_edit_allowed(HTREEITEM item) const;
    void label_edited(const NMTVDISPINFOW& edit);
    void property_changed(Screen::Widget* widget, int property) override;
    void selection_changed(Screen::Widget* widget) override;
    // The session's document is a new one: the tree is built anew from it.
    void document_replaced() override;

    EditorWorkspace& m_editor;
    EditorSession& m_session;
    HWND m_tree = nullptr;
    HWND m_check_box = nullptr;
    SIZE m_box_size{};
    EditorSession::Subscription m_subscription;
    HIMAGELIST m_images = nullptr;
    bool m_emptying = false; // the tree's own selection changes then select nothing
};

} // namespace Editor
