// The editor session of one screen: the one hub its windows listen to, and the commands
// that rename widgets (with the tooltip references that follow), pick tooltip widgets,
// nudge, and take back a cancelled run of keystrokes, each one undo step.

#include "editor/editor_session.h"

#include "screen/edit_history.h"
#include "screen/lua_writer.h"
#include "screen/screen_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Editor::EditorSession;
using Screen::Widget;

// Two buttons that show the tooltip 'tip', one that shows 'hint', a widget whose name two
// share, and the tooltip widgets.
const char* const screen = R"(Screen = {
    Widgets = { type = 'Group', name = 'root', Children = {
        { type = 'Button', name = 'play', position = {0.1, 0.1}, size = {0.2, 0.1}, tooltip_name = 'tip' },
        { type = 'Button', name = 'quit', position = {0.1, 0.3}, size = {0.2, 0.1}, tooltip_name = 'tip' },
        { type = 'Button', name = 'other', position = {0.5, 0.3}, size = {0.2, 0.1}, tooltip_name = 'hint' },
        { type = 'TextLabel', name = 'twin' },
        { type = 'TextLabel', name = 'twin' },
    } },
    TooltipWidgets = { type = 'Group', name = 'tips', Children = {
        { type = 'TextLabel', name = 'tip' },
        { type = 'TextLabel', name = 'hint' },
    } },
})";

// What a listener hears, one line each.
class Log : public Editor::EditorListener {
public:
    void property_changed(Widget* widget, int property) override
    {
        lines.push_back(widget->name() + " " + std::to_string(property));
    }
    void selection_changed(Widget* widget) override
    {
        lines.push_back("selected " + (widget ? widget->name() : std::string("nothing")));
    }
    void document_replaced() override { lines.push_back("replaced"); }
    void status_changed() override { lines.push_back("status"); }
    bool heard(const std::string& line) const { return std::find(lines.begin(), lines.end(), line) != lines.end(); }

    std::vector<std::string> lines;
};

class SessionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_document = m_fixture.open(screen);
        m_session = EditorSession::create(*m_document);
    }
    void TearDown() override { m_session->detach(); }

    Widget& widget(const char* name) const
    {
        Widget* found = find_widget(m_document->widgets(), name);
        if (!found)
            found = find_widget(m_document->tooltip_widgets(), name);
        EXPECT_NE(found, nullptr) << name;
        return *found;
    }
    std::string text() const { return Screen::write_screen_table(m_document->lua()); }
    Screen::EditHistory& history() const { return m_document->history(); }
    std::string status() const { return std::string(m_session->status().begin(), m_session->status().end()); }

    ScreenFixture m_fixture;
    std::unique_ptr<Screen::ScreenDocument> m_document;
    std::shared_ptr<EditorSession> m_session;
};

TEST_F(SessionTest, ARenameTakesTheTooltipReferencesAlongInOneStep)
{
    Widget& tip = widget("tip");
    ASSERT_EQ(widget("play").tooltip_widget(), &tip);
    const std::string original = text();
    Log log;
    const auto subscription = m_session->subscribe(log);

    ASSERT_TRUE(m_session->rename(tip, "help"));
    EXPECT_EQ(tip.name(), "help");
    for (const char* name : {"play", "quit"}) {
        EXPECT_EQ(widget(name).tooltip_name(), std::optional<std::string>("help")) << name;
        EXPECT_EQ(widget(name).tooltip_widget(), &tip) << name;
    }
    EXPECT_EQ(widget("other").tooltip_name(), std::optional<std::string>("hint")) << "another name's references stay";
    EXPECT_FALSE(m_document->name_taken("tip", nullptr)) << "the old name is free";
    EXPECT_NE(text().find("tooltip_name = \"help\""), std::string::npos) << text();
    EXPECT_EQ(history().size(), 1u);
    EXPECT_TRUE(log.heard("help 27"));
    EXPECT_TRUE(log.heard("play 28"));

    // Undone, the table is the script's again, and the references reach the widget by
    // its old name; redone, by the new.
    ASSERT_TRUE(m_session->undo());
    EXPECT_EQ(text(), original);
    EXPECT_EQ(tip.name(), "tip");
    EXPECT_EQ(widget("quit").tooltip_widget(), &tip);
    EXPECT_EQ(m_session->selection(), &tip) << "undo selects what it changed first";
    ASSERT_TRUE(m_session->redo());
    EXPECT_EQ(tip.name(), "help");
    EXPECT_EQ(widget("quit").tooltip_widget(), &tip);
    EXPECT_FALSE(m_document->name_taken("help", &tip));
}

