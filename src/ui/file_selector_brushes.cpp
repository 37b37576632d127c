#include "ui/file_selector_brushes.h"

#include "app/d2d_calls.h"

#include <utility>

namespace Ui {

using Microsoft::WRL::ComPtr;

namespace {

ComPtr<ID2D1LinearGradientBrush> vertical_gradient(ID2D1RenderTarget* target, const D2D1_GRADIENT_STOP* stops,
                                                   UINT32 count)
{
    ComPtr<ID2D1GradientStopCollection> collection = App::create_gradient_stop_collection(target, stops, count);
    return App::create_linear_gradient_brush(
        target, D2D1::LinearGradientBrushProperties(D2D1::Point2F(0.0f, 0.0f), D2D1::Point2F(0.0f, 1.0f)),
        collection.Get());
}

} // namespace

D2D1_COLOR_F rgb(int red, int green, int blue)
{
    return D2D1::ColorF(red / 255.0f, green / 255.0f, blue / 255.0f, 1.0f);
}

void span_vertically(ID2D1LinearGradientBrush* brush, float height)
{
    brush->SetStartPoint(D2D1::Point2F(0.0f, 0.0f));
    brush->SetEndPoint(D2D1::Point2F(0.0f, height));
}

void FileSelectorBrushes::create(ID2D1RenderTarget* target)
{
    FileSelectorBrushes made;
    const D2D1_GRADIENT_STOP background_stops[] = {{0.0f, rgb(255, 255, 255)}, {1.0f, rgb(226, 237, 253)}};
    made.background = vertical_gradient(target, background_stops, 2);
    // A hard step in the middle.
    const D2D1_GRADIENT_STOP highlight_stops[] = {
        {0.0f, rgb(255, 255, 255)}, {0.5f, rgb(255, 243, 207)}, {0.5f, rgb(255, 236, 181)}, {1.0f, rgb(255, 236, 181)}};
    made.highlight = vertical_gradient(target, highlight_stops, 4);
    const D2D1_GRADIENT_STOP header_stops[] = {{0.0f, rgb(77, 96, 130)}, {1.0f, rgb(61, 82, 119)}};
    made.header_background = vertical_gradient(target, header_stops, 2);
    made.heading_text = App::create_solid_color_brush(target, rgb(102, 112, 131));
    made.rule = App::create_solid_color_brush(target, rgb(209, 226, 252));
    made.entry_text = App::create_solid_color_brush(target, rgb(0, 102, 204));
    made.hover_text = App::create_solid_color_brush(target, rgb(0, 0, 0));
    made.highlight_outline = App::create_solid_color_brush(target, rgb(229, 195, 101));
    made.header_text = App::create_solid_color_brush(target, rgb(255, 255, 255));
    *this = std::move(made);
}

} // namespace Ui
