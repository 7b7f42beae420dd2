#pragma once

// The evaluator's core, shared by Evaluate and FlattenNurbs only.

#include "nurbs.h"

#include <cstddef>

namespace vektrano::detail {

constexpr int kMaxDegree = 10;

// A point of the rational curve lifted to (w·x, w·y, w), where the curve is
// polynomial.
struct Homogeneous
{
    double x = 0, y = 0, w = 0;
    Point Projected() const { return {x / w, y / w}; }
};

inline Homogeneous Lerp(const Homogeneous& a, const Homogeneous& b, double t)
{
    return {a.x + t * (b.x - a.x), a.y + t * (b.y - a.y), a.w + t * (b.w - a.w)};
}

// The index i of the non-empty knot span [knots[i], knots[i+1]) that holds u,
// within the domain; u at the domain's end falls in the last non-empty span.
std::size_t SpanOf(const Nurbs& spline, double u);

// The polar form of the curve's piece over `span` at degree parameters (de
// Boor's algorithm with one parameter per level). All parameters equal give the
// curve point; a's and b's give the Bézier points of the piece over [a, b].
Homogeneous Blossom(const Nurbs& spline, std::size_t span, const double* params);

} // namespace vektrano::detail
