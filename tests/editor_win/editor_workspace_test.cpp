#include "editor/editor_workspace.h"

#include "app/dwrite_calls.h"
#include "editor/editor_tool_windows.h"
#include "editor/outline_window.h"
#include "editor/properties_window.h"
#include "editor/tool_strip.h"
#include "mod/loaded_mod.h"
#include "screen/edit_history.h"
#include "screen/screen_document.h"
#include "screen/widget.h"
#include "ui/text_tool_button.h"
#include "ui/tool_button.h"

#include "support/temp_folder.h"
#include "support/win/message_pump.h"
#include "support/win/test_elements.h"
#include "support/win/test_graphics.h"
#include "support/win/test_window.h"
#include "ui/offscreen_target.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <stdexcept>
#include <string>

using Microsoft::WRL::ComPtr;
using namespace TestSupport;
using Editor::EditorWorkspace;
using Editor::Tool;
using Ui::ToolButton;

namespace {

const char* const screen_path = "Art\\UI\\Screens\\one.screen";

// A module on disk with one screen: a button in the middle of it.
class WorkspaceTest : public testing::Test {
protected:
    void SetUp() override
    {
        installation.write("Main.module", "[global]\nModFolder = Main\nDataFolder.1 = Data\n");
        write_screen("Screen = { Widgets = { name = 'middle', type = 'Button', position = {0.25, 0.25}, "
                     "size = {0.5, 0.5} } }\n");
        mod.load(&test_graphics(), installation.path("Main.module"));
        mod.wait_until_loaded(10000);
    }

    void write_screen(const std::string& script)
    {
        installation.write(std::string("Main\\Data\\") + screen_path, script);
    }

    std::unique_ptr<EditorWorkspace> open() const
    {
        return std::make_unique<EditorWorkspace>(&test_graphics(), mod, screen_path);
    }

    TempFolder installation;
    Mod::LoadedMod mod;
};

float luminance(const Rgb& c)
{
    return 0.299f * c.r + 0.587f * c.g + 0.114f * c.b;
}

// Clicks at the middle of `element` in a real window.
void click(HWND hwnd, const Ui::Element& element, UINT up = WM_LBUTTONUP, float up_dx = 0.0f)
{
    D2D1_POINT_2F point = root_point(element, element.width() / 2.0f, element.height() / 2.0f);
    int x = static_cast<int>(point.x), y = static_cast<int>(point.y);
    send_mouse(hwnd, WM_MOUSEMOVE, 0, x, y);
    send_mouse(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, x, y);
    if (up_dx != 0.0f)
        send_mouse(hwnd, WM_MOUSEMOVE, MK_LBUTTON, x + static_cast<int>(up_dx), y);
    send_mouse(hwnd, up, 0, x + static_cast<int>(up_dx), y);
}

} // namespace

TEST(EditorWorkspaceName, IsThePathAfterItsLastSeparator)
{
    EXPECT_EQ(EditorWorkspace::name_from_path("Art\\UI\\Screens\\one.screen"), "one.screen");
    EXPECT_EQ(EditorWorkspace::name_from_path("art/ui/screens/two.screen"), "two.screen");
    EXPECT_EQ(EditorWorkspace::name_from_path("art/ui\\mixed/three.screen"), "three.screen");
    EXPECT_EQ(EditorWorkspace::name_from_path("bare.screen"), "bare.screen");
    EXPECT_EQ(EditorWorkspace::name_from_path("folder\\"), "");
    EXPECT_EQ(EditorWorkspace::name_from_path(""), "");
}

TEST_F(WorkspaceTest, HoldsTheStripAboveTheScreenOfThePath)
{
    auto workspace = open();
    EXPECT_EQ(workspace->window_name(), "one.screen");
    ASSERT_NE(workspace->document(), nullptr);
    EXPECT_EQ(workspace->document()->path(), screen_path);
    EXPECT_EQ(workspace->document()->widgets()->name(), "middle");
    EXPECT_EQ(workspace->document()->parent(), workspace.get());
    EXPECT_EQ(workspace->tool_strip()->parent(), workspace.get());
    EXPECT_EQ(workspace->atlas(), nullptr) << "nothing is drawn yet";
    EXPECT_EQ(workspace->current_tool(), Tool::select);
    EXPECT_EQ(&workspace->session().document(), workspace->document());
}

