#include "ocs.h"

#include <cmath>

namespace vektrano {
namespace {

Vector3 CrossProduct(Vector3 a, Vector3 b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

Vector3 Normalized(Vector3 v)
{
    const double length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return {v.x / length, v.y / length, v.z / length};
}

} // namespace

bool IsUsableExtrusion(Vector3 extrusion)
{
    const double length = std::hypot(extrusion.x, extrusion.y, extrusion.z);
    return length > 0 && std::isfinite(length);
}

Affine OcsToWorldPlan(Vector3 extrusion, double elevation)
{
    if (!IsUsableExtrusion(extrusion))
        return {};
    const Vector3 n = Normalized(extrusion);
    // The reference's threshold: a normal this close to world z takes its x axis
    // from world y, any other from world z.
    constexpr double kNearZ = 1.0 / 64;
    const Vector3 ax =
        Normalized(std::abs(n.x) < kNearZ && std::abs(n.y) < kNearZ ? CrossProduct({0, 1, 0}, n)
                                                                    : CrossProduct({0, 0, 1}, n));
    const Vector3 ay = Normalized(CrossProduct(n, ax));
    return {ax.x, ax.y, ay.x, ay.y, elevation * n.x, elevation * n.y};
}

} // namespace vektrano
