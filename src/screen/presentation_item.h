#pragma once
// The art of a widget: images, texts, rectangles, lines and movie placeholders, each
// built from one table of the widget's Presentation.Art and shown only in the visual
// states its `states` list names.

#include "screen/colour.h"
#include "screen/draw_cache.h"
#include "screen/lua_api.h"
#include "screen/value_readers.h"
#include "ui/element.h"
#include "ui/pixel_box.h"

#include <array>
#include <memory>
#include <optional>
#include <string>

namespace Screen {

class ScreenDocument;

class PresentationItem : public Ui::Element {
public:
    explicit PresentationItem(ScreenDocument* screen);
    ~PresentationItem() override;

    // Reads the table on top of the stack (left there). Raises Lua errors.
    virtual void load(lua_State* state);
    // The class's name, for listings.
    virtual const char* class_name() const { return "PresentationItem"; }
    void on_target_dropped() override { m_draw_cache.reset(); }
    // The mod's files changed (fonts, texts, textures): whatever was made from them goes,
    // and with it what the target held.
    virtual void on_resources_changed() { on_target_dropped(); }
    // Whether the item shows now: in its widget's visual state (always without one).
    bool shows_in_current_state() const;
    // The device pixels (at `scale` a DIP) the item's drawing touches now when the
    // target's transform is `to_target`, conservatively; no_box when it draws nothing.
    virtual Ui::PixelBox drawn_box(const D2D1_MATRIX_3X2_F& to_target, float scale);
    // Where the document last measured it.
    const Ui::PixelBox& device_box() const { return m_device_box; }
    void set_device_box(const Ui::PixelBox& box) { m_device_box = box; }

    const std::optional<std::string>& type() const { return m_type; }
    int id() const { return m_id; }
    // Whether the item shows in visual state `index` (0 to 8).
    bool in_state(int index) const { return index >= 0 && index < 9 && m_states[static_cast<std::size_t>(index)]; }
    const std::array<bool, 9>& states() const { return m_states; }
    bool attached() const { return m_lua != nullptr; }
    int ref() const { return m_ref; }
    // Reads `table` (on top of the stack, left there) from now on: the same values in
    // another table.
    void rebind(lua_State* state);
    float x() const { return m_transform.dx; }
    float y() const { return m_transform.dy; }

protected:
    // The type's own keys; the table is at `table`.
    virtual void load_own(lua_State* state, int table) {}
    ScreenDocument* m_screen;
    lua_State* m_lua = nullptr;
    int m_ref = LUA_NOREF;
    std::optional<std::string> m_type;
    int m_id = 0;
    std::array<bool, 9> m_states{};
    DrawCacheSlot m_draw_cache;
    Ui::PixelBox m_device_box{};
};

class ImageItem : public PresentationItem {
public:
    using PresentationItem::PresentationItem;

    const char* class_name() const override { return "ImageItem"; }
    void draw(ID2D1RenderTarget* target) override;

    const std::string& texture() const { return m_texture; }
    bool flip_horizontal() const { return m_flip_horizontal; }
    bool flip_vertical() const { return m_flip_vertical; }
    const ColourSetting& colour() const { return m_colour; }

protected:
    void load_own(lua_State* state, int table) override;

    std::string m_texture = "art/";
    bool m_flip_horizontal = false;
    bool m_flip_vertical = false;
    ColourSetting m_colour;
};

enum class HorizontalAlignment : int { left = 0, right = 1, centre = 2 };
enum class VerticalAlignment : int { top = 0, bottom = 1, centre = 2 };

class TextItem : public PresentationItem {
public:
    using PresentationItem::PresentationItem;

    const char* class_name() const override { return "TextItem"; }
    void draw(ID2D1RenderTarget* target) override;
    // The laid-out lines may reach past the item's box (a line wider than it, a box lower
    // than a line): the box and the text together, with a line's height around.
    Ui::PixelBox drawn_box(const D2D1_MATRIX_3X2_F& to_target, float scale) override;
    // The layout is made of the text and the font, not of the target: it outlives a
    // target, and goes when the files it was made from change.
    void on_resources_changed() override
    {
        m_layout_cache.reset();
        PresentationItem::on_resources_changed();
    }

    const ColourSetting& colour_top() const { return m_colour_top; }
    const ColourSetting& colour_bottom() const { return m_colour_bottom; }
    const std::string& font_name() const { return m_font_name; }
    bool multiline() const { return m_multiline; }
    bool drop_shadow() const { return m_drop_shadow; }
    HorizontalAlignment horizontal_alignment() const { return m_horizontal_alignment; }
    VerticalAlignment vertical_alignment() const { return m_vertical_alignment; }

protected:
    void load_own(lua_State* state, int table) override;

    ColourSetting m_colour_top;
    ColourSetting m_colour_bottom;
    std::string m_font_name;
    bool m_multiline = true;
    bool m_drop_shadow = false;
    HorizontalAlignment m_horizontal_alignment = HorizontalAlignment::left;
    VerticalAlignment m_vertical_alignment = VerticalAlignment::centre;
    DrawCacheSlot m_layout_cache;

private:
    // Where and how large the text is drawn under a transform.
    struct Placement;
    // The layout (made again when the text changed), given the box the transform makes;
    // false when nothing is drawn.
    bool place(const D2D1_MATRIX_3X2_F& to_target, Placement& placement);
};

// How many text layouts the process has made: a count for tests and benchmarks.
std::size_t text_layouts_made();

class RectangleItem : public PresentationItem {
public:
    using PresentationItem::PresentationItem;

    const char* class_name() const override { return "RectangleItem"; }
    void draw(ID2D1RenderTarget* target) override;

    const ColourSetting& colour() const { return m_colour; }
    bool outline() const { return m_outline; }

protected:
    void load_own(lua_State* state, int table) override;

    ColourSetting m_colour;
    bool m_outline = false;
};

class SegmentItem : public PresentationItem {
public:
    using PresentationItem::PresentationItem;

    const char* class_name() const override { return "SegmentItem"; }
    void draw(ID2D1RenderTarget* target) override;
    // Its line, wherever the points lie.
    Ui::PixelBox drawn_box(const D2D1_MATRIX_3X2_F& to_target, float scale) override;

    const ColourSetting& colour() const { return m_colour; }
    Vector2 p1() const { return m_p1; }
    Vector2 p2() const { return m_p2; }

protected:
    void load_own(lua_State* state, int table) override;

    ColourSetting m_colour;
    Vector2 m_p1{0.0f, 0.0f};
    Vector2 m_p2{0.0f, 0.0f};
};

class MovieItem : public PresentationItem {
public:
    using PresentationItem::PresentationItem;

    const char* class_name() const override { return "MovieItem"; }
    void draw(ID2D1RenderTarget* target) override;

    const std::string& swf() const { return m_swf; }
    double alpha() const { return m_alpha; }

protected:
    void load_own(lua_State* state, int table) override;

    std::string m_swf = "no file";
    double m_alpha = 1.0;
};

// Builds the item for the table on top of the stack (left there): the class its `type`
// names, loaded. Null when the top is not a table. Raises Lua errors.
std::unique_ptr<PresentationItem> create_item(ScreenDocument* screen, lua_State* state);

// A script's number as an int: rounded to the nearest, saturated, NaN as 0.
int round_to_int(double value);

} // namespace Screen
