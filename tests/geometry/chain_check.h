#pragma once

#include "geometry/point.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

namespace vektrano::test {

inline double DistanceToSegment(Point p, Point a, Point b)
{
    const Point ab = b - a;
    const double length = Dot(ab, ab);
    const double t = length > 0 ? std::clamp(Dot(p - a, ab) / length, 0.0, 1.0) : 0.0;
    const Point off = p - a - t * ab;
    return std::hypot(off.x, off.y);
}

// The largest distance from `samples` points of the true curve, spread evenly
// over its parameter range, to the nearest segment of the chain. Exact, sharing
// nothing with the flatteners' own reasoning: the segments near the previous
// sample's nearest one give an upper bound, and only a sample that could raise
// the worst distance is checked against every segment.
inline double WorstDeviation(const std::function<Point(double)>& curve, double from, double to,
                             const std::vector<Point>& chain, int samples)
{
    double worst = 0;
    std::size_t near = 1;
    for (int i = 0; i <= samples; ++i) {
        const Point p = curve(from + (to - from) * i / samples);
        const auto nearestIn = [&](std::size_t first, std::size_t last) {
            double nearest = INFINITY;
            for (std::size_t k = std::max<std::size_t>(first, 1); k < std::min(last, chain.size());
                 ++k) {
                const double d = DistanceToSegment(p, chain[k - 1], chain[k]);
                if (d < nearest) {
                    nearest = d;
                    near = k;
                }
            }
            return nearest;
        };
        double nearest = nearestIn(near < 3 ? 1 : near - 2, near + 3);
        if (nearest > worst)
            nearest = nearestIn(1, chain.size());
        worst = std::max(worst, nearest);
    }
    return worst;
}

// The fewest chords any flattener could use: a chord of length h over a curve
// of curvature k lies k·h²/8 from it, so the count tends to the integral of
// sqrt(k / (8·tolerance)) along the curve.
inline double FewestChords(const std::function<Point(double)>& curve, double from, double to,
                           double tolerance)
{
    constexpr int kSteps = 20000;
    const double h = (to - from) / kSteps;
    double total = 0;
    for (int i = 0; i < kSteps; ++i) {
        const double t = from + (i + 0.5) * h;
        const Point a = curve(t - h / 2);
        const Point b = curve(t);
        const Point c = curve(t + h / 2);
        // Curvature from the circle through three close points.
        const double ab = std::hypot((b - a).x, (b - a).y);
        const double bc = std::hypot((c - b).x, (c - b).y);
        const double ca = std::hypot((a - c).x, (a - c).y);
        const double curvature = 2 * std::abs(Cross(b - a, c - a)) / (ab * bc * ca);
        total += std::sqrt(curvature / (8 * tolerance)) * (ab + bc);
    }
    return total;
}

} // namespace vektrano::test
