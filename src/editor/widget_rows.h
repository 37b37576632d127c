#pragma once
// The property grid's rows for one widget: each reads its value from the widget and
// writes what the user enters through the widget's setters, which write the widget's
// table and tell the editor's observers. Rows that follow a property listen for it and
// refresh their value text when it changes, whoever changed it.

#include "editor/choice_row.h"
#include "editor/grid_row.h"
#include "editor/value_text.h"
#include "screen/editor_observer.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace Screen {
class Widget;
class ButtonWidget;
} // namespace Screen

namespace Editor {

// What a row of a widget shares: the widget (checked to be alive before each use) and
// the listener that refreshes the row when the widget's property changes.
class WidgetBinding {
public:
    WidgetBinding(Screen::Widget& widget, GridRow& row, int property, std::function<void()> refresh);
    // The widget while it lives, else null.
    Screen::Widget* widget() const;

private:
    class Listener;
    Screen::Widget* m_widget;
    std::shared_ptr<Listener> m_listener;
};

// "Display": "Hidden" or "Visible"; choosing sets the widget's visibility.
class DisplayRow : public ChoiceRow {
public:
    explicit DisplayRow(Screen::Widget& widget);

protected:
    void on_chosen(int index) override;

private:
    void refresh();
    WidgetBinding m_binding;
};

// "Preview State": "Live" (the state the pointer gives) or one state the button is drawn
// in whatever the pointer does, the checked ones for toggles too. Choosing sets
// the button's preview state, which is no edit: the table stays as it was.
class PreviewStateRow : public ChoiceRow {
public:
    explicit PreviewStateRow(Screen::ButtonWidget& widget);

protected:
    void fill_entries() override;
    void on_chosen(int index) override;

private:
    Screen::ButtonWidget* widget() const;
    WidgetBinding m_binding;
    bool m_toggle;
};

// "Style": the widget's style; its list holds the styles the screen's sheets offer for
// the widget's type, and choosing one assigns it to the widget.
class StyleRow : public ChoiceRow {
public:
    explicit StyleRow(Screen::Widget& widget);

protected:
    void fill_entries() override;
    void on_chosen(int index) override;

private:
    void refresh();
    WidgetBinding m_binding;
    std::vector<Screen::StyleName> m_styles; // in the order of the entries
};

// "Rectangle": "[x, y, width, height]"; typed text is read back as a rectangle.
class RectangleRow : public GridRow {
public:
    explicit RectangleRow(Screen::Widget& widget);
    void commit(const std::u16string& text) override;

private:
    void refresh();
    WidgetBinding m_binding;
};

// One component of the rectangle: 0 x, 1 y, 2 width, 3 height.
RectangleValue rectangle_of(const Screen::Widget& widget);
void set_rectangle(Screen::Widget& widget, const RectangleValue& rectangle);

// "X", "Y": one number of the position.
class PositionRow : public GridRow {
public:
    PositionRow(Screen::Widget& widget, int component);
    void commit(const std::u16string& text) override;

private:
    void refresh();
    WidgetBinding m_binding;
    int m_component;
};

// "Width", "Height": the number, or "Style Default" while the widget takes its size
// from its style; the list offers both.
class SizeRow : public ChoiceRow {
public:
    SizeRow(Screen::Widget& widget, int component);
    void commit(const std::u16string& text) override;

protected:
    void fill_entries() override;
    void on_chosen(int index) override;

private:
    void refresh();
    WidgetBinding m_binding;
    int m_component;
};

// "Text", "Tooltip Text": typed text is the widget's; the button opens the string
// chooser through `open_chooser`, which returns the docked chooser's window.
class TextRow : public GridRow {
public:
    enum class Field { text, tooltip };
    using ChooserOpener = std::function<HWND(TextRow& row)>;
    TextRow(Screen::Widget& widget, Field field, ChooserOpener open_chooser);
    HWND open_popup(HWND tree) override;
    void commit(const std::u16string& text) override;

private:
    void refresh();
    WidgetBinding m_binding;
    Field m_field;
    ChooserOpener m_open_chooser;
};

} // namespace Editor
