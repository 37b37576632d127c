#pragma once
// 3x2 affine transforms of elements: they map local coordinates into the parent's.
// Row vectors, as Direct2D: in multiply(a, b), a applies first.

#include "ui/d2d_types.h"

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

inline D2D1_MATRIX_3X2_F identity_transform()
{
    D2D1_MATRIX_3X2_F m;
    m.m11 = 1.0f;
    m.m12 = 0.0f;
    m.m21 = 0.0f;
    m.m22 = 1.0f;
    m.dx = 0.0f;
    m.dy = 0.0f;
    return m;
}

inline D2D1_MATRIX_3X2_F multiply(const D2D1_MATRIX_3X2_F& a, const D2D1_MATRIX_3X2_F& b)
{
    D2D1_MATRIX_3X2_F m;
    m.m11 = a.m11 * b.m11 + a.m12 * b.m21;
    m.m12 = a.m11 * b.m12 + a.m12 * b.m22;
    m.m21 = a.m21 * b.m11 + a.m22 * b.m21;
    m.m22 = a.m21 * b.m12 + a.m22 * b.m22;
    m.dx = a.dx * b.m11 + a.dy * b.m21 + b.dx;
    m.dy = a.dx * b.m12 + a.dy * b.m22 + b.dy;
    return m;
}

// The point (x, y) of the element's local coordinates in its parent's.
inline Point to_parent(const D2D1_MATRIX_3X2_F& m, float x, float y)
{
    return {x * m.m11 + y * m.m21 + m.dx, x * m.m12 + y * m.m22 + m.dy};
}

} // namespace Ui
