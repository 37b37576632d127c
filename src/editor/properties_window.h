#pragma once
// "Properties": the floating tool window with the selected widget's property grid. It
// is hidden while nothing is selected, and hosts the string chooser docked at its right
// edge when a text row's button opens it.

#include "editor/tool_window.h"
#include "screen/editor_observer.h"

#include <memory>
#include <optional>

namespace Screen {
class Widget;
}

namespace Ui {
class EditorWorkspace;
}

namespace Editor {

class PropTree;
class TextRow;
class UcsChoice;

class PropertiesWindow : public ToolWindow {
public:
    // Creates the window; shows it when a widget is selected. The editor must outlive
    // it. The window deletes the object after its last message.
    static PropertiesWindow* open(Ui::EditorWorkspace& editor);
    ~PropertiesWindow() override;

    // This kind's frame for the whole run: first 250 x 300, not placed.
    static RememberedFrame& remembered_frame();

    // Rebuilds the grid for `widget`; shows the window (without activating, moving or
    // resizing it) for a widget, hides it for none.
    void show_widget(Screen::Widget* widget);
    // The editor loaded its screen again: listens to the new document.
    void document_replaced();
    // Docks `window` (a child of this one) at the right edge, replacing the one docked
    // before, and widens the window by its width; null undocks. A window widened past
    // the screen's edge moves left until the chooser goes.
    void dock(HWND window);

    PropTree* grid() const { return m_grid; }
    HWND docked() const { return m_docked; }
    int docked_width() const { return m_docked_width; }
    Screen::Widget* widget() const;

protected:
    LRESULT window_message(UINT message, WPARAM wparam, LPARAM lparam) override;
    void describe_class(WNDCLASSEXW& description) override;
    void on_resized(int width, int height) override;

private:
    class Observer;
    explicit PropertiesWindow(Ui::EditorWorkspace& editor);

    void build();
    HWND open_chooser(TextRow& row);
    // Widens (or narrows) the window by `delta` client pixels, its position unchanged.
    void widen(int delta);

    Ui::EditorWorkspace& m_editor;
    PropTree* m_grid = nullptr; // a child window: deletes itself with its window
    std::shared_ptr<Observer> m_observer;
    Screen::Widget* m_widget = nullptr;
    HWND m_docked = nullptr;
    int m_docked_width = 0;
    // The row that opened the docked chooser, while the grid still shows it.
    const TextRow* m_docked_row = nullptr;
    std::optional<int> m_left_before_docking;
    bool m_closing = false;
};

} // namespace Editor
