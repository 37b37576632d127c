#pragma once
// What the editor shows for an opened screen: the tool strip across the top and the
// screen view filling the rest. The workspace also keeps the tool icon atlas, composed
// on its first draw on the window's render target and composed again after that target
// is dropped; the tool buttons draw from it through the atlas slot. It is the editor
// view of the floating tool windows: it owns the selection and tells their observers
// when it changes.

#include "ui/container_element.h"
#include "ui/resize_handles.h"
#include "ui/tool_strip.h"

#include <d2d1.h>
#include <wrl/client.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace Gfx {
struct GraphicsContext;
}

namespace Mod {
class LoadedMod;
}

namespace Screen {
class EditorObserver;
class ScreenDocument;
class Widget;
}

namespace Ui {

class EditorWorkspace : public ContainerElement {
public:
    // Shared objects by name, handed to the screen view once it is made.
    using SharedItems = std::vector<std::pair<std::string, std::shared_ptr<void>>>;

    // The floating tool windows of one workspace, made by the factory the program sets;
    // destroying it closes those still open.
    class ToolWindows {
    public:
        virtual ~ToolWindows() = default;
        // The screen was loaded again: document() is a new one, nothing is selected yet,
        // and the previous document still exists until this returns.
        virtual void document_replaced() {}
    };
    using ToolWindowFactory = std::function<std::unique_ptr<ToolWindows>(EditorWorkspace&)>;
    // Process-wide; without one (as in most tests) a workspace opens no tool windows.
    static void set_tool_window_factory(ToolWindowFactory factory);

    // Builds the tool strip and the screen view of the screen at `screen_path` in `mod`
    // (a failing screen raises the document's error), then the tool windows. `graphics`
    // and `mod` must outlive the workspace.
    EditorWorkspace(Gfx::GraphicsContext* graphics, const Mod::LoadedMod& mod, const std::string& screen_path);
    // Closes the tool windows first, so none outlives the document it shows.
    ~EditorWorkspace() override;

    // The part of `path` after its last "\" or "/" (all of it when there is none).
    static std::string name_from_path(const std::string& path);

    // Composes the atlas when there is none, then draws the children.
    void draw(ID2D1RenderTarget* target) override;
    // The strip across the top at its own height, the screen view below it.
    void on_resized() override;
    // While editing is not allowed only the tool strip takes the pointer: elsewhere the
    // workspace itself is the element found, and nothing starts a drag.
    Element* element_at(float x, float y) override;
    // With the select tool, a press in the screen view selects the widget under it. With
    // the edit tool, a press on a handle of the selection drags that handle, and a press
    // on a widget selects it and drags it.
    std::unique_ptr<DragTracker> begin_drag(float x, float y, MouseButton button) override;
    // The edit tool's move and size cursors over the selection and its handles.
    CursorKind cursor_at(float x, float y) override;
    // Drops the atlas with the target; the next draw composes it again.
    void on_target_dropped() override;

    // Loads the screen again from the mod's files. When it loads, the new document takes
    // the old one's place, with the widget at the selection's name path selected and the
    // tool windows told, and the tool strip's status is cleared; when it fails, the old
    // document stays and the status says why. Returns whether it loaded.
    bool reload();
    // The selected widget's table as Lua source, or the whole `Screen` statement when
    // nothing is selected: what copying hands out. Raises Screen::LuaWriteError for
    // tables too deep or too large to write.
    std::string copy_as_lua() const;

    // Puts copy_as_lua() on the clipboard, owned by the window the workspace is in.
    void copy_to_clipboard();

    // Undoes or redoes the last edit of the document (see Screen::EditHistory), selects
    // the widget it changed, and returns whether there was one. A failure shows in the
    // tool strip's status.
    bool undo();
    bool redo();

    // Runs the editor command of a key (see editor_key_command); false when the key is
    // not the editor's, or does nothing now (arrows without the edit tool or a selection).
    bool handle_key(unsigned virtual_key, bool control, bool shift, bool alt);
    // The keys the tool windows pass on: undo, redo and copy, not the arrows they use
    // themselves. False for any other key.
    bool handle_tool_window_key(unsigned virtual_key, bool control, bool shift);
    // Moves the selection by whole device pixels, one undo step per call.
    void nudge_selection(int dx, int dy);
    // The selection's frame in device pixels of the workspace, as the screen draws it.
    std::optional<PixelBox> selection_frame() const;
    // Device pixels per DIP, as the workspace was last drawn.
    float pixel_scale() const { return m_pixel_scale; }