TEST_F(WorkspaceTest, TheStripTakesTheTopAndTheScreenTheRest)
{
    auto workspace = open();
    struct Case {
        float width, height, document_height;
    };
    for (const Case& c : {Case{640, 480, 456}, Case{300, 100, 76}, Case{200, 24, 0}, Case{200, 10, 0}}) {
        workspace->set_bounds(5.0f, 7.0f, c.width, c.height);
        Editor::ToolStrip* strip = workspace->tool_strip();
        EXPECT_EQ(strip->transform().dx, 0.0f);
        EXPECT_EQ(strip->transform().dy, 0.0f);
        EXPECT_EQ(strip->width(), c.width);
        EXPECT_EQ(strip->height(), 24.0f) << "the strip keeps its own height";
        Screen::ScreenDocument* document = workspace->document();
        EXPECT_EQ(document->transform().dx, 0.0f);
        EXPECT_EQ(document->transform().dy, 24.0f);
        EXPECT_EQ(document->width(), c.width);
        EXPECT_EQ(document->height(), c.document_height) << c.width << " x " << c.height;
    }
}

TEST_F(WorkspaceTest, AScreenThatDoesNotLoadFailsTheWorkspace)
{
    write_screen("Screen = {");
    try {
        open();
        FAIL() << "no failure";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()).rfind("Cannot load screen file Art\\UI\\Screens\\one.screen: ", 0), 0u)
            << error.what();
    }
}

TEST_F(WorkspaceTest, TheStripHasTheLabelThenSelectEditAndThirteenAddWidgetButtonsInARow)
{
    auto workspace = open();
    Editor::ToolStrip* strip = workspace->tool_strip();
    ASSERT_EQ(strip->add_widget_buttons().size(), 13u);
    std::vector<ToolButton*> buttons{strip->select_button(), strip->edit_button()};
    buttons.insert(buttons.end(), strip->add_widget_buttons().begin(), strip->add_widget_buttons().end());

    const DWRITE_TEXT_METRICS label = App::get_metrics(strip->label());
    float right = label.left + label.widthIncludingTrailingWhitespace;
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        ToolButton* button = buttons[i];
        const D2D1_MATRIX_3X2_F at = button->transform();
        EXPECT_GE(at.dx, right) << "button " << i << " overlaps what is left of it";
        EXPECT_GE(at.dy, 0.0f);
        EXPECT_LE(at.dy + button->height(), 24.0f);
        right = at.dx + button->width();
        // Icons: arrow, pencil, then the widget-type row from its first cell.
        const D2D1_RECT_F cell = button->cell();
        const float x = i < 2 ? 16.0f * i : 16.0f * (i - 2);
        const float y = i < 2 ? 0.0f : 16.0f;
        EXPECT_EQ(cell.left, x) << i;
        EXPECT_EQ(cell.top, y) << i;
        EXPECT_EQ(cell.right, x + 16.0f) << i;
        EXPECT_EQ(cell.bottom, y + 16.0f) << i;
        EXPECT_EQ(button->active(), i < 2) << i;
    }
}

TEST_F(WorkspaceTest, TheAtlasIsComposedOnTheFirstDrawAndKeptUntilTheTargetIsDropped)
{
    auto workspace = open();
    workspace->set_bounds(0, 0, 400, 200);
    OffscreenTarget target(test_graphics(), 400, 200);
    target.draw(*workspace);
    ComPtr<ID2D1Bitmap> first = workspace->atlas();
    ASSERT_NE(first, nullptr);
    target.draw(*workspace);
    EXPECT_EQ(workspace->atlas(), first.Get()) << "a later draw reuses it";

    workspace->on_target_dropped();
    EXPECT_EQ(workspace->atlas(), nullptr);
    target.draw(*workspace);
    ASSERT_NE(workspace->atlas(), nullptr);
    EXPECT_NE(workspace->atlas(), first.Get()) << "composed again (the old one is still held here)";
}

