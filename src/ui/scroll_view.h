#pragma once
// A container whose content is shown shifted by a horizontal and a vertical scroll
// position, with two overlay bars in front of it. The wheel (scroll_by) and thumb drags
// move the positions; what this view cannot absorb goes on to its parent, so nested
// views scroll in turn.

#include "ui/container_element.h"
#include "ui/scroll_view_bar.h"

namespace Ui {

class ScrollView : public ContainerElement {
public:
    // Both bars become the first children, horizontal first: content appended later
    // stays behind them.
    ScrollView();

    ScrollViewBar& horizontal_bar() const { return *m_hbar; }
    ScrollViewBar& vertical_bar() const { return *m_vbar; }

    // The content's length along `bar`'s axis; the position is clamped into the new range.
    void set_extent(ScrollViewBar& bar, double extent);

    // True while either bar is shown (the content is larger than the view).
    bool is_scrolling() const { return m_hbar->visible() || m_vbar->visible(); }

    // A bar's position changed through its thumb.
    void bar_moved();

    void scroll_by(float dx, float dy) override;
    // The element's matrix with its translation moved by the floored positions, so the
    // content lands on whole DIPs and text stays crisp.
    D2D1_MATRIX_3X2_F transform() const override;
    HitResult hit_test(float x, float y) override;
    Element* element_at(float x, float y) override;
    void draw(ID2D1RenderTarget* target) override;
    void on_resized() override;
    // Removes the content only: the bars belong to the view.
    void clear_children() override;

private:
    // The shift of the content in whole DIPs.
    float shift_x() const;
    float shift_y() const;

    ScrollViewBar* m_hbar;
    ScrollViewBar* m_vbar;
};

} // namespace Ui
