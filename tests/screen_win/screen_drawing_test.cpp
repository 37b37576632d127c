// The screen drawn through the offscreen renderer: states, visibility, flips, crisp
// outlines, font scaling, emphasis, the checkerboard, and a dropped render target.

#include "render/offscreen_device_target.h"
#include "render/resource_set.h"
#include "screen/dim_layers.h"
#include "screen/presentation_item.h"
#include "screen/screen_document.h"
#include "screen/widget.h"
#include "ui/element_chain.h"

#include "mod/memory_source.h"
#include "mod/mod_change.h"
#include "render_win/host_fonts.h"
#include "support/win/test_graphics.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace {

// Counts the reads of texture files.
class CountingSource : public MemorySource {
public:
    Mod::BlobPtr read(const std::string& path) const override
    {
        if (path.find("textures") != std::string::npos)
            ++texture_reads;
        return MemorySource::read(path);
    }
    mutable int texture_reads = 0;
};

std::string tga(int width, int height, const std::vector<std::uint32_t>& argb_rows_bottom_first)
{
    std::string file(18, '\0');
    file[2] = 2;
    file[12] = static_cast<char>(width);
    file[14] = static_cast<char>(height);
    file[16] = 32;
    for (std::uint32_t p : argb_rows_bottom_first) {
        file += static_cast<char>(p & 0xFF);
        file += static_cast<char>((p >> 8) & 0xFF);
        file += static_cast<char>((p >> 16) & 0xFF);
        file += static_cast<char>(p >> 24);
    }
    return file + std::string(8, '\0') + "TRUEVISION-XFILE." + std::string(1, '\0');
}

int red(std::uint32_t p) { return static_cast<int>((p >> 16) & 0xFF); }
int green(std::uint32_t p) { return static_cast<int>((p >> 8) & 0xFF); }
int blue(std::uint32_t p) { return static_cast<int>(p & 0xFF); }

class ScreenDrawingTest : public ::testing::Test {
protected:
    ScreenDrawingTest() : m_files(std::make_shared<CountingSource>()) {}

    // The document of `script` drawn at width x height DIPs.
    Screen::ScreenDocument& open(const std::string& script, float width = 100.0f, float height = 100.0f)
    {
        m_files->add("Art\\UI\\Screens\\test.screen", script);
        m_resources = std::make_unique<Render::ResourceSet>(&TestSupport::test_graphics(), m_files);
        Screen::ScreenSources sources{m_files, m_resources->colours(), nullptr, m_resources.get()};
        m_document = std::make_unique<Screen::ScreenDocument>(&TestSupport::test_graphics(), sources,
                                                              "Art\\UI\\Screens\\test.screen");
        m_document->set_bounds(0.0f, 0.0f, width, height);
        return *m_document;
    }

    // Draws the document into a fresh white target of its size and reads it back.
    void draw()
    {
        const auto width = static_cast<std::uint32_t>(m_document->width());
        const auto height = static_cast<std::uint32_t>(m_document->height());
        if (!m_target || m_target->width() != width || m_target->height() != height)
            m_target = std::make_unique<Render::OffscreenDeviceTarget>(TestSupport::test_graphics(), width, height);
        m_target->draw(*m_document, D2D1::ColorF(1.0f, 1.0f, 1.0f, 1.0f));
        m_pixels = m_target->read_pixels();
    }

    std::uint32_t pixel(int x, int y) const { return m_pixels[static_cast<std::size_t>(y) * m_target->width() + x]; }

    Screen::Widget* named(const std::string& name)
    {
        for (Screen::Widget* root : {m_document->widgets(), m_document->tooltip_widgets()}) {
            if (Screen::Widget* found = find(root, name))
                return found;
        }
        return nullptr;
    }

    static Screen::Widget* find(Screen::Widget* widget, const std::string& name)
    {
        if (!widget)
            return nullptr;
        if (widget->name() == name)
            return widget;
        for (std::size_t i = 0; i < widget->child_count(); ++i)
            if (Screen::Widget* found = find(dynamic_cast<Screen::Widget*>(widget->child(i)), name))
                return found;
        return nullptr;
    }