TEST_F(WorkspaceTest, ButtonsDrawTheirIconsFromTheAtlasAndTheInactiveOnesFaded)
{
    auto workspace = open();
    workspace->set_bounds(0, 0, 500, 200);
    OffscreenTarget target(test_graphics(), 500, 200);
    target.draw(*workspace);
    Editor::ToolStrip* strip = workspace->tool_strip();
    const float inset = ToolButton::icon_inset;

    // The arrow's tip (icon pixel (3, 0)) and the pencil's point (2, 13) are drawn at
    // full strength: the dark outline colour.
    D2D1_POINT_2F tip = root_point(*strip->select_button(), inset + 3.0f, inset + 0.0f);
    Rgb arrow = target.pixel(UINT(tip.x), UINT(tip.y));
    EXPECT_TRUE(arrow.close_to({36, 36, 40}, 4)) << arrow;
    D2D1_POINT_2F lead = root_point(*strip->edit_button(), inset + 2.0f, inset + 13.0f);
    EXPECT_LT(luminance(target.pixel(UINT(lead.x), UINT(lead.y))), 60.0f) << target.pixel(UINT(lead.x), UINT(lead.y));

    // The first add-widget icon's outline (pixel (1, 1) of the container icon) is faded
    // towards the strip's light background.
    D2D1_POINT_2F corner = root_point(*strip->add_widget_buttons()[0], inset + 1.0f, inset + 1.0f);
    Rgb faded = target.pixel(UINT(corner.x), UINT(corner.y));
    EXPECT_GT(luminance(faded), 140.0f) << faded;
    EXPECT_LT(luminance(faded), 225.0f) << faded << ": drawn at all";
}

TEST_F(WorkspaceTest, WhileEditingIsNotAllowedOnlyTheStripTakesThePointer)
{
    TestRoot root;
    EditorWorkspace* workspace = root.insert(open(), nullptr);
    workspace->set_bounds(0, 0, 400, 300);
    Editor::ToolStrip* strip = workspace->tool_strip();
    D2D1_POINT_2F edit = root_point(*strip->edit_button(), 5, 5);
    D2D1_POINT_2F inactive = root_point(*strip->add_widget_buttons()[0], 5, 5);
    // The middle of the screen's button widget.
    const float middle_x = 200.0f, middle_y = 24.0f + 138.0f;

    Ui::Element* on_screen = workspace->element_at(middle_x, middle_y);
    EXPECT_NE(on_screen, workspace);
    EXPECT_TRUE(workspace->document()->contains(on_screen)) << "the screen's widget takes it while editing";
    EXPECT_EQ(workspace->element_at(edit.x, edit.y), strip->edit_button());

    bool allowed = false;
    workspace->set_editing_allowed([&allowed] { return allowed; });
    EXPECT_FALSE(workspace->editing_allowed());
    EXPECT_EQ(workspace->element_at(middle_x, middle_y), workspace);
    EXPECT_EQ(workspace->begin_drag(middle_x, middle_y, Ui::MouseButton::left), nullptr);
    EXPECT_EQ(workspace->element_at(edit.x, edit.y), strip->edit_button());
    EXPECT_NE(workspace->begin_drag(edit.x, edit.y, Ui::MouseButton::left), nullptr);
    EXPECT_EQ(workspace->element_at(inactive.x, inactive.y), nullptr) << "the strip covers its inactive buttons";
    EXPECT_EQ(workspace->element_at(395.0f, 12.0f), nullptr) << "the strip's empty end";

    allowed = true;
    EXPECT_TRUE(workspace->document()->contains(workspace->element_at(middle_x, middle_y)));
    workspace->set_editing_allowed(nullptr);
    EXPECT_TRUE(workspace->editing_allowed());
}

