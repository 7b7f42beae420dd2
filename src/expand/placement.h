#pragma once

#include "geometry/affine.h"
#include "geometry/ocs.h"
#include "geometry/point.h"

#include <cmath>
#include <numbers>

namespace vektrano {

inline constexpr double kRadians = std::numbers::pi / 180;

// cos and sin of an angle in degrees, exact at the quarter turns drawings use most,
// so a block rotated by 90 degrees gives no rounding dust in the script.
Point Direction(double degrees);

inline Affine RotationDegrees(double degrees)
{
    const Point u = Direction(degrees);
    return {u.x, u.y, -u.y, u.x, 0, 0};
}

inline bool Finite(Point p) { return std::isfinite(p.x) && std::isfinite(p.y); }
inline bool Finite(const Affine& t)
{
    return std::isfinite(t.a) && std::isfinite(t.b) && std::isfinite(t.c) && std::isfinite(t.d) &&
           std::isfinite(t.e) && std::isfinite(t.f);
}

// An entity's own plane at the given elevation, seen from above. Straight up and
// straight down stay exact: the identity and the mirror in x.
Affine PlanOfExtrusion(Vector3 extrusion, double elevation);

} // namespace vektrano
