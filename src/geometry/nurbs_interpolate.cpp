#include "nurbs.h"

#include <cmath>

namespace vektrano {
namespace {

bool Finite(Point p) { return std::isfinite(p.x) && std::isfinite(p.y); }

// A usable tangent as a unit vector; none for a zero or non-finite one.
std::optional<Point> Direction(std::optional<Point> tangent)
{
    if (!tangent || !Finite(*tangent))
        return std::nullopt;
    const double length = std::hypot(tangent->x, tangent->y);
    if (!(length > 0) || !std::isfinite(length))
        return std::nullopt;
    return (1 / length) * *tangent;
}

// The four cubic basis functions non-zero over span i at u.
void CubicBasis(const std::vector<double>& knots, std::size_t i, double u, double (&basis)[4])
{
    double left[4];
    double right[4];
    basis[0] = 1;
    for (int j = 1; j <= 3; ++j) {
        left[j] = u - knots[i + 1 - static_cast<std::size_t>(j)];
        right[j] = knots[i + static_cast<std::size_t>(j)] - u;
        double saved = 0;
        for (int r = 0; r < j; ++r) {
            const double temp = basis[r] / (right[r + 1] + left[j - r]);
            basis[r] = saved + right[r + 1] * temp;
            saved = left[j - r] * temp;
        }
        basis[j] = saved;
    }
}

} // namespace

Nurbs InterpolateCubic(std::span<const Point> fit, std::optional<Point> startTangent,
                       std::optional<Point> endTangent)
{
    Nurbs spline;
    spline.degree = 3;
    std::vector<Point> q;
    q.reserve(fit.size());
    for (Point p : fit) {
        if (!Finite(p))
            return spline;
        if (q.empty() || !(q.back() == p))
            q.push_back(p);
    }
    if (q.size() < 2)
        return spline;
    const std::size_t n = q.size() - 1; // last fit point
    const std::size_t m = n + 2;        // last control point

    // Knots: the start four times, each inner fit point's parameter, the end four times.
    std::vector<double>& u = spline.knots;
    u.assign(4, 0.0);
    double length = 0;
    for (std::size_t k = 1; k <= n; ++k) {
        length += std::hypot(q[k].x - q[k - 1].x, q[k].y - q[k - 1].y);
        u.push_back(length);
    }
    if (!std::isfinite(length))
        return spline;
    u.insert(u.end(), 3, length);

    // One row per control point, each with at most the three neighbouring
    // unknowns: the two ends fixed, an end condition beside each, and the
    // curve through every inner fit point. Solved by elimination down and back.
    std::vector<double> sub(m + 1, 0.0), diag(m + 1, 1.0), sup(m + 1, 0.0);
    std::vector<Point> rhs(m + 1);
    rhs[0] = q[0];
    rhs[m] = q[n];
    // C'(start) = 3 (P1 - P0) / (u4 - u1); C''(start) = 0 makes the first two
    // differences of control points proportional to their knot spans.
    if (const auto d = Direction(startTangent)) {
        sub[1] = -1;
        rhs[1] = ((u[4] - u[1]) / 3) * *d;
    } else {
        const double h0 = u[4] - u[1];
        const double h1 = u[5] - u[2];
        sub[1] = 1 / h0;
        diag[1] = -(1 / h0 + 1 / h1);
        sup[1] = 1 / h1;
    }
    if (const auto d = Direction(endTangent)) {
        diag[m - 1] = -1;
        sup[m - 1] = 1;
        rhs[m - 1] = ((u[m + 3] - u[m]) / 3) * *d;
    } else {
        const double h0 = u[m + 3] - u[m];
        const double h1 = u[m + 2] - u[m - 1];
        sub[m - 1] = 1 / h1;
        diag[m - 1] = -(1 / h0 + 1 / h1);
        sup[m - 1] = 1 / h0;
    }
    for (std::size_t k = 1; k < n; ++k) {
        double basis[4];
        CubicBasis(u, k + 3, u[k + 3], basis);
        sub[k + 1] = basis[0];
        diag[k + 1] = basis[1];
        sup[k + 1] = basis[2];
        rhs[k + 1] = q[k];
    }
    for (std::size_t k = 1; k <= m; ++k) {
        const double factor = sub[k] / diag[k - 1];
        diag[k] -= factor * sup[k - 1];
        rhs[k] = rhs[k] - factor * rhs[k - 1];
    }
    spline.control.resize(m + 1);
    spline.control[m] = (1 / diag[m]) * rhs[m];
    for (std::size_t k = m; k-- > 0;)
        spline.control[k] = (1 / diag[k]) * (rhs[k] - sup[k] * spline.control[k + 1]);
    spline.closed = q.front() == q.back();
    return spline;
}

} // namespace vektrano
