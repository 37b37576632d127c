#include "ui/tool_strip_brushes.h"

#include "app/d2d_calls.h"
#include "ui/file_selector_brushes.h"

#include <utility>

namespace Ui {

void ToolStripBrushes::create(ID2D1RenderTarget* target)
{
    ToolStripBrushes made;
    const D2D1_GRADIENT_STOP stops[] = {{0.0f, rgb(252, 253, 255)}, {1.0f, rgb(226, 232, 242)}};
    Microsoft::WRL::ComPtr<ID2D1GradientStopCollection> collection =
        App::create_gradient_stop_collection(target, stops, 2);
    made.background = App::create_linear_gradient_brush(
        target, D2D1::LinearGradientBrushProperties(D2D1::Point2F(0.0f, 0.0f), D2D1::Point2F(0.0f, 1.0f)),
        collection.Get());
    made.rule = App::create_solid_color_brush(target, rgb(186, 197, 214));
    made.text = App::create_solid_color_brush(target, rgb(40, 44, 52));
    made.alert = App::create_solid_color_brush(target, rgb(176, 24, 24));
    made.hover_fill = App::create_solid_color_brush(target, rgb(229, 243, 255));
    made.hover_outline = App::create_solid_color_brush(target, rgb(153, 209, 255));
    made.chosen_fill = App::create_solid_color_brush(target, rgb(196, 224, 250));
    made.chosen_outline = App::create_solid_color_brush(target, rgb(64, 138, 212));
    *this = std::move(made);
}

} // namespace Ui
