#include "screen/composite_widgets.h"

#include <cmath>

namespace Screen {

void MeterWidget::load_parts(lua_State* state, int table, bool restyle)
{
    load_part(state, table, "Progress", m_progress, restyle);
    if (!restyle || m_range_from_style) {
        push_own_or_styled(state, table, "range", m_range_from_style);
        m_range = read_range(state, -1);
        lua_pop(state, 1);
    }
    if (!restyle || m_step_size_from_style) {
        push_own_or_styled(state, table, "stepSize", m_step_size_from_style);
        m_step_size = read_number(state, -1, 0.1);
        lua_pop(state, 1);
    }
}

void ScrollBarWidget::load_parts(lua_State* state, int table, bool restyle)
{
    if (!restyle || m_range_from_style) {
        push_own_or_styled(state, table, "range", m_range_from_style);
        m_range = read_range(state, -1);
        lua_pop(state, 1);
    }
    load_part(state, table, "ButtonIncrement", m_increment, restyle);
    load_part(state, table, "ButtonTrack", m_track, restyle);
    load_part(state, table, "ButtonDecrement", m_decrement, restyle);
}

void DropDownWidget::load_parts(lua_State* state, int table, bool restyle)
{
    load_part(state, table, "ListBox", m_list_box, restyle);
    load_part(state, table, "Label", m_label, restyle);
    load_part(state, table, "ArrowButton", m_arrow_button, restyle);
}

void StringListWidget::load_parts(lua_State* state, int table, bool restyle)
{
    load_part(state, table, "ItemsGroup", m_items_group, restyle);
    load_part(state, table, "ItemTemplate", m_item_template, restyle);
    load_part(state, table, "ScrollBar", m_scroll_bar, restyle);
}

void ItemListWidget::load_parts(lua_State* state, int table, bool restyle)
{
    StringListWidget::load_parts(state, table, restyle);
    if (!restyle || m_max_items_from_style) {
        push_own_or_styled(state, table, "maxItems", m_max_items_from_style);
        const double value = read_number(state, -1, 2147483647.0);
        lua_pop(state, 1);
        // Saturated: a script's number is no valid int as it stands (NaN, huge values).
        m_max_items = std::isnan(value)             ? 0
                      : value >= 2147483647.0       ? 2147483647
                      : value <= -2147483648.0      ? -2147483647 - 1
                                                    : static_cast<int>(value);
    }
}

} // namespace Screen
