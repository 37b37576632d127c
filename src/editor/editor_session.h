#pragma once
// One screen open in the editor: the document of the moment, the selection, and the
// edit commands that act on them. It is the editor's one notification hub: it listens
// to its document and passes on every property change, and it tells of selection
// changes, of the document loaded again in place of the old one, of the undo history,
// of the status line and of the mod's texts read again. Windows listen to it once, for
// as long as they live; a reload swaps the document inside it.

#include "editor/editor_listener.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace Screen {
class ScreenDocument;
class Widget;
} // namespace Screen

namespace Editor {

class EditorSession : public Screen::EditorObserver, public std::enable_shared_from_this<EditorSession> {
public:
    // Tells its listener what the session tells, from its making until it is reset or
    // destroyed; it ends by itself when the session goes first.
    class Subscription {
    public:
        Subscription() = default;
        Subscription(Subscription&& other) noexcept;
        Subscription& operator=(Subscription&& other) noexcept;
        Subscription(const Subscription&) = delete;
        Subscription& operator=(const Subscription&) = delete;
        ~Subscription() { reset(); }
        void reset();

    private:
        friend class EditorSession;
        std::weak_ptr<std::vector<EditorListener*>> m_listeners;
        EditorListener* m_listener = nullptr;
    };

    // A session on `document`, which it listens to from now on.
    static std::shared_ptr<EditorSession> create(Screen::ScreenDocument& document);
    EditorSession(const EditorSession&) = delete;
    EditorSession& operator=(const EditorSession&) = delete;
    ~EditorSession() override;

    Screen::ScreenDocument& document() const { return *m_document; }
    // The screen loaded again: `fresh` takes the old document's place. The selection
    // goes (the listeners hear of it while the old document lives), the listeners hear
    // of the new document, then the widget at the old selection's name path is selected.
    // The status's load problem is cleared.
    void replace_document(Screen::ScreenDocument& fresh);
    // Stops listening to the document's history, before the document goes (the session
    // then only answers selection() and document() until it goes too).
    void detach();

    [[nodiscard]] Subscription subscribe(EditorListener& listener);

    // The selected widget, or null (also once it has been destroyed).
    Screen::Widget* selection() const;
    // Makes `widget` (or nothing) the selection: the screen dims all but it by the
    // emphasis setting and emphasizes it, and the listeners hear of it. Selecting the
    // selection again does nothing.
    void select(Screen::Widget* widget);

    // Whether the screen dims all but the selection; process-wide, true at start.
    static bool emphasize_selection();
    // Changes the setting and draws the document by it.
    void set_emphasize_selection(bool emphasize);
    // The dim factor that goes with the setting.
    static float selection_dim();

    bool can_undo() const;
    bool can_redo() const;
    // Undoes or redoes the last edit and selects the widget it changed; false when there
    // was none. A failure shows in the status.
    bool undo();
    bool redo();
    // Takes back the edits of `run` when they are the last step, leaving nothing to redo
    // (an edit cancelled with Escape); false when there was no such step.
    bool revert_run(std::uint64_t run);

    // The selected widget's table as Lua source, or the whole `Screen` statement when
    // nothing is selected. Raises Screen::LuaWriteError for tables too deep or too large.
    std::string copy_as_lua() const;

    // Moves the selection by (dx, dy) in the document's units. Consecutive nudges of one
    // widget are one undo step.
    void nudge_selection(float dx, float dy);

    // Gives `widget` the name `name` and makes the `tooltip_name` references that reached
    // it by its old name follow, in one undo step. An empty name, or one another widget
    // has, is refused with the reason in the status; returns whether it was renamed.
    bool rename(Screen::Widget& widget, const std::string& name);
    // Makes the widget named `name` `widget`'s tooltip widget (an empty name: none), as
    // one undo step.
    bool set_tooltip_widget(Screen::Widget& widget, const std::string& name);
    // The names of the screen's tooltip widgets, in the order the script lists them.
    std::vector<std::string> tooltip_widget_names() const;

    // Runs `edit`; a failure shows in the status instead of going on. Returns whether the
    // edit ran through.
    bool attempt(const std::function<void()>& edit);

    // The line the tool strip shows: the last notice, else the load problem.
    const std::u16string& status() const { return m_notice.empty() ? m_load_problem : m_notice; }
    // Why the last command failed or was refused; cleared by the next command that works
    // and by selecting another widget.
    void report(std::u16string notice);
    // Why the screen's file no longer loads; stays until a new version loads.
    void set_load_problem(std::u16string problem);
    // Tells the listeners that the mod's localisation tables were read again.
    void texts_changed();

private:
    explicit EditorSession(Screen::ScreenDocument& document);
    void attach(Screen::ScreenDocument& document);
    void property_changed(Screen::Widget* widget, int property) override;
    void selection_changed(Screen::Widget*) override {}
    void tell(const std::function<void(EditorListener&)>& call);
    void clear_notice();
    bool step_history(bool forward);

    Screen::ScreenDocument* m_document;
    bool m_attached = false;
    Screen::Widget* m_selection = nullptr;
    std::shared_ptr<std::vector<EditorListener*>> m_listeners;
    int m_telling = 0; // nested tell() calls; the list is compacted by the outermost
    std::uint64_t m_nudge_run;
    std::u16string m_notice;
    std::u16string m_load_problem;
};

} // namespace Editor
