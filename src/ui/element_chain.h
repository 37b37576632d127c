#pragma once
// The hover and the press chain: the marked path from one element up to the root,
// kept by the root (the top-level window).

#include "ui/element.h"

#include <cstdint>

namespace Ui {

class ElementChain {
public:
    enum class Kind { hover, press };

    ElementChain(Kind kind, Element* initial);

    Element* current() const { return m_current; }

    // Unmarks the current chain, marks `element` (chain_self) and its ancestors
    // (chain_inside), then tells every element whose state changed (on_chain_changed).
    // False, and nothing changes, when `element` is already current.
    bool move_to(Element* element);

private:
    std::uint8_t& state(Element& element) const;

    Kind m_kind;
    Element* m_current;
};

} // namespace Ui
