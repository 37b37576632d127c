// What a press on the screen picks and drags: the topmost widget under it, the selection
// where nothing is drawn over it, handles, Alt; and a drag that starts only past the
// drag distance, so that a click never moves anything.

#include "editor/canvas_press.h"
#include "editor/editor_session.h"
#include "editor/widget_drag.h"

#include "screen/edit_history.h"
#include "screen/screen_fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

using Editor::CanvasPress;
using Editor::Tool;
using Screen::Widget;

class CanvasTest : public ::testing::Test {
protected:
    Screen::ScreenDocument& open(const char* script)
    {
        m_document = m_fixture.open(script);
        return *m_document;
    }
    Widget* widget(const char* name) const { return find_widget(m_document->widgets(), name); }
    std::string name_at(float x, float y) const
    {
        Widget* found = Editor::widget_at(*m_document, x, y);
        return found ? found->name() : std::string("(none)");
    }

    ScreenFixture m_fixture;
    std::unique_ptr<Screen::ScreenDocument> m_document;
};

// A panel with a child, a sibling laid over the panel's corner, and a backdrop behind.
const char* const panels = R"(Screen = { Widgets = { type = 'Group', name = 'screen', Children = {
    { type = 'ArtLabel', name = 'backdrop', position = {0, 0}, size = {1, 1} },
    { type = 'Group', name = 'panel', position = {0.1, 0.1}, size = {0.6, 0.6}, Children = {
        { type = 'Button', name = 'child', position = {0.1, 0.1}, size = {0.2, 0.2} },
    } },
    { type = 'Button', name = 'badge', position = {0.6, 0.6}, size = {0.2, 0.2} },
} }, TooltipWidgets = { type = 'TextLabel', name = 'tip' } })";

TEST_F(CanvasTest, ClicksPickTheDeepestWidgetButNeverACompositesPart)
{
    open(R"(Screen = { Widgets = { type = 'Group', name = 'group', position = {0, 0}, size = {1, 1}, Children = {
        { type = 'Button', name = 'button', position = {0.1, 0.1}, size = {0.2, 0.2} },
        { type = 'ComboBox', name = 'combo', position = {0.5, 0.5}, size = {0.4, 0.4},
          Label = { type = 'TextLabel', name = 'label', position = {0, 0}, size = {1, 1} } },
        { type = 'Button', name = 'hidden', visible = false, position = {0.5, 0.1}, size = {0.2, 0.2} },
    } } })");
    EXPECT_EQ(name_at(0.15f, 0.15f), "button");
    EXPECT_EQ(name_at(0.6f, 0.6f), "combo") << "over its label part";
    EXPECT_EQ(name_at(0.55f, 0.15f), "group") << "hidden widgets are passed through";
    EXPECT_EQ(name_at(0.95f, 0.05f), "group");
    EXPECT_EQ(name_at(1.5f, 0.5f), "(none)");
}

TEST_F(CanvasTest, AGroupLaidOverTheScreenDoesNotHideWhatLiesUnderIt)
{
    open(R"(Screen = { Widgets = { type = 'Group', name = 'screen', position = {0, 0}, size = {1, 1}, Children = {
        { type = 'TextLabel', name = 'title', position = {0.1, 0.1}, size = {0.5, 0.1} },
        { type = 'Group', name = 'overlay', position = {0, 0}, size = {1, 1}, Children = {
            { type = 'Button', name = 'card', position = {0.1, 0.7}, size = {0.2, 0.2} },
        } },
        { type = 'Group', name = 'framed', position = {0.6, 0.1}, size = {0.3, 0.3},
          Presentation = { Art = { { type = 'Rectangle' } } }, Children = {} },
    } } })");
    EXPECT_EQ(name_at(0.2f, 0.15f), "title") << "under the bare overlay";
    EXPECT_EQ(name_at(0.15f, 0.75f), "card");
    EXPECT_EQ(name_at(0.7f, 0.2f), "framed") << "a group that draws is picked like any widget";
    EXPECT_EQ(name_at(0.5f, 0.6f), "overlay") << "where nothing else is, the front group";
}

TEST_F(CanvasTest, WidgetsAreDrawnOverTheirAncestorsAndTheSiblingsBehindThem)
{
    open(panels);
    Widget* screen = widget("screen");
    Widget* panel = widget("panel");
    Widget* child = widget("child");
    Widget* badge = widget("badge");
    Widget* backdrop = widget("backdrop");
    EXPECT_TRUE(Editor::drawn_over(*child, *panel));
    EXPECT_FALSE(Editor::drawn_over(*panel, *child));
    EXPECT_TRUE(Editor::drawn_over(*child, *screen));
    EXPECT_TRUE(Editor::drawn_over(*badge, *panel)) << "listed later, drawn later";
    EXPECT_TRUE(Editor::drawn_over(*badge, *child)) << "over the panel, so over what it holds";
    EXPECT_FALSE(Editor::drawn_over(*backdrop, *child));
    EXPECT_TRUE(Editor::drawn_over(*m_document->tooltip_widgets(), *badge)) << "tooltips show over the screen";
    EXPECT_FALSE(Editor::drawn_over(*panel, *panel));

    ScreenFixture other_fixture;
    const auto other = other_fixture.open(panels);
    EXPECT_FALSE(Editor::drawn_over(*find_widget(other->widgets(), "badge"), *panel)) << "another tree";
}

