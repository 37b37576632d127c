#pragma once
// The two Direct2D types the element core names: the 3x2 matrix and the render target.
// On Windows they are Direct2D's own. The core also builds without Windows, for the
// portable screen model and its tests under the sanitizers; there the matrix is a
// stand-in with the same fields and the render target only a name, since nothing draws.

#ifdef _WIN32
#include <d2d1.h>
#else
struct D2D1_MATRIX_3X2_F {
    float m11, m12;
    float m21, m22;
    float dx, dy;
};
struct ID2D1RenderTarget;
#endif