TEST_F(WorkspaceTest, ClickingTheToolButtonsChoosesTheTool)
{
    SetCursorPos(1279, 1023);
    OpenedWindow window(new TestWindow, 800, 400);
    EditorWorkspace* workspace = window->insert(open(), nullptr);
    workspace->set_bounds(0, 0, 800, 400);
    Editor::ToolStrip* strip = workspace->tool_strip();
    ToolButton* select = strip->select_button();
    ToolButton* edit = strip->edit_button();
    EXPECT_TRUE(select->chosen());
    EXPECT_FALSE(edit->chosen());

    click(window.hwnd(), *edit);
    EXPECT_EQ(workspace->current_tool(), Tool::edit);
    EXPECT_TRUE(edit->chosen());
    EXPECT_FALSE(select->chosen());

    click(window.hwnd(), *edit);
    EXPECT_EQ(workspace->current_tool(), Tool::edit) << "choosing the chosen tool keeps it";

    click(window.hwnd(), *strip->add_widget_buttons()[2]);
    EXPECT_EQ(workspace->current_tool(), Tool::edit) << "add-widget buttons do nothing yet";
    EXPECT_FALSE(strip->add_widget_buttons()[2]->chosen());

    click(window.hwnd(), *select, WM_LBUTTONUP, 200.0f);
    EXPECT_EQ(workspace->current_tool(), Tool::edit) << "released away from the button";

    click(window.hwnd(), *select);
    EXPECT_EQ(workspace->current_tool(), Tool::select);
    EXPECT_TRUE(select->chosen());
    EXPECT_FALSE(edit->chosen());
}

TEST_F(WorkspaceTest, AWindowComposesTheAtlasOnItsTargetAndAgainAfterMakingANewOne)
{
    OpenedWindow window(new TestWindow, 600, 300);
    EditorWorkspace* workspace = window->insert(open(), nullptr);
    workspace->set_bounds(0, 0, 600, 300);
    const int painted = window->paint_count;
    workspace->invalidate();
    ASSERT_TRUE(pump_until([&] { return window->paint_count > painted; }));
    ComPtr<ID2D1Bitmap> first = workspace->atlas();
    ASSERT_NE(first, nullptr);

    // A new client size means new buffers and a new render target.
    const int before_resize = window->paint_count;
    SetWindowPos(window.hwnd(), nullptr, 0, 0, 700, 350, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(workspace->atlas(), nullptr) << "dropped with the old target";
    ASSERT_TRUE(pump_until([&] { return window->paint_count > before_resize; }));
    ASSERT_NE(workspace->atlas(), nullptr);
    EXPECT_NE(workspace->atlas(), first.Get());
}

namespace {

class SelectionRecorder : public Editor::EditorListener {
public:
    void selection_changed(Screen::Widget* widget) override { selections.push_back(widget); }
    std::vector<Screen::Widget*> selections;
};

} // namespace

TEST_F(WorkspaceTest, TheSelectToolSelectsTheWidgetUnderAClickAndNothingElsewhere)
{
    OpenedWindow window(new TestWindow, 800, 424);
    EditorWorkspace* workspace = window->insert(open(), nullptr);
    workspace->set_bounds(0, 0, 800, 424);
    SelectionRecorder recorder;
    const auto subscription = workspace->session().subscribe(recorder);
    Screen::Widget* button = workspace->document()->widgets();

    click(window.hwnd(), *button);
    EXPECT_EQ(workspace->selection(), button);
    EXPECT_EQ(workspace->document()->emphasized(), button);
    EXPECT_EQ(workspace->document()->dim(), 0.25f);
    ASSERT_EQ(recorder.selections.size(), 1u);
    EXPECT_NE(button->visual_state(), Screen::state_active) << "selecting does not press";

    // Beside the button, still on the screen: nothing.
    D2D1_POINT_2F corner = root_point(*workspace->document(), 0.05f, 0.05f);
    send_mouse(window.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, int(corner.x), int(corner.y));
    send_mouse(window.hwnd(), WM_LBUTTONUP, 0, int(corner.x), int(corner.y));
    EXPECT_EQ(workspace->selection(), nullptr);
    EXPECT_EQ(workspace->document()->emphasized(), nullptr);
    EXPECT_EQ(recorder.selections.size(), 2u);

    // The edit tool selects what it is about to drag.
    workspace->tool_strip()->set_tool(Tool::edit);
    click(window.hwnd(), *button);
    EXPECT_EQ(workspace->selection(), button);
    EXPECT_EQ(button->x(), 0.25f) << "a click without a move moves nothing";
    EXPECT_FALSE(workspace->document()->history().can_undo());
}

namespace {

// Presses at workspace DIP (x, y) in the window, moves by (dx, dy) in steps, releases.
void drag(HWND hwnd, float x, float y, float dx, float dy)
{
    const int x0 = static_cast<int>(x), y0 = static_cast<int>(y);
    send_mouse(hwnd, WM_MOUSEMOVE, 0, x0, y0);
    send_mouse(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, x0, y0);
    for (int step = 1; step <= 4; ++step)
        send_mouse(hwnd, WM_MOUSEMOVE, MK_LBUTTON, x0 + static_cast<int>(dx * step / 4),
                   y0 + static_cast<int>(dy * step / 4));
    send_mouse(hwnd, WM_LBUTTONUP, 0, x0 + static_cast<int>(dx), y0 + static_cast<int>(dy));
    // The drag ends with the first move after the release.
    send_mouse(hwnd, WM_MOUSEMOVE, 0, x0 + static_cast<int>(dx), y0 + static_cast<int>(dy));
}

} // namespace

// A panel over the middle of the screen, (200, 124)-(600, 324) in the window below the
// strip, and its child at (280, 164)-(440, 244).
constexpr const char* panel_screen = R"(Screen = { Widgets = { type = 'Group', name = 'panel',
    position = {0.25, 0.25}, size = {0.5, 0.5}, Presentation = { Art = { { type = 'Rectangle' } } }, Children = {
        { type = 'Button', name = 'child', position = {0.1, 0.1}, size = {0.2, 0.2} },
    } } })";

