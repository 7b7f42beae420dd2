#include "flatten_budget.h"
#include "nurbs.h"
#include "nurbs_blossom.h"

#include <algorithm>
#include <cmath>

namespace vektrano {
namespace {

using detail::Homogeneous;
using detail::kMaxDegree;

// Subdivision stops at this depth whatever the bound says: each level at least
// halves the part, and 2^-48 of a knot span is far below any tolerance a finite
// drawing can ask for.
constexpr int kMaxDepth = 48;

struct Piece
{
    Homogeneous bezier[kMaxDegree + 1];
    double from = 0; // share of the domain where the piece starts
    double to = 0;
    int depth = 0;
};

// How far the piece may stray from its chord: a bound that the Bézier points
// give. With positive weights every curve point is a convex combination of the
// projected Bézier points. When they all project onto the chord (not beyond its
// ends), each curve point's foot lies on the chord, and its distance is at most
// the sum of theirs weighted by the inner rational basis functions. Those sum
// to at most I / (E + I) with I = (1 - s)·(largest inner weight), E = s·(smaller
// end weight), s = 2^(1-degree) the least the two end Bernstein polynomials sum
// to: 0.75 for a cubic of equal weights, which saves segments. Otherwise the
// distance from a segment is convex, so the farthest Bézier point bounds it.
double Deviation(const Piece& piece, int degree)
{
    const Point a = piece.bezier[0].Projected();
    const Point b = piece.bezier[degree].Projected();
    const Point ab = b - a;
    const double length = Dot(ab, ab);
    double across = 0;
    double beyond = 0;
    bool onChord = length > 0;
    double innerWeight = 0;
    for (int i = 1; i < degree; ++i) {
        const Point ap = piece.bezier[i].Projected() - a;
        const double along = length > 0 ? Dot(ap, ab) / length : 0.0;
        onChord = onChord && along >= 0 && along <= 1;
        const Point off = ap - std::clamp(along, 0.0, 1.0) * ab;
        beyond = std::max(beyond, Dot(off, off));
        if (length > 0)
            across = std::max(across, std::abs(Cross(ap, ab)));
        innerWeight = std::max(innerWeight, piece.bezier[i].w);
    }
    if (!onChord)
        return std::sqrt(beyond);
    const double ends = std::ldexp(1.0, 1 - degree);
    const double inner = (1 - ends) * innerWeight;
    const double share =
        inner / (ends * std::min(piece.bezier[0].w, piece.bezier[degree].w) + inner);
    return share * across / std::sqrt(length);
}

// de Casteljau at `at`, in place: the left edge of the triangle stays in
// `piece` as the part before `at`, the right edge goes to `right`.
void Split(Piece& piece, int degree, double at, Piece& right)
{
    Homogeneous* b = piece.bezier;
    right.bezier[degree] = b[degree];
    for (int r = 1; r <= degree; ++r) {
        for (int i = degree; i >= r; --i)
            b[i] = detail::Lerp(b[i - 1], b[i], at);
        right.bezier[degree - r] = b[degree];
    }
    const double cut = piece.from + (piece.to - piece.from) * at;
    right.from = cut;
    right.to = piece.to;
    right.depth = piece.depth;
    piece.to = cut;
    ++piece.depth;
}

struct SplineWalk
{
    const Nurbs& spline;

    double operator()(double tolerance, std::size_t budget, std::vector<Point>& out) const
    {
        const int p = spline.degree;
        const std::size_t n = spline.control.size();
        const double u0 = spline.knots[static_cast<std::size_t>(p)];
        const double u1 = spline.knots[n];
        std::size_t segments = 0;
        bool first = true;
        // Depth-first, leftmost part first: the stack never holds more than one
        // piece per level.
        Piece stack[kMaxDepth + 2];
        for (std::size_t span = static_cast<std::size_t>(p); span < n; ++span) {
            const double a = spline.knots[span];
            const double b = spline.knots[span + 1];
            if (!(a < b))
                continue;
            Piece& whole = stack[0];
            double params[kMaxDegree];
            for (int k = 0; k <= p; ++k) {
                std::fill_n(params, p - k, a);
                std::fill_n(params + (p - k), k, b);
                whole.bezier[k] = detail::Blossom(spline, span, params);
            }
            whole.from = (a - u0) / (u1 - u0);
            whole.to = (b - u0) / (u1 - u0);
            whole.depth = 0;
            const Point start = whole.bezier[0].Projected();
            if (first) {
                out.push_back(start);
                first = false;
            } else if (!(out.back() == start)) {
                if (++segments > budget)
                    return whole.from;
                out.push_back(start);
            }
            int top = 0;
            while (top >= 0) {
                Piece& piece = stack[top];
                const double deviation = Deviation(piece, p);
                if (piece.depth >= kMaxDepth || deviation <= tolerance) {
                    if (++segments > budget)
                        return piece.from;
                    out.push_back(piece.bezier[p].Projected());
                    --top;
                    continue;
                }
                // The deviation falls with the square of the part's length, so it
                // tells how many parts the piece needs; the first is cut off and
                // handled at once, the rest keeps this level and is judged again.
                // Each round writes at least one segment, so the budget ends even
                // a piece that never flattens (a NaN).
                const double parts = std::sqrt(deviation / tolerance);
                const double at = parts < 16 ? 1 / std::max(2.0, std::ceil(parts)) : 1.0 / 16;
                Piece& rest = stack[top + 1];
                Split(piece, p, at, rest);
                std::swap(stack[top], stack[top + 1]);
                ++top;
            }
        }
        return 1;
    }
};

} // namespace

FlattenResult FlattenNurbs(const Nurbs& spline, double tolerance, std::size_t maxSegments,
                           std::vector<Point>& out)
{
    if (Validate(spline) != NurbsFault::None)
        return {tolerance, false};
    return detail::FlattenWithinBudget(tolerance, maxSegments, out, SplineWalk{spline});
}

} // namespace vektrano
