#pragma once

#include "point.h"

namespace vektrano {

// A plane affine map: x' = a·x + c·y + e, y' = b·x + d·y + f. Every placement the
// drawing can ask for (block insertion, array cell, unit, a plane seen along its
// extrusion) is one of these, and so is any chain of them.
struct Affine
{
    double a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;

    static Affine Translation(Point by) { return {1, 0, 0, 1, by.x, by.y}; }
    static Affine Scaling(double sx, double sy) { return {sx, 0, 0, sy, 0, 0}; }
    static Affine Rotation(double radians);

    constexpr Point Apply(Point p) const { return {a * p.x + c * p.y + e, b * p.x + d * p.y + f}; }
    // The linear part only, for directions and radii.
    constexpr Point ApplyToVector(Point v) const { return {a * v.x + c * v.y, b * v.x + d * v.y}; }

    constexpr double Determinant() const { return a * d - b * c; }
    // A mirroring map turns counter-clockwise arcs clockwise.
    constexpr bool Mirrors() const { return Determinant() < 0; }
    // True when the map keeps circles circles (a rotation, a uniform scale, a
    // mirror, or any chain of them), within a relative tolerance.
    bool IsSimilarity(double relativeTolerance = 1e-9) const;
    // The factor a similarity scales lengths by.
    double LengthScale() const;

    // (outer * inner).Apply(p) == outer.Apply(inner.Apply(p)).
    friend constexpr Affine operator*(const Affine& o, const Affine& i)
    {
        return {o.a * i.a + o.c * i.b, o.b * i.a + o.d * i.b,       o.a * i.c + o.c * i.d,
                o.b * i.c + o.d * i.d, o.a * i.e + o.c * i.f + o.e, o.b * i.e + o.d * i.f + o.f};
    }
};

} // namespace vektrano
