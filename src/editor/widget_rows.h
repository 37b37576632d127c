#pragma once
// The property grid's rows for one widget: each reads its value from the widget and
// writes what the user enters through the widget's setters (or the editor session's
// commands), which write the widget's table and tell the session. The grid refreshes
// every row when the widget changes, whoever changed it.

#include "editor/choice_row.h"
#include "editor/grid_row.h"
#include "editor/value_text.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace Screen {
class ButtonWidget;
class ScreenDocument;
class Widget;
} // namespace Screen

namespace Editor {

class EditorSession;

// The widget of a row, checked to be alive before each use.
class WidgetBinding {
public:
    explicit WidgetBinding(Screen::Widget& widget);
    // The widget while it lives, else null.
    Screen::Widget* widget() const;

private:
    Screen::Widget* m_widget;
    Screen::ScreenDocument* m_screen; // asked, since the widget may be gone
};

// A row that shows `value` and takes no input: drawn faded, no editor ("Type").
std::unique_ptr<GridRow> read_only_row(const std::u16string& value);

// "Name": typed text renames the widget once the edit is done (a name refused leaves
// the old one, and the status says why).
class NameRow : public GridRow {
public:
    NameRow(EditorSession& session, Screen::Widget& widget);
    void commit(const std::u16string& text) override;
    void refresh() override;

private:
    EditorSession& m_session;
    WidgetBinding m_binding;
};

// "Display": "Hidden" or "Visible"; choosing sets the widget's visibility.
class DisplayRow : public ChoiceRow {
public:
    explicit DisplayRow(Screen::Widget& widget);
    void refresh() override;

protected:
    void on_chosen(int index) override;

private:
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
    void refresh() override;

protected:
    void fill_entries() override;
    void on_chosen(int index) override;

private:
    WidgetBinding m_binding;
    std::vector<Screen::StyleName> m_styles; // in the order of the entries
};

// "Rectangle": "[x, y, width, height]"; typed text is read back as a rectangle.
class RectangleRow : public GridRow {
public:
    explicit RectangleRow(Screen::Widget& widget);
    void commit(const std::u16string& text) override;
    void refresh() override;

private:
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
    void refresh() override;

private:
    WidgetBinding m_binding;
    int m_component;
};

// "Width", "Height": the number, or "Style Default" while the widget takes its size
// from its style; the list offers both.
class SizeRow : public ChoiceRow {
public:
    SizeRow(Screen::Widget& widget, int component);
    void commit(const std::u16string& text) override;
    void refresh() override;

protected:
    void fill_entries() override;
    void on_chosen(int index) override;

private:
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
    void refresh() override;

private:
    WidgetBinding m_binding;
    Field m_field;
    ChooserOpener m_open_chooser;
};

// "Tooltip Widget": the name of the widget's tooltip widget (empty for none); its list
// holds "(None)" and the screen's tooltip widgets, and choosing one is an edit.
class TooltipWidgetRow : public ChoiceRow {
public:
    TooltipWidgetRow(EditorSession& session, Screen::Widget& widget);
    void refresh() override;

protected:
    void fill_entries() override;
    void on_chosen(int index) override;

private:
    EditorSession& m_session;
    WidgetBinding m_binding;
    std::vector<std::string> m_names; // in the order of the entries after "(None)"
};

} // namespace Editor
