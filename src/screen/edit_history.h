#pragma once
// The undo history of one screen document. An edit changes a few keys of one widget's
// table; a step keeps those keys' values from before and after the edit by registry
// reference, so that undoing puts back the very values the script made (a size table
// shared by several widgets stays shared) and the widget reads them again. A step
// usually changes one widget; an edit group (a rename and the references that follow
// it) makes one step of several.

#include "screen/lua_api.h"
#include "screen/part_ownership.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace Screen {

class ScreenDocument;
class Widget;

// The table values an edit may change, and what the widget made of them.
class FieldSnapshot {
public:
    static constexpr std::size_t field_count = 8;
    // position, size, visible, text, tooltip_text, style, name, tooltip_name
    static const std::array<const char*, field_count> keys;

    // What the widget shows of those values; two snapshots with the same summary look
    // the same on screen and in the grid.
    struct Summary {
        float x = 0.0f, y = 0.0f, width = 0.0f, height = 0.0f;
        bool size_from_style = false;
        bool visible = true;
        std::optional<std::string> text;
        std::string tooltip;
        std::optional<std::string> style_sheet;
        std::optional<std::string> style_name;
        std::string name;
        std::optional<std::string> tooltip_name;
        bool operator==(const Summary& other) const;
    };

    FieldSnapshot() = default;
    // References the attached widget's values. Raises ScriptError when Lua fails.
    explicit FieldSnapshot(const Widget& widget);
    FieldSnapshot(FieldSnapshot&& other) noexcept;
    FieldSnapshot& operator=(FieldSnapshot&& other) noexcept;
    FieldSnapshot(const FieldSnapshot&) = delete;
    FieldSnapshot& operator=(const FieldSnapshot&) = delete;
    ~FieldSnapshot();

    // Pushes the value of keys[i].
    void push(lua_State* state, std::size_t i) const;
    const Summary& summary() const { return m_summary; }

private:
    void release() noexcept;

    lua_State* m_lua = nullptr;
    std::array<int, field_count> m_refs{};
    Summary m_summary;
};

// Ties the edits made while it lives into one undo step per widget: a run of keystrokes
// in one grid editor, one drag. Runs nest; the innermost counts.
class EditRun {
public:
    // A number no run had before.
    static std::uint64_t next_id();
    // The run of the innermost EditRun alive, or 0 (none).
    static std::uint64_t current();

    explicit EditRun(std::uint64_t id);
    ~EditRun();
    EditRun(const EditRun&) = delete;
    EditRun& operator=(const EditRun&) = delete;

private:
    std::uint64_t m_previous;
};

class EditHistory;

// Ties every edit made while it lives into one undo step, whichever widgets they change,
// applied in the order they were made both ways. Groups nest; the outermost counts.
class EditGroup {
public:
    // Null: a group of nothing (no history records now).
    explicit EditGroup(EditHistory* history);
    ~EditGroup();
    EditGroup(const EditGroup&) = delete;
    EditGroup& operator=(const EditGroup&) = delete;

private:
    EditHistory* m_history;
};

class EditHistory {
public:
    // Older steps go first past this many.
    static constexpr std::size_t max_steps = 1000;

    EditHistory() = default;
    EditHistory(const EditHistory&) = delete;
    EditHistory& operator=(const EditHistory&) = delete;

    bool can_undo() const { return m_done > 0; }
    bool can_redo() const { return m_done < m_steps.size(); }
    std::size_t size() const { return m_steps.size(); }
    // True while a step is put back: the widget's setters then record nothing.
    bool applying() const { return m_applying; }

    // One edit of `widget`, from `before` to `after`, which first took `owned` (style
    // parts given their own tables for it). Nothing is recorded when nothing shows the
    // change, and then the ownership is given back. In the run of the last step, on the
    // same widget, and with nothing undone since, it joins that step (which goes when
    // the run comes back to where it started, its ownership with it). Inside an edit
    // group it joins the group's step. Steps undone before are dropped.
    void record(const Widget& widget, FieldSnapshot before, FieldSnapshot after, std::uint64_t run,
                PartOwnership owned = {});

    // Puts back the values before the last step done (after the next undone one) and
    // returns the (first) widget, or null when there was nothing to do or it is gone.
    // Raises ScriptError when Lua fails; the step then counts as moved all the same.
    Widget* undo(ScreenDocument& document);
    Widget* redo(ScreenDocument& document);
    // Takes back the last step when it is `run`'s and nothing came after it: its values go
    // back and the step goes, not to be redone (a typed edit cancelled). Returns whether
    // it did. Raises as undo does.
    bool revert_run(ScreenDocument& document, std::uint64_t run);

    // Drops every step; before the document's Lua state closes.
    void clear();

    // Called after every change of what can be undone or redone.
    void set_listener(std::function<void()> listener) { m_listener = std::move(listener); }

private:
    friend class EditGroup;
    // One widget's part of a step.
    struct Change {
        const Widget* widget;
        std::uint64_t serial;
        FieldSnapshot before;
        FieldSnapshot after;
        PartOwnership owned; // taken before `before`
    };
    struct Step {
        std::vector<Change> changes; // in the order they were made
        std::uint64_t run;
    };
    // Drops the undone steps and makes room for one more.
    void start_step(std::uint64_t run);
    void end_group();
    Widget* apply(ScreenDocument& document, Step& step, bool forward);
    void changed() const;

    std::vector<Step> m_steps;
    std::size_t m_done = 0;  // steps [0, m_done) are done
    bool m_joinable = false; // the last step may take more edits of its run
    bool m_applying = false;
    int m_group_depth = 0;
    bool m_group_started = false; // the open group has its step
    std::function<void()> m_listener;
};

} // namespace Screen
