#include "screen/presentation_item.h"

#include "screen/dirty_region.h"
#include "screen/keywords.h"
#include "screen/widget.h"
#include "screen/screen_document.h"
#include "screen/script_state.h"

#include <algorithm>
#include <cmath>

namespace Screen {

int round_to_int(double value)
{
    if (std::isnan(value))
        return 0;
    const double rounded = std::floor(value + 0.5);
    if (rounded >= 2147483647.0)
        return 2147483647;
    if (rounded <= -2147483648.0)
        return -2147483647 - 1;
    return static_cast<int>(rounded);
}

PresentationItem::PresentationItem(ScreenDocument* screen) : m_screen(screen)
{
    m_width = 1.0f;
    m_height = 1.0f;
    m_screen->item_created();
}

PresentationItem::~PresentationItem()
{
    m_screen->item_destroyed();
    if (!m_lua)
        return;
    try {
        protected_call(m_lua, [this](lua_State* state) { luaL_unref(state, LUA_REGISTRYINDEX, m_ref); });
    } catch (const std::exception&) {
        // Nothing to undo: the reference dies with the state.
    }
}

bool PresentationItem::shows_in_current_state() const
{
    const auto* widget = dynamic_cast<const Widget*>(parent());
    return !widget || in_state(widget->visual_state());
}

Ui::PixelBox PresentationItem::drawn_box(const D2D1_MATRIX_3X2_F& to_target, float scale)
{
    if (!shows_in_current_state())
        return no_box;
    return Screen::device_box(to_target, scale, 0.0f, 0.0f, m_width, m_height);
}

Ui::PixelBox SegmentItem::drawn_box(const D2D1_MATRIX_3X2_F& to_target, float scale)
{
    if (!shows_in_current_state())
        return no_box;
    return Screen::device_box(to_target, scale, std::min(m_p1.x, m_p2.x), std::min(m_p1.y, m_p2.y), std::max(m_p1.x, m_p2.x),
                      std::max(m_p1.y, m_p2.y));
}

void PresentationItem::rebind(lua_State* state)
{
    if (!m_lua)
        return;
    lua_pushvalue(state, -1);
    lua_rawseti(state, LUA_REGISTRYINDEX, m_ref);
}

void PresentationItem::load(lua_State* state)
{
    if (!reference_top_table(state, m_lua, m_ref))
        return;
    const int table = lua_gettop(state);

    lua_getfield(state, table, "type");
    m_type = text_at(state, -1);
    lua_getfield(state, table, "id");
    m_id = round_to_int(read_number(state, -1, 0.0));

    m_states.fill(false);
    lua_getfield(state, table, "states");
    if (lua_istable(state, -1)) {
        const int states = lua_gettop(state);
        for (std::size_t n = 1, count = lua_rawlen(state, states); n <= count; ++n) {
            lua_rawgeti(state, states, static_cast<lua_Integer>(n));
            std::size_t index = 0;
            if (std::optional<std::string> name = text_at(state, -1)) {
                for (std::size_t i = 0; i < 8; ++i) {
                    if (is_keyword(*name, Keywords::states[i]))
                        index = i + 1;
                }
            }
            m_states[index] = true;
            lua_pop(state, 1);
        }
    }
    lua_settop(state, table);

    lua_getfield(state, table, "position");
    Vector2 position = read_point(state, -1);
    lua_getfield(state, table, "size");
    Vector2 size = read_size(state, -1);
    lua_settop(state, table);
    set_bounds(position.x, position.y, size.x, size.y);

    load_own(state, table);
    lua_settop(state, table);
}

void ImageItem::load_own(lua_State* state, int table)
{
    lua_getfield(state, table, "texture");
    std::optional<std::string> texture = read_text(state, -1);
    m_texture = texture ? *texture : "art/";
    lua_getfield(state, table, "flipHorizontal");
    m_flip_horizontal = read_flag(state, -1);
    lua_getfield(state, table, "flipVertical");
    m_flip_vertical = read_flag(state, -1);
    lua_getfield(state, table, "colour");
    m_colour = read_colour(state, -1, m_screen->colours());
}

void TextItem::load_own(lua_State* state, int table)
{
    lua_getfield(state, table, "textColourTop");
    m_colour_top = read_colour(state, -1, m_screen->colours());
    lua_getfield(state, table, "textColourBottom");
    m_colour_bottom = read_colour(state, -1, m_screen->colours());
    lua_getfield(state, table, "fontname");
    std::optional<std::string> font = read_text(state, -1);
    m_font_name = font ? *font : std::string();
    lua_getfield(state, table, "multiline");
    m_multiline = read_switch(state, -1);
    lua_getfield(state, table, "dropShadow");
    m_drop_shadow = read_flag(state, -1);
    lua_getfield(state, table, "horzAlign");
    std::optional<std::string> horizontal = text_at(state, -1);
    m_horizontal_alignment = horizontal && is_keyword(*horizontal, Keywords::align_right)    ? HorizontalAlignment::right
                             : horizontal && is_keyword(*horizontal, Keywords::align_centre) ? HorizontalAlignment::centre
                                                                                             : HorizontalAlignment::left;
    lua_getfield(state, table, "vertAlign");
    std::optional<std::string> vertical = text_at(state, -1);
    m_vertical_alignment = vertical && is_keyword(*vertical, Keywords::align_top)      ? VerticalAlignment::top
                           : vertical && is_keyword(*vertical, Keywords::align_bottom) ? VerticalAlignment::bottom
                                                                                       : VerticalAlignment::centre;
}

void RectangleItem::load_own(lua_State* state, int table)
{
    lua_getfield(state, table, "colour");
    m_colour = read_colour(state, -1, m_screen->colours());
    lua_getfield(state, table, "rectangleType");
    std::optional<std::string> kind = text_at(state, -1);
    m_outline = kind && is_keyword(*kind, Keywords::outline);
}

void SegmentItem::load_own(lua_State* state, int table)
{
    lua_getfield(state, table, "colour");
    m_colour = read_colour(state, -1, m_screen->colours());
    lua_getfield(state, table, "p1");
    m_p1 = read_point(state, -1);
    lua_getfield(state, table, "p2");
    m_p2 = read_point(state, -1);
}

void MovieItem::load_own(lua_State* state, int table)
{
    lua_getfield(state, table, "swf");
    std::optional<std::string> swf = read_text(state, -1);
    m_swf = swf ? *swf : "no file";
    lua_getfield(state, table, "alpha");
    m_alpha = read_number(state, -1, 1.0);
}

std::unique_ptr<PresentationItem> create_item(ScreenDocument* screen, lua_State* state)
{
    if (!lua_istable(state, -1))
        return nullptr;
    ScreenDocument::BuildLevel level(*screen, state);
    lua_getfield(state, -1, "type");
    std::optional<std::string> type = text_at(state, -1);
    lua_pop(state, 1);
    std::unique_ptr<PresentationItem> item;
    const std::string_view name = type ? std::string_view(*type) : std::string_view();
    if (is_keyword(name, Keywords::image_item))
        item = std::make_unique<ImageItem>(screen);
    else if (is_keyword(name, Keywords::text_item))
        item = std::make_unique<TextItem>(screen);
    else if (is_keyword(name, Keywords::rectangle_item))
        item = std::make_unique<RectangleItem>(screen);
    else if (is_keyword(name, Keywords::segment_item))
        item = std::make_unique<SegmentItem>(screen);
    else if (is_keyword(name, Keywords::movie))
        item = std::make_unique<MovieItem>(screen);
    else
        item = std::make_unique<PresentationItem>(screen);
    item->load(state);
    return item;
}

} // namespace Screen
