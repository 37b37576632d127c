// The edit tool's handle squares, what dragging them does, and the editor's keys.

#include "editor/editor_keys.h"
#include "editor/resize_handles.h"

#include <gtest/gtest.h>

namespace {

using namespace Editor;

TEST(ResizeHandles, SitOnTheFramesCornersAndEdgeMiddlesInWholePixels)
{
    const PixelBox frame{10, 20, 110, 61}; // the frame's line runs on pixels 10..109, 20..60
    struct Case {
        int edges;
        float left, top;
    };
    for (const Case& c : {Case{Edge::left | Edge::top, 7, 17}, Case{Edge::top, 57, 17},
                          Case{Edge::right | Edge::top, 106, 17}, Case{Edge::right, 106, 37},
                          Case{Edge::right | Edge::bottom, 106, 57}, Case{Edge::bottom, 57, 57},
                          Case{Edge::left | Edge::bottom, 7, 57}, Case{Edge::left, 7, 37}}) {
        const PixelBox box = handle_box(frame, c.edges);
        EXPECT_EQ(box.left, c.left) << c.edges;
        EXPECT_EQ(box.top, c.top) << c.edges;
        EXPECT_EQ(box.right - box.left, handle_size);
        EXPECT_EQ(box.bottom - box.top, handle_size);
        // Hit across the handle and its slop, and nowhere past it.
        EXPECT_EQ(handle_at(frame, box.left + 3, box.top + 3), c.edges);
        EXPECT_EQ(handle_at(frame, box.left - handle_slop, box.top), c.edges);
        EXPECT_EQ(handle_at(frame, box.right + handle_slop - 0.5f, box.bottom - 1), c.edges);
    }
    EXPECT_EQ(handle_at(frame, 60, 40), 0) << "inside, away from every handle";
    EXPECT_EQ(handle_at(frame, 0, 0), 0);
}

TEST(ResizeHandles, OnATinyFrameTheCornersWin)
{
    const PixelBox dot{50, 50, 51, 51};
    EXPECT_EQ(handle_at(dot, 50, 50), Edge::left | Edge::top);
    const PixelBox thin{0, 50, 100, 52};
    EXPECT_EQ(handle_at(thin, 99, 50), Edge::right | Edge::top);
    EXPECT_EQ(handle_at(thin, 50, 51), Edge::top) << "edge handles when no corner is near";
}

TEST(ResizeHandles, DraggingMovesOnlyTheNamedEdgesAndNeverTurnsARectangleInsideOut)
{
    const WidgetRectangle start{0.2f, 0.3f, 0.4f, 0.2f};
    struct Case {
        int edges;
        float dx, dy;
        WidgetRectangle expected;
    };
    for (const Case& c : {
             Case{Edge::right, 0.1f, 0.5f, {0.2f, 0.3f, 0.5f, 0.2f}},
             Case{Edge::left, 0.1f, 0.0f, {0.3f, 0.3f, 0.3f, 0.2f}},
             Case{Edge::top | Edge::left, -0.1f, -0.1f, {0.1f, 0.2f, 0.5f, 0.3f}},
             Case{Edge::bottom, 0.0f, -0.5f, {0.2f, 0.3f, 0.4f, 0.0f}},
             Case{Edge::left, 0.9f, 0.0f, {0.6f, 0.3f, 0.0f, 0.2f}},
             Case{Edge::right | Edge::bottom, -1.0f, -1.0f, {0.2f, 0.3f, 0.0f, 0.0f}},
         }) {
        const WidgetRectangle r = resized(start, c.edges, c.dx, c.dy);
        EXPECT_FLOAT_EQ(r.x, c.expected.x) << c.edges;
        EXPECT_FLOAT_EQ(r.y, c.expected.y) << c.edges;
        EXPECT_NEAR(r.width, c.expected.width, 1e-6f) << c.edges;
        EXPECT_NEAR(r.height, c.expected.height, 1e-6f) << c.edges;
    }
}

TEST(EditorKeys, MapToCommands)
{
    struct Case {
        unsigned key;
        bool control, shift, alt;
        EditorCommand command;
        int dx, dy;
    };
    const Case cases[] = {
        {'C', true, false, false, EditorCommand::copy, 0, 0},
        {'C', false, false, false, EditorCommand::none, 0, 0},
        {'C', true, true, false, EditorCommand::none, 0, 0},
        {'Z', true, false, false, EditorCommand::undo, 0, 0},
        {'Z', true, true, false, EditorCommand::redo, 0, 0},
        {'Y', true, false, false, EditorCommand::redo, 0, 0},
        {'Z', true, false, true, EditorCommand::none, 0, 0},
        {0x25, false, false, false, EditorCommand::nudge, -1, 0},
        {0x27, false, true, false, EditorCommand::nudge, 10, 0},
        {0x26, false, false, false, EditorCommand::nudge, 0, -1},
        {0x28, false, true, false, EditorCommand::nudge, 0, 10},
        {0x28, true, false, false, EditorCommand::none, 0, 0},
        {0x28, false, false, true, EditorCommand::none, 0, 0},
        {0x71, false, false, false, EditorCommand::rename, 0, 0},
        {0x71, false, true, false, EditorCommand::none, 0, 0},
        {0x73, false, false, false, EditorCommand::show_tool_windows, 0, 0},
        {0x73, false, false, true, EditorCommand::none, 0, 0}, // Alt+F4 closes the window
    };
    for (const Case& c : cases) {
        const EditorKeyCommand command = editor_key_command(c.key, c.control, c.shift, c.alt);
        EXPECT_EQ(command.command, c.command) << c.key << c.control << c.shift << c.alt;
        EXPECT_EQ(command.dx, c.dx) << c.key;
        EXPECT_EQ(command.dy, c.dy) << c.key;
        // Tool windows keep the arrows for themselves and pass the rest on.
        EXPECT_EQ(tool_windows_pass_on(command.command),
                  c.command != EditorCommand::none && c.command != EditorCommand::nudge)
            << c.key;
    }
}

} // namespace