TEST_F(SessionTest, NamesThatAreEmptyOrTakenAreRefusedWithTheReason)
{
    Widget& play = widget("play");
    Log log;
    const auto subscription = m_session->subscribe(log);
    struct Case {
        const char* name;
        const char* reason;
    };
    for (const Case& c : {Case{"", "a widget needs a name"}, Case{"quit", "another widget has that name"},
                          Case{"tip", "another widget has that name"}}) {
        EXPECT_FALSE(m_session->rename(play, c.name)) << c.name;
        EXPECT_NE(status().find(c.reason), std::string::npos) << status();
        EXPECT_EQ(play.name(), "play");
    }
    EXPECT_TRUE(log.heard("status"));
    EXPECT_FALSE(history().can_undo());
    EXPECT_TRUE(m_session->rename(play, "play")) << "its own name is no change";
    EXPECT_FALSE(history().can_undo());

    // A name two widgets share reaches one of them: renaming the other takes no
    // reference along, and the name stays taken.
    Widget* unreached = nullptr;
    for (Widget* twin : *m_document->widgets()->child_widgets()) {
        if (twin->name() == "twin" && m_document->name_taken("twin", twin))
            unreached = twin;
    }
    ASSERT_NE(unreached, nullptr);
    ASSERT_TRUE(m_session->rename(*unreached, "single"));
    EXPECT_TRUE(m_document->name_taken("twin", unreached));
    EXPECT_TRUE(status().empty()) << "a command that works clears the notice";
}

TEST_F(SessionTest, TheHubTellsSelectionsChangesAndAReplacedDocument)
{
    Log log;
    auto subscription = m_session->subscribe(log);
    m_session->select(&widget("quit"));
    m_session->select(&widget("quit"));
    widget("quit").set_visible(false);
    EXPECT_EQ(log.lines, (std::vector<std::string>{"selected quit", "quit 23"}));
    EXPECT_EQ(m_document->emphasized(), &widget("quit"));

    // The screen loads again: the selection goes while the old document lives, the
    // listeners hear of the new one, and the widget of the same name is selected.
    std::unique_ptr<Screen::ScreenDocument> old = std::move(m_document);
    m_document = m_fixture.open(screen);
    log.lines.clear();
    m_session->replace_document(*m_document);
    EXPECT_EQ(&m_session->document(), m_document.get());
    EXPECT_EQ(m_session->selection(), &widget("quit"));
    ASSERT_GE(log.lines.size(), 3u);
    EXPECT_EQ(log.lines.front(), "selected nothing");
    EXPECT_TRUE(log.heard("replaced"));
    EXPECT_EQ(log.lines.back(), "selected quit");
    log.lines.clear();
    find_widget(old->widgets(), "play")->set_visible(false);
    EXPECT_TRUE(log.lines.empty()) << "the old document is no longer heard";
    old.reset();

    // Edits of the new document go into its own history; a listener that left hears
    // nothing more.
    widget("play").set_visible(false);
    EXPECT_TRUE(history().can_undo());
    subscription.reset();
    log.lines.clear();
    widget("play").set_visible(true);
    EXPECT_TRUE(log.lines.empty());
}

