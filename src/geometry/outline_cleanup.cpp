#include "outline_cleanup.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>

namespace vektrano {

namespace {

double SquaredDistance(Point a, Point b) { return Dot(a - b, a - b); }

bool Near(Point a, Point b, double distance) { return SquaredDistance(a, b) < distance * distance; }

// Whether b lies on the line through a and c, within tolerance.
bool Collinear(Point a, Point b, Point c, double tolerance)
{
    const double length = SquaredDistance(a, c);
    if (length <= tolerance * tolerance)
        return SquaredDistance(a, b) <= tolerance * tolerance;
    const double cross = Cross(c - a, b - a);
    return cross * cross <= tolerance * tolerance * length;
}

// The lowest and highest y a chain (x never falling) takes at x.
struct YRange
{
    double low = 0;
    double high = 0;
};

// Walks a chain from left to right, answering for rising x.
class ChainWalker
{
public:
    explicit ChainWalker(const std::vector<Point>& chain)
        : chain_(chain)
    {}

    YRange At(double x)
    {
        while (next_ < chain_.size() && chain_[next_].x < x)
            ++next_;
        if (next_ == chain_.size())
            return {chain_.back().y, chain_.back().y};
        if (chain_[next_].x > x) {
            const Point a = chain_[next_ - 1];
            const Point b = chain_[next_];
            const double y = a.y + (b.y - a.y) * ((x - a.x) / (b.x - a.x));
            return {y, y};
        }
        YRange range{chain_[next_].y, chain_[next_].y};
        for (std::size_t k = next_ + 1; k < chain_.size() && chain_[k].x == x; ++k) {
            range.low = std::min(range.low, chain_[k].y);
            range.high = std::max(range.high, chain_[k].y);
        }
        return range;
    }

private:
    const std::vector<Point>& chain_;
    std::size_t next_ = 0;
};

} // namespace

double TwiceArea(const std::vector<Point>& ring)
{
    double sum = 0;
    for (std::size_t i = 0; i < ring.size(); ++i)
        sum += Cross(ring[i], ring[(i + 1) % ring.size()]);
    return sum;
}

std::vector<Point> CleanRing(const std::vector<Point>& ring, double grid)
{
    // Whole steps divided by the steps per mm give the double nearest the
    // decimal when the grid is a decimal fraction, which the script prints on its
    // fast road; steps times the grid lands an ulp beside it every third time.
    const double steps = 1 / grid;
    const double perMillimetre =
        std::abs(steps - std::round(steps)) <= 1e-9 * steps ? std::round(steps) : steps;
    std::vector<Point> out;
    out.reserve(ring.size());
    for (Point p : ring) {
        if (!std::isfinite(p.x) || !std::isfinite(p.y))
            return {};
        p = {std::round(p.x * perMillimetre) / perMillimetre,
             std::round(p.y * perMillimetre) / perMillimetre};
        if (out.empty() || !(out.back() == p))
            out.push_back(p);
    }
    while (out.size() > 1 && out.back() == out.front())
        out.pop_back();
    if (out.size() < 3)
        return {};
    // All corners on one line: the farthest corner from the first gives the line.
    std::size_t far = 0;
    for (std::size_t i = 1; i < out.size(); ++i)
        if (SquaredDistance(out[i], out[0]) > SquaredDistance(out[far], out[0]))
            far = i;
    const bool flat = std::all_of(out.begin(), out.end(),
                                  [&](Point p) { return Collinear(out[0], p, out[far], grid); });
    return flat ? std::vector<Point>{} : out;
}

std::vector<Point> CleanChain(const std::vector<Point>& chain, double minFeature)
{
    std::vector<Point> out;
    out.reserve(chain.size());
    for (std::size_t i = 0; i < chain.size(); ++i) {
        const Point p = chain[i];
        if (!out.empty() && Near(out.back(), p, minFeature)) {
            if (i + 1 == chain.size() && out.size() > 1)
                out.back() = p;
            continue;
        }
        while (out.size() >= 2 && Collinear(out[out.size() - 2], out.back(), p, minFeature * 1e-3))
            out.pop_back();
        out.push_back(p);
    }
    return out;
}

std::vector<Point> CleanOutline(std::vector<Point> outline, double minFeature)
{
    bool changed = true;
    while (changed && outline.size() >= 3) {
        changed = false;
        std::vector<Point> kept;
        kept.reserve(outline.size());
        for (const Point p : outline)
            if (kept.empty() || !Near(kept.back(), p, minFeature))
                kept.push_back(p);
        while (kept.size() > 1 && Near(kept.back(), kept.front(), minFeature))
            kept.pop_back();
        changed = kept.size() != outline.size();
        outline = std::move(kept);
        kept.clear();
        // Corners on the line through their neighbours, spikes folding back
        // included, also one that returns to the very corner it left; the next
        // pass catches what a removal here uncovers.
        const double tolerance = minFeature * 1e-3;
        for (std::size_t i = 0; i < outline.size(); ++i) {
            const Point before = kept.empty() ? outline.back() : kept.back();
            const Point after = outline[(i + 1) % outline.size()];
            if (Near(before, after, tolerance) || Collinear(before, outline[i], after, tolerance))
                changed = true;
            else
                kept.push_back(outline[i]);
        }
        outline = std::move(kept);
    }
    return outline.size() >= 3 ? outline : std::vector<Point>{};
}

bool ChainsBoundSimplePolygon(const std::vector<Point>& lower, const std::vector<Point>& upper,
                              double minFeature)
{
    if (lower.empty() || upper.empty() || lower.front().x != upper.front().x ||
        lower.back().x != upper.back().x || lower.front().x >= lower.back().x)
        return false;
    for (const auto* chain : {&lower, &upper})
        for (std::size_t i = 1; i < chain->size(); ++i)
            if ((*chain)[i].x < (*chain)[i - 1].x)
                return false;
    ChainWalker below(lower);
    ChainWalker above(upper);
    const double first = lower.front().x;
    const double last = lower.back().x;
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < lower.size() || j < upper.size()) {
        const double x = j == upper.size() || (i < lower.size() && lower[i].x <= upper[j].x)
                             ? lower[i].x
                             : upper[j].x;
        while (i < lower.size() && lower[i].x == x)
            ++i;
        while (j < upper.size() && upper[j].x == x)
            ++j;
        const YRange low = below.At(x);
        const YRange high = above.At(x);
        const bool end = x == first || x == last;
        if (end ? low.high > high.low + minFeature : low.high >= high.low - minFeature / 2)
            return false;
    }
    return true;
}

