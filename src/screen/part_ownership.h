#pragma once
// A composite part whose table comes from its owner's style is the style sheet's own
// table, shared by every widget of that style. Before such a part (or anything built
// from its table) is edited, its owner takes a copy of that table as its own, under the
// part's key, and the built widgets read the copy from then on: the edit stays with the
// one widget and the sheet is never written. An ownership can be given back (undo) and
// taken again (redo); the copy keeps whatever was edited in it meanwhile.

#include "screen/lua_api.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Ui {
class Element;
}

namespace Screen {

class ScreenDocument;
class Widget;

class PartOwnership {
public:
    PartOwnership() = default;
    PartOwnership(PartOwnership&& other) noexcept;
    PartOwnership& operator=(PartOwnership&& other) noexcept;
    PartOwnership(const PartOwnership&) = delete;
    PartOwnership& operator=(const PartOwnership&) = delete;
    // Frees the references; gives nothing back.
    ~PartOwnership();

    // Gives every style-supplied part between `widget` and the root (`widget` itself
    // included) its own table in its owner, outermost first. Nothing when the widget's
    // table is no style's. Raises ScriptError when Lua fails, having taken nothing.
    static PartOwnership take(Widget& widget);

    bool empty() const { return m_boundaries.empty(); }
    // The owners write the copies under the parts' keys, and the built widgets and items
    // read them; innermost last. Raises ScriptError.
    void attach();
    // The owners drop the keys again, and the built widgets and items read the style's
    // tables; innermost first. Raises ScriptError.
    void detach();

private:
    // One owner and its style-supplied part.
    struct Boundary {
        Widget* owner;
        std::uint64_t owner_serial;
        std::string key;
        int copy = LUA_NOREF;        // the owner's own table for the part
        int copy_of = LUA_NOREF;     // style table -> its copy, for every table copied
        int original_of = LUA_NOREF; // copy -> style table
    };
    // The owner takes the copy (`own`) or drops it, and the part follows.
    void move(const Boundary& boundary, bool own);
    // Points `element` and everything built below it at the tables the map (at stack
    // index `map`) gives for theirs.
    static void rebind(lua_State* state, Ui::Element& element, int map);
    void release() noexcept;

    ScreenDocument* m_document = nullptr;
    lua_State* m_lua = nullptr;
    std::vector<Boundary> m_boundaries; // outermost first
};

// A copy of the table on top of the stack, and of every table reachable from its
// values, pushed; `copy_of` and `original_of` (absolute indices of tables) receive
// original -> copy and copy -> original. Shared and cyclic tables stay shared and
// cyclic. Metatables are kept, not copied. Raises Lua errors.
void push_deep_copy(lua_State* state, int copy_of, int original_of);

} // namespace Screen
