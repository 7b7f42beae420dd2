#pragma once

#include "weld.h"

#include <cmath>
#include <cstddef>
#include <numbers>

namespace vektrano {

inline constexpr double kRadians = std::numbers::pi / 180;

// Lines enough that an arc strays at most deviation from its chords.
inline std::size_t ArcLines(double radius, double sweepDegrees, double deviation)
{
    constexpr std::size_t kMost = 1024;
    if (!(radius > deviation))
        return 1;
    const double step = 2 * std::acos(1 - deviation / radius);
    const double lines = std::ceil(std::fabs(sweepDegrees) * kRadians / step);
    return lines < 1 ? 1 : lines > kMost ? kMost : static_cast<std::size_t>(lines);
}

// The deviation (mm) for flattening a layer's arcs: 1 µm, unless the arcs would then need many more
// lines than the pieces number: a layer of a million wide arcs must not become a billion lines.
double CheckDeviation(const ContourPieces& pieces, double perPiece, double extra);

} // namespace vektrano
