#include "editor/widget_icon.h"

#include "screen/keywords.h"
#include "screen/widget.h"

namespace Editor {
namespace {

struct TypeIcon {
    Screen::Keyword type;
    int icon;
};

constexpr TypeIcon type_icons[] = {
    {Screen::Keywords::container, 0},   {Screen::Keywords::text_label, 1}, {Screen::Keywords::toggle, 2},
    {Screen::Keywords::drop_down, 3},   {Screen::Keywords::meter, 4},      {Screen::Keywords::text_input, 5},
    {Screen::Keywords::button, 6},      {Screen::Keywords::custom, 7},     {Screen::Keywords::choice, 8},
    {Screen::Keywords::string_list, 9}, {Screen::Keywords::item_list, 10}, {Screen::Keywords::image_label, 11},
    {Screen::Keywords::movie, 12},
};

} // namespace

int widget_icon(const Screen::Widget& widget)
{
    for (const TypeIcon& entry : type_icons) {
        if (widget.type_is(entry.type))
            return entry.icon;
    }
    return other_widget_icon;
}

int outline_image(const Screen::Widget& widget, bool faded)
{
    return widget_icon(widget) + (faded ? faded_icons : 0);
}

std::vector<std::uint8_t> outline_icon_strip(const std::uint8_t* pixels, std::size_t stride, int width, int height)
{
    constexpr int strip_width = icon_count * icon_size;
    if (!pixels || width < strip_width || height < icon_size || stride < static_cast<std::size_t>(strip_width) * 4)
        return {};
    constexpr std::size_t out_stride = 2 * strip_width * 4;
    std::vector<std::uint8_t> strip(out_stride * icon_size);
    for (int y = 0; y < icon_size; ++y) {
        const std::uint8_t* in = pixels + static_cast<std::size_t>(y) * stride;
        std::uint8_t* out = strip.data() + static_cast<std::size_t>(y) * out_stride;
        for (int x = 0; x < strip_width; ++x, in += 4) {
            // Image lists take straight alpha; the decoder gives premultiplied.
            const unsigned alpha = in[3];
            std::uint8_t* normal = out + static_cast<std::size_t>(x) * 4;
            std::uint8_t* faded = normal + static_cast<std::size_t>(strip_width) * 4;
            for (int c = 0; c < 3; ++c) {
                const unsigned value = alpha ? (in[c] * 255u + alpha / 2) / alpha : 0u;
                normal[c] = faded[c] = static_cast<std::uint8_t>(value > 255u ? 255u : value);
            }
            normal[3] = static_cast<std::uint8_t>(alpha);
            faded[3] = static_cast<std::uint8_t>(alpha >> 1);
        }
    }
    return strip;
}

} // namespace Editor
