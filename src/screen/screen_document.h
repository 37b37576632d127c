#pragma once
// One opened screen: its script evaluated in a Lua state of its own, the mod's style
// sheets, the widget tree and tooltip widgets built from the global `Screen` table, the
// editor's observers and its emphasis state. Its coordinates are normalised: (0, 0) to
// (1, 1) covers the whole screen, whatever size the element has.

#include "fs/file_source.h"
#include "screen/colour_table.h"
#include "screen/dirty_region.h"
#include "screen/draw_cache.h"
#include "screen/edit_history.h"
#include "screen/editor_observer.h"
#include "screen/script_state.h"
#include "screen/style_sheets.h"
#include "ui/container_element.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace Gfx {
struct GraphicsContext;
}

namespace Mod {
class LoadedMod;
class ModChange;
}

namespace Render {
class ResourceSet;
}

namespace Screen {

class Widget;

// What a document reads: the mod's file system and colour table, the mod itself for
// its texts, and its rendering resources for textures and fonts (either null where
// there is none, as in tests).
struct ScreenSources {
    std::shared_ptr<const Mod::FileSource> files;
    const ColourTable* colours = nullptr;
    const Mod::LoadedMod* mod = nullptr;
    Render::ResourceSet* resources = nullptr;
};

// The colour table of a loaded mod's resources, or null.
const ColourTable* colours_of(const Mod::LoadedMod& mod);

class ScreenDocument : public Ui::ContainerElement {
public:
    // Bounds on what one screen may build: a script cannot nest widget tables deeper, or
    // make the editor build more widgets and items, however its tables refer to each other.
    static constexpr int max_nesting = 200;
    static constexpr std::size_t max_elements = 200000;

    // Throws std::runtime_error "Cannot open screen file <path>" or "Cannot load|
    // instantiate screen file <path>: <Lua message>".
    ScreenDocument(Gfx::GraphicsContext* graphics, const Mod::LoadedMod& mod, const std::string& path);
    ScreenDocument(Gfx::GraphicsContext* graphics, ScreenSources sources, const std::string& path,
                   const ScriptLimits& limits = ScriptLimits());
    ~ScreenDocument() override;

    D2D1_MATRIX_3X2_F transform() const override;
    // The document keeps the screen as it drew it and draws again only what changed. A
    // change of the document itself (its size, preview size, emphasis, dimming) draws
    // the whole screen again.
    void invalidate() override;
    // A widget changed: its subtree (else only its own art) is drawn again where it was
    // drawn and where it is now; then the window is asked to paint.
    void widget_changed(Widget* widget, bool subtree);
    // While part of the screen is drawn again: whether a box of device pixels reaches
    // into it (true when drawing all of it, or outside the document's drawing).
    bool in_drawn_part(const Ui::PixelBox& box) const;
    // Measures the tree under `to_target` (the target's transform of the document, at
    // `scale` device pixels a DIP) and hands out the parts of the kept image, within
    // `image`, to draw again, forgetting them: all of `image` after a change of the
    // document itself; else where changed widgets were and are, and for a change of
    // hover or press only the art that shows in one of the two states.
    std::vector<Ui::PixelBox> take_changes(const D2D1_MATRIX_3X2_F& to_target, float scale, const Ui::PixelBox& image);
    Ui::HitResult hit_test(float x, float y) override;
    // Checkerboard, the widgets clipped to the screen, and the emphasis: everything but
    // the emphasized widget dimmed, which is framed on device pixels. The screen is kept
    // in an image of the target's size (drawn over white, the window's background) and
    // only what changed since is drawn again; the emphasis frame goes over the image.
    void draw(ID2D1RenderTarget* target) override;
    // The same picture straight onto the target, keeping no image: for a single one.
    void draw_once(ID2D1RenderTarget* target);
    // How many device pixels the last draw() drew again in the kept image.
    double pixels_drawn_again() const { return m_pixels_drawn_again; }
    void on_target_dropped() override;
    // The mod's files changed, and its resources have taken the change: text layouts go
    // when fonts or texts changed (they outlive a target, not their files), and the whole
    // screen is drawn again, since a changed texture may show anywhere. Three events drop
    // what the document keeps, each no more than it must: a target dropped (lost, or the
    // view resized) takes what was made on it, with the kept image; changed files take
    // what was made of them; a change of the document draws it all again.
    void on_files_changed(const Mod::ModChange& change);

