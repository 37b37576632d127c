#include "ui/element_chain.h"

#include "ui/container_element.h"

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
    for (Element* e = m_current; e; e = e->m_parent)
        state(*e) = chain_none;
    m_current = element;
    if (element) {
        state(*element) = chain_self;
        for (Element* e = element->m_parent; e; e = e->m_parent)
            state(*e) = chain_inside;
    }
    return true;
}

} // namespace Ui