    std::shared_ptr<CountingSource> m_files;
    std::unique_ptr<Render::ResourceSet> m_resources;
    std::unique_ptr<Screen::ScreenDocument> m_document;
    std::unique_ptr<Render::OffscreenDeviceTarget> m_target;
    std::vector<std::uint32_t> m_pixels;
};

// An opaque red square at (0.25, 0.25)-(0.75, 0.75) whose item shows in `states`.
std::string square(const std::string& widget_keys, const std::string& states)
{
    return "Screen = { Widgets = { name = 'w', position = {0.25, 0.25}, size = {0.5, 0.5}, " + widget_keys +
           " Presentation = { Art = { { type = 'Rectangle', states = " + states +
           ", size = {0.5, 0.5}, colour = {255, 0, 0, 255} } } } } }";
}

TEST_F(ScreenDrawingTest, AnItemOfTheHoverStateShowsOnlyWhileHovered)
{
    // (50, 58) lies on a clear square of the checkerboard.
    open(square("", "{ 'Hover' }"));
    draw();
    EXPECT_EQ(pixel(50, 58), 0xFFFFFFFFu) << "not red: the widget is not hovered";
    Ui::ElementChain hover(Ui::ElementChain::Kind::hover, nullptr);
    hover.move_to(named("w"));
    draw();
    EXPECT_EQ(pixel(50, 58), 0xFFFF0000u);
    EXPECT_EQ(m_document->pixels_drawn_again(), 54.0 * 54.0) << "the square and its margin, no more";
    hover.move_to(m_document.get());
    draw();
    EXPECT_EQ(pixel(50, 58), 0xFFFFFFFFu);

    // Art that shows in both states looks the same hovered: nothing is drawn again.
    hover.move_to(nullptr); // before the document it holds goes
    open(square("", "{ 'Normal', 'Hover' }"));
    draw();
    hover.move_to(named("w"));
    draw();
    EXPECT_EQ(pixel(50, 58), 0xFFFF0000u);
    EXPECT_EQ(m_document->pixels_drawn_again(), 0.0);
}

TEST_F(ScreenDrawingTest, HiddenWidgetsHideTheirSubtreeUnlessShownByForce)
{
    open("Screen = { Widgets = { type = 'Group', name = 'g', visible = false, Children = { " +
         std::string("{ name = 'inner', Presentation = { Art = { { type = 'Rectangle', states = { 'Normal' }, ") +
         "size = {1, 1}, colour = {0, 0, 255, 255} } } } } } } }");
    draw();
    EXPECT_NE(pixel(10, 10), 0xFF0000FFu);
    named("g")->set_force_shown(true);
    draw();
    EXPECT_EQ(pixel(10, 10), 0xFF0000FFu);
}

TEST_F(ScreenDrawingTest, AFlippedImageStaysInsideItsBox)
{
    // Two pixels, red then green (a one-row TGA: its only row is its first).
    m_files->add("art\\ui\\textures\\pair.tga", tga(2, 1, {0xFFFF0000, 0xFF00FF00}));
    open("Screen = { Widgets = { Presentation = { Art = { "
         "{ type = 'Graphic', states = { 'Normal' }, texture = 'art/ui/textures/pair', position = {0.2, 0.2}, "
         "size = {0.4, 0.2}, colour = {0, 0, 0, 255} }, "
         "{ type = 'Graphic', states = { 'Normal' }, texture = 'art/ui/textures/pair', position = {0.2, 0.6}, "
         "size = {0.4, 0.2}, colour = {0, 0, 0, 255}, flipHorizontal = true } } } } }");
    draw();
    EXPECT_GT(red(pixel(25, 30)), 200);
    EXPECT_GT(green(pixel(55, 30)), 200);
    // Mirrored, within the same box.
    EXPECT_GT(green(pixel(25, 70)), 200);
    EXPECT_GT(red(pixel(55, 70)), 200);
    EXPECT_EQ(blue(pixel(15, 70)), 255) << "nothing left of the box";
    EXPECT_EQ(blue(pixel(66, 78)), 255) << "nothing right of the box";
    EXPECT_EQ(m_files->texture_reads, 2) << "one search (.dds, then .tga) for both items";
}

