// The screen drawn as the game draws it: images, rectangles, lines and texts of the
// widgets' art, per visual state, with placeholders for movies and custom widgets,
// inside the document's checkerboard, with the editor's emphasis. Outlines, lines and
// the emphasis frame are one device pixel wide at any zoom: they are mapped to device
// pixels and drawn on pixel centres under an identity transform.

#include "screen/composite_widgets.h"
#include "screen/dim_layers.h"
#include "screen/presentation_item.h"
#include "screen/screen_document.h"
#include "screen/widget.h"

#include "app/com_call.h"
#include "app/d2d_calls.h"
#include "app/dwrite_calls.h"
#include "gfx/graphics_context.h"
#include "render/device_resources.h"
#include "render/font_description.h"
#include "render/resource_set.h"
#include "screen/dirty_region.h"
#include "ui/ansi_text.h"
#include "ui/pixel_box.h"
#include "ui/text_format.h"
#include "ui/transform.h"

#include <d2d1.h>
#include <d2d1helper.h>
#include <dwrite.h>
#include <wrl/client.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <stdexcept>

namespace Screen {

using Microsoft::WRL::ComPtr;

namespace {

template <typename T>
T& cache_in(DrawCacheSlot& slot)
{
    if (!slot)
        slot = std::make_unique<T>();
    return static_cast<T&>(*slot);
}

D2D1_COLOR_F d2d_colour(const Colour& colour)
{
    return D2D1::ColorF(colour.r, colour.g, colour.b, colour.a);
}

// Local coordinates to device pixels, and device pixels back to the DIPs an identity
// transform draws in.
class PixelGrid {
public:
    explicit PixelGrid(ID2D1RenderTarget* target)
    {
        target->GetTransform(&m_transform);
        float dpi_x = 96.0f, dpi_y = 96.0f;
        target->GetDpi(&dpi_x, &dpi_y);
        m_scale_x = dpi_x / 96.0f;
        m_scale_y = dpi_y / 96.0f;
    }
    explicit PixelGrid(ID2D1RenderTarget* target, const D2D1_MATRIX_3X2_F& transform) : PixelGrid(target)
    {
        m_transform = transform;
    }

    D2D1_POINT_2F pixel(float x, float y) const
    {
        const D2D1_MATRIX_3X2_F& m = m_transform;
        return {(x * m.m11 + y * m.m21 + m.dx) * m_scale_x, (x * m.m12 + y * m.m22 + m.dy) * m_scale_y};
    }

    // The local rectangle (0, 0)-(width, height) as whole device pixels: left and top
    // rounded down, right and bottom up, at least one pixel each way.
    D2D1_RECT_F pixel_box(float width, float height) const
    {
        const D2D1_POINT_2F a = pixel(0.0f, 0.0f);
        const D2D1_POINT_2F b = pixel(width, height);
        const Ui::PixelBox box = Ui::outward_pixel_box(a.x, a.y, b.x, b.y);
        return {box.left, box.top, box.right, box.bottom};
    }

    D2D1_RECT_F dips(const D2D1_RECT_F& pixels) const
    {
        return {pixels.left / m_scale_x, pixels.top / m_scale_y, pixels.right / m_scale_x, pixels.bottom / m_scale_y};
    }
    D2D1_POINT_2F dips(D2D1_POINT_2F pixels) const { return {pixels.x / m_scale_x, pixels.y / m_scale_y}; }
    float one_pixel() const { return 1.0f / m_scale_x; }

