#include "contour_check.h"

#include "spatial_hash.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vektrano {

namespace {

constexpr double kRadians = std::numbers::pi / 180;
constexpr double kFineDeviation = 1e-3; // mm

// Lines enough that an arc strays at most deviation from its chords.
std::size_t ArcLines(double radius, double sweepDegrees, double deviation)
{
    constexpr std::size_t kMost = 1024;
    if (!(radius > deviation))
        return 1;
    const double step = 2 * std::acos(1 - deviation / radius);
    const double lines = std::ceil(std::fabs(sweepDegrees) * kRadians / step);
    return lines < 1 ? 1 : lines > kMost ? kMost : static_cast<std::size_t>(lines);
}

// Calls line(a, b, piece) for each line of the chain with arcs flattened.
template <typename Line>
void FlattenChain(const ContourPieces& pieces, const Welding& welding, const WeldedChain& chain,
                  double deviation, Line&& line)
{
    ForEachStep(pieces, welding, chain, [&](const ChainStep& step) {
        if (step.sweep == 0) {
            line(step.from, step.to, step.piece);
            return;
        }
        const CircleShape circle = ArcThrough(step.from, step.to, step.sweep);
        const std::size_t lines = ArcLines(circle.radius, step.sweep, deviation);
        const double first =
            std::atan2(step.from.y - circle.centre.y, step.from.x - circle.centre.x);
        Point at = step.from;
        for (std::size_t k = 1; k < lines; ++k) {
            const double angle =
                first + step.sweep * kRadians * static_cast<double>(k) / static_cast<double>(lines);
            const Point next =
                circle.centre + circle.radius * Point{std::cos(angle), std::sin(angle)};
            line(at, next, step.piece);
            at = next;
        }
        line(at, step.to, step.piece);
    });
}

// 1 µm, unless the arcs would then need many more lines than the pieces
// number: a layer of a million wide arcs must not become a billion lines.
// Every flattened line is held at once, so the allowance sets the memory.
double CheckDeviation(const ContourPieces& pieces, double perPiece, double extra)
{
    const double allowed = perPiece * static_cast<double>(pieces.pieces.size()) + extra;
    double deviation = kFineDeviation;
    for (int coarser = 0; coarser < 16; ++coarser, deviation *= 4) {
        double lines = static_cast<double>(pieces.inner.size());
        for (const ContourPiece& piece : pieces.pieces) {
            lines += piece.sweep == 0 ? 1
                                      : static_cast<double>(ArcLines(
                                            ArcThrough(piece.from, piece.to, piece.sweep).radius,
                                            piece.sweep, deviation));
            if (lines > allowed)
                break;
        }
        if (lines <= allowed)
            break;
    }
    return deviation;
}

// A closed outline's edges by horizontal band, for many point-in-polygon tests.
// The bands are as many as the edges, fewer when long edges would fill too many.
class BandedPolygon
{
public:
    explicit BandedPolygon(const std::vector<Point>& outline)
        : outline_(outline)
    {
        const std::size_t edges = outline.size() > 1 ? outline.size() - 1 : 0;
        for (const Point p : outline) {
            low_ = std::min(low_, p.y);
            high_ = std::max(high_, p.y);
        }
        if (edges == 0 || !(high_ > low_))
            return;
        double spanned = 0;
        for (std::size_t i = 0; i < edges; ++i)
            spanned += std::fabs(outline[i + 1].y - outline[i].y);
        double bands = std::min<double>(static_cast<double>(edges), 65536);
        bands = std::min(bands, 4 * static_cast<double>(edges) * (high_ - low_) / spanned);
        bands_ = std::max<std::size_t>(1, static_cast<std::size_t>(bands));
        starts_.assign(bands_ + 1, 0);
        for (int pass = 0; pass < 2; ++pass) {
            std::vector<std::size_t> fill(starts_.begin(), starts_.end() - 1);
            for (std::uint32_t i = 0; i < edges; ++i) {
                const auto [lo, hi] = std::minmax(outline[i].y, outline[i + 1].y);
                for (std::size_t b = Band(lo); b <= Band(hi); ++b) {
                    if (pass == 0)
                        ++starts_[b + 1];
                    else
                        edges_[fill[b]++] = i;
                }
            }
            if (pass == 0) {
                for (std::size_t b = 0; b < bands_; ++b)
                    starts_[b + 1] += starts_[b];
                edges_.resize(starts_[bands_]);
            }
        }
    }

    bool Contains(Point p) const
    {
        if (bands_ == 0 || !(p.y >= low_ && p.y <= high_))
            return false;
        const std::size_t band = Band(p.y);
        bool inside = false;
        for (std::size_t k = starts_[band]; k < starts_[band + 1]; ++k) {
            const Point a = outline_[edges_[k]];
            const Point b = outline_[edges_[k] + 1];
            if ((a.y > p.y) != (b.y > p.y) && p.x < a.x + (p.y - a.y) * (b.x - a.x) / (b.y - a.y))
                inside = !inside;
        }
        return inside;
    }

private:
    std::size_t Band(double y) const
    {
        const double band = std::floor((y - low_) / (high_ - low_) * static_cast<double>(bands_));
        return band <= 0 ? 0 : std::min(bands_ - 1, static_cast<std::size_t>(band));
    }

