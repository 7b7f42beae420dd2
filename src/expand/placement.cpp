#include "placement.h"

namespace vektrano {

Point Direction(double degrees)
{
    double d = std::fmod(degrees, 360.0);
    if (d < 0)
        d += 360;
    if (d == 0)
        return {1, 0};
    if (d == 90)
        return {0, 1};
    if (d == 180)
        return {-1, 0};
    if (d == 270)
        return {0, -1};
    return {std::cos(d * kRadians), std::sin(d * kRadians)};
}

Affine PlanOfExtrusion(Vector3 extrusion, double elevation)
{
    const auto [x, y, z] = extrusion;
    if (std::fabs(x) <= 1e-9 * std::fabs(z) && std::fabs(y) <= 1e-9 * std::fabs(z))
        return z < 0 ? Affine::Scaling(-1, 1) : Affine{};
    return OcsToWorldPlan(extrusion, elevation);
}

} // namespace vektrano