    // The one-pixel frame just inside a pixel box, its strokes on pixel centres.
    D2D1_RECT_F frame(const D2D1_RECT_F& box) const
    {
        return dips({box.left + 0.5f, box.top + 0.5f, box.right - 0.5f, box.bottom - 0.5f});
    }

private:
    D2D1_MATRIX_3X2_F m_transform;
    float m_scale_x = 1.0f;
    float m_scale_y = 1.0f;
};

// Restores the target's transform on every way out.
class SavedTransform {
public:
    explicit SavedTransform(ID2D1RenderTarget* target) : m_target(target) { target->GetTransform(&m_saved); }
    ~SavedTransform() { m_target->SetTransform(m_saved); }
    const D2D1_MATRIX_3X2_F& saved() const { return m_saved; }

private:
    ID2D1RenderTarget* m_target;
    D2D1_MATRIX_3X2_F m_saved;
};

struct DocumentCache : DrawCache {
    ComPtr<ID2D1SolidColorBrush> frame_brush;
    ComPtr<ID2D1BitmapBrush> checker_brush;
    ComPtr<ID2D1Layer> dim_layer;
    // Where layers ignore their opacity: the dimmed content is drawn here, then onto the
    // window's target at the dim factor, in as many segments as the emphasis makes.
    ComPtr<ID2D1BitmapRenderTarget> dim_canvas;
    ID2D1RenderTarget* canvas_owner = nullptr; // the target the canvas composes onto
    ComPtr<IDWriteTextFormat> placeholder_format;
    ComPtr<ID2D1StrokeStyle> placeholder_stroke;
    ComPtr<ID2D1SolidColorBrush> placeholder_fill;
    ComPtr<ID2D1SolidColorBrush> placeholder_ink;
    // The screen as last drawn, the target it belongs to and the transform it was drawn
    // with (another one draws all of it again).
    ComPtr<ID2D1BitmapRenderTarget> image;
    ID2D1RenderTarget* image_owner = nullptr;
    D2D1_MATRIX_3X2_F image_transform{};
};

DocumentCache& document_cache(ScreenDocument& document, ID2D1RenderTarget* target)
{
    auto& cache = cache_in<DocumentCache>(document.draw_cache_slot());
    if (!cache.frame_brush)
        cache.frame_brush = App::create_solid_color_brush(target, D2D1::ColorF(0.0f, 0.0f, 0.0f, 1.0f));
    if (!cache.checker_brush) {
        // Black at alpha 32 where (x < 8) equals (y < 8).
        std::uint32_t pixels[16 * 16];
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                pixels[y * 16 + x] = ((x < 8) == (y < 8)) ? 0x20000000u : 0u;
        ComPtr<ID2D1Bitmap> bitmap = App::create_bitmap(
            target, D2D1::SizeU(16, 16), pixels, 16 * 4,
            D2D1::BitmapProperties(D2D1::PixelFormat(DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_PREMULTIPLIED), 96.0f,
                                   96.0f));
        App::check(target->CreateBitmapBrush(bitmap.Get(),
                                             D2D1::BitmapBrushProperties(D2D1_EXTEND_MODE_WRAP, D2D1_EXTEND_MODE_WRAP),
                                             &cache.checker_brush),
                   "ID2D1RenderTarget::CreateBitmapBrush");
    }
    return cache;
}

// The placeholder panel's objects, shared by every movie item and custom widget.
DocumentCache* placeholder_objects(ScreenDocument& document, ID2D1RenderTarget* target)
{
    Gfx::GraphicsContext* graphics = document.graphics();
    if (!graphics || !graphics->dwrite_factory || !graphics->d2d_factory)
        return nullptr;
    auto& cache = cache_in<DocumentCache>(document.draw_cache_slot());
    if (!cache.placeholder_format) {
        ComPtr<IDWriteTextFormat> format =
            Ui::create_system_text_format(graphics->dwrite_factory.Get(), 20.0f, DWRITE_FONT_WEIGHT_NORMAL);
        App::check(format->SetTextAlignment(DWRITE_TEXT_ALIGNMENT_CENTER), "IDWriteTextFormat::SetTextAlignment");
        App::check(format->SetParagraphAlignment(DWRITE_PARAGRAPH_ALIGNMENT_CENTER),
                   "IDWriteTextFormat::SetParagraphAlignment");
        cache.placeholder_format = format;
    }
    if (!cache.placeholder_stroke) {
        const float dashes[] = {4.0f, 4.0f};
        cache.placeholder_stroke = App::create_stroke_style(
            graphics->d2d_factory.Get(),
            D2D1::StrokeStyleProperties(D2D1_CAP_STYLE_FLAT, D2D1_CAP_STYLE_FLAT, D2D1_CAP_STYLE_FLAT,
                                        D2D1_LINE_JOIN_MITER_OR_BEVEL, 10.0f, D2D1_DASH_STYLE_CUSTOM, 0.0f),
            dashes, 2);
    }
    if (!cache.placeholder_fill)
        cache.placeholder_fill = App::create_solid_color_brush(target, D2D1::ColorF(213 / 255.0f, 213 / 255.0f, 213 / 255.0f));
    if (!cache.placeholder_ink)
        cache.placeholder_ink = App::create_solid_color_brush(target, D2D1::ColorF(125 / 255.0f, 125 / 255.0f, 125 / 255.0f));
    return &cache;
}

// A movie's or custom widget's stand-in: a grey panel with a dashed border and a text.
struct PlaceholderCache : DrawCache {
    ComPtr<IDWriteTextLayout> layout;
    std::wstring text;
};

void draw_placeholder(ScreenDocument& document, ID2D1RenderTarget* target, DrawCacheSlot& slot,
                      const std::wstring& text, float width, float height, float opacity)
{
    DocumentCache* objects = placeholder_objects(document, target);
    if (!objects)
        return;
    auto& cache = cache_in<PlaceholderCache>(slot);
    if (!cache.layout || cache.text != text) {
        cache.layout = App::create_text_layout(document.graphics()->dwrite_factory.Get(), text.c_str(),
                                               static_cast<UINT32>(text.size()), objects->placeholder_format.Get(), 0.0f,
                                               0.0f);
        cache.text = text;
    }
    SavedTransform saved(target);
    PixelGrid grid(target);
    const D2D1_RECT_F pixels = grid.pixel_box(width, height);
    target->SetTransform(D2D1::Matrix3x2F::Identity());
    objects->placeholder_fill->SetOpacity(opacity);
    objects->placeholder_ink->SetOpacity(std::min(opacity + 0.5f, 1.0f));
    target->FillRectangle(grid.dips(pixels), objects->placeholder_fill.Get());
    target->DrawRectangle(grid.dips({pixels.left + 2.0f, pixels.top + 2.0f, pixels.right - 2.0f, pixels.bottom - 2.0f}),
                          objects->placeholder_ink.Get(), 4.0f * grid.one_pixel(), objects->placeholder_stroke.Get());
    const D2D1_RECT_F box = grid.dips(pixels);
    App::set_max_width(cache.layout.Get(), box.right - box.left);
    App::set_max_height(cache.layout.Get(), box.bottom - box.top);
    // The explicit clip too: not every implementation honours the text option.
    target->PushAxisAlignedClip(box, D2D1_ANTIALIAS_MODE_ALIASED);
    target->DrawTextLayout(D2D1::Point2F(box.left, box.top), cache.layout.Get(), objects->placeholder_ink.Get(),
                           D2D1_DRAW_TEXT_OPTIONS_CLIP);
    target->PopAxisAlignedClip();
}

Render::DeviceResources* device_of(const ScreenDocument* document)
{
    Render::ResourceSet* resources = document ? document->resources() : nullptr;
    return resources ? resources->device() : nullptr;
}

} // namespace

// --- The document -------------------------------------------------------------------

namespace {

bool same_transform(const D2D1_MATRIX_3X2_F& a, const D2D1_MATRIX_3X2_F& b)
{
    return a.m11 == b.m11 && a.m12 == b.m12 && a.m21 == b.m21 && a.m22 == b.m22 && a.dx == b.dx && a.dy == b.dy;
}

// The image a screen is kept in: the target's pixel size and resolution, opaque and
// drawn over white as the window's background is, with the target's antialiasing.
ComPtr<ID2D1BitmapRenderTarget> create_screen_image(ID2D1RenderTarget* target)
{
    const D2D1_SIZE_F size = target->GetSize();
    const D2D1_SIZE_U pixels = target->GetPixelSize();
    const D2D1_PIXEL_FORMAT format = D2D1::PixelFormat(DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_IGNORE);
    ComPtr<ID2D1BitmapRenderTarget> image;
    App::check(target->CreateCompatibleRenderTarget(&size, &pixels, &format, D2D1_COMPATIBLE_RENDER_TARGET_OPTIONS_NONE,
                                                    &image),
               "ID2D1RenderTarget::CreateCompatibleRenderTarget");
    image->SetAntialiasMode(target->GetAntialiasMode());
    D2D1_TEXT_ANTIALIAS_MODE text = target->GetTextAntialiasMode();
    // The default on a target with alpha is greyscale; on the opaque image it would not be.
    if (text == D2D1_TEXT_ANTIALIAS_MODE_DEFAULT && target->GetPixelFormat().alphaMode != D2D1_ALPHA_MODE_IGNORE)
        text = D2D1_TEXT_ANTIALIAS_MODE_GRAYSCALE;
    image->SetTextAntialiasMode(text);
    ComPtr<IDWriteRenderingParams> params;
    target->GetTextRenderingParams(&params);
    image->SetTextRenderingParams(params.Get());
    return image;
}

} // namespace

void ScreenDocument::draw(ID2D1RenderTarget* target)
{
    DocumentCache& cache = document_cache(*this, target);
    update_tooltip();

    const D2D1_SIZE_U pixels = target->GetPixelSize();
    if (pixels.width == 0 || pixels.height == 0)
        return;
    if (!cache.image || cache.image_owner != target || cache.image->GetPixelSize().width != pixels.width ||
        cache.image->GetPixelSize().height != pixels.height) {
        cache.image.Reset();
        cache.image = create_screen_image(target);
        cache.image_owner = target;
        m_redraw_all = true;
    }
    D2D1_MATRIX_3X2_F transform;
    target->GetTransform(&transform);
    if (!same_transform(transform, cache.image_transform))
        m_redraw_all = true;
    cache.image_transform = transform;
    float dpi_x = 96.0f, dpi_y = 96.0f;
    target->GetDpi(&dpi_x, &dpi_y);
    const float scale = dpi_x / 96.0f;

    // The screen's pixels in the image; only they are drawn and shown.
    const Ui::PixelBox image_box{0.0f, 0.0f, static_cast<float>(pixels.width), static_cast<float>(pixels.height)};
    const Ui::PixelBox screen = box_intersection(device_box(transform, scale, 0.0f, 0.0f, 1.0f, 1.0f, 0.0f), image_box);
    const std::vector<Ui::PixelBox> parts = take_changes(transform, scale, screen);

    ID2D1BitmapRenderTarget* image = cache.image.Get();
    m_pixels_drawn_again = 0.0;
    for (const Ui::PixelBox& part : parts)
        m_pixels_drawn_again += static_cast<double>(part.right - part.left) * (part.bottom - part.top);
    if (!parts.empty()) {
        image->BeginDraw();
        try {
            for (const Ui::PixelBox& part : parts) {
                image->SetTransform(D2D1::Matrix3x2F::Identity());
                image->PushAxisAlignedClip(
                    D2D1::RectF(part.left / scale, part.top / scale, part.right / scale, part.bottom / scale),
                    D2D1_ANTIALIAS_MODE_ALIASED);
                image->Clear(D2D1::ColorF(1.0f, 1.0f, 1.0f, 1.0f));
                image->SetTransform(transform);
                m_drawn_part = &part;
                draw_content(image);
                m_drawn_part = nullptr;
                image->PopAxisAlignedClip();
            }
        } catch (...) {
            m_drawn_part = nullptr;
            m_redraw_all = true;
            image->EndDraw();
            throw;
        }
        const HRESULT drawn = image->EndDraw();
        if (FAILED(drawn))
            m_redraw_all = true;
        App::check(drawn, "ID2D1BitmapRenderTarget::EndDraw");
    }

    if (!box_empty(screen)) {
        ComPtr<ID2D1Bitmap> bitmap = App::get_bitmap(image);
        const D2D1_RECT_F shown =
            D2D1::RectF(screen.left / scale, screen.top / scale, screen.right / scale, screen.bottom / scale);
        target->SetTransform(D2D1::Matrix3x2F::Identity());
        target->DrawBitmap(bitmap.Get(), shown, 1.0f, D2D1_BITMAP_INTERPOLATION_MODE_NEAREST_NEIGHBOR, shown);
        target->SetTransform(transform);
    }
    draw_emphasis(target);
}

void ScreenDocument::draw_once(ID2D1RenderTarget* target)
{
    update_tooltip();
    draw_content(target);
    draw_emphasis(target);
}

void ScreenDocument::draw_content(ID2D1RenderTarget* target)
{
    DocumentCache& cache = document_cache(*this, target);
    const D2D1_RECT_F screen = D2D1::RectF(0.0f, 0.0f, 1.0f, 1.0f);
    target->PushAxisAlignedClip(screen, D2D1_ANTIALIAS_MODE_PER_PRIMITIVE);
    // Squares of 8 DIPs whatever the document's scale.
    if (m_width > 0.0f && m_height > 0.0f)
        cache.checker_brush->SetTransform(D2D1::Matrix3x2F::Scale(1.0f / m_width, 1.0f / m_height));
    target->FillRectangle(screen, cache.checker_brush.Get());

    const bool dimming = m_emphasized && m_dim < 1.0f;
    ID2D1RenderTarget* content = dimming ? enter_dim_layer(target) : target;
    try {
        ContainerElement::draw(content);
    } catch (...) {
        if (dimming)
            leave_dim_layer(content);
        target->PopAxisAlignedClip();
        throw;
    }
    if (dimming)
        leave_dim_layer(content);
    target->PopAxisAlignedClip();
}

void ScreenDocument::draw_emphasis(ID2D1RenderTarget* target)
{
    if (!m_emphasized)
        return;
    DocumentCache& cache = document_cache(*this, target);
    const D2D1_RECT_F screen = D2D1::RectF(0.0f, 0.0f, 1.0f, 1.0f);
    target->PushAxisAlignedClip(screen, D2D1_ANTIALIAS_MODE_PER_PRIMITIVE);
    // The widget's rectangle in document units, then on whole device pixels.
    D2D1_MATRIX_3X2_F to_document = m_emphasized->transform();
    for (Ui::Element* up = m_emphasized->parent(); up && up != this; up = up->parent())
        to_document = Ui::multiply(to_document, up->transform());
    {
        SavedTransform saved(target);
        PixelGrid grid(target, Ui::multiply(to_document, saved.saved()));
        const D2D1_RECT_F box = grid.pixel_box(m_emphasized->width(), m_emphasized->height());
        target->SetTransform(D2D1::Matrix3x2F::Identity());
        target->DrawRectangle(grid.frame(box), cache.frame_brush.Get(), grid.one_pixel());
    }
    target->PopAxisAlignedClip();
}

ID2D1RenderTarget* ScreenDocument::enter_dim_layer(ID2D1RenderTarget* target)
{
    auto& cache = cache_in<DocumentCache>(m_draw_cache);
    if (layers_apply_opacity(m_graphics)) {
        if (!cache.dim_layer)
            cache.dim_layer = App::create_layer(target);
        target->PushLayer(D2D1::LayerParameters(D2D1::InfiniteRect(), nullptr, D2D1_ANTIALIAS_MODE_PER_PRIMITIVE,
                                                D2D1::IdentityMatrix(), m_dim),
                          cache.dim_layer.Get());
        return target;
    }
    // A canvas of the target's own pixels, cleared, drawn with the target's transform.
    const D2D1_SIZE_U pixels = target->GetPixelSize();
    if (!cache.dim_canvas || cache.canvas_owner != target || cache.dim_canvas->GetPixelSize().width != pixels.width ||
        cache.dim_canvas->GetPixelSize().height != pixels.height) {
        cache.dim_canvas.Reset();
        App::check(target->CreateCompatibleRenderTarget(target->GetSize(), pixels, &cache.dim_canvas),
                   "ID2D1RenderTarget::CreateCompatibleRenderTarget");
        cache.canvas_owner = target;
    }
    D2D1_MATRIX_3X2_F transform;
    target->GetTransform(&transform);
    ID2D1BitmapRenderTarget* canvas = cache.dim_canvas.Get();
    canvas->BeginDraw();
    canvas->SetTransform(D2D1::Matrix3x2F::Identity());
    canvas->Clear(D2D1::ColorF(0.0f, 0.0f, 0.0f, 0.0f));
    canvas->SetTransform(transform);
    return canvas;
}

ID2D1RenderTarget* ScreenDocument::leave_dim_layer(ID2D1RenderTarget* target)
{
    auto& cache = cache_in<DocumentCache>(m_draw_cache);
    if (!cache.dim_canvas || target != cache.dim_canvas.Get()) {
        target->PopLayer();
        return target;
    }
    // The canvas so far goes onto the window's target at the dim factor.
    ID2D1RenderTarget* owner = cache.canvas_owner;
    D2D1_MATRIX_3X2_F transform;
    target->GetTransform(&transform);
    App::end_draw(target);
    ComPtr<ID2D1Bitmap> bitmap = App::get_bitmap(cache.dim_canvas.Get());
    owner->SetTransform(D2D1::Matrix3x2F::Identity());
    const D2D1_SIZE_F size = owner->GetSize();
    owner->DrawBitmap(bitmap.Get(), D2D1::RectF(0.0f, 0.0f, size.width, size.height), m_dim,
                      D2D1_BITMAP_INTERPOLATION_MODE_NEAREST_NEIGHBOR);
    owner->SetTransform(transform); // where the canvas was drawing: the emphasized widget goes on here
    return owner;
}

void ScreenDocument::on_target_dropped()
{
    m_draw_cache.reset();
    if (Render::DeviceResources* device = device_of(this))
        device->drop_target_resources();
    ContainerElement::on_target_dropped();
}

// --- Widgets ------------------------------------------------------------------------

namespace {

// Draws the widget's subtree (`draw_content`, given the target to draw on) outside the
// dimming layer when it is the emphasized one.
template <typename Content>
void draw_widget(Widget& widget, ID2D1RenderTarget* target, Content draw_content)
{
    ScreenDocument* document = widget.screen();
    if (!widget.shown() || !document->in_drawn_part(widget.subtree_box()))
        return;
    const bool lifted = document->emphasized() == &widget && document->dim() < 1.0f;
    ID2D1RenderTarget* own = lifted ? document->leave_dim_layer(target) : target;
    draw_content(own);
    if (lifted) {
        // The rest goes on where it was drawn before.
        ID2D1RenderTarget* rest = document->enter_dim_layer(own);
        if (rest != target)
            throw std::logic_error("the dimmed content changed targets");
    }
}

} // namespace

void Widget::draw(ID2D1RenderTarget* target)
{
    draw_widget(*this, target, [&](ID2D1RenderTarget* own) {
        // Back to front, as containers draw, leaving out art outside the part drawn.
        SavedTransform saved(own);
        for (std::size_t i = m_children.size(); i-- > 0;) {
            Ui::Element& child = *m_children[i];
            if (auto* item = dynamic_cast<PresentationItem*>(&child)) {
                if (!m_screen->in_drawn_part(item->device_box()))
                    continue;
            }
            own->SetTransform(Ui::multiply(child.transform(), saved.saved()));
            child.draw(own);
        }
    });
}

void CustomWidget::draw(ID2D1RenderTarget* target)
{
    draw_widget(*this, target, [&](ID2D1RenderTarget* own) {
        const float opacity = (m_hover_state & Ui::chain_inside) ? 0.5f : 0.0f;
        draw_placeholder(*m_screen, own, m_draw_cache, Ui::ansi_to_wide(m_name) + L"Custom\n\n", m_width, m_height,
                         opacity);
    });
}

void CustomWidget::on_target_dropped()
{
    m_draw_cache.reset();
    Widget::on_target_dropped();
}

// --- Items --------------------------------------------------------------------------

namespace {

struct BrushCache : DrawCache {
    ComPtr<ID2D1SolidColorBrush> brush;
};

ID2D1SolidColorBrush* colour_brush(DrawCacheSlot& slot, ID2D1RenderTarget* target, const Colour& colour)
{
    auto& cache = cache_in<BrushCache>(slot);
    if (!cache.brush)
        cache.brush = App::create_solid_color_brush(target, d2d_colour(colour));
    return cache.brush.Get();
}

// The target's part of a text item: its brushes.
struct TextCache : DrawCache {
    ComPtr<ID2D1LinearGradientBrush> gradient;
    ComPtr<ID2D1SolidColorBrush> shadow;
};

std::atomic<std::size_t> g_text_layouts_made{0};

// The layout and what it was made from and for; no target's.
struct TextLayoutCache : DrawCache {
    ComPtr<IDWriteTextLayout> layout;
    std::string source; // the widget text the layout was made from
    std::vector<std::pair<float, float>> size_table;
    // The box the layout was last given and its metrics there: laying text out again
    // costs far more than drawing it, and most frames give the same box.
    D2D1_SIZE_F box{-1.0f, -1.0f};
    DWRITE_TEXT_METRICS metrics{};
};

} // namespace

std::size_t text_layouts_made()
{
    return g_text_layouts_made;
}

void ImageItem::draw(ID2D1RenderTarget* target)
{
    if (m_texture.empty() || !shows_in_current_state())
        return;
    Render::DeviceResources* device = device_of(m_screen);
    if (!device)
        return;
    ComPtr<ID2D1Bitmap> bitmap = device->texture(target, m_texture);
    if (!bitmap)
        return;
    SavedTransform saved(target);
    D2D1_RECT_F box = D2D1::RectF(0.0f, 0.0f, m_width, m_height);
    if (m_flip_horizontal || m_flip_vertical) {
        // Mirrored onto the negative side of the flipped axis: the same box on screen.
        const float sx = m_flip_horizontal ? -1.0f : 1.0f;
        const float sy = m_flip_vertical ? -1.0f : 1.0f;
        target->SetTransform(D2D1::Matrix3x2F::Scale(sx, sy) * saved.saved());
        if (m_flip_horizontal)
            box = D2D1::RectF(-m_width, box.top, 0.0f, box.bottom);
        if (m_flip_vertical)
            box = D2D1::RectF(box.left, -m_height, box.right, 0.0f);
    }
    target->DrawBitmap(bitmap.Get(), box, m_colour.value.a, D2D1_BITMAP_INTERPOLATION_MODE_LINEAR);
}

void RectangleItem::draw(ID2D1RenderTarget* target)
{
    if (!shows_in_current_state())
        return;
    ID2D1SolidColorBrush* brush = colour_brush(m_draw_cache, target, m_colour.value);
    if (!m_outline) {
        target->FillRectangle(D2D1::RectF(0.0f, 0.0f, m_width, m_height), brush);
        return;
    }
    SavedTransform saved(target);
    PixelGrid grid(target);
    const D2D1_RECT_F box = grid.pixel_box(m_width, m_height);
    target->SetTransform(D2D1::Matrix3x2F::Identity());
    target->DrawRectangle(grid.frame(box), brush, grid.one_pixel());
}

void SegmentItem::draw(ID2D1RenderTarget* target)
{
    if (!shows_in_current_state())
        return;
    ID2D1SolidColorBrush* brush = colour_brush(m_draw_cache, target, m_colour.value);
    SavedTransform saved(target);
    PixelGrid grid(target);
    auto centre = [&](Vector2 p) {
        D2D1_POINT_2F pixel = grid.pixel(p.x, p.y);
        return grid.dips(D2D1::Point2F(std::floor(pixel.x) + 0.5f, std::floor(pixel.y) + 0.5f));
    };
    const D2D1_POINT_2F from = centre(m_p1);
    const D2D1_POINT_2F to = centre(m_p2);
    target->SetTransform(D2D1::Matrix3x2F::Identity());
    target->DrawLine(from, to, brush, grid.one_pixel());
}

void MovieItem::draw(ID2D1RenderTarget* target)
{
    if (!shows_in_current_state())
        return;
    draw_placeholder(*m_screen, target, m_draw_cache, Ui::ansi_to_wide(m_swf) + L"\n\nScaleForm\n\n", m_width,
                     m_height, static_cast<float>(m_alpha));
}

struct TextItem::Placement {
    TextLayoutCache* text = nullptr;
    float scale = 1.0f;          // the font's size for the screen: the layout is drawn scaled by it
    D2D1_POINT_2F origin{};      // in the layout's units
};

bool TextItem::place(const D2D1_MATRIX_3X2_F& m, Placement& placement)
{
    if (!shows_in_current_state())
        return false;
    const auto* widget = dynamic_cast<const Widget*>(parent());
    if (!widget || !widget->text() || widget->text()->empty())
        return false;
    Render::DeviceResources* device = device_of(m_screen);
    Gfx::GraphicsContext* graphics = m_screen->graphics();
    if (!device || !graphics || !graphics->dwrite_factory)
        return false;

    auto& text = cache_in<TextLayoutCache>(m_layout_cache);
    // Made again when the widget's text changes.
    if (!text.layout || text.source != *widget->text()) {
        const Render::FontEntry& font = device->font(m_font_name);
        const std::u16string resolved = m_screen->resolve_text(*widget->text());
        const std::wstring wide(resolved.begin(), resolved.end());
        ComPtr<IDWriteTextLayout> layout = App::create_text_layout(
            graphics->dwrite_factory.Get(), wide.c_str(), static_cast<UINT32>(wide.size()), font.format.Get(), 0.0f, 0.0f);
        static const DWRITE_TEXT_ALIGNMENT horizontal[] = {DWRITE_TEXT_ALIGNMENT_LEADING, DWRITE_TEXT_ALIGNMENT_TRAILING,
                                                           DWRITE_TEXT_ALIGNMENT_CENTER};
        static const DWRITE_PARAGRAPH_ALIGNMENT vertical[] = {
            DWRITE_PARAGRAPH_ALIGNMENT_NEAR, DWRITE_PARAGRAPH_ALIGNMENT_FAR, DWRITE_PARAGRAPH_ALIGNMENT_CENTER};
        App::set_text_alignment(layout.Get(), horizontal[static_cast<int>(m_horizontal_alignment)]);
        App::set_paragraph_alignment(layout.Get(), vertical[static_cast<int>(m_vertical_alignment)]);
        App::check(layout->SetWordWrapping(m_multiline ? DWRITE_WORD_WRAPPING_WRAP : DWRITE_WORD_WRAPPING_NO_WRAP),
                   "IDWriteTextLayout::SetWordWrapping");
        ++g_text_layouts_made;
        text.layout = layout;
        text.source = *widget->text();
        text.size_table = font.size_table;
        text.box = D2D1::SizeF(-1.0f, -1.0f);
    }

    // The font's size for a 4:3 screen of the document's area, at the size it is drawn.
    float s = Render::scale_at(text.size_table, m_screen->text_area_width());
    if (!(s > 0.0f) || !std::isfinite(s))
        s = 1.0f;
    s *= m_screen->text_zoom();
    if (!(s > 0.0f) || !std::isfinite(s))
        return false;
    const D2D1_SIZE_F box = D2D1::SizeF(std::max(0.0f, m_width * m.m11 / s), std::max(0.0f, m_height * m.m22 / s));
    if (box.width != text.box.width || box.height != text.box.height) {
        App::set_max_width(text.layout.Get(), box.width);
        App::set_max_height(text.layout.Get(), box.height);
        text.metrics = App::get_metrics(text.layout.Get());
        text.box = box;
    }
    placement.text = &text;
    placement.scale = s;
    placement.origin = D2D1::Point2F(m.dx / s, m.dy / s);
    return true;
}

Ui::PixelBox TextItem::drawn_box(const D2D1_MATRIX_3X2_F& to_target, float scale)
{
    Placement placement;
    if (!place(to_target, placement))
        return no_box;
    // The box and the lines, in the layout's units from its origin, a line's height (and
    // the shadow's offset) around for what glyphs reach past their cells.
    const DWRITE_TEXT_METRICS& metrics = placement.text->metrics;
    const D2D1_SIZE_F box = placement.text->box;
    const float line = metrics.lineCount > 0 ? metrics.height / static_cast<float>(metrics.lineCount) : 0.0f;
    const float margin = (std::isfinite(line) ? line : 0.0f) + 1.0f / placement.scale;
    const float left = std::min(0.0f, metrics.left) - margin;
    const float top = std::min(0.0f, metrics.top) - margin;
    const float right = std::max(box.width, metrics.left + std::max(metrics.width, metrics.widthIncludingTrailingWhitespace)) + margin;
    const float bottom = std::max(box.height, metrics.top + metrics.height) + margin;
    const float s = placement.scale;
    const D2D1_MATRIX_3X2_F to_layout = D2D1::Matrix3x2F(s, 0.0f, 0.0f, s, placement.origin.x * s, placement.origin.y * s);
    return Screen::device_box(to_layout, scale, left, top, right, bottom);
}

void TextItem::draw(ID2D1RenderTarget* target)
{
    SavedTransform saved(target);
    Placement placement;
    if (!place(saved.saved(), placement))
        return;
    const float s = placement.scale;
    const D2D1_POINT_2F origin = placement.origin;
    TextLayoutCache& text = *placement.text;
    auto& cache = cache_in<TextCache>(m_draw_cache);
    if (!cache.gradient) {
        const D2D1_GRADIENT_STOP stops[] = {{0.0f, d2d_colour(m_colour_top.value)},
                                            {1.0f, d2d_colour(m_colour_bottom.value)}};
        ComPtr<ID2D1GradientStopCollection> collection = App::create_gradient_stop_collection(target, stops, 2);
        cache.gradient = App::create_linear_gradient_brush(
            target, D2D1::LinearGradientBrushProperties(D2D1::Point2F(0.0f, 0.0f), D2D1::Point2F(0.0f, 1.0f)),
            collection.Get());
    }
    target->SetTransform(D2D1::Matrix3x2F::Scale(s, s));
    const DWRITE_TEXT_METRICS& metrics = text.metrics;
    // The colours run over the laid-out lines, not over the item's box.
    cache.gradient->SetStartPoint(D2D1::Point2F(0.0f, origin.y + metrics.top));
    cache.gradient->SetEndPoint(D2D1::Point2F(0.0f, origin.y + metrics.top + metrics.height));
    if (m_drop_shadow) {
        if (!cache.shadow)
            cache.shadow = App::create_solid_color_brush(target, D2D1::ColorF(0.0f, 0.0f, 0.0f, 1.0f));
        target->DrawTextLayout(D2D1::Point2F(origin.x + 1.0f / s, origin.y + 1.0f / s), text.layout.Get(),
                               cache.shadow.Get());
    }
    target->DrawTextLayout(origin, text.layout.Get(), cache.gradient.Get());
}

} // namespace Screen
