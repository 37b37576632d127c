#pragma once
// What the editor shows for an opened screen: the tool strip across the top and the
// screen view filling the rest, with the floating tool windows beside them once it is in
// a window. It is the editor's controller on Windows: it owns the screen's editor
// session, turns presses, drags and keys on the screen into its commands, and keeps the
// tool icon atlas, composed on its first draw on the window's render target and composed
// again after that target is dropped (the tool buttons draw from it through the slot).

#include "editor/editor_listener.h"
#include "editor/editor_session.h"
#include "editor/editor_tool.h"
#include "editor/resize_handles.h"
#include "ui/container_element.h"

#include <d2d1.h>
#include <windows.h>
#include <wrl/client.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace Gfx {
struct GraphicsContext;
}

namespace Mod {
class LoadedMod;
class ModChange;
}

namespace Screen {
class ScreenDocument;
class Widget;
} // namespace Screen

namespace Editor {

class EditorToolWindows;
class ToolStrip;

class EditorWorkspace : public Ui::ContainerElement, private EditorListener {
public:
    // Whether workspaces open their tool windows once they are in a window; process-wide,
    // off until the program turns it on (most tests want none).
    static void set_tool_windows_enabled(bool enabled);

    // Builds the tool strip and the screen view of the screen at `screen_path` in `mod`
    // (a failing screen raises the document's error). `graphics` and `mod` must outlive
    // the workspace.
    EditorWorkspace(Gfx::GraphicsContext* graphics, const Mod::LoadedMod& mod, const std::string& screen_path);
    // Closes the tool windows first, so none outlives the document it shows.
    ~EditorWorkspace() override;

    // The part of `path` after its last "\" or "/" (all of it when there is none).
    static std::string name_from_path(const std::string& path);

    // Composes the atlas when there is none, then draws the children.
    void draw(ID2D1RenderTarget* target) override;
    // The strip across the top at its own height, the screen view below it. The first
    // time the workspace is in a window, the tool windows open.
    void on_resized() override;
    // While editing is not allowed only the tool strip takes the pointer: elsewhere the
    // workspace itself is the element found, and nothing starts a drag.
    Ui::Element* element_at(float x, float y) override;
    // A left press in the screen view picks and drags as plan_press says: the topmost
    // widget under it is selected, and with the edit tool dragged once the pointer has
    // moved past the system's drag distance; a handle, a press inside the selection with
    // nothing drawn over it there, or a press with Alt held drags the selection.
    std::unique_ptr<Ui::DragTracker> begin_drag(float x, float y, Ui::MouseButton button) override;
    // The edit tool's move and size cursors where a press would drag the selection.
    Ui::CursorKind cursor_at(float x, float y) override;
    // Drops the atlas with the target; the next draw composes it again.
    void on_target_dropped() override;

    // Loads the screen again from the mod's files. When it loads, the new document takes
    // the old one's place in the session; when it fails, the old document stays and the
    // status says why. Returns whether it loaded.
    bool reload();
    // Drops what the screen's drawing keeps of the changed files, whose resources have
    // taken the change, and draws again.
    void redraw_resources(const Mod::ModChange& change);

    // Puts the session's copy_as_lua() on the clipboard, owned by the window the
    // workspace is in; a failure shows in the status.
    void copy_to_clipboard();

    // Runs the editor command of a key (see editor_key_command); false when the key is
    // not the editor's, or does nothing now (arrows without the edit tool or a selection).
    bool handle_key(unsigned virtual_key, bool control, bool shift, bool alt);
    // The keys the tool windows pass on (tool_windows_pass_on); false for any other key.
    bool handle_tool_window_key(unsigned virtual_key, bool control, bool shift);
    // Moves the selection by whole device pixels; held and repeated nudges of one widget
    // are one undo step.
    void nudge_selection(int dx, int dy);
    // Opens the tool windows that were closed and brings them all forward, without
    // taking the focus.
    void show_tool_windows();
    // Starts editing the selection's name in the outline (opened when closed).
    void begin_rename();
    // Whether the last press used Alt to drag, which the window's menu key then must not
    // take; reading it forgets it.
    bool take_alt_drag();

    // Whether the edit tool's handles frame the selection.
    bool handles_shown() const;
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

    // Asked on every pointer search; null restores the default, which always allows.
    void set_editing_allowed(std::function<bool()> predicate);
    bool editing_allowed() const { return m_editing_allowed(); }

    EditorSession& session() const { return *m_session; }
    Screen::ScreenDocument* document() const { return m_document; }
    Screen::Widget* selection() const;
    ToolStrip* tool_strip() const { return m_tool_strip; }
    Tool current_tool() const;
    // Null until the first draw, and again after the render target is dropped.
    ID2D1Bitmap* atlas() const { return m_atlas.Get(); }
    const std::string& window_name() const { return m_window_name; }
    Gfx::GraphicsContext* graphics() const { return m_graphics; }
    const Mod::LoadedMod& mod() const { return *m_mod; }
    // The window the workspace is in, or null while it is in none.
    HWND host_window();
    // Null until the workspace is first in a window (or without tool windows at all).
    EditorToolWindows* tool_windows() const { return m_tool_windows.get(); }

private:
    static bool always_allowed() { return true; }
    void history_changed() override;
    void status_changed() override;
    // The menu of preview resolutions under the strip's button.
    void choose_preview_resolution();
    // The handle's edges of the selection at a workspace point, inside_selection, or
    // outside_selection.
    int selection_part_at(float x, float y) const;
    std::unique_ptr<Ui::DragTracker> drag_widget(Screen::Widget& widget, int edges);
    // The eight handles around the selection's frame, on whole device pixels.
    void draw_handles(ID2D1RenderTarget* target);

    Gfx::GraphicsContext* m_graphics;
    const Mod::LoadedMod* m_mod;
    ToolStrip* m_tool_strip = nullptr; // owned as a child
    Microsoft::WRL::ComPtr<ID2D1Bitmap> m_atlas;
    Microsoft::WRL::ComPtr<ID2D1SolidColorBrush> m_margin_shade; // over the view around a preview
    Microsoft::WRL::ComPtr<ID2D1SolidColorBrush> m_handle_fill;
    Microsoft::WRL::ComPtr<ID2D1SolidColorBrush> m_handle_ink;
    Screen::ScreenDocument* m_document = nullptr; // owned as a child
    std::shared_ptr<EditorSession> m_session;
    EditorSession::Subscription m_subscription;
    std::function<bool()> m_editing_allowed = always_allowed;
    std::string m_window_name;
    std::unique_ptr<EditorToolWindows> m_tool_windows;
    float m_pixel_scale = 1.0f;
    std::size_t m_resolution = 0;
    bool m_alt_drag = false;
};

} // namespace Editor
