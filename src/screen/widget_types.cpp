#include "screen/widget_types.h"

#include "screen/button_widgets.h"
#include "screen/composite_widgets.h"
#include "screen/container_widget.h"
#include "screen/keywords.h"

namespace Screen {

namespace {

template <typename T>
std::unique_ptr<Widget> make(ScreenDocument* screen)
{
    return std::make_unique<T>(screen);
}

struct TypeEntry {
    Keyword keyword;
    std::unique_ptr<Widget> (*make)(ScreenDocument*);
};

const TypeEntry widget_types[] = {
    {Keywords::container, make<ContainerWidget>},
    {Keywords::item_list_entry, make<ItemListEntryWidget>},
    {Keywords::button, make<ButtonWidget>},
    {Keywords::toggle, make<ToggleWidget>},
    {Keywords::choice, make<ChoiceWidget>},
    {Keywords::meter, make<MeterWidget>},
    {Keywords::scroll_bar, make<ScrollBarWidget>},
    {Keywords::drop_down, make<DropDownWidget>},
    {Keywords::string_list, make<StringListWidget>},
    {Keywords::item_list, make<ItemListWidget>},
    {Keywords::custom, make<CustomWidget>},
};

} // namespace

std::unique_ptr<Widget> make_widget_of_type(ScreenDocument* screen, std::string_view type)
{
    const std::uint32_t hash = name_hash(type);
    for (const TypeEntry& entry : widget_types) {
        if (entry.keyword.length == type.size() && entry.keyword.hash == hash)
            return entry.make(screen);
    }
    return std::make_unique<Widget>(screen);
}

bool is_widget_type(std::string_view type)
{
    for (const TypeEntry& entry : widget_types) {
        if (is_keyword(type, entry.keyword))
            return true;
    }
    for (const Keyword& plain : {Keywords::text_label, Keywords::text_input, Keywords::image_label, Keywords::movie}) {
        if (is_keyword(type, plain))
            return true;
    }
    return false;
}

bool is_item_type(std::string_view type)
{
    for (const Keyword& item : {Keywords::image_item, Keywords::text_item, Keywords::rectangle_item,
                                Keywords::segment_item, Keywords::movie}) {
        if (is_keyword(type, item))
            return true;
    }
    return false;
}

} // namespace Screen
