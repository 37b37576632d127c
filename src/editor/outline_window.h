#pragma once
// "Outline": the floating tool window with the screen's widget tree. Selecting an item
// selects its widget in the editor, double-clicking one hides or shows it, and the
// "Emphasize Selection" box dims everything but the selection; selection and
// visibility changes made elsewhere come back through the editor observer.

#include "editor/tool_window.h"
#include "screen/editor_observer.h"

#include <commctrl.h>

#include <memory>
#include <string>

namespace Screen {
class Widget;
}

namespace Ui {
class EditorWorkspace;
}

namespace Editor {

class OutlineWindow : public ToolWindow {
public:
    // Creates and shows the window without activating it. The editor must outlive it
    // (the editor's tool windows close with it). The window deletes the object after
    // its last message.
    static OutlineWindow* open(Ui::EditorWorkspace& editor);
    ~OutlineWindow() override;

    // This kind's frame for the whole run: first 200 x 300, not placed.
    static RememberedFrame& remembered_frame();

    HWND tree() const { return m_tree; }
    HWND check_box() const { return m_check_box; }
    // The item carrying `widget` (the screen's own item for null), or null.
    HTREEITEM item_of(const Screen::Widget* widget) const;
    // The live widget `item` carries, or null.
    Screen::Widget* widget_of(HTREEITEM item) const;
    // The editor loaded its screen again: the tree is built anew from the new document,
    // which the window listens to from now on.
    void document_replaced();

protected:
    LRESULT window_message(UINT message, WPARAM wparam, LPARAM lparam) override;
    void describe_class(WNDCLASSEXW& description) override;
    void on_resized(int width, int height) override;

private:
    class Observer;
    explicit OutlineWindow(Ui::EditorWorkspace& editor);

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
    // Runs the editor's undo, redo and copy keys; true when the key was one of them.
    bool key_pressed(WORD key);
    void property_changed(Screen::Widget* widget, int property);
    void selection_changed(Screen::Widget* widget);

    Ui::EditorWorkspace& m_editor;
    HWND m_tree = nullptr;
    HWND m_check_box = nullptr;
    SIZE m_box_size{};
    std::shared_ptr<Observer> m_observer;
    HIMAGELIST m_images = nullptr;
    bool m_emptying = false; // the tree's own selection changes then select nothing
};

} // namespace Editor
