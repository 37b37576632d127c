// The screen as the document last drew it is kept (the drawing code holds the image):
// here is what it lacks. Widgets report their changes, the regions they covered are
// marked at once, and where they are now joins them when the tree is measured before
// the next drawing.

#include "screen/composite_widgets.h"
#include "screen/presentation_item.h"
#include "screen/screen_document.h"
#include "screen/widget.h"
#include "ui/transform.h"

namespace Screen {

void ScreenDocument::invalidate()
{
    m_redraw_all = true;
    ContainerElement::invalidate();
}

namespace {

// The device boxes of the widget's art that shows in one of two states and not in the other.
void add_art_between(DirtyRegion& region, const Widget& widget, int one, int other)
{
    for (const PresentationItem* item : widget.art()) {
        if (item->in_state(one) != item->in_state(other))
            region.add(item->device_box());
    }
}

} // namespace

void ScreenDocument::widget_changed(Widget* widget, bool subtree)
{
    if (m_closing)
        return;
    if (!m_redraw_all) {
        auto [change, first] = m_changed.try_emplace(widget);
        if (first)
            change->second.shown_state = widget->m_drawn_state;
        if (subtree) {
            m_dirty.add(widget->m_subtree_box);
            change->second.subtree = true;
        } else {
            add_art_between(m_dirty, *widget, change->second.shown_state, widget->visual_state());
        }
    }
    // The window paints; this document's own invalidate would draw all of it again.
    ContainerElement::invalidate();
}

std::vector<Ui::PixelBox> ScreenDocument::take_changes(const D2D1_MATRIX_3X2_F& to_target, float scale,
                                                       const Ui::PixelBox& image)
{
    measure(to_target, scale);
    std::vector<Ui::PixelBox> parts;
    if (m_redraw_all) {
        if (!box_empty(image))
            parts.push_back(image);
    } else {
        // Where the changed widgets are now.
        for (const auto& [widget, change] : m_changed) {
            if (change.subtree)
                m_dirty.add(widget->m_subtree_box);
            else
                add_art_between(m_dirty, *widget, change.shown_state, widget->m_drawn_state);
        }
        parts = m_dirty.within(image);
    }
    // What changes while the parts are drawn is for the next time.
    m_dirty.clear();
    m_changed.clear();
    m_redraw_all = false;
    return parts;
}

bool ScreenDocument::in_drawn_part(const Ui::PixelBox& box) const
{
    return !m_drawn_part || boxes_overlap(*m_drawn_part, box);
}

Ui::PixelBox ScreenDocument::measure(const D2D1_MATRIX_3X2_F& to_target, float scale)
{
    struct Walk {
        float scale;
        Ui::PixelBox widget(Widget& widget, const D2D1_MATRIX_3X2_F& to_target)
        {
            widget.m_drawn_state = widget.visual_state();
            widget.m_own_box = no_box;
            widget.m_subtree_box = no_box;
            if (!widget.shown())
                return no_box;
            if (dynamic_cast<CustomWidget*>(&widget))
                widget.m_own_box = device_box(to_target, scale, 0.0f, 0.0f, widget.width(), widget.height());
            Ui::PixelBox subtree = no_box;
            for (std::size_t i = 0; i < widget.child_count(); ++i) {
                Ui::Element& child = *widget.child(i);
                const D2D1_MATRIX_3X2_F to_child = Ui::multiply(child.transform(), to_target);
                if (auto* item = dynamic_cast<PresentationItem*>(&child)) {
                    item->set_device_box(item->drawn_box(to_child, scale));
                    widget.m_own_box = box_union(widget.m_own_box, item->device_box());
                } else if (auto* inner = dynamic_cast<Widget*>(&child)) {
                    subtree = box_union(subtree, this->widget(*inner, to_child));
                }
            }
            widget.m_subtree_box = box_union(subtree, widget.m_own_box);
            return widget.m_subtree_box;
        }
    } walk{scale};
    Ui::PixelBox all = no_box;
    for (std::size_t i = 0; i < child_count(); ++i) {
        if (auto* widget = dynamic_cast<Widget*>(child(i)))
            all = box_union(all, walk.widget(*widget, Ui::multiply(widget->transform(), to_target)));
    }
    return all;
}

void ScreenDocument::update_tooltip()
{
    if (!(m_hover_state & Ui::chain_inside)) {
        hide_shown_tooltip();
        return;
    }
    // Down the hover chain through shown widgets, as drawing reaches them.
    Ui::Element* at = this;
    while (auto* container = dynamic_cast<Ui::ContainerElement*>(at)) {
        Ui::Element* next = nullptr;
        for (std::size_t i = 0; i < container->child_count() && !next; ++i) {
            if (container->child(i)->hover_state() != Ui::chain_none)
                next = container->child(i);
        }
        auto* widget = dynamic_cast<Widget*>(next);
        if (!widget || !widget->shown())
            return;
        if (widget->hover_state() == Ui::chain_self) {
            Widget* tooltip = widget->tooltip_widget();
            if (!tooltip)
                hide_shown_tooltip();
            else if (m_shown_tooltip != tooltip || !tooltip->text() || *tooltip->text() != widget->tooltip())
                show_tooltip(tooltip, widget->tooltip()); // not rewritten while it shows
            return;
        }
        at = widget;
    }
}

} // namespace Screen
