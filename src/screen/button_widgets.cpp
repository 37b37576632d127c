#include "screen/button_widgets.h"

#include "screen/keywords.h"
#include "screen/value_readers.h"

namespace Screen {

namespace {

class PressTracker : public Ui::DragTracker {
public:
    explicit PressTracker(ButtonWidget* button) : m_button(button) {}

    Ui::Element* element() const override { return m_button; }
    Ui::CursorKind drag_to(float, float) override { return Ui::CursorKind::arrow; }
    void end_drag() override { m_button->release_press(); }

private:
    ButtonWidget* m_button;
};

} // namespace

void ButtonWidget::load(lua_State* state)
{
    Widget::load(state);
    if (!attached())
        return;
    const int table = lua_gettop(state);
    lua_getfield(state, table, "buttonType");
    std::optional<std::string> type = text_at(state, -1);
    m_button_type = !type                                           ? ButtonType::normal
                    : is_keyword(*type, Keywords::click_on_release) ? ButtonType::click_on_release
                    : is_keyword(*type, Keywords::click_on_press)   ? ButtonType::click_on_press
                                                                    : ButtonType::normal;
    lua_getfield(state, table, "wantAlternate");
    m_want_alternate = read_flag(state, -1);
    lua_getfield(state, table, "enabled");
    m_enabled = read_switch(state, -1);
    lua_settop(state, table);
}

Ui::HitResult ButtonWidget::hit_test(float x, float y)
{
    return shown() && covers(x, y) ? Ui::HitResult::yes : Ui::HitResult::no;
}

Ui::Element* ButtonWidget::element_at(float, float)
{
    return shown() ? this : nullptr;
}

std::unique_ptr<Ui::DragTracker> ButtonWidget::begin_drag(float, float, Ui::MouseButton)
{
    if (Widget* list = drop_down_list())
        list->set_force_shown(true);
    m_pressed = true;
    if (m_button_type == ButtonType::click_on_press)
        click();
    invalidate();
    return std::make_unique<PressTracker>(this);
}

void ButtonWidget::release_press()
{
    if (Widget* list = drop_down_list())
        list->set_force_shown(false);
    m_pressed = false;
    if (m_button_type != ButtonType::click_on_press)
        click();
    invalidate();
}

Widget* ButtonWidget::drop_down_list() const
{
    auto* drop_down = dynamic_cast<Widget*>(parent());
    if (!drop_down || !drop_down->type_is(Keywords::drop_down))
        return nullptr;
    for (std::size_t i = 0; i < drop_down->child_count(); ++i) {
        auto* child = dynamic_cast<Widget*>(drop_down->child(i));
        if (child && (child->type_is(Keywords::string_list) || child->type_is(Keywords::item_list)))
            return child;
    }
    return nullptr;
}

int ButtonWidget::visual_state() const
{
    return m_preview_state ? *m_preview_state : live_state();
}

int ButtonWidget::live_state() const
{
    if (!m_enabled)
        return state_disabled;
    const bool hovered = (m_hover_state & Ui::chain_inside) != 0;
    if (m_pressed && hovered)
        return state_active;
    return hovered ? state_hover : state_normal;
}

void ButtonWidget::set_preview_state(std::optional<int> state)
{
    if (m_preview_state == state)
        return;
    m_preview_state = state;
    invalidate();
}

int ToggleWidget::live_state() const
{
    return ButtonWidget::live_state() + (m_checked ? 4 : 0);
}

void ToggleWidget::set_checked(bool checked)
{
    if (m_checked == checked)
        return;
    m_checked = checked;
    invalidate();
}

void ToggleWidget::click()
{
    m_checked = !m_checked;
    invalidate();
}

void ChoiceWidget::click()
{
    if (m_checked) {
        m_checked = false;
        invalidate();
        return;
    }
    auto* owner = dynamic_cast<Widget*>(parent());
    const std::vector<Widget*>* siblings = owner ? owner->child_widgets() : nullptr;
    if (siblings) {
        const auto same_group = [this](Widget* other) {
            auto* choice = dynamic_cast<ChoiceWidget*>(other);
            return choice && choice->type() && type() &&
                   name_hash(*choice->type()) == name_hash(*type()) && choice->type()->size() == type()->size();
        };
        std::size_t self = 0;
        while (self < siblings->size() && (*siblings)[self] != this)
            ++self;
        if (self < siblings->size()) {
            for (std::size_t i = self; i-- > 0 && same_group((*siblings)[i]);)
                static_cast<ChoiceWidget*>((*siblings)[i])->set_checked(false);
            for (std::size_t i = self + 1; i < siblings->size() && same_group((*siblings)[i]); ++i)
                static_cast<ChoiceWidget*>((*siblings)[i])->set_checked(false);
        }
    }
    m_checked = true;
    invalidate();
}

} // namespace Screen