TEST_F(ScreenDrawingTest, OutlinesStayOneDevicePixelWideAtAnyZoom)
{
    for (float size : {100.0f, 400.0f}) {
        open("Screen = { Widgets = { Presentation = { Art = { { type = 'Rectangle', rectangleType = 'Border', "
             "states = { 'Normal' }, position = {0.25, 0.25}, size = {0.5, 0.5}, colour = {0, 0, 0, 255} } } } } }",
             size, size);
        draw();
        // Across the left edge, in the middle row: one black pixel, no grey neighbours.
        const int row = static_cast<int>(size / 2);
        int dark = 0, grey = 0;
        for (int x = static_cast<int>(size * 0.2f); x < static_cast<int>(size * 0.3f); ++x) {
            const int level = red(pixel(x, row));
            dark += level < 40;
            grey += level >= 40 && level < 200;
        }
        EXPECT_EQ(dark, 1) << size;
        EXPECT_EQ(grey, 0) << size;
    }
}

// With layers, and through the off-screen canvas where layers ignore their opacity.
class EmphasisTest : public ScreenDrawingTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override
    {
        Screen::set_layers_apply_opacity(std::nullopt);
        if (GetParam() && !Screen::layers_apply_opacity(&TestSupport::test_graphics()))
            GTEST_SKIP() << "this system's layers ignore their opacity";
        Screen::set_layers_apply_opacity(GetParam());
    }
    void TearDown() override { Screen::set_layers_apply_opacity(std::nullopt); }
};

TEST_P(EmphasisTest, TheEmphasizedWidgetAloneIsOpaqueAndFramed)
{
    open("Screen = { Widgets = { type = 'Group', Children = { "
         "{ name = 'a', position = {0, 0}, size = {0.5, 1}, Presentation = { Art = { { type = 'Rectangle', "
         "states = { 'Normal' }, size = {0.5, 1}, colour = {255, 0, 0, 255} } } } }, "
         "{ name = 'b', position = {0.5, 0}, size = {0.5, 1}, Presentation = { Art = { { type = 'Rectangle', "
         "states = { 'Normal' }, size = {0.5, 1}, colour = {0, 0, 255, 255} } } } } } } }");
    m_document->set_emphasized(named("b"));
    m_document->set_dim(0.25f);
    draw();
    EXPECT_EQ(pixel(75, 35), 0xFF0000FFu) << "the emphasized widget at full strength";
    // The other at a quarter: red over white (a clear checker square) gives (255, 191, 191).
    EXPECT_EQ(red(pixel(25, 35)), 255);
    EXPECT_NEAR(green(pixel(25, 35)), 191, 6);
    // The frame: the device pixels just inside the widget's box.
    EXPECT_EQ(pixel(50, 40), 0xFF000000u);
    EXPECT_EQ(pixel(99, 40), 0xFF000000u);
    EXPECT_EQ(pixel(75, 0), 0xFF000000u);
    EXPECT_EQ(pixel(51, 40), 0xFF0000FFu);
}

INSTANTIATE_TEST_SUITE_P(DimMode, EmphasisTest, ::testing::Bool());

TEST_F(ScreenDrawingTest, TheCheckerboardKeepsEightDipSquares)
{
    for (float size : {64.0f, 128.0f}) {
        open("Screen = {}", size, size);
        draw();
        // Dark where (x < 8) equals (y < 8) in each 16-pixel tile, whatever the size.
        EXPECT_LT(red(pixel(3, 3)), 250) << size;
        EXPECT_EQ(red(pixel(11, 3)), 255) << size;
        EXPECT_EQ(red(pixel(3, 11)), 255) << size;
        EXPECT_LT(red(pixel(11, 11)), 250) << size;
        EXPECT_LT(red(pixel(19, 19)), 250) << size;
        EXPECT_EQ(red(pixel(27, 19)), 255) << size;
    }
}

