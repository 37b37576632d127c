#include "screen/container_widget.h"

namespace Screen {

void ContainerWidget::load(lua_State* state)
{
    Widget::load(state);
    for (Widget* child : m_child_widgets) {
        if (m_first_child_widget == child)
            m_first_child_widget = nullptr;
        remove_child(child).reset();
    }
    m_child_widgets.clear();
    if (!attached())
        return;

    lua_getfield(state, -1, "Children");
    const int children = lua_gettop(state);
    if (lua_istable(state, children)) {
        std::vector<std::unique_ptr<Widget>> built;
        for (std::size_t n = lua_rawlen(state, children); n >= 1; --n) {
            lua_rawgeti(state, children, static_cast<lua_Integer>(n));
            if (std::unique_ptr<Widget> child = create_widget(m_screen, state))
                built.push_back(std::move(child));
            lua_pop(state, 1);
        }
        for (const auto& child : built)
            m_child_widgets.push_back(child.get());
        for (std::size_t i = built.size(); i-- > 0;) {
            Widget* inserted = insert(std::move(built[i]), nullptr);
            if (!m_first_child_widget)
                m_first_child_widget = inserted;
        }
    }
    lua_settop(state, children - 1);
}

} // namespace Screen