TEST_F(CanvasTest, APressPicksOrDragsAsInterfaceDesignersDo)
{
    open(panels);
    Widget* panel = widget("panel");
    Widget* child = widget("child");
    Widget* badge = widget("badge");
    Widget* backdrop = widget("backdrop");
    constexpr int corner = Editor::Edge::right | Editor::Edge::bottom;
    constexpr int inside = Editor::inside_selection;
    constexpr int outside = Editor::outside_selection;
    using Action = CanvasPress::Action;
    struct Case {
        const char* what;
        Tool tool;
        bool alt;
        Widget* selection;
        int part;
        Widget* picked;
        Action action;
        Widget* widget; // select: what is picked
        bool drag;
        int edges;
    };
    const Case cases[] = {
        {"select tool: picks", Tool::select, false, panel, inside, child, Action::select, child, false, 0},
        {"select tool: on a handle still picks", Tool::select, false, panel, corner, panel, Action::select, panel,
         false, 0},
        {"select tool: nothing", Tool::select, false, panel, outside, nullptr, Action::select, nullptr, false, 0},
        {"a child inside the selection", Tool::edit, false, panel, inside, child, Action::select, child, true, 0},
        {"a sibling laid over it", Tool::edit, false, panel, inside, badge, Action::select, badge, true, 0},
        {"the selection itself", Tool::edit, false, panel, inside, panel, Action::drag_selection, nullptr, false, 0},
        {"what lies behind it", Tool::edit, false, panel, inside, backdrop, Action::drag_selection, nullptr, false,
         0},
        {"nothing inside it", Tool::edit, false, panel, inside, nullptr, Action::drag_selection, nullptr, false, 0},
        {"a handle over another widget", Tool::edit, false, panel, corner, badge, Action::drag_selection, nullptr,
         false, corner},
        {"Alt over another widget", Tool::edit, true, panel, inside, child, Action::drag_selection, nullptr, false, 0},
        {"Alt outside", Tool::edit, true, panel, outside, backdrop, Action::drag_selection, nullptr, false, 0},
        {"Alt with nothing selected", Tool::edit, true, nullptr, outside, badge, Action::select, badge, true, 0},
        {"outside the selection", Tool::edit, false, child, outside, badge, Action::select, badge, true, 0},
        {"nothing at all", Tool::edit, false, child, outside, nullptr, Action::select, nullptr, false, 0},
    };
    for (const Case& c : cases) {
        const CanvasPress press = Editor::plan_press(c.tool, c.alt, c.selection, c.part, c.picked);
        EXPECT_EQ(press.action, c.action) << c.what;
        if (c.action == Action::select) {
            EXPECT_EQ(press.widget, c.widget) << c.what;
            EXPECT_EQ(press.drag, c.drag) << c.what;
        } else {
            EXPECT_EQ(press.edges, c.edges) << c.what;
        }
    }
}

TEST_F(CanvasTest, ADragStartsOnlyPastTheDragDistanceAndIsOneStep)
{
    Screen::ScreenDocument& document = open(panels);
    document.set_bounds(0, 0, 800, 400);
    auto session = Editor::EditorSession::create(document);
    Widget* badge = widget("badge");
    Editor::WidgetDrag drag(document, *session, *badge, 0, 4.0f, 4.0f);

    // A hand's jitter in a click: nothing moves, nothing is recorded.
    for (auto [x, y] : {std::pair{1.0f, 1.0f}, {-4.0f, 4.0f}, {0.0f, -3.0f}, {NAN, 0.0f}})
        drag.drag_to(x, y);
    EXPECT_FALSE(drag.started());
    EXPECT_FLOAT_EQ(badge->x(), 0.6f);
    EXPECT_FALSE(document.history().can_undo());

    // Past it, the widget follows the pointer from where it was pressed.
    drag.drag_to(8.0f, -4.0f);
    EXPECT_TRUE(drag.started());
    EXPECT_FLOAT_EQ(badge->x(), 0.61f);
    EXPECT_FLOAT_EQ(badge->y(), 0.59f);
    drag.drag_to(2.0f, 0.0f);
    EXPECT_FLOAT_EQ(badge->x(), 0.6025f) << "once started, every move counts";
    drag.drag_to(80.0f, 40.0f);
    EXPECT_EQ(document.history().size(), 1u);

    // A handle's drag stops an edge at the opposite one.
    Editor::WidgetDrag resize(document, *session, *badge, Editor::Edge::left, 4.0f, 4.0f);
    resize.drag_to(800.0f, 0.0f);
    EXPECT_FLOAT_EQ(badge->width(), 0.0f);
    EXPECT_EQ(document.history().size(), 2u);
    session->detach();
}

} // namespace