    // The dimming layer around everything but the emphasized widget, which leaves it
    // while it draws itself (only while dimming). Leaving returns the target the widget
    // draws on (another one where layers are drawn off screen); entering again returns
    // the target the rest goes on.
    ID2D1RenderTarget* leave_dim_layer(ID2D1RenderTarget* target);
    ID2D1RenderTarget* enter_dim_layer(ID2D1RenderTarget* target);

    void add_observer(std::weak_ptr<EditorObserver> observer);
    // property_changed on every live observer, in registration order.
    void notify(Widget* widget, int property);

    // Every edit of the document's widgets, for undo and redo; dropped with the document.
    EditHistory& history() { return m_history; }
    // The history while edits are to be recorded: not while a step is put back, nor
    // while the document closes.
    EditHistory* recording_history()
    {
        return m_closing || m_hover_effect || m_history.applying() ? nullptr : &m_history;
    }

    void set_emphasized(Widget* widget);
    Widget* emphasized() const { return m_emphasized; }

    // The size in DIPs the screen is drawn for, as a preview of a resolution; 0 by 0 (the
    // default) is the element's own size. Texts take their size for that resolution and
    // shrink or grow with the element, as the rest of the screen does.
    void set_design_size(float width, float height);
    // The width of a 4:3 screen of the design size's area, where font size tables are read.
    float text_area_width() const;
    // The element's size over the design size: how much text is scaled with the screen.
    float text_zoom() const;
    void set_dim(float factor);
    float dim() const { return m_dim; }

    Widget* widgets() const { return m_widgets; }
    // Every widget built, tooltip widgets and composite parts included.
    std::size_t widget_count() const { return m_live_widgets.size(); }
    // Those widgets, in the order they were built.
    std::vector<Widget*> live_widgets() const;
    Widget* tooltip_widgets() const { return m_tooltip_widgets; }
    lua_State* lua() const { return m_lua.get(); }
    const std::string& path() const { return m_path; }
    const ColourTable* colours() const { return m_sources.colours; }
    const Mod::LoadedMod* mod() const { return m_sources.mod; }
    Render::ResourceSet* resources() const { return m_sources.resources; }
    // The screen text of `text`: a "$<id>" reference resolved through the mod's tables,
    // else the text as it stands.
    std::u16string resolve_text(const std::string& text) const;
    // Drawing objects the document shares with its widgets (placeholder brushes, format
    // and stroke style); made on first use.
    DrawCache* draw_cache() const { return m_draw_cache.get(); }
    DrawCacheSlot& draw_cache_slot() { return m_draw_cache; }
    Gfx::GraphicsContext* graphics() const { return m_graphics; }

    // Style sheets (see StyleSheets). push_style may raise Lua errors.
    bool push_style(lua_State* state, const std::optional<std::string>& sheet,
                    const std::optional<std::string>& style) const;
    const std::vector<StyleName>& styles_for_type(std::string_view widget_type) const;
    bool styles_loaded() const { return m_styles.loaded(); }
    // The sheets the screen had to do without, and why.
    const std::vector<SheetProblem>& style_problems() const { return m_styles.problems(); }

    // The tooltip widget whose text a hovered widget has set, if any.
    Widget* shown_tooltip() const { return m_shown_tooltip; }
    // Shows `text` in `tooltip`, clearing the one shown before.
    void show_tooltip(Widget* tooltip, const std::string& text);
    // Clears the shown tooltip's text and forgets it.
    void hide_shown_tooltip();