std::optional<std::vector<Point>> MonotoneOutline(const std::vector<Point>& ring, double minFeature)
{
    const std::size_t n = ring.size();
    if (n < 3)
        return std::nullopt;
    std::size_t left = 0;
    for (std::size_t i = 1; i < n; ++i)
        if (ring[i].x < ring[left].x)
            left = i;
    // From the leftmost corner both ways round for as long as x does not fall:
    // the two walks cover the ring only if no vertical line meets it more than twice.
    std::vector<Point> forward{ring[left]};
    std::size_t end = left;
    for (std::size_t k = (left + 1) % n; k != left && ring[k].x >= ring[end].x; k = (k + 1) % n) {
        forward.push_back(ring[k]);
        end = k;
    }
    // Back the other way to where the forward walk stopped, or to its neighbour
    // across a vertical edge at the right.
    std::vector<Point> backward{ring[left]};
    std::size_t reached = left;
    for (std::size_t k = (left + n - 1) % n; reached != end && ring[k].x >= ring[reached].x;
         k = (k + n - 1) % n) {
        backward.push_back(ring[k]);
        reached = k;
    }
    if (reached != end && reached != (end + 1) % n)
        return std::nullopt;
    // Counter-clockwise, the forward walk runs along the bottom.
    if (TwiceArea(ring) < 0)
        std::swap(forward, backward);
    std::vector<Point> lower = CleanChain(forward, minFeature);
    std::vector<Point> upper = CleanChain(backward, minFeature);
    if (!ChainsBoundSimplePolygon(lower, upper, minFeature))
        return std::nullopt;
    lower.insert(lower.end(), upper.rbegin(), upper.rend());
    std::vector<Point> outline = CleanOutline(std::move(lower), minFeature);
    if (outline.empty() || TwiceArea(outline) <= minFeature * minFeature)
        return std::nullopt;
    return outline;
}

} // namespace vektrano
