#pragma once
// A widget of a screen: an element built from one Lua table of the screen script. The
// widget keeps a registry reference to its table, which stays the source of truth: the
// editor changes a property by writing it into the table and re-reading it. Its
// children are its presentation items (behind) and, for some types, child widgets.

#include "screen/lua_api.h"
#include "screen/name_hash.h"
#include "ui/container_element.h"
#include "ui/pixel_box.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Screen {

class FieldSnapshot;
class PresentationItem;
class Widget;
class ScreenDocument;

// The visual states of the screen format; item `states` lists name them.
enum VisualState : int {
    state_none = 0,
    state_disabled = 1,
    state_normal = 2,
    state_hover = 3,
    state_active = 4,
    state_checked_disabled = 5,
    state_checked = 6,
    state_checked_hover = 7,
    state_checked_active = 8,
};
constexpr int visual_state_count = 9;

// A part of a composite widget: the widget built for it and whether its table came
// from the style.
struct WidgetPart {
    Widget* widget = nullptr;
    bool from_style = false;
};

// A composite part with the key its table goes by.
struct NamedPart {
    const char* key;
    WidgetPart* part;
};

class Widget : public Ui::ContainerElement {
public:
    // What `name` is when the table has none.
    static const char* const default_name;

    explicit Widget(ScreenDocument* screen);
    // Drops the widget's name entry (when it still names this widget) and its reference.
    ~Widget() override;

    // When attached, writes `position` and (unless the size comes from the style) `size`
    // into the table; then stores them and notifies the rectangle.
    void set_bounds(float x, float y, float width, float height) override;
    Ui::Element* element_at(float x, float y) override;
    Ui::HitResult hit_test(float x, float y) override;
    // Hidden and not shown by force: nothing. Shows the tooltip while hovered, and is the
    // one subtree drawn outside the dimming layer when emphasized.
    void draw(ID2D1RenderTarget* target) override;
    // A change of the widget: its whole subtree is drawn again where it was and where it
    // now is (the document keeps the drawn screen).
    void invalidate() override;
    // Hover and press: its art is drawn again when they change the state it shows.
    void on_chain_changed() override;

    // Reads the table on top of the stack (left there). Raises Lua errors: runs inside
    // a protected call.
    virtual void load(lua_State* state);
    // Re-reads what may come from the style: size, presentation, composite parts.
    // Throws ScriptError with Lua's message.
    void reload_styled();
    virtual int visual_state() const;
    virtual void click() {}
    // The class's name, for listings.
    virtual const char* class_name() const { return "Widget"; }
    // The child widgets in the order their Lua array lists them backwards, or null for
    // types without children.
    virtual const std::vector<Widget*>* child_widgets() const { return nullptr; }
    // The composite parts of the type, by key (none for plain widgets).
    virtual std::vector<NamedPart> named_parts() { return {}; }

    // Editing. Each writes the table, updates the field and notifies the observers, and
    // the document's history records it (set_bounds too); a widget not attached to a
    // table throws "Cannot set Widget::m_... until attached to Lua.", a Lua failure
    // throws ScriptError.
    void set_visible(bool visible);
    void set_text(const std::string& text);
    void set_tooltip(const std::string& text);
    void set_size_from_style(bool from_style);
    // Writes the pair {sheet, style} as the table's `style` and re-reads what comes from
    // the style (size, presentation, composite parts), so the preview follows.
    void set_style(const std::string& sheet, const std::string& style);

    // Writes `name`, and moves the name entry that `tooltip_name` lookups use to it. Does
    // not check that no other widget has the name: the editor does.
    void set_name(const std::string& name);
    // Writes `tooltip_name` (nothing removes it) and looks the tooltip widget up by it.
    void set_tooltip_name(const std::optional<std::string>& name);

    // Writes the snapshot's values back into the table and reads them again, as undo
    // does; records nothing.
    void restore_fields(const FieldSnapshot& values);
    // Makes the widget read `table` (on top of the stack, left there) from now on, the
    // same values in another table: a part taking its own copy of its style's table.
    void rebind(lua_State* state);