TEST_F(WorkspaceTest, TheEditToolPicksWhatIsDrawnOverTheSelectionAndDragsOnlyPastTheDragDistance)
{
    write_screen(panel_screen);
    SetCursorPos(1279, 1023);
    OpenedWindow window(new TestWindow, 800, 424);
    EditorWorkspace* workspace = window->insert(open(), nullptr);
    workspace->set_bounds(0, 0, 800, 424);
    workspace->tool_strip()->set_tool(Tool::edit);
    Screen::Widget* panel = workspace->document()->widgets();
    Screen::Widget* child = workspace->document()->widgets()->child_widgets()->front();
    const Screen::EditHistory& history = workspace->document()->history();

    // A click with the hand's one-pixel jitter selects and moves nothing.
    drag(window.hwnd(), 500, 280, 1, 1);
    EXPECT_EQ(workspace->selection(), panel);
    EXPECT_FLOAT_EQ(panel->x(), 0.25f);
    EXPECT_FALSE(history.can_undo());

    // Inside the selected panel, its child is picked, and dragged once past the distance.
    drag(window.hwnd(), 360, 204, 1, 0);
    EXPECT_EQ(workspace->selection(), child);
    EXPECT_FLOAT_EQ(child->x(), 0.1f);
    workspace->session().select(panel);
    drag(window.hwnd(), 360, 204, 40, 0);
    EXPECT_EQ(workspace->selection(), child);
    EXPECT_FLOAT_EQ(child->x(), 0.15f);
    EXPECT_FLOAT_EQ(panel->x(), 0.25f);

    // Where nothing is drawn over the selection, or anywhere with Alt held, the press
    // drags the selection.
    workspace->session().select(panel);
    drag(window.hwnd(), 500, 280, 80, 0);
    EXPECT_FLOAT_EQ(panel->x(), 0.35f);
    BYTE keys[256]{};
    GetKeyboardState(keys);
    keys[VK_MENU] = 0x80;
    SetKeyboardState(keys);
    drag(window.hwnd(), 450, 204, 0, 40); // on the child, which moved with the panel
    keys[VK_MENU] = 0;
    SetKeyboardState(keys);
    EXPECT_EQ(workspace->selection(), panel);
    EXPECT_FLOAT_EQ(panel->y(), 0.35f);
    EXPECT_TRUE(workspace->take_alt_drag()) << "the window's menu key must not take that Alt";
    EXPECT_FALSE(workspace->take_alt_drag());
    EXPECT_EQ(history.size(), 3u);
}

