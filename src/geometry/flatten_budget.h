#pragma once

// Shared by the flatteners only; not part of the geometry's interface.

#include "flatten.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <vector>

namespace vektrano::detail {

constexpr double kMaxMagnitude = 1e100;

inline bool Usable(double value) { return std::abs(value) <= kMaxMagnitude; } // false for NaN
inline bool Usable(Point p) { return Usable(p.x) && Usable(p.y); }

// walk(tolerance, budget, out) appends a whole chain and returns 1, or stops
// after `budget` segments and returns the share of the curve it covered.
// Segment counts grow like 1/sqrt(tolerance), so that share tells how far to
// loosen; the attempts are few and each costs at most maxSegments segments, so
// a hostile curve costs O(maxSegments), never a hang.
template <class Walk>
FlattenResult FlattenWithinBudget(double tolerance, std::size_t maxSegments,
                                  std::vector<Point>& out, Walk&& walk)
{
    if (!(tolerance > 0) || !std::isfinite(tolerance))
        return {tolerance, false};
    const std::size_t start = out.size();
    double used = tolerance;
    for (int attempt = 0; attempt < 24; ++attempt) {
        const double covered = walk(used, maxSegments, out);
        if (covered >= 1)
            return {used, attempt > 0};
        out.resize(start);
        const double missing = covered > 0.01 ? 1 / covered : 100;
        used *= std::max(2.0, 1.2 * missing * missing);
        if (!std::isfinite(used))
            break;
    }
    constexpr double kNoBound = std::numeric_limits<double>::infinity();
    walk(kNoBound, std::numeric_limits<std::size_t>::max(), out);
    return {kNoBound, true};
}

} // namespace vektrano::detail