    const std::vector<Point>& outline_;
    double low_ = INFINITY;
    double high_ = -INFINITY;
    std::size_t bands_ = 0;
    std::vector<std::size_t> starts_;
    std::vector<std::uint32_t> edges_;
};

struct Line
{
    Point a;
    Point b;
    std::uint32_t chain;
    std::uint32_t index; // within its chain
    std::uint32_t piece;
};

int Orientation(Point a, Point b, Point c)
{
    const double turn = Cross(b - a, c - a);
    return (turn > 0) - (turn < 0);
}

bool Between(Point a, Point b, Point p)
{
    return std::min(a.x, b.x) <= p.x && p.x <= std::max(a.x, b.x) && std::min(a.y, b.y) <= p.y &&
           p.y <= std::max(a.y, b.y);
}

bool Meet(const Line& s, const Line& t)
{
    const int d1 = Orientation(s.a, s.b, t.a);
    const int d2 = Orientation(s.a, s.b, t.b);
    const int d3 = Orientation(t.a, t.b, s.a);
    const int d4 = Orientation(t.a, t.b, s.b);
    if (d1 * d2 < 0 && d3 * d4 < 0)
        return true;
    return (d1 == 0 && Between(s.a, s.b, t.a)) || (d2 == 0 && Between(s.a, s.b, t.b)) ||
           (d3 == 0 && Between(t.a, t.b, s.a)) || (d4 == 0 && Between(t.a, t.b, s.b));
}

// Two lines that follow each other share their joint by design; they overlap
// only when the second turns straight back along the first.
bool FoldsBack(const Line& s, const Line& t)
{
    const Point u = s.b - s.a;
    const Point v = t.b - t.a;
    return Dot(u, v) < 0 &&
           std::fabs(Cross(u, v)) <= 1e-12 * std::hypot(u.x, u.y) * std::hypot(v.x, v.y);
}

} // namespace

Box ChainBox(const ContourPieces& pieces, const Welding& welding, const WeldedChain& chain)
{
    Box box;
    ForEachStep(pieces, welding, chain, [&](const ChainStep& step) {
        if (step.sweep != 0) {
            AddArcExtent(box, step.from, step.to, step.sweep);
        } else {
            box.Add(step.from);
            box.Add(step.to);
        }
    });
    return box;
}

double ChainArea(const ContourPieces& pieces, const Welding& welding, const WeldedChain& chain)
{
    double twice = 0;
    double bulges = 0;
    ForEachStep(pieces, welding, chain, [&](const ChainStep& step) {
        twice += Cross(step.from, step.to);
        if (step.sweep != 0) {
            // The circular segment between chord and arc, signed with the sweep.
            const double radius = ArcThrough(step.from, step.to, step.sweep).radius;
            const double angle = step.sweep * kRadians;
            bulges += radius * radius / 2 * (angle - std::sin(angle));
        }
    });
    return twice / 2 + bulges;
}

void AppendChainOutline(const ContourPieces& pieces, const Welding& welding,
                        const WeldedChain& chain, double deviation, std::vector<Point>& out)
{
    out.push_back(welding.Points(chain)[0]);
    FlattenChain(pieces, welding, chain, deviation,
                 [&](Point, Point b, std::uint32_t) { out.push_back(b); });
}

ContourSummary SummariseContours(const ContourPieces& pieces, const Welding& welding)
{
    ContourSummary summary;
    for (std::size_t c = 0; c < welding.chains.size(); ++c) {
        const WeldedChain& chain = welding.chains[c];
        if (!chain.closed)
            continue;
        summary.closed.push_back(
            {c, std::fabs(ChainArea(pieces, welding, chain)), ChainBox(pieces, welding, chain)});
        if (!summary.board || summary.closed.back().area > summary.closed[*summary.board].area)
            summary.board = summary.closed.size() - 1;
    }
    if (!summary.board)
        return summary;
    const ClosedContour& board = summary.closed[*summary.board];
    std::vector<Point> outline;
    AppendChainOutline(pieces, welding, welding.chains[board.chain],
                       CheckDeviation(pieces, 16, 1e6), outline);
    const BandedPolygon polygon(outline);
    for (std::size_t k = 0; k < summary.closed.size(); ++k) {
        if (k == *summary.board)
            continue;
        const Point probe = welding.Points(welding.chains[summary.closed[k].chain])[0];
        if (polygon.Contains(probe))
            summary.cutOuts.push_back(k);
    }
    return summary;
}