// The screen is 800 x 400 DIPs below the strip: the button covers (200, 124)-(600, 324).
TEST_F(WorkspaceTest, TheEditToolDragsTheWidgetAndEachHandleInTheDocumentsUnits)
{
    SetCursorPos(1279, 1023);
    OpenedWindow window(new TestWindow, 800, 424);
    EditorWorkspace* workspace = window->insert(open(), nullptr);
    workspace->set_bounds(0, 0, 800, 424);
    workspace->tool_strip()->set_tool(Tool::edit);
    Screen::Widget* button = workspace->document()->widgets();

    drag(window.hwnd(), 400, 224, 80, -40);
    EXPECT_EQ(workspace->selection(), button) << "the press selected it";
    EXPECT_FLOAT_EQ(button->x(), 0.35f);
    EXPECT_FLOAT_EQ(button->y(), 0.15f);
    EXPECT_FLOAT_EQ(button->width(), 0.5f);
    ASSERT_TRUE(workspace->document()->history().can_undo());
    EXPECT_EQ(workspace->document()->history().size(), 1u) << "one drag, one step";
    EXPECT_EQ(workspace->session().copy_as_lua().find("position = {0.35, 0.15}") != std::string::npos, true)
        << workspace->session().copy_as_lua();

    // Handles: the frame is now (280, 84)-(680, 284); drag the right edge's, the top-left
    // corner's, and one past the opposite edge.
    drag(window.hwnd(), 679, 184, 40, 0);
    EXPECT_FLOAT_EQ(button->width(), 0.55f);
    EXPECT_FLOAT_EQ(button->x(), 0.35f);
    drag(window.hwnd(), 280, 84, 40, 20);
    EXPECT_FLOAT_EQ(button->x(), 0.4f);
    EXPECT_FLOAT_EQ(button->y(), 0.2f);
    EXPECT_FLOAT_EQ(button->width(), 0.5f);
    EXPECT_FLOAT_EQ(button->height(), 0.45f);
    drag(window.hwnd(), 520, 283, 0, -250);
    EXPECT_FLOAT_EQ(button->height(), 0.0f) << "the bottom stops at the top";
    EXPECT_FLOAT_EQ(button->y(), 0.2f);
    EXPECT_EQ(workspace->document()->history().size(), 4u);

    while (workspace->session().undo()) {
    }
    EXPECT_FLOAT_EQ(button->x(), 0.25f);
    EXPECT_FLOAT_EQ(button->y(), 0.25f);
    EXPECT_FLOAT_EQ(button->height(), 0.5f);
}

TEST_F(WorkspaceTest, HandlesShowOnlyWithTheEditToolAndTellTheirCursors)
{
    auto workspace = open();
    workspace->set_bounds(0, 0, 800, 424);
    OffscreenTarget target(test_graphics(), 800, 424);
    workspace->session().select(workspace->document()->widgets());
    target.draw(*workspace);
    EXPECT_FALSE(workspace->handles_shown());
    const Rgb without = target.pixel(198, 122); // outside the widget, dimmed

    workspace->tool_strip()->set_tool(Tool::edit);
    target.draw(*workspace);
    EXPECT_TRUE(workspace->handles_shown());
    // The top-left handle: a white square in a black outline, centred on the frame's
    // corner pixel (200, 124).
    EXPECT_TRUE(target.pixel(197, 124).close_to({0, 0, 0}, 8)) << target.pixel(197, 124);
    EXPECT_TRUE(target.pixel(200, 121).close_to({0, 0, 0}, 8)) << target.pixel(200, 121);
    EXPECT_TRUE(target.pixel(200, 124).close_to({255, 255, 255}, 8)) << target.pixel(200, 124);
    EXPECT_TRUE(target.pixel(198, 122).close_to({255, 255, 255}, 8)) << target.pixel(198, 122);
    EXPECT_FALSE(without.close_to({255, 255, 255}, 8)) << without;

    const auto frame = workspace->selection_frame();
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->left, 200.0f);
    EXPECT_EQ(frame->top, 124.0f);
    EXPECT_EQ(frame->right, 600.0f);
    EXPECT_EQ(frame->bottom, 324.0f);
    EXPECT_EQ(workspace->cursor_at(200, 124), Ui::CursorKind::size_nwse);
    EXPECT_EQ(workspace->cursor_at(599, 323), Ui::CursorKind::size_nwse);
    EXPECT_EQ(workspace->cursor_at(599, 124), Ui::CursorKind::size_nesw);
    EXPECT_EQ(workspace->cursor_at(400, 124), Ui::CursorKind::size_ns);
    EXPECT_EQ(workspace->cursor_at(200, 224), Ui::CursorKind::size_we);
    EXPECT_EQ(workspace->cursor_at(400, 224), Ui::CursorKind::move);
    EXPECT_EQ(workspace->cursor_at(100, 224), Ui::CursorKind::arrow);
}

