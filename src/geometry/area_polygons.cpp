#include "area_polygons.h"

#include "outline_cleanup.h"
#include "simple_ring.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace vektrano {

namespace {

// An edge that is not vertical, from its left end to its right end. Vertical
// edges lie on the cuts between slabs and change nothing inside one.
struct Edge
{
    Point left;
    Point right;
    std::size_t ring = 0;
    // The edge that leaves the same ring corner to the left (through any vertical
    // edges there), or -1: a piece whose lower or upper edge ends at a corner goes
    // on along it.
    long leftAttach = -1;
};

double YAt(const Edge& e, double x)
{
    if (x <= e.left.x)
        return e.left.y;
    if (x >= e.right.x)
        return e.right.y;
    return e.left.y + (e.right.y - e.left.y) * ((x - e.left.x) / (e.right.x - e.left.x));
}

// The filled area between one lower and one upper edge over a run of slabs.
struct Piece
{
    long lower = -1;
    long upper = -1;
    std::vector<Point> lowerChain;
    std::vector<Point> upperChain;
    // Where the lower or upper edge changed: each step to the next is one trapezoid.
    struct Step
    {
        double x;
        long lower;
        long upper;
    };
    std::vector<Step> steps;
    std::uint64_t stamp = 0;
};

class AreaSweep
{
public:
    AreaSweep(const AreaPolygonOptions& options, AreaPolygons& result)
        : options_(options)
        , result_(result)
    {}

    void AddRing(const std::vector<Point>& ring, std::size_t ringIndex)
    {
        const std::size_t n = ring.size();
        std::vector<long> edgeOf(n, -1);
        for (std::size_t i = 0; i < n; ++i) {
            const Point a = ring[i];
            const Point b = ring[(i + 1) % n];
            if (a.x == b.x)
                continue;
            edgeOf[i] = static_cast<long>(edges_.size());
            edges_.push_back(a.x < b.x ? Edge{a, b, ringIndex} : Edge{b, a, ringIndex});
        }
        // Walk from each edge's left end along the ring, past vertical edges, to
        // the next edge; it continues this one only if it lies further left.
        for (std::size_t i = 0; i < n; ++i) {
            if (edgeOf[i] < 0)
                continue;
            const bool forwardIsRight = ring[i].x < ring[(i + 1) % n].x;
            std::size_t k = i;
            for (std::size_t step = 1; step < n; ++step) {
                k = forwardIsRight ? (k + n - 1) % n : (k + 1) % n;
                if (edgeOf[k] < 0)
                    continue;
                const Point corner = forwardIsRight ? ring[(k + 1) % n] : ring[k];
                const Edge& other = edges_[static_cast<std::size_t>(edgeOf[k])];
                if (other.right == corner)
                    edges_[static_cast<std::size_t>(edgeOf[i])].leftAttach = edgeOf[k];
                break;
            }
        }
    }

