#pragma once
// Widgets with child widgets: groups, and the entries of item lists.

#include "screen/widget.h"

namespace Screen {

class ContainerWidget : public Widget {
public:
    using Widget::Widget;

    const char* class_name() const override { return "ContainerWidget"; }

    // The common keys, then `Children`: each child in front of the art, a later entry
    // in front of an earlier one.
    void load(lua_State* state) override;
    const std::vector<Widget*>* child_widgets() const override { return &m_child_widgets; }

protected:
    std::vector<Widget*> m_child_widgets; // owned as children; reverse Lua order
};

// An entry of an item list. Its run-time list state belongs to the list's behaviour in
// the game, which the editor does not run; it is built as a group.
class ItemListEntryWidget : public ContainerWidget {
public:
    using ContainerWidget::ContainerWidget;

    const char* class_name() const override { return "ItemListEntryWidget"; }
};

} // namespace Screen