TEST_F(WorkspaceTest, KeysUndoRedoCopyAndNudgeByDevicePixels)
{
    auto workspace = open();
    workspace->set_bounds(0, 0, 800, 424);
    Screen::Widget* button = workspace->document()->widgets();
    EXPECT_FALSE(workspace->handle_key(VK_RIGHT, false, false, false)) << "nothing selected";
    workspace->session().select(button);
    EXPECT_FALSE(workspace->handle_key(VK_RIGHT, false, false, false)) << "the select tool";
    workspace->tool_strip()->set_tool(Tool::edit);

    // A held key repeats: every nudge that follows another of the same widget joins its
    // step, so a hundred repeats are one undo.
    for (int repeat = 0; repeat < 100; ++repeat)
        EXPECT_TRUE(workspace->handle_key(VK_RIGHT, false, false, false));
    EXPECT_NEAR(button->x(), 0.25f + 100.0f / 800.0f, 1e-5f);
    EXPECT_TRUE(workspace->handle_key(VK_UP, false, true, false));
    EXPECT_FLOAT_EQ(button->y(), 0.25f - 10.0f / 400.0f);
    EXPECT_EQ(workspace->document()->history().size(), 1u);
    button->set_visible(false);
    EXPECT_TRUE(workspace->handle_key(VK_LEFT, false, false, false));
    EXPECT_EQ(workspace->document()->history().size(), 3u) << "another edit between ends the run";

    Editor::ToolStrip* strip = workspace->tool_strip();
    EXPECT_TRUE(strip->undo_button()->active());
    EXPECT_FALSE(strip->redo_button()->active());
    EXPECT_TRUE(workspace->handle_key('Z', true, false, false));
    EXPECT_TRUE(workspace->handle_key('Z', true, false, false));
    EXPECT_TRUE(button->is_visible());
    EXPECT_TRUE(strip->redo_button()->active());
    EXPECT_TRUE(workspace->handle_key('Z', true, false, false));
    EXPECT_FLOAT_EQ(button->x(), 0.25f);
    EXPECT_FLOAT_EQ(button->y(), 0.25f);
    EXPECT_FALSE(strip->undo_button()->active());
    EXPECT_TRUE(workspace->handle_key('Y', true, false, false));
    EXPECT_NEAR(button->x(), 0.25f + 100.0f / 800.0f, 1e-5f);
    EXPECT_TRUE(workspace->handle_key('Z', true, true, false));
    EXPECT_FALSE(button->is_visible());

    workspace->session().select(nullptr);
    workspace->session().undo();
    EXPECT_EQ(workspace->selection(), button) << "undo selects what it changed";
    EXPECT_FALSE(workspace->handle_key('Q', true, false, false));
    EXPECT_FALSE(workspace->handle_key(VK_LEFT, false, false, true)) << "Alt is the system's";
}