    // Widgets report their life here, so that nothing the document keeps dangles.
    void widget_created(Widget* widget);
    void widget_destroyed(Widget* widget);
    // `candidate` when it is a widget of this document that is alive, else null.
    Widget* live_widget(void* candidate) const;
    // What copying hands out: the widget's table as Lua source (null: the whole `Screen`
    // statement). A size a widget takes from its style is left out, so that the text
    // goes on following the style. Raises LuaWriteError for tables too deep or too
    // large to write, ScriptError when Lua fails.
    std::string lua_text(const Widget* widget) const;
    // Whether `name` would not reach `widget` by a `tooltip_name` lookup: another widget
    // has it, or the name is taken by the state itself. Raises ScriptError when Lua fails.
    bool name_taken(const std::string& name, const Widget* widget) const;
    void item_created() { ++m_live_items; }
    void item_destroyed() { --m_live_items; }

    // Counts one widget or item being built and one level of nesting for as long as it
    // lives; raises a Lua error past max_nesting or max_elements.
    class BuildLevel {
    public:
        BuildLevel(ScreenDocument& document, lua_State* state);
        ~BuildLevel() { --m_document.m_build_depth; }
        BuildLevel(const BuildLevel&) = delete;
        BuildLevel& operator=(const BuildLevel&) = delete;

    private:
        ScreenDocument& m_document;
    };

private:
    static int load_style_sheets(lua_State* state);
    static int instantiate(lua_State* state);
    void build(const std::string& path);
    // Shows the tooltip of the hovered widget if it is drawn, and none while the pointer
    // is off the screen: before the screen is drawn.
    void update_tooltip();
    // The places of the tree's widgets and items under `to_target` (the target's
    // transform of the document), in device pixels at `scale`; returns the screen's.
    Ui::PixelBox measure(const D2D1_MATRIX_3X2_F& to_target, float scale);
    // What draw() drew before the image was kept: the checkerboard, the widgets (those in
    // the drawn part), the dimming; on `target` under the document's transform.
    void draw_content(ID2D1RenderTarget* target);
    // The emphasis frame, over the image.
    void draw_emphasis(ID2D1RenderTarget* target);
    void release_contents();
    void set_path_mark(Widget* widget, bool shown);
    // While it lives, widget changes are the screen's own response to the pointer.
    class HoverEffect {
    public:
        explicit HoverEffect(ScreenDocument& document) : m_document(document), m_was(document.m_hover_effect)
        {
            document.m_hover_effect = true;
        }
        ~HoverEffect() { m_document.m_hover_effect = m_was; }
        HoverEffect(const HoverEffect&) = delete;
        HoverEffect& operator=(const HoverEffect&) = delete;

    private:
        ScreenDocument& m_document;
        bool m_was;
    };

    std::vector<std::weak_ptr<EditorObserver>> m_observers;
    StyleSheets m_styles;
    Gfx::GraphicsContext* m_graphics;
    ScreenSources m_sources;
    std::string m_path;
    ScriptLimits m_limits;
    ScriptState m_lua;
    Widget* m_shown_tooltip = nullptr;
    Widget* m_widgets = nullptr;         // owned as a child
    Widget* m_tooltip_widgets = nullptr; // owned as a child
    Widget* m_emphasized = nullptr;
    float m_dim = 1.0f;
    float m_design_width = 0.0f;
    float m_design_height = 0.0f;
    std::vector<Widget*> m_path_marked; // widgets whose path mark set_emphasized set
    std::unordered_set<const Widget*> m_live_widgets;
    std::size_t m_live_items = 0;
    int m_build_depth = 0;
    bool m_closing = false;
    bool m_hover_effect = false;
    DrawCacheSlot m_draw_cache; // the kept image of the screen among its objects
    // What the kept image lacks: the regions to draw again, the widgets whose new places
    // join them once measured, or all of it.
    struct Change {
        bool subtree = false; // else only art that shows in another state
        int shown_state = -1; // the state the image shows the widget in
    };
    DirtyRegion m_dirty;
    std::unordered_map<Widget*, Change> m_changed;
    bool m_redraw_all = true;
    const Ui::PixelBox* m_drawn_part = nullptr; // while drawing part of the image
    double m_pixels_drawn_again = 0.0;
    EditHistory m_history; // its references go before the state closes
};

} // namespace Screen