    // The resolutions the screen can be previewed at; the first, "Fit window", draws it
    // over the whole view.
    struct PreviewResolution {
        const wchar_t* label;
        float width; // DIPs; 0 for the window's own size
        float height;
    };
    static const std::vector<PreviewResolution>& preview_resolutions();
    // Draws the screen at that resolution, scaled to fit the view and centred, with the
    // rest of the view dimmed; screens opened later start with it too. Out of range:
    // ignored.
    void set_preview_resolution(std::size_t index);
    std::size_t preview_resolution() const { return m_resolution; }
    // The screen's rectangle in the view, in workspace DIPs.
    D2D1_RECT_F screen_rectangle() const;

    // Drops what the screen's drawing keeps of textures and fonts, for resources that
    // changed under it, and draws again.
    void redraw_resources();

    // Asked on every pointer search; null restores the default, which always allows.
    void set_editing_allowed(std::function<bool()> predicate);
    bool editing_allowed() const { return m_editing_allowed(); }

    // The selected widget, or null (also once the selected widget has been destroyed).
    Screen::Widget* selection() const;
    // Makes `widget` (or nothing) the selection: the screen dims all but it by the
    // emphasis setting and emphasizes it, and the observers hear of it. Selecting the
    // selection again does nothing.
    void select(Screen::Widget* widget);
    // Told of every selection change, held weakly.
    void add_observer(std::weak_ptr<Screen::EditorObserver> observer);
    // Whether the screen dims all but the selection; process-wide, true at start.
    static bool emphasize_selection();
    static void set_emphasize_selection(bool emphasize);
    // The dim factor that goes with the emphasis setting.
    static float selection_dim();

    // What a click at (x, y) in `document`'s own units picks: the deepest shown widget
    // whose rectangle holds the point (a group drawing nothing of its own only when no
    // other widget is there), or the widget a composite part belongs to; null over
    // nothing.
    static Screen::Widget* widget_at(Screen::ScreenDocument& document, float x, float y);

    Screen::ScreenDocument* document() const { return m_document; }
    ToolStrip* tool_strip() const { return m_tool_strip; }
    Tool current_tool() const { return m_tool_strip->current_tool(); }
    // Null until the first draw, and again after the render target is dropped.
    ID2D1Bitmap* atlas() const { return m_atlas.Get(); }
    const std::string& window_name() const { return m_window_name; }
    Gfx::GraphicsContext* graphics() const { return m_graphics; }
    const Mod::LoadedMod& mod() const { return *m_mod; }
    const SharedItems& shared_items() const { return m_shared_items; }

    ToolWindows* tool_windows() const { return m_tool_windows.get(); }

private:
    static bool always_allowed() { return true; }
    // Lets the tool strip follow the document's history.
    void attach_history();
    void history_changed();
    bool step_history(bool forward);
    // The menu of preview resolutions under the strip's button.
    void choose_preview_resolution();
    HWND host_window();
    // The handle's edges of the selection at a workspace point, or 0; -1 when the point
    // is on none but inside the selection's frame.
    int selection_part_at(float x, float y) const;

    Gfx::GraphicsContext* m_graphics;
    const Mod::LoadedMod* m_mod;
    ToolStrip* m_tool_strip = nullptr; // owned as a child
    Microsoft::WRL::ComPtr<ID2D1Bitmap> m_atlas;
    Microsoft::WRL::ComPtr<ID2D1SolidColorBrush> m_margin_shade; // over the view around a preview
    Screen::ScreenDocument* m_document = nullptr; // owned as a child
    SharedItems m_shared_items;
    std::function<bool()> m_editing_allowed = always_allowed;
    std::string m_window_name;
    Screen::Widget* m_selection = nullptr;
    std::vector<std::weak_ptr<Screen::EditorObserver>> m_observers;
    std::unique_ptr<ToolWindows> m_tool_windows;
    float m_pixel_scale = 1.0f;
    std::size_t m_resolution = 0;
};

} // namespace Ui
