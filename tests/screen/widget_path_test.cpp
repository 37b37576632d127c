// Finding the selected widget again in a screen loaded anew, by names.

#include "screen/widget_path.h"
#include "screen_fixture.h"

#include <gtest/gtest.h>

namespace {

const char* const screen = R"(
Screen = {
    Widgets = { type = 'Group', name = 'Root', Children = {
        { type = 'Button', name = 'Play' },
        { type = 'Group', name = 'Panel', Children = {
            { type = 'TextLabel' },
            { type = 'TextLabel' },
            { type = 'TextLabel', name = 'Title' },
        } },
        { type = 'Group', name = 'Panel', Children = {
            { type = 'TextLabel' },
            { type = 'Button', name = 'Quit' },
        } },
    } },
    TooltipWidgets = { type = 'Group', name = 'Tips', Children = {
        { type = 'TextLabel', name = 'Tip' },
    } },
}
)";

// The widget children of `widget` as the screen file lists them.
Screen::Widget* listed_child(Screen::Widget* widget, std::size_t index)
{
    return (*widget->child_widgets())[widget->child_widgets()->size() - 1 - index];
}

TEST(WidgetPath, SameWidgetInANewDocument)
{
    ScreenFixture fixture;
    auto before = fixture.open(screen);
    auto after = fixture.open(screen);
    Screen::Widget* root = before->widgets();
    Screen::Widget* second_panel = listed_child(root, 2);
    Screen::Widget* targets[] = {
        root,
        listed_child(root, 0),
        listed_child(listed_child(root, 1), 1), // the second unnamed label of the first panel
        listed_child(second_panel, 0),          // the unnamed label of the second panel
        listed_child(second_panel, 1),
        find_widget(before->tooltip_widgets(), "Tip"),
    };
    for (Screen::Widget* target : targets) {
        SCOPED_TRACE(target->name());
        const Screen::WidgetPath path = Screen::path_of(*target);
        ASSERT_FALSE(path.empty());
        EXPECT_EQ(Screen::find_widget(*before, path), target);
        Screen::Widget* found = Screen::find_widget(*after, path);
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(Screen::path_of(*found), path);
        EXPECT_EQ(found->name(), target->name());
    }
    // Namesakes are told apart by their place among each other.
    EXPECT_NE(Screen::path_of(*listed_child(root, 1)), Screen::path_of(*second_panel));
}

TEST(WidgetPath, GoneWidgetsAreNotFound)
{
    ScreenFixture fixture;
    auto before = fixture.open(screen);
    const Screen::WidgetPath quit = Screen::path_of(*find_widget(before->widgets(), "Quit"));
    const Screen::WidgetPath title = Screen::path_of(*find_widget(before->widgets(), "Title"));
    auto after = fixture.open(R"(
Screen = { Widgets = { type = 'Group', name = 'Root', Children = {
    { type = 'Group', name = 'Panel', Children = { { type = 'TextLabel', name = 'Title' } } },
} } }
)");
    EXPECT_EQ(Screen::find_widget(*after, quit), nullptr); // no second panel any more
    Screen::Widget* moved = Screen::find_widget(*after, title);
    ASSERT_NE(moved, nullptr);
    EXPECT_EQ(moved->name(), "Title");
    EXPECT_EQ(Screen::find_widget(*after, Screen::WidgetPath()), nullptr);
}

TEST(WidgetPath, WidgetOutsideADocumentHasNoPath)
{
    ScreenFixture fixture;
    auto document = fixture.open(screen);
    Screen::Widget loose(document.get());
    EXPECT_TRUE(Screen::path_of(loose).empty());
}

} // namespace
