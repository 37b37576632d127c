#pragma once
// Colours of the screen format: four components from 0 to 1, straight alpha.

#include <string>

namespace Screen {

struct Colour {
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
    float a = 1.0f;

    friend bool operator==(const Colour& x, const Colour& y) { return x.r == y.r && x.g == y.g && x.b == y.b && x.a == y.a; }
    friend bool operator!=(const Colour& x, const Colour& y) { return !(x == y); }
};

// A colour as a script gave it: its value, and its name when it was given by name (the
// property grid shows the name); empty for a colour written as components.
struct ColourSetting {
    Colour value;
    std::string name;
};

} // namespace Screen