TEST_F(ScreenDrawingTest, TextScalesWithTheFontsSizeTable)
{
    if (!HostFonts::available())
        GTEST_SKIP() << "no host fonts";
    m_files->add("font\\DejaVuSans.ttf", HostFonts::bytes_of(HostFonts::dejavu));
    // Scale 1 at a 4:3 width of 200, 2 at 400.
    m_files->add("font\\test.fnt", "font = { name = 'DejaVu Sans', sizeDefault = 12, size200 = 12, size400 = 24 }");
    auto ink_width = [&](float width) {
        open("Screen = { Widgets = { text = 'WWWW', size = {1, 1}, Presentation = { Art = { { type = 'Text', "
             "states = { 'Normal' }, fontname = 'test', size = {1, 1}, multiline = false, "
             "textColourTop = {0, 0, 0, 255}, textColourBottom = {0, 0, 0, 255} } } } } }",
             width, width * 0.75f);
        draw();
        int left = -1, right = -1;
        for (int x = 0; x < static_cast<int>(width); ++x)
            for (int y = 0; y < static_cast<int>(width * 0.75f); ++y)
                if (red(pixel(x, y)) < 100) {
                    if (left < 0)
                        left = x;
                    right = x;
                }
        return right - left;
    };
    // sqrt(W * H * 4 / 3) is W for a 4:3 document.
    const int at_200 = ink_width(200.0f);
    const int at_400 = ink_width(400.0f);
    ASSERT_GT(at_200, 10);
    EXPECT_NEAR(static_cast<double>(at_400) / at_200, 2.0, 0.15);
}

// Each event drops no more than it must: a new target (lost, or the view resized) and a
// changed texture read no texture but the changed one and make no text layout again; a
// changed font or table makes the layouts again and reads no texture.
TEST_F(ScreenDrawingTest, EachEventDropsOnlyWhatItInvalidates)
{
    m_files->add("art\\ui\\textures\\dot.tga", tga(1, 1, {0xFF00FF00}));
    m_files->add("art\\ui\\textures\\other.tga", tga(1, 1, {0xFF0000FF}));
    open("Screen = { Widgets = { text = 'x', Presentation = { Art = {"
         " { type = 'Graphic', states = { 'Normal' }, texture = 'art/ui/textures/dot.tga', size = {1, 0.5},"
         " colour = {0, 0, 0, 255} },"
         " { type = 'Graphic', states = { 'Normal' }, texture = 'art/ui/textures/other.tga', position = {0, 0.5},"
         " size = {1, 0.5}, colour = {0, 0, 0, 255} },"
         " { type = 'Text', states = { 'Normal' }, size = {0.1, 0.1} } } } } }");
    draw();
    EXPECT_EQ(pixel(50, 75), 0xFF0000FFu);
    const std::size_t layouts = Screen::text_layouts_made();
    EXPECT_GT(layouts, 0u);

    auto change_of = [](const char* path, bool tables) {
        Mod::ModChange change;
        if (path)
            change.add(path);
        if (tables)
            change.add_localisation("en.ucs");
        return change;
    };
    struct Case {
        const char* event;
        std::function<void()> cause;
        int texture_reads;
        std::size_t layouts_made;
    };
    const Case cases[] = {
        {"a new target",
         [&] {
             m_document->on_target_dropped();
             m_target.reset();
         },
         0, 0},
        {"a changed texture",
         [&] {
             m_files->add("art\\ui\\textures\\dot.tga", tga(1, 1, {0xFFFF0000}));
             const Mod::ModChange change = change_of("art\\ui\\textures\\dot.tga", false);
             m_resources->apply_change(change);
             m_document->on_files_changed(change);
         },
         1, 0},
        {"a changed font", [&] { m_document->on_files_changed(change_of("font\\tahoma.ttf", false)); }, 0, 1},
        {"changed tables", [&] { m_document->on_files_changed(change_of(nullptr, true)); }, 0, 1},
    };
    for (const Case& c : cases) {
        const int reads = m_files->texture_reads;
        const std::size_t made = Screen::text_layouts_made();
        c.cause();
        draw();
        EXPECT_EQ(m_files->texture_reads - reads, c.texture_reads) << c.event;
        EXPECT_EQ(Screen::text_layouts_made() - made, c.layouts_made) << c.event;
        EXPECT_EQ(pixel(50, 75), 0xFF0000FFu) << c.event;
    }
    EXPECT_EQ(pixel(50, 25), 0xFFFF0000u) << "the changed texture shows";
}

} // namespace