TEST_F(SessionTest, AListenerMayLeaveOrJoinWhileItIsTold)
{
    struct Leaving : Log {
        EditorSession::Subscription* own = nullptr;
        void selection_changed(Widget* widget) override
        {
            Log::selection_changed(widget);
            own->reset();
        }
    } leaving;
    Log joined;
    EditorSession::Subscription joined_subscription;
    struct Joining : Log {
        std::function<void()> join;
        void selection_changed(Widget* widget) override
        {
            Log::selection_changed(widget);
            if (join)
                std::exchange(join, nullptr)();
        }
    } joining;
    joining.join = [&] { joined_subscription = m_session->subscribe(joined); };
    auto leaving_subscription = m_session->subscribe(leaving);
    leaving.own = &leaving_subscription;
    const auto joining_subscription = m_session->subscribe(joining);

    m_session->select(&widget("play"));
    m_session->select(&widget("quit"));
    EXPECT_EQ(leaving.lines, std::vector<std::string>{"selected play"});
    EXPECT_EQ(joining.lines.size(), 2u);
    EXPECT_FALSE(joined.lines.empty());

    // A subscription may outlive its session.
    m_session->detach();
    m_session.reset();
    joined_subscription.reset();
    m_session = EditorSession::create(*m_document);
}

TEST_F(SessionTest, TooltipWidgetsAreChosenByNameAsOneStep)
{
    EXPECT_EQ(m_session->tooltip_widget_names(), (std::vector<std::string>{"tips", "tip", "hint"}));
    Widget& other = widget("other");
    ASSERT_TRUE(m_session->set_tooltip_widget(other, "tip"));
    EXPECT_EQ(other.tooltip_widget(), &widget("tip"));
    ASSERT_TRUE(m_session->set_tooltip_widget(other, ""));
    EXPECT_EQ(other.tooltip_widget(), nullptr);
    EXPECT_EQ(other.tooltip_name(), std::nullopt);
    EXPECT_EQ(history().size(), 2u);
    m_session->undo();
    m_session->undo();
    EXPECT_EQ(other.tooltip_widget(), &widget("hint"));
}

TEST_F(SessionTest, NudgesOfOneWidgetInARowAreOneStep)
{
    Widget& play = widget("play");
    Widget& quit = widget("quit");
    m_session->select(&play);
    for (int i = 0; i < 50; ++i)
        m_session->nudge_selection(0.01f, 0.0f);
    EXPECT_NEAR(play.x(), 0.6f, 1e-5f);
    EXPECT_EQ(history().size(), 1u);
    m_session->select(&quit);
    m_session->nudge_selection(0.0f, 0.01f);
    m_session->select(&play);
    m_session->nudge_selection(0.0f, 0.01f);
    EXPECT_EQ(history().size(), 3u) << "another widget's nudge between";
    m_session->undo();
    m_session->nudge_selection(0.0f, 0.01f);
    EXPECT_EQ(history().size(), 3u) << "an undo between: a new step in place of the undone one";
    m_session->undo();
    m_session->undo();
    m_session->undo();
    EXPECT_FLOAT_EQ(play.x(), 0.1f);
    EXPECT_FLOAT_EQ(quit.y(), 0.3f);
}

TEST_F(SessionTest, ACancelledRunOfKeystrokesLeavesNothingBehind)
{
    Widget& quit = widget("quit");
    quit.set_visible(false);
    const std::string before = text();
    const std::uint64_t run = Screen::EditRun::next_id();
    {
        const Screen::EditRun keystrokes(run);
        // Positions no seven-digit text gives back exactly.
        quit.set_bounds(0.123456789f, 0.3f, 0.2f, 0.1f);
        quit.set_bounds(0.987654321f, 0.3f, 0.2f, 0.1f);
    }
    EXPECT_EQ(history().size(), 2u);
    EXPECT_TRUE(m_session->revert_run(run));
    EXPECT_EQ(text(), before);
    EXPECT_EQ(history().size(), 1u);
    EXPECT_FALSE(m_session->can_redo()) << "a cancelled edit is not there to redo";
    EXPECT_FALSE(m_session->revert_run(run)) << "nothing of the run is left";
    const std::uint64_t later = Screen::EditRun::next_id();
    EXPECT_FALSE(m_session->revert_run(later));
    EXPECT_FALSE(quit.is_visible()) << "the step before stays";
}

} // namespace