    ScreenDocument* screen() const { return m_screen; }
    // Unique in the process: tells a widget from one built later at the same address.
    std::uint64_t serial() const { return m_serial; }
    lua_State* lua() const { return m_lua; }
    int ref() const { return m_ref; }
    bool attached() const { return m_lua != nullptr; }
    const std::optional<std::string>& type() const { return m_type; }
    const std::string& name() const { return m_name; }
    const std::optional<std::string>& style_sheet() const { return m_style_sheet; }
    const std::optional<std::string>& style_name() const { return m_style_name; }
    bool size_from_style() const { return m_size_from_style; }
    bool art_from_style() const { return m_art_from_style; }
    const std::vector<PresentationItem*>& art() const { return m_art; }
    bool is_visible() const { return m_is_visible; }
    const std::optional<std::string>& text() const { return m_text; }
    const std::string& tooltip() const { return m_tooltip; }
    // The table's `tooltip_name` as text, and the widget it named when last looked up.
    const std::optional<std::string>& tooltip_name() const { return m_tooltip_name; }
    Widget* tooltip_widget() const { return m_tooltip_widget; }
    bool force_shown() const { return m_force_shown; }
    void set_force_shown(bool shown);
    Ui::Element* first_child_widget() const { return m_first_child_widget; }
    float x() const { return m_transform.dx; }
    float y() const { return m_transform.dy; }
    // Drawn and hit: visible, or shown by force.
    bool shown() const { return m_is_visible || m_force_shown; }
    // The type's keyword test (false without a type).
    bool type_is(Keyword keyword) const;

    // Forgets the tooltip widget when it is destroyed first.
    void forget_tooltip_widget(const Widget* destroyed);
    // Whether some widget has taken this one as its tooltip widget.
    bool is_tooltip_target() const { return m_is_tooltip_target; }
    // Where the document last measured the widget and everything inside it.
    const Ui::PixelBox& subtree_box() const { return m_subtree_box; }

protected:
    // Pushes table[key], or the style's value of `key` when the table has none (then
    // sets `from_style`), or nil. The widget's table is at `table`.
    void push_own_or_styled(lua_State* state, int table, const char* key, bool& from_style);
    // Builds the widget of the table on top of the stack and puts it in place of `part`
    // (null: none yet), as a child at the front. Returns the new part (maybe null).
    Widget* replace_part(lua_State* state, Widget* part);
    // Reads the keys of the type after the common ones (the table is at `table`); with
    // `restyle`, only those that came from the style.
    virtual void load_parts(lua_State* state, int table, bool restyle) {}
    // One composite part: the table's own `key` or the style's, built into `part`.
    void load_part(lua_State* state, int table, const char* key, WidgetPart& part, bool restyle);
    void notify(int property);
    // Runs `change` and records it in the document's history (only while it records).
    void record_edit(const std::function<void()>& change);
    // Pushes the widget's table (nil when not attached).
    void push_table(lua_State* state) const;
    // Throws "Cannot set Widget::<field> until attached to Lua." when not attached.
    void require_attached(const char* field) const;
    // table[key] = the value `push_value` pushes, in a protected call (lua_settable).
    void write_field(const char* key, const std::function<void(lua_State*)>& push_value);
    // A new array {first, second}, as the table keeps positions and sizes.
    static void push_pair(lua_State* state, float first, float second);

    ScreenDocument* m_screen;
    std::uint64_t m_serial;
    lua_State* m_lua = nullptr;
    int m_ref = LUA_NOREF;
    std::optional<std::string> m_type;
    std::string m_name = default_name;
    std::optional<std::string> m_style_sheet;
    std::optional<std::string> m_style_name;
    bool m_size_from_style = false;
    std::vector<PresentationItem*> m_art; // owned as children; reverse Lua order
    bool m_art_from_style = false;
    bool m_is_visible = true;
    std::optional<std::string> m_text;
    std::string m_tooltip;
    std::optional<std::string> m_tooltip_name;
    Widget* m_tooltip_widget = nullptr;
    bool m_force_shown = false;
    Ui::Element* m_first_child_widget = nullptr;
    bool m_is_tooltip_target = false;

    // Where the widget was drawn when the document last measured it, in device pixels
    // of the document's image: its own art, and its whole subtree; and the state it showed.
    Ui::PixelBox m_own_box{};
    Ui::PixelBox m_subtree_box{};
    int m_drawn_state = -1;
    friend class ScreenDocument;

private:
    // `style` and `position`; then `visible`, `text` and `tooltip_text`. The table is at
    // `table`, and the stack is left as it was.
    void read_style_and_position(lua_State* state, int table);
    void read_shown_texts(lua_State* state, int table);
    void read_size(lua_State* state, int table);
    void read_art(lua_State* state, int table);
    // The registry entry name -> widget that `tooltip_name` lookups read: made under the
    // widget's name, and dropped only while it still names this widget.
    void enter_name(lua_State* state);
    void drop_name_entry(lua_State* state);
    // Takes `name` (the default when there is none) and moves the entry to it.
    void take_name(lua_State* state, const std::optional<std::string>& name);
    // Reads `tooltip_name` and looks up the widget it names.
    void read_tooltip_name(lua_State* state, int table);
    void release_reference();
};

// Builds the widget for the table on top of the stack (left there): the class its
// `type` names, loaded. Null when the top is not a table. Raises Lua errors.
std::unique_ptr<Widget> create_widget(ScreenDocument* screen, lua_State* state);

} // namespace Screen
