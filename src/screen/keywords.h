#pragma once
// The keywords of the screen format, as byte length and hash (screen/name_hash.h).

#include "screen/name_hash.h"

namespace Screen::Keywords {

// Widget types.
constexpr Keyword container{5, 0x11F1C3C4};
constexpr Keyword item_list_entry{17, 0x4E1A6122};
constexpr Keyword button{6, 0x5D5599AC};
constexpr Keyword toggle{11, 0xCB5C821A};
constexpr Keyword choice{11, 0xD693D97B};
constexpr Keyword meter{11, 0x55A4EE66};
constexpr Keyword scroll_bar{9, 0xBDC41C9C};
constexpr Keyword drop_down{8, 0xA9F0464E};
constexpr Keyword string_list{11, 0x95E0F61B};
constexpr Keyword item_list{13, 0xB7B405E4};
constexpr Keyword custom{6, 0x7FB3D21A};
constexpr Keyword text_label{9, 0x401AB09A};
constexpr Keyword text_input{8, 0x73EA16E6};
constexpr Keyword image_label{8, 0xDA576468};
constexpr Keyword movie{3, 0x321DB};

// Button types.
constexpr Keyword click_on_release{14, 0x3480AEB0};
constexpr Keyword click_on_press{12, 0xF90BE6DD};

// Visual states, in the order of their indices 1 to 8.
constexpr Keyword states[8] = {
    {8, 0x3F7BF8A2},  {6, 0x62EA5F10}, {5, 0x1231D350},  {6, 0x4B519583},
    {15, 0xC599A18B}, {7, 0xDBDA73E2}, {12, 0x70D17CEC}, {13, 0xE9D429BB},
};

// Presentation item types (the movie item shares the movie widget's word).
constexpr Keyword image_item{7, 0x53F2AEE5};
constexpr Keyword text_item{4, 0x7898F5};
constexpr Keyword rectangle_item{9, 0xE0AB7B47};
constexpr Keyword segment_item{4, 0x77FEE9};

// Item options.
constexpr Keyword outline{6, 0x77DFCDC6};
constexpr Keyword align_right{5, 0x12DA3F05};
constexpr Keyword align_centre{6, 0x4B7B864A};
constexpr Keyword align_top{3, 0x39A98};
constexpr Keyword align_bottom{6, 0x7FB3AB13};

} // namespace Screen::Keywords
