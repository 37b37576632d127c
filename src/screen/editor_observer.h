#pragma once
// What the editor's tool windows hear from a screen document. Documents hold observers
// as weak references, so a tool window that closes first is simply skipped.

namespace Screen {

class Widget;

// Property identifiers sent with property_changed.
namespace Property {
constexpr int rectangle = 5;
constexpr int visible = 23;
constexpr int text = 24;
constexpr int tooltip_text = 25;
// Ours, beyond the four above: the widget took another style, another name, or another
// tooltip widget (or its tooltip widget was renamed).
constexpr int style = 26;
constexpr int name = 27;
constexpr int tooltip_widget = 28;
} // namespace Property

class EditorObserver {
public:
    virtual ~EditorObserver() = default;
    virtual void property_changed(Widget* widget, int property) = 0;
    virtual void selection_changed(Widget* widget) = 0;
};

} // namespace Screen