    void Run()
    {
        if (edges_.empty())
            return;
        std::vector<double> events;
        events.reserve(edges_.size() * 2);
        for (const Edge& e : edges_) {
            events.push_back(e.left.x);
            events.push_back(e.right.x);
        }
        std::sort(events.begin(), events.end());
        events.erase(std::unique(events.begin(), events.end()), events.end());
        byStart_.resize(edges_.size());
        for (std::size_t i = 0; i < edges_.size(); ++i)
            byStart_[i] = static_cast<long>(i);
        std::sort(byStart_.begin(), byStart_.end(), [this](long a, long b) {
            return edges_[static_cast<std::size_t>(a)].left.x <
                   edges_[static_cast<std::size_t>(b)].left.x;
        });
        pieceOfLower_.assign(edges_.size(), -1);

        double xa = events.front();
        AddStarting(xa);
        std::size_t next = 1;
        while (next < events.size()) {
            double xb = events[next];
            // Each round ends the slab at a crossing found inside it, until none
            // is left; the work limit bounds the rounds a hostile area can ask for.
            for (int round = 0;; ++round) {
                if (!Spend(active_.size()))
                    return;
                SortActive((xa + xb) / 2);
                const double xc = FirstCrossing(xa, xb);
                if (xc >= xb || round >= 10'000)
                    break;
                xb = xc;
            }
            ProcessSlab(xa, xb);
            xa = xb;
            if (xb == events[next]) {
                std::erase_if(active_, [&](long e) {
                    return edges_[static_cast<std::size_t>(e)].right.x <= xb;
                });
                AddStarting(xb);
                ++next;
            }
        }
        for (long id : open_)
            Close(pieces_[static_cast<std::size_t>(id)], xa);
        open_.clear();
    }

    const std::vector<bool>& CrossingFlags() const { return crossing_; }
    void SetRingCount(std::size_t count) { crossing_.assign(count, false); }

private:
    const Edge& EdgeAt(long e) const { return edges_[static_cast<std::size_t>(e)]; }

    bool Spend(std::uint64_t steps)
    {
        work_ += steps + 1;
        if (work_ <= options_.workLimit)
            return true;
        result_.tooComplex = true;
        return false;
    }

    void AddStarting(double x)
    {
        while (nextStart_ < byStart_.size() && EdgeAt(byStart_[nextStart_]).left.x <= x)
            active_.push_back(byStart_[nextStart_++]);
    }

    // Insertion sort by height at x: between two cuts the order barely changes.
    void SortActive(double x)
    {
        keys_.resize(active_.size());
        for (std::size_t i = 0; i < active_.size(); ++i)
            keys_[i] = YAt(EdgeAt(active_[i]), x);
        std::uint64_t moves = 0;
        for (std::size_t i = 1; i < active_.size(); ++i) {
            const long edge = active_[i];
            const double key = keys_[i];
            std::size_t j = i;
            while (j > 0 &&
                   (keys_[j - 1] > key || (keys_[j - 1] == key && active_[j - 1] > edge))) {
                active_[j] = active_[j - 1];
                keys_[j] = keys_[j - 1];
                --j;
            }
            moves += i - j;
            active_[j] = edge;
            keys_[j] = key;
        }
        work_ += moves;
    }

    // The x where the first pair of neighbours in the slab's middle order
    // swaps places, or xb when none does inside the slab.
    double FirstCrossing(double xa, double xb)
    {
        const double tolerance = options_.grid * 1e-3;
        double first = xb;
        for (std::size_t i = 0; i + 1 < active_.size(); ++i) {
            const Edge& a = EdgeAt(active_[i]);
            const Edge& b = EdgeAt(active_[i + 1]);
            const double da = YAt(a, xa) - YAt(b, xa);
            const double db = YAt(a, xb) - YAt(b, xb);
            if (da <= tolerance && db <= tolerance)
                continue;
            if (a.ring == b.ring)
                crossing_[a.ring] = true;
            if ((da > tolerance && db > 0) || (db > tolerance && da > 0))
                continue; // rounding noise around a touch, not a crossing
            const double x = xa + (xb - xa) * (da / (da - db));
            if (x > xa + tolerance && x < xb - tolerance)
                first = std::min(first, x);
        }
        return first;
    }

    void ProcessSlab(double xa, double xb)
    {
        ++stamp_;
        const double minFeature = options_.minFeature;
        intervals_.clear();
        for (std::size_t k = 0; k + 1 < active_.size(); k += 2) {
            const long lower = active_[k];
            const long upper = active_[k + 1];
            const Edge& l = EdgeAt(lower);
            const Edge& u = EdgeAt(upper);
            if (std::max(YAt(u, xa) - YAt(l, xa), YAt(u, xb) - YAt(l, xb)) <= minFeature)
                continue; // a sliver between two edges that (nearly) coincide
            const long lowerKey = l.left.x < xa ? lower : l.leftAttach;
            const long upperKey = u.left.x < xa ? upper : u.leftAttach;
            long piece = lowerKey >= 0 ? pieceOfLower_[static_cast<std::size_t>(lowerKey)] : -1;
            if (piece >= 0) {
                Piece& p = pieces_[static_cast<std::size_t>(piece)];
                const double bottom = std::max(YAt(EdgeAt(p.lower), xa), YAt(l, xa));
                const double top = std::min(YAt(EdgeAt(p.upper), xa), YAt(u, xa));
                // Going on through a pinch would make the outline touch itself.
                if (p.upper != upperKey || p.stamp == stamp_ || top - bottom <= minFeature)
                    piece = -1;
                else
                    p.stamp = stamp_;
            }
            intervals_.push_back({lower, upper, piece});
        }
        for (long id : open_) {
            Piece& p = pieces_[static_cast<std::size_t>(id)];
            pieceOfLower_[static_cast<std::size_t>(p.lower)] = -1;
            if (p.stamp != stamp_)
                Close(p, xa);
        }
        open_.clear();
        for (const Interval& interval : intervals_) {
            long id = interval.piece;
            if (id < 0) {
                id = static_cast<long>(pieces_.size());
                Piece& p = pieces_.emplace_back();
                p.lower = interval.lower;
                p.upper = interval.upper;
                p.lowerChain.push_back({xa, YAt(EdgeAt(p.lower), xa)});
                p.upperChain.push_back({xa, YAt(EdgeAt(p.upper), xa)});
                p.steps.push_back({xa, p.lower, p.upper});
                p.stamp = stamp_;
            } else {
                Piece& p = pieces_[static_cast<std::size_t>(id)];
                Turn(p.lowerChain, p.lower, interval.lower, xa);
                Turn(p.upperChain, p.upper, interval.upper, xa);
                if (p.lower != interval.lower || p.upper != interval.upper)
                    p.steps.push_back({xa, interval.lower, interval.upper});
                p.lower = interval.lower;
                p.upper = interval.upper;
            }
            pieceOfLower_[static_cast<std::size_t>(interval.lower)] = id;
            open_.push_back(id);
        }
    }

    // A chain going on from one edge to the next at a corner (with the vertical
    // step between them, if any).
    void Turn(std::vector<Point>& chain, long from, long to, double x) const
    {
        if (from == to)
            return;
        const Point end{x, YAt(EdgeAt(from), x)};
        const Point start{x, YAt(EdgeAt(to), x)};
        chain.push_back(end);
        if (!(start == end))
            chain.push_back(start);
    }

    void Close(Piece& p, double x)
    {
        p.lowerChain.push_back({x, YAt(EdgeAt(p.lower), x)});
        p.upperChain.push_back({x, YAt(EdgeAt(p.upper), x)});
        p.steps.push_back({x, p.lower, p.upper});
        const double minFeature = options_.minFeature;
        std::vector<Point> lower = CleanChain(p.lowerChain, minFeature);
        std::vector<Point> upper = CleanChain(p.upperChain, minFeature);
        if (ChainsBoundSimplePolygon(lower, upper, minFeature)) {
            std::vector<Point> outline = std::move(lower);
            outline.insert(outline.end(), upper.rbegin(), upper.rend());
            outline = CleanOutline(std::move(outline), minFeature);
            if (!outline.empty() && TwiceArea(outline) > minFeature * minFeature) {
                result_.polygons.push_back(std::move(outline));
                Release(p);
                return;
            }
        }
        // Rounding left the joined outline doubtful: its trapezoids are simple.
        bool any = false;
        for (std::size_t i = 0; i + 1 < p.steps.size(); ++i) {
            const Piece::Step& step = p.steps[i];
            const double x0 = step.x;
            const double x1 = p.steps[i + 1].x;
            std::vector<Point> quad;
            for (const double at : {x0, x1}) {
                double low = YAt(EdgeAt(step.lower), at);
                double high = YAt(EdgeAt(step.upper), at);
                if (low > high)
                    low = high = (low + high) / 2;
                quad.push_back({at, low});
                quad.push_back({at, high});
            }
            std::vector<Point> outline =
                CleanOutline({quad[0], quad[2], quad[3], quad[1]}, minFeature);
            if (!outline.empty() && TwiceArea(outline) > minFeature * minFeature) {
                result_.polygons.push_back(std::move(outline));
                any = true;
            }
        }
        if (any)
            ++result_.brokenUp;
        Release(p);
    }

    static void Release(Piece& p)
    {
        p.lowerChain = {};
        p.upperChain = {};
        p.steps = {};
    }

    const AreaPolygonOptions& options_;
    AreaPolygons& result_;
    std::vector<Edge> edges_;
    std::vector<long> byStart_;
    std::size_t nextStart_ = 0;
    std::vector<long> active_;
    std::vector<double> keys_;
    std::vector<Piece> pieces_;
    std::vector<long> open_;
    std::vector<long> pieceOfLower_;
    struct Interval
    {
        long lower;
        long upper;
        long piece; // continued, or -1 for a new one
    };
    std::vector<Interval> intervals_;
    std::vector<bool> crossing_;
    std::uint64_t stamp_ = 0;
    std::uint64_t work_ = 0;
};

} // namespace

AreaPolygons SplitFilledArea(const std::vector<std::vector<Point>>& rings,
                             const AreaPolygonOptions& options)
{
    AreaPolygons result;
    std::vector<std::vector<Point>> usable(rings.size());
    std::size_t count = 0;
    for (std::size_t i = 0; i < rings.size(); ++i) {
        usable[i] = CleanRing(rings[i], options.grid);
        if (usable[i].empty())
            result.degenerateRings.push_back(i);
        else
            ++count;
    }
    // Most areas are one ring that is fine as it stands: a disc, a SOLID, a
    // plain outline, a star or a letter of a logo. They need no sweep, which
    // would cut a ring that turns back on itself into many pieces for nothing.
    if (count == 1)
        for (const std::vector<Point>& ring : usable)
            if (!ring.empty()) {
                auto outline = MonotoneOutline(ring, options.minFeature);
                if (!outline)
                    outline = SimpleOutline(ring, options.minFeature);
                if (outline) {
                    result.polygons.push_back(std::move(*outline));
                    return result;
                }
            }
    AreaSweep sweep(options, result);
    sweep.SetRingCount(rings.size());
    for (std::size_t i = 0; i < rings.size(); ++i)
        if (!usable[i].empty())
            sweep.AddRing(usable[i], i);
    sweep.Run();
    if (result.tooComplex) {
        result.polygons.clear();
        return result;
    }
    const std::vector<bool>& crossing = sweep.CrossingFlags();
    for (std::size_t i = 0; i < crossing.size(); ++i)
        if (crossing[i])
            result.crossingRings.push_back(i);
    return result;
}

std::vector<Point> SolidOutline(Point first, Point second, Point third, Point fourth)
{
    if (fourth == third)
        return {first, second, third};
    return {first, second, fourth, third};
}

} // namespace vektrano
