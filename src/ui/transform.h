#pragma once
// 3x2 affine transforms of elements: they map local coordinates into the parent's.
// Composition uses D2D1::Matrix3x2F (row vectors: in a * b, a applies first).

#include <d2d1.h>
#include <d2d1helper.h>

namespace Ui {

struct Point {
    float x;
    float y;
};

// The point (x, y) of the parent in the local coordinates of an element whose
// transform is `m`, by inverting `m` directly. A singular matrix is not guarded.
inline Point to_local(const D2D1_MATRIX_3X2_F& m, float x, float y)
{
    float det = m.m11 * m.m22 - m.m12 * m.m21;
    float u = x - m.dx;
    float v = y - m.dy;
    return {(m.m22 * u - m.m21 * v) / det, (m.m11 * v - m.m12 * u) / det};
}

} // namespace Ui