TEST_F(WorkspaceTest, AReloadStartsANewHistoryAndKeepsThePreview)
{
    auto workspace = open();
    workspace->set_bounds(0, 0, 800, 424);
    workspace->set_preview_resolution(4);
    workspace->document()->widgets()->set_visible(false);
    EXPECT_TRUE(workspace->tool_strip()->undo_button()->active());
    ASSERT_TRUE(workspace->reload());
    EXPECT_FALSE(workspace->document()->history().can_undo());
    EXPECT_FALSE(workspace->tool_strip()->undo_button()->active());
    EXPECT_EQ(workspace->preview_resolution(), 4u);
    EXPECT_FLOAT_EQ(workspace->document()->text_area_width(), std::sqrt(1920.0f * 1080.0f * 4.0f / 3.0f));
    workspace->document()->widgets()->set_visible(false);
    EXPECT_TRUE(workspace->tool_strip()->undo_button()->active()) << "the strip follows the new history";
    workspace->set_preview_resolution(0); // the choice outlives the workspace
}

TEST_F(WorkspaceTest, APreviewResolutionCentresTheScreenScaledToFit)
{
    auto workspace = open();
    workspace->set_bounds(0, 0, 800, 424);
    const auto& resolutions = EditorWorkspace::preview_resolutions();
    ASSERT_EQ(resolutions.size(), 6u);
    EXPECT_STREQ(resolutions[0].label, L"Fit window");
    Screen::ScreenDocument* document = workspace->document();
    const float fit_area = document->text_area_width();
    EXPECT_FLOAT_EQ(document->text_zoom(), 1.0f);

    struct Case {
        std::size_t index;
        float left, top, width, height;
    };
    // The view is 800 x 400 below the strip.
    for (const Case& c : {Case{1, 133, 24, 533.3333f, 400}, Case{4, 44, 24, 711.1111f, 400},
                          Case{5, 80, 24, 640, 400}, Case{0, 0, 24, 800, 400}}) {
        workspace->set_preview_resolution(c.index);
        EXPECT_EQ(workspace->preview_resolution(), c.index);
        EXPECT_EQ(workspace->tool_strip()->resolution_button()->text(), resolutions[c.index].label);
        EXPECT_FLOAT_EQ(document->transform().dx, c.left) << c.index;
        EXPECT_FLOAT_EQ(document->transform().dy, c.top) << c.index;
        EXPECT_NEAR(document->width(), c.width, 0.01f) << c.index;
        EXPECT_NEAR(document->height(), c.height, 0.01f) << c.index;
        if (c.index != 0) {
            EXPECT_FLOAT_EQ(document->text_area_width(),
                            std::sqrt(resolutions[c.index].width * resolutions[c.index].height * 4.0f / 3.0f));
            EXPECT_NEAR(document->text_zoom(), c.height / resolutions[c.index].height, 1e-4f);
        }
    }
    EXPECT_FLOAT_EQ(document->text_area_width(), fit_area) << "fit window: the view's own size";
    workspace->set_preview_resolution(99);
    EXPECT_EQ(workspace->preview_resolution(), 0u);
    workspace->set_preview_resolution(2);
    EXPECT_EQ(open()->preview_resolution(), 2u) << "the next screen opens with the last choice";

    // Clicks land on the previewed screen where it is drawn.
    workspace->set_preview_resolution(5);
    workspace->tool_strip()->set_tool(Tool::edit);
    workspace->session().select(nullptr);
    EXPECT_EQ(workspace->begin_drag(40, 200, Ui::MouseButton::left), nullptr) << "the dimmed margin";
    EXPECT_EQ(workspace->selection(), nullptr);
    EXPECT_NE(workspace->begin_drag(400, 224, Ui::MouseButton::left), nullptr);
    EXPECT_EQ(workspace->selection(), document->widgets());

    // The margins are dimmed, the screen is not.
    OffscreenTarget target(test_graphics(), 800, 424);
    target.draw(*workspace);
    EXPECT_LT(luminance(target.pixel(40, 200)), luminance(target.pixel(100, 30 + 24)));
    workspace->set_preview_resolution(0);
}