CrossingReport FindCrossings(const ContourPieces& pieces, const Welding& welding,
                             std::size_t maxReports)
{
    CrossingReport report;
    std::vector<Line> lines;
    std::vector<std::uint32_t> lastIndex(welding.chains.size());
    // All pieces of the layer are flattened at once here, not one outline: two
    // lines per piece on average, arcs of a small layer still finely.
    const double deviation =
        CheckDeviation(pieces, 2, static_cast<double>(pieces.inner.size()) + 65536);
    for (std::uint32_t c = 0; c < welding.chains.size(); ++c) {
        std::uint32_t index = 0;
        FlattenChain(pieces, welding, welding.chains[c], deviation,
                     [&](Point a, Point b, std::uint32_t piece) {
                         // NaN or infinite ends cannot cross anything measurably.
                         const bool finite = std::isfinite(a.x) && std::isfinite(a.y) &&
                                             std::isfinite(b.x) && std::isfinite(b.y);
                         if (finite && !(a == b))
                             lines.push_back({a, b, c, index++, piece});
                     });
        lastIndex[c] = index > 0 ? index - 1 : 0;
    }
    if (lines.size() < 2)
        return report;

    Box all;
    double length = 0;
    for (const Line& line : lines) {
        all.Add(line.a);
        all.Add(line.b);
        length += std::hypot(line.b.x - line.a.x, line.b.y - line.a.y);
    }
    const double count = static_cast<double>(lines.size());
    double cell = std::max(length / count,
                           std::sqrt((all.max.x - all.min.x) * (all.max.y - all.min.y) / count));
    if (!(cell > 0) || !std::isfinite(cell))
        cell = 1;
    const auto cellsOf = [&](const Line& line) {
        const double w = std::fabs(std::floor(line.b.x / cell) - std::floor(line.a.x / cell)) + 1;
        const double h = std::fabs(std::floor(line.b.y / cell) - std::floor(line.a.y / cell)) + 1;
        return w * h;
    };
    // Long lines over small cells would fill the grid: coarser cells then, in
    // big leaps once doubling has not helped (hostile coordinates).
    for (int widen = 0;; ++widen, cell *= widen < 64 ? 2 : 1e16) {
        double entries = 0;
        for (const Line& line : lines)
            entries += cellsOf(line);
        if (entries <= 8 * count + 1024)
            break;
    }

    std::size_t entries = 0;
    for (const Line& line : lines)
        entries += static_cast<std::size_t>(cellsOf(line));
    if (entries >= UINT32_MAX) {
        report.complete = false;
        return report;
    }
    // As many buckets as entries, not twice: a shared bucket costs a few more
    // pair tests, while the bucket index is the largest thing here.
    const unsigned bits = BucketBits(entries / 2);
    std::vector<std::uint32_t> starts((std::size_t{1} << bits) + 1, 0);
    std::vector<std::uint32_t> members(entries);
    for (int pass = 0; pass < 2; ++pass) {
        std::vector<std::uint32_t> fill(starts.begin(), starts.end() - 1);
        for (std::uint32_t i = 0; i < lines.size(); ++i) {
            const Line& line = lines[i];
            const std::int64_t ax = CellOf(line.a.x, cell);
            const std::int64_t bx = CellOf(line.b.x, cell);
            const std::int64_t ay = CellOf(line.a.y, cell);
            const std::int64_t by = CellOf(line.b.y, cell);
            const auto [x0, x1] = std::minmax(ax, bx);
            const auto [y0, y1] = std::minmax(ay, by);
            for (std::int64_t x = x0; x <= x1; ++x) {
                for (std::int64_t y = y0; y <= y1; ++y) {
                    const std::uint32_t bucket = BucketOf(x, y, bits);
                    if (pass == 0)
                        ++starts[bucket + 1];
                    else
                        members[fill[bucket]++] = i;
                }
            }
        }
        if (pass == 0)
            for (std::size_t b = 0; b + 1 < starts.size(); ++b)
                starts[b + 1] += starts[b];
    }

    double budget = 32 * count + 100000;
    for (std::size_t b = 0; b + 1 < starts.size(); ++b) {
        for (std::size_t i = starts[b]; i < starts[b + 1]; ++i) {
            for (std::size_t j = i + 1; j < starts[b + 1]; ++j) {
                if (--budget < 0) {
                    report.complete = false;
                    return report;
                }
                const Line& s = lines[members[i]];
                const Line& t = lines[members[j]];
                if (members[i] == members[j])
                    continue;
                const auto [first, second] = std::minmax(s.index, t.index);
                const bool adjacent =
                    s.chain == t.chain &&
                    (second == first + 1 || (welding.chains[s.chain].closed && first == 0 &&
                                             second == lastIndex[s.chain] && second > 1));
                if (adjacent ? !FoldsBack(s, t) : !Meet(s, t))
                    continue;
                const std::pair<std::uint32_t, std::uint32_t> pair = std::minmax(s.piece, t.piece);
                if (std::find(report.pieces.begin(), report.pieces.end(), pair) ==
                    report.pieces.end())
                    report.pieces.push_back(pair);
                if (report.pieces.size() >= maxReports)
                    return report;
            }
        }
    }
    return report;
}

} // namespace vektrano
