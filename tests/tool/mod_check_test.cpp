// The checks behind tvse-tool check, on small mods written into a temporary folder:
// each kind of problem, the order of the lines, style sheet problems told once, and
// verdicts kept for the run.

#include "tool/mod_check.h"

#include "mod/loaded_mod.h"
#include "platform/debug_output.h"
#include "render/resource_set.h"
#include "render/texture_files.h"
#include "support/temp_folder.h"

#include "mod/ucs_bytes.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

const char* const ui_styles = R"(StyleSheet = { Styles = {
    { name = 'Big', type = 'ButtonStyle', size = {0.25, 0.0625} },
} })";

class ModCheckTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Style lookups that fail tell the developer too; the lines say it here.
        m_previous_sink = Platform::set_debug_sink([](const std::string&) {});
        m_folder.write("Main.module", "[global]\nModFolder=Main\nDataFolder.1=Data\n");
        m_folder.write("Main\\Locale\\english\\main.ucs", ucs_bytes(u"100\tHello\r\n"));
        sheet("uistyles.styles", ui_styles);
        write("art\\ui\\textures\\ok.tga", tga_file(TgaHeader{}, std::string(16, '\x40')));
        write("art\\ui\\textures\\bad.dds", "DDS but nothing more");
        write("font\\body.fnt", "font = { name = 'Body', sizeDefault = 12 }");
        write("font\\noname.fnt", "font = { name = 12 }");
    }

    void TearDown() override { Platform::set_debug_sink(m_previous_sink); }

    void write(const std::string& path, const std::string& bytes) { m_folder.write("Main\\Data\\" + path, bytes); }
    void sheet(const std::string& name, const std::string& script) { write("art\\ui\\styles\\" + name, script); }
    static std::string screen_path(const std::string& name) { return "Art\\UI\\Screens\\" + name; }
    void screen(const std::string& name, const std::string& script) { write(screen_path(name), script); }

    // The mod as the files stand now, and a check over it.
    Tool::ModCheck& check()
    {
        m_check.reset();
        m_mod = std::make_unique<Mod::LoadedMod>();
        m_mod->set_resource_builder(Render::resource_set_builder());
        m_mod->load(nullptr, m_folder.path("Main.module"));
        m_mod->wait_until_loaded(Platform::wait_forever);
        m_check = std::make_unique<Tool::ModCheck>(*m_mod);
        return *m_check;
    }

    Platform::DebugSink m_previous_sink;
    TempFolder m_folder;
    std::unique_ptr<Mod::LoadedMod> m_mod;
    std::unique_ptr<Tool::ModCheck> m_check;
};

TEST_F(ModCheckTest, EveryKindOfProblemInWidgetTreeOrderThenTheTooltipWidgets)
{
    screen("bad.screen", R"(Screen = {
        Widgets = { type = 'Group', name = 'Root', Children = {
            { type = 'Button', name = 'Styled', style = {'UIStyles', 'Missing'} },
            { type = 'Button', name = 'Fine', style = {'uistyles', 'BIG'}, text = '$100', tooltip_text = 'plain',
              tooltip_name = 'Tip' },
            { type = 'TextLabel', name = 'Texts', text = '$999', tooltip_text = '$42', tooltip_name = 'Nobody',
              style = {'UIStyles', 'Gone'} },
            { type = 'ArtLabel', name = 'Art', Presentation = { Art = {
                { type = 'Graphic', texture = 'art/ui/textures/none' },
                { type = 'Graphic', texture = 'art/ui/textures/ok' },
                { type = 'Text', fontname = 'nofont' },
                { type = 'Graphic', texture = 'prefix:art/ui/textures/bad.dds' },
                { type = 'Text', fontname = 'noname' },
                { type = 'Text', fontname = 'body' },
                { type = 'Text', fontname = '' },
                { type = 'Graphic', texture = 'art/ui/textures/none.tga' },
                { type = 'Graphic', texture = 'art/ui/textures/none' },
            } } },
            { type = 'ProgressBar', name = 'Meter', Progress = { type = 'ArtLabel', name = 'Fill',
              Presentation = { Art = { { type = 'Graphic' } } } } },
            { type = 'Group', name = 'Nest', Children = { { type = 'TextLabel', name = 'Deep\nDown', text = '$' } } },
        } },
        TooltipWidgets = { type = 'Group', name = 'Tips', Children = {
            { type = 'TextLabel', name = 'Tip', text = '$7' },
        } },
    })");
    const std::string path = screen_path("bad.screen") + ": widget ";
    const Lines expected{
        path + "Styled: unknown style UIStyles/Missing",
        // Style, tooltip name, text, tooltip text, then the items in their Art order.
        path + "Texts: unknown style UIStyles/Gone",
        path + "Texts: tooltip_name Nobody names no widget",
        path + "Texts: no string for $999",
        path + "Texts: no string for $42",
        // The same problem twice in one widget is one line; the prefix before a colon is
        // not part of a texture's name.
        path + "Art: Missing texture: art/ui/textures/none",
        path + "Art: Cannot open font description font\\nofont.fnt",
        path + "Art: Invalid texture: art/ui/textures/bad.dds (Unrecognised image format)",
        path + "Art: Font description font\\noname.fnt gives no string font.name",
        path + "Art: Missing texture: art/ui/textures/none.tga",
        // A composite part, an item without a texture (the editor's "art/"), a bare '$'
        // in a widget whose name would break the line.
        path + "Fill: Missing texture: art/",
        path + "Deep?Down: no string for $",
        path + "Tip: no string for $7",
    };
    EXPECT_EQ(check().check_screen(screen_path("bad.screen")), expected);
    EXPECT_EQ(m_check->problems_found(), expected.size());
}

