#include "ui/element_chain.h"

#include "ui/container_element.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace Ui {

ElementChain::ElementChain(Kind kind, Element* initial) : m_kind(kind), m_current(nullptr)
{
    move_to(initial);
}

std::uint8_t& ElementChain::state(Element& element) const
{
    return m_kind == Kind::hover ? element.m_hover_state : element.m_press_state;
}

bool ElementChain::move_to(Element* element)
{
    if (element == m_current)
        return false;
    std::vector<std::pair<Element*, std::uint8_t>> before;
    for (Element* e = m_current; e; e = e->m_parent) {
        before.emplace_back(e, state(*e));
        state(*e) = chain_none;
    }
    m_current = element;
    if (element) {
        state(*element) = chain_self;
        for (Element* e = element->m_parent; e; e = e->m_parent)
            state(*e) = chain_inside;
    }
    // Told once every state is set, so that each sees the chain as it now is.
    for (const auto& [e, was] : before) {
        if (state(*e) != was)
            e->on_chain_changed();
    }
    for (Element* e = element; e; e = e->m_parent) {
        const bool was_on_chain = std::any_of(before.begin(), before.end(), [&](const auto& old) { return old.first == e; });
        if (!was_on_chain)
            e->on_chain_changed();
    }
    return true;
}

} // namespace Ui
