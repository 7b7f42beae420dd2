#include "affine.h"

#include <algorithm>
#include <cmath>

namespace vektrano {

Affine Affine::Rotation(double radians)
{
    const double cs = std::cos(radians);
    const double sn = std::sin(radians);
    return {cs, sn, -sn, cs, 0, 0};
}

bool Affine::IsSimilarity(double relativeTolerance) const
{
    // The images of two perpendicular unit vectors must stay perpendicular and
    // equally long.
    const double lengthA = std::hypot(a, b);
    const double lengthC = std::hypot(c, d);
    const double scale = std::max(lengthA, lengthC);
    if (scale == 0)
        return false;
    return std::abs(lengthA - lengthC) <= relativeTolerance * scale &&
           std::abs(a * c + b * d) <= relativeTolerance * scale * scale;
}

double Affine::LengthScale() const { return std::sqrt(std::abs(Determinant())); }

} // namespace vektrano