TEST_F(ModCheckTest, OnlyDollarAndDigitsIsAMissingString)
{
    check();
    const struct {
        const char* text;
        bool missing;
    } cases[] = {
        {"$100", false},  {"$0100", false}, // the number is what counts
        {"$101", true},   {"$", true},      {"$00", true},
        {"100", false},   {"", false},      {"$12ab", false}, {"$ 12", false}, {"$-5", false},
        {"$99999999999999999999", true}, // saturated: still no string
    };
    for (const auto& c : cases)
        EXPECT_EQ(Tool::is_missing_string(*m_mod, c.text), c.missing) << c.text;
}

TEST_F(ModCheckTest, ASheetProblemIsToldOnceAndCoversTheStylesOfItsSheet)
{
    sheet("broken.styles", "StyleSheet = { Styles = {");
    sheet("fails.styles", "StyleSheet = nil + 1");
    const char* const styled = R"(Screen = { Widgets = { type = 'Group', name = 'Root', Children = {
        { type = 'Button', name = 'A', style = {'BROKEN', 'Any'} },
        { type = 'Button', name = 'B', style = {'Fails', 'Any'} },
        { type = 'Button', name = 'C', style = {'UIStyles', 'Any'} },
    } } })";
    screen("one.screen", styled);
    screen("two.screen", styled);
    Tool::ModCheck& checker = check();
    const std::string one = screen_path("one.screen");
    const std::string two = screen_path("two.screen");
    EXPECT_EQ(checker.check_screen(one), (Lines{
                                             "art/ui/styles/broken.styles: slice:1: unexpected symbol near <eof>",
                                             "art/ui/styles/fails.styles: slice:1: attempt to perform arithmetic "
                                             "on a nil value",
                                             one + ": widget C: unknown style UIStyles/Any",
                                         }));
    EXPECT_EQ(checker.check_screen(two), Lines{two + ": widget C: unknown style UIStyles/Any"});
    EXPECT_EQ(checker.problems_found(), 4u);
}

TEST_F(ModCheckTest, ASheetThatEndsTheLoadingCoversEveryStyle)
{
    sheet("unnamed.styles", "StyleSheet = { Styles = { { type = 'ButtonStyle' } } }");
    screen("one.screen", R"(Screen = { Widgets = { type = 'Button', name = 'A', style = {'UIStyles', 'Big'} } })");
    const Lines lines = check().check_screen(screen_path("one.screen"));
    EXPECT_EQ(lines, Lines{"art/ui/styles/unnamed.styles: string expected, got nil (no style sheet loaded)"});
}

TEST_F(ModCheckTest, TexturesAndFontsAreJudgedOnceARun)
{
    const char* const uses = R"(Screen = { Widgets = { type = 'ArtLabel', name = 'A', Presentation = { Art = {
        { type = 'Graphic', texture = 'art/ui/textures/ok' }, { type = 'Text', fontname = 'body' } } } } })";
    screen("one.screen", uses);
    screen("two.screen", uses);
    Tool::ModCheck& checker = check();
    EXPECT_EQ(checker.check_screen(screen_path("one.screen")), Lines{});
    // Broken after the first verdict: the run keeps it.
    write("art\\ui\\textures\\ok.tga", "no longer a texture");
    write("font\\body.fnt", "font = {");
    EXPECT_EQ(checker.check_screen(screen_path("two.screen")), Lines{});
    EXPECT_FALSE(checker.texture_problem("other:art/ui/textures/ok")) << "the same key";
    // A new run judges afresh.
    Tool::ModCheck& again = check();
    EXPECT_EQ(again.check_screen(screen_path("two.screen")).size(), 2u);
    EXPECT_EQ(*again.font_problem("body"), "Font description font\\body.fnt does not load: slice:1: "
                                           "unexpected symbol near <eof>");
    EXPECT_FALSE(again.font_problem(""));
}

} // namespace

namespace {

const char* const typed_screen = R"(Screen = { Widgets = { type = 'Group', name = 'Root', Children = {
    { type = 'Buton', name = 'Typo', Presentation = { Art = {
        { type = 'Rectangel' }, { type = 'Rectangle', colour = 'gold' }, { type = 'Rectangle', colour = 'mauve' },
        { type = 'Text', fontname = 'body', colourTop = 'gold', colourBottom = 'teal' },
        { type = 'Line', colour = {1, 2, 3} },
    } } },
    { type = 'EditText', name = 'Plain' },
} } })";

} // namespace

TEST_F(ModCheckTest, UnknownTypesAndColourNamesAndAColourTableThatFails)
{
    screen("typed.screen", typed_screen);
    write("art\\ui\\styles\\colourtable.colours",
          "ColourTable = { { key = 'gold', value = {255, 200, 0, 255} }, { key = 'teal', value = {0, 128, 128} } }");
    const std::string path = screen_path("typed.screen") + ": widget Typo: ";
    EXPECT_EQ(check().check_screen(screen_path("typed.screen")),
              (Lines{path + "unknown widget type Buton", path + "unknown item type Rectangel",
                     path + "unknown colour mauve"}));

    // A colour table that fails is told once, before the first screen's lines, and no
    // name is blamed on its own then.
    write("art\\ui\\styles\\colourtable.colours", "ColourTable = {");
    Tool::ModCheck& run = check();
    const Lines first = run.check_screen(screen_path("typed.screen"));
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(first.front().rfind("art\\ui\\styles\\colourtable.colours: slice:1: ", 0), 0u) << first.front();
    EXPECT_EQ(first.size(), 3u) << "the two type lines follow";
    EXPECT_EQ(run.check_screen(screen_path("typed.screen")).size(), 2u);
}
