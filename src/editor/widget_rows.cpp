#include "editor/widget_rows.h"

#include "editor/editor_session.h"
#include "platform/text_encoding.h"
#include "screen/button_widgets.h"
#include "screen/screen_document.h"
#include "screen/widget.h"

#include <algorithm>
#include <iterator>

namespace Editor {

WidgetBinding::WidgetBinding(Screen::Widget& widget) : m_widget(&widget), m_screen(widget.screen()) {}

Screen::Widget* WidgetBinding::widget() const
{
    return m_screen->live_widget(m_widget);
}

RectangleValue rectangle_of(const Screen::Widget& widget)
{
    return {widget.x(), widget.y(), widget.width(), widget.height()};
}

void set_rectangle(Screen::Widget& widget, const RectangleValue& r)
{
    widget.set_bounds(r.x, r.y, r.width, r.height);
}

std::unique_ptr<GridRow> read_only_row(const std::u16string& value)
{
    class ReadOnlyRow : public GridRow {
    public:
        explicit ReadOnlyRow(const std::u16string& value)
        {
            m_read_only = true;
            m_value_text = value;
        }
    };
    return std::make_unique<ReadOnlyRow>(value);
}

// Name

NameRow::NameRow(EditorSession& session, Screen::Widget& widget)
    : GridRow(RowButton::none, true), m_session(session), m_binding(widget)
{
    m_commits_live = false;
    refresh();
}

void NameRow::refresh()
{
    if (Screen::Widget* widget = m_binding.widget())
        m_value_text = Platform::ansi_to_utf16(widget->name());
}

void NameRow::commit(const std::u16string& text)
{
    if (Screen::Widget* widget = m_binding.widget())
        m_session.rename(*widget, Platform::utf16_to_ansi(text));
    // Renamed or refused, the row shows the name the widget has.
    refresh();
    repaint();
}

// Display

DisplayRow::DisplayRow(Screen::Widget& widget)
    : ChoiceRow({u"Hidden", u"Visible"}, widget.is_visible() ? 1 : 0), m_binding(widget)
{
    m_button = RowButton::drop_down;
}

void DisplayRow::on_chosen(int index)
{
    if (Screen::Widget* widget = m_binding.widget()) {
        widget->set_visible(index == 1);
        widget->invalidate();
    }
}

void DisplayRow::refresh()
{
    if (Screen::Widget* widget = m_binding.widget())
        set_entries(m_entries, widget->is_visible() ? 1 : 0);
}

// Preview State

namespace {

struct PreviewEntry {
    const char16_t* text;
    std::optional<int> state;
};

// A plain button offers the first five; toggles have checked states too.
const PreviewEntry preview_entries[] = {
    {u"Live", std::nullopt},
    {u"Normal", Screen::state_normal},
    {u"Hover", Screen::state_hover},
    {u"Pressed", Screen::state_active},
    {u"Disabled", Screen::state_disabled},
    {u"Checked", Screen::state_checked},
    {u"Checked Hover", Screen::state_checked_hover},
    {u"Checked Pressed", Screen::state_checked_active},
    {u"Checked Disabled", Screen::state_checked_disabled},
};
constexpr std::size_t button_preview_entries = 5;

} // namespace

PreviewStateRow::PreviewStateRow(Screen::ButtonWidget& widget)
    : ChoiceRow({}, -1), m_binding(widget),
      m_toggle(dynamic_cast<Screen::ToggleWidget*>(&widget) != nullptr)
{
    m_button = RowButton::drop_down;
    fill_entries();
}

Screen::ButtonWidget* PreviewStateRow::widget() const
{
    return dynamic_cast<Screen::ButtonWidget*>(m_binding.widget());
}

void PreviewStateRow::fill_entries()
{
    Screen::ButtonWidget* button = widget();
    if (!button)
        return;
    const std::size_t count = m_toggle ? std::size(preview_entries) : button_preview_entries;
    std::vector<std::u16string> entries;
    int current = -1;
    for (std::size_t i = 0; i < count; ++i) {
        entries.emplace_back(preview_entries[i].text);
        if (preview_entries[i].state == button->preview_state())
            current = static_cast<int>(i);
    }
    set_entries(std::move(entries), current);
}

void PreviewStateRow::on_chosen(int index)
{
    const std::size_t count = m_toggle ? std::size(preview_entries) : button_preview_entries;
    if (index < 0 || static_cast<std::size_t>(index) >= count)
        return;
    if (Screen::ButtonWidget* button = widget())
        button->set_preview_state(preview_entries[static_cast<std::size_t>(index)].state);
}

// Style

StyleRow::StyleRow(Screen::Widget& widget) : ChoiceRow({}, -1), m_binding(widget)
{
    m_button = RowButton::drop_down;
    refresh();
}

void StyleRow::refresh()
{
    if (Screen::Widget* widget = m_binding.widget())
        m_value_text = style_text(widget->style_sheet(), widget->style_name());
}

void StyleRow::fill_entries()
{
    Screen::Widget* widget = m_binding.widget();
    m_styles.clear();
    if (widget && widget->type())
        m_styles = sorted_styles(widget->screen()->styles_for_type(*widget->type()));
    std::vector<std::u16string> entries;
    int current = -1;
    for (const Screen::StyleName& name : m_styles) {
        entries.push_back(style_text(name.first, name.second));
        if (entries.back() == m_value_text)
            current = static_cast<int>(entries.size()) - 1;
    }
    const std::u16string value = m_value_text;
    set_entries(std::move(entries), current);
    m_value_text = value;
}

void StyleRow::on_chosen(int index)
{
    Screen::Widget* widget = m_binding.widget();
    if (!widget || index < 0 || static_cast<std::size_t>(index) >= m_styles.size())
        return;
    const Screen::StyleName& name = m_styles[static_cast<std::size_t>(index)];
    widget->set_style(name.first, name.second);
}

// Rectangle

RectangleRow::RectangleRow(Screen::Widget& widget) : GridRow(RowButton::none, true), m_binding(widget)
{
    refresh();
}

void RectangleRow::refresh()
{
    if (Screen::Widget* widget = m_binding.widget())
        m_value_text = format_rectangle(rectangle_of(*widget));
}

void RectangleRow::commit(const std::u16string& text)
{
    if (Screen::Widget* widget = m_binding.widget())
        set_rectangle(*widget, parse_rectangle(text));
}

// X, Y

PositionRow::PositionRow(Screen::Widget& widget, int component)
    : GridRow(RowButton::none, true), m_binding(widget), m_component(component)
{
    refresh();
}

void PositionRow::refresh()
{
    if (Screen::Widget* widget = m_binding.widget())
        m_value_text = format_number(m_component == 0 ? widget->x() : widget->y());
}

void PositionRow::commit(const std::u16string& text)
{
    Screen::Widget* widget = m_binding.widget();
    if (!widget)
        return;
    RectangleValue rectangle = rectangle_of(*widget);
    (m_component == 0 ? rectangle.x : rectangle.y) = parse_number(text);
    set_rectangle(*widget, rectangle);
}

// Width, Height

namespace {

constexpr char16_t style_default[] = u"Style Default";

float size_component(const Screen::Widget& widget, int component)
{
    return component == 2 ? widget.width() : widget.height();
}

} // namespace

SizeRow::SizeRow(Screen::Widget& widget, int component)
    : ChoiceRow({}, -1, true), m_binding(widget), m_component(component)
{
    m_button = RowButton::drop_down;
    refresh();
}

void SizeRow::refresh()
{
    if (Screen::Widget* widget = m_binding.widget())
        m_value_text = widget->size_from_style() ? std::u16string(style_default)
                                                 : format_number(size_component(*widget, m_component));
}

void SizeRow::fill_entries()
{
    Screen::Widget* widget = m_binding.widget();
    if (!widget)
        return;
    set_entries({format_number(size_component(*widget, m_component)), style_default}, widget->size_from_style() ? 1 : 0);
}

void SizeRow::on_chosen(int index)
{
    if (Screen::Widget* widget = m_binding.widget()) {
        widget->set_size_from_style(index == 1);
        refresh();
        repaint();
    }
}

void SizeRow::commit(const std::u16string& text)
{
    Screen::Widget* widget = m_binding.widget();
    if (!widget)
        return;
    if (widget->size_from_style())
        widget->set_size_from_style(false);
    const float value = parse_number(text);
    if (value != size_component(*widget, m_component)) {
        RectangleValue rectangle = rectangle_of(*widget);
        (m_component == 2 ? rectangle.width : rectangle.height) = value;
        set_rectangle(*widget, rectangle);
    }
    refresh();
    repaint();
}

// Text, Tooltip Text

TextRow::TextRow(Screen::Widget& widget, Field field, ChooserOpener open_chooser)
    : GridRow(RowButton::side_panel, true), m_binding(widget), m_field(field),
      m_open_chooser(std::move(open_chooser))
{
    refresh();
}

void TextRow::refresh()
{
    Screen::Widget* widget = m_binding.widget();
    if (!widget)
        return;
    if (m_field == Field::text)
        m_value_text = widget->text() ? Platform::ansi_to_utf16(*widget->text()) : std::u16string();
    else
        m_value_text = Platform::ansi_to_utf16(widget->tooltip());
}

HWND TextRow::open_popup(HWND)
{
    return m_open_chooser ? m_open_chooser(*this) : nullptr;
}

void TextRow::commit(const std::u16string& text)
{
    m_value_text = text;
    Screen::Widget* widget = m_binding.widget();
    if (!widget)
        return;
    const std::string narrow = Platform::utf16_to_ansi(text);
    if (m_field == Field::text)
        widget->set_text(narrow);
    else
        widget->set_tooltip(narrow);
}

// Tooltip Widget

TooltipWidgetRow::TooltipWidgetRow(EditorSession& session, Screen::Widget& widget)
    : ChoiceRow({}, -1), m_session(session), m_binding(widget)
{
    m_button = RowButton::drop_down;
    refresh();
}

void TooltipWidgetRow::refresh()
{
    if (Screen::Widget* widget = m_binding.widget())
        m_value_text = widget->tooltip_name() ? Platform::ansi_to_utf16(*widget->tooltip_name()) : std::u16string();
}

void TooltipWidgetRow::fill_entries()
{
    Screen::Widget* widget = m_binding.widget();
    if (!widget)
        return;
    m_names = m_session.tooltip_widget_names();
    // A name the script gave that is no tooltip widget's stays choosable as it is.
    const std::optional<std::string>& current = widget->tooltip_name();
    if (current && std::find(m_names.begin(), m_names.end(), *current) == m_names.end())
        m_names.push_back(*current);
    std::vector<std::u16string> entries{u"(None)"};
    int selected = 0;
    for (const std::string& name : m_names) {
        if (current && name == *current)
            selected = static_cast<int>(entries.size());
        entries.push_back(Platform::ansi_to_utf16(name));
    }
    set_entries(std::move(entries), selected);
    refresh();
}

void TooltipWidgetRow::on_chosen(int index)
{
    Screen::Widget* widget = m_binding.widget();
    if (!widget || index < 0 || static_cast<std::size_t>(index) > m_names.size())
        return;
    m_session.set_tooltip_widget(*widget, index == 0 ? std::string() : m_names[static_cast<std::size_t>(index) - 1]);
    refresh();
}

} // namespace Editor
