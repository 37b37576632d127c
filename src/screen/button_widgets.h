#pragma once
// Buttons, check boxes and radio buttons. A button takes the pointer over its whole
// rectangle (its children never see it), shows its state through its items' states,
// and clicks on release (or on press, with buttonType ClickOnPress).

#include "screen/widget.h"

#include <optional>

namespace Screen {

// Values of buttonType.
enum class ButtonType : int { normal = 0, click_on_release = 1, click_on_press = 2 };

class ButtonWidget : public Widget {
public:
    using Widget::Widget;

    const char* class_name() const override { return "ButtonWidget"; }

    void load(lua_State* state) override;
    Ui::HitResult hit_test(float x, float y) override;
    Ui::Element* element_at(float x, float y) override;
    std::unique_ptr<Ui::DragTracker> begin_drag(float x, float y, Ui::MouseButton button) override;
    // The preview state while one is set, else the live state.
    int visual_state() const override;
    // The state the pointer and the widget's flags give.
    virtual int live_state() const;

    // Forces the state drawn (a VisualState) whatever the pointer does, so that the
    // editor can show each state's art; null goes back to the live state. The table is
    // untouched: a preview is no edit.
    void set_preview_state(std::optional<int> state);
    std::optional<int> preview_state() const { return m_preview_state; }

    ButtonType button_type() const { return m_button_type; }
    bool want_alternate() const { return m_want_alternate; }
    bool enabled() const { return m_enabled; }
    bool pressed() const { return m_pressed; }

    // The end of a press that began on this button, wherever the pointer is now.
    void release_press();

protected:
    // The drop-down list that shows while this button, inside a drop-down, is held.
    Widget* drop_down_list() const;

    ButtonType m_button_type = ButtonType::normal;
    bool m_want_alternate = false;
    bool m_enabled = true;
    bool m_pressed = false;
    std::optional<int> m_preview_state;
};

class ToggleWidget : public ButtonWidget {
public:
    using ButtonWidget::ButtonWidget;

    const char* class_name() const override { return "ToggleWidget"; }

    int live_state() const override;
    void click() override;

    bool checked() const { return m_checked; }
    void set_checked(bool checked);

protected:
    bool m_checked = false;
};

// Adjacent siblings of the same type form one group of which one is checked.
class ChoiceWidget : public ToggleWidget {
public:
    using ToggleWidget::ToggleWidget;

    const char* class_name() const override { return "ChoiceWidget"; }

    void click() override;
};

} // namespace Screen
