#include "flatten_budget.h"
#include "nurbs.h"
#include "nurbs_blossom.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vektrano {

NurbsFault Validate(const Nurbs& spline)
{
    using detail::Usable;
    const int p = spline.degree;
    if (p < 1 || p > detail::kMaxDegree)
        return NurbsFault::DegreeOutOfRange;
    const std::size_t n = spline.control.size();
    if (n < static_cast<std::size_t>(p) + 1)
        return NurbsFault::TooFewControlPoints;
    if (spline.knots.size() != n + static_cast<std::size_t>(p) + 1)
        return NurbsFault::KnotCountWrong;
    // NaN compares false both ways, so a NaN knot is told apart from a decrease
    // further down.
    for (std::size_t i = 1; i < spline.knots.size(); ++i)
        if (spline.knots[i] < spline.knots[i - 1])
            return NurbsFault::KnotsDecreasing;
    for (double w : spline.weights)
        if (w <= 0)
            return NurbsFault::WeightNotPositive;
    if (!spline.weights.empty() && spline.weights.size() != n)
        return NurbsFault::WeightCountWrong;
    for (double k : spline.knots)
        if (!Usable(k))
            return NurbsFault::NotFinite;
    for (std::size_t i = 0; i < n; ++i) {
        const double w = spline.weights.empty() ? 1 : spline.weights[i];
        // The evaluation works on w·x, w·y and w, so their size is what counts.
        if (!Usable(w) || !(w >= 1 / detail::kMaxMagnitude) || !Usable(spline.control[i]) ||
            !Usable(w * spline.control[i].x) || !Usable(w * spline.control[i].y))
            return NurbsFault::NotFinite;
    }
    if (!(spline.knots[static_cast<std::size_t>(p)] < spline.knots[n]))
        return NurbsFault::EmptyDomain;
    return NurbsFault::None;
}

namespace detail {

std::size_t SpanOf(const Nurbs& spline, double u)
{
    const auto p = static_cast<std::size_t>(spline.degree);
    const std::size_t n = spline.control.size();
    const auto first = spline.knots.begin() + static_cast<std::ptrdiff_t>(p);
    const auto last = spline.knots.begin() + static_cast<std::ptrdiff_t>(n);
    // The domain's end belongs to the last non-empty span, however often its
    // knot repeats.
    const auto found =
        u >= *last ? std::lower_bound(first, last, *last) : std::upper_bound(first, last, u);
    // The clamp only matters for knots that never passed Validate (a NaN).
    return std::clamp(static_cast<std::size_t>(found - spline.knots.begin()), p + 1, n) - 1;
}

Homogeneous Blossom(const Nurbs& spline, std::size_t span, const double* params)
{
    const auto p = static_cast<std::size_t>(spline.degree);
    Homogeneous d[kMaxDegree + 1];
    for (std::size_t j = 0; j <= p; ++j) {
        const std::size_t i = span - p + j;
        const double w = spline.weights.empty() ? 1 : spline.weights[i];
        d[j] = {w * spline.control[i].x, w * spline.control[i].y, w};
    }
    const double* knots = spline.knots.data();
    for (std::size_t r = 1; r <= p; ++r) {
        const double t = params[r - 1];
        for (std::size_t j = p; j >= r; --j) {
            const std::size_t i = span - p + j;
            // Positive for a non-empty span: knots[i] <= knots[span] < knots[span+1]
            // <= knots[i + p - r + 1].
            const double alpha = (t - knots[i]) / (knots[i + p - r + 1] - knots[i]);
            d[j] = Lerp(d[j - 1], d[j], alpha);
        }
    }
    return d[p];
}

} // namespace detail

Point Evaluate(const Nurbs& spline, double u)
{
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    const std::size_t n = spline.control.size();
    if (spline.degree < 1 || spline.degree > detail::kMaxDegree ||
        n < static_cast<std::size_t>(spline.degree) + 1 ||
        spline.knots.size() != n + static_cast<std::size_t>(spline.degree) + 1 ||
        (!spline.weights.empty() && spline.weights.size() != n) ||
        !(spline.knots[static_cast<std::size_t>(spline.degree)] < spline.knots[n]) || std::isnan(u))
        return {kNaN, kNaN};
    u = std::clamp(u, spline.knots[static_cast<std::size_t>(spline.degree)], spline.knots[n]);
    double params[detail::kMaxDegree];
    std::fill_n(params, spline.degree, u);
    return detail::Blossom(spline, detail::SpanOf(spline, u), params).Projected();
}

} // namespace vektrano
