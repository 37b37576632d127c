#pragma once
// Widgets made of named parts (each a widget table of its own) and settings, any of
// which the widget's style may supply: progress bars, scroll bars, drop-downs and lists.

#include "screen/draw_cache.h"
#include "screen/value_readers.h"
#include "screen/widget.h"

namespace Screen {

class MeterWidget : public Widget {
public:
    using Widget::Widget;

    const char* class_name() const override { return "MeterWidget"; }
    std::vector<NamedPart> named_parts() override { return {{"Progress", &m_progress}}; }

    const WidgetPart& progress() const { return m_progress; }
    Vector2 range() const { return m_range; }
    bool range_from_style() const { return m_range_from_style; }
    double step_size() const { return m_step_size; }
    bool step_size_from_style() const { return m_step_size_from_style; }

protected:
    void load_parts(lua_State* state, int table, bool restyle) override;

    WidgetPart m_progress;
    Vector2 m_range{0.0f, 1.0f};
    bool m_range_from_style = false;
    double m_step_size = 0.1;
    bool m_step_size_from_style = false;
};

class ScrollBarWidget : public Widget {
public:
    using Widget::Widget;

    const char* class_name() const override { return "ScrollBarWidget"; }
    std::vector<NamedPart> named_parts() override
    {
        return {{"ButtonIncrement", &m_increment}, {"ButtonTrack", &m_track}, {"ButtonDecrement", &m_decrement}};
    }

    Vector2 range() const { return m_range; }
    const WidgetPart& increment() const { return m_increment; }
    const WidgetPart& track() const { return m_track; }
    const WidgetPart& decrement() const { return m_decrement; }

protected:
    void load_parts(lua_State* state, int table, bool restyle) override;

    Vector2 m_range{0.0f, 1.0f};
    bool m_range_from_style = false;
    WidgetPart m_increment;
    WidgetPart m_track;
    WidgetPart m_decrement;
};

class DropDownWidget : public Widget {
public:
    using Widget::Widget;

    const char* class_name() const override { return "DropDownWidget"; }
    std::vector<NamedPart> named_parts() override
    {
        return {{"ListBox", &m_list_box}, {"Label", &m_label}, {"ArrowButton", &m_arrow_button}};
    }

    const WidgetPart& list_box() const { return m_list_box; }
    const WidgetPart& label() const { return m_label; }
    const WidgetPart& arrow_button() const { return m_arrow_button; }

protected:
    void load_parts(lua_State* state, int table, bool restyle) override;

    WidgetPart m_list_box;
    WidgetPart m_label;
    WidgetPart m_arrow_button;
};

class StringListWidget : public Widget {
public:
    using Widget::Widget;

    const char* class_name() const override { return "StringListWidget"; }
    std::vector<NamedPart> named_parts() override
    {
        return {{"ItemsGroup", &m_items_group}, {"ItemTemplate", &m_item_template}, {"ScrollBar", &m_scroll_bar}};
    }

    const WidgetPart& items_group() const { return m_items_group; }
    const WidgetPart& item_template() const { return m_item_template; }
    const WidgetPart& scroll_bar() const { return m_scroll_bar; }

protected:
    void load_parts(lua_State* state, int table, bool restyle) override;

    WidgetPart m_items_group;
    WidgetPart m_item_template;
    WidgetPart m_scroll_bar;
};

class ItemListWidget : public StringListWidget {
public:
    using StringListWidget::StringListWidget;

    const char* class_name() const override { return "ItemListWidget"; }

    // The list's capacity; 2147483647 when neither the table nor the style gives one.
    int max_items() const { return m_max_items; }
    bool max_items_from_style() const { return m_max_items_from_style; }

protected:
    void load_parts(lua_State* state, int table, bool restyle) override;

    int m_max_items = 2147483647;
    bool m_max_items_from_style = false;
};

// A widget the game draws with code of its own: the editor shows a placeholder panel
// naming it.
class CustomWidget : public Widget {
public:
    using Widget::Widget;

    const char* class_name() const override { return "CustomWidget"; }
    void draw(ID2D1RenderTarget* target) override;
    void on_target_dropped() override;

protected:
    DrawCacheSlot m_draw_cache;
};

} // namespace Screen
