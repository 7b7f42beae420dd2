#include "contour_check.h"
#include "contour_flatten.h"
#include "spatial_hash.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace vektrano {

namespace {

struct Line
{
    Point a;
    Point b;
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

// Two lines that follow each other share their joint; they overlap only when
// the second turns straight back along the first.
bool FoldsBack(const Line& s, const Line& t)
{
    const Point u = s.b - s.a;
    const Point v = t.b - t.a;
    return Dot(u, v) < 0 &&
           std::fabs(Cross(u, v)) <= 1e-12 * std::hypot(u.x, u.y) * std::hypot(v.x, v.y);
}

// A chain draws its lines end to start with the same numbers, so a line that
// starts exactly where another ends is taken for its follower, wherever it is.
bool Crosses(const Line& s, const Line& t)
{
    if (s.b == t.a)
        return FoldsBack(s, t);
    if (t.b == s.a)
        return FoldsBack(t, s);
    return Meet(s, t);
}

// The pieces' lines as their chains draw them, made on demand: each piece in
// its chain's direction between the welded points, arcs flattened. Nothing of
// the flattening is held, so a layer of many arcs costs no more than its pieces.
class ChainLines
{
public:
    ChainLines(const ContourPieces& pieces, const Welding& welding, double deviation)
        : pieces_(pieces)
        , welding_(welding)
        , deviation_(deviation)
        , start_(pieces.pieces.size())
        , reversed_(pieces.pieces.size())
    {
        for (const WeldedChain& chain : welding.chains) {
            const auto links = welding.Links(chain);
            for (std::size_t k = 0; k < links.size(); ++k) {
                start_[links[k].piece] = static_cast<std::uint32_t>(chain.firstPoint + k);
                reversed_[links[k].piece] = links[k].reversed;
            }
        }
    }

    std::uint32_t Count(std::uint32_t piece) const
    {
        const double sweep = pieces_.pieces[piece].sweep;
        if (sweep == 0)
            return static_cast<std::uint32_t>(pieces_.Inner(piece).size() + 1);
        const Point from = welding_.points[start_[piece]];
        const Point to = welding_.points[start_[piece] + 1];
        return static_cast<std::uint32_t>(ArcLines(
            ArcThrough(from, to, reversed_[piece] ? -sweep : sweep).radius, sweep, deviation_));
    }

    // Appends lines first to first + count - 1 of the piece, leaving out those
    // of no length or with ends not finite (they cannot cross measurably).
    void Append(std::uint32_t piece, std::uint32_t first, std::uint32_t count,
                std::vector<Line>& out) const
    {
        const Point from = welding_.points[start_[piece]];
        const Point to = welding_.points[start_[piece] + 1];
        const bool reversed = reversed_[piece];
        const double stored = pieces_.pieces[piece].sweep;
        const auto add = [&](Point a, Point b) {
            const bool finite = std::isfinite(a.x) && std::isfinite(a.y) && std::isfinite(b.x) &&
                                std::isfinite(b.y);
            if (finite && !(a == b))
                out.push_back({a, b, piece});
        };
        if (stored == 0) {
            const auto inner = pieces_.Inner(piece);
            const std::size_t m = inner.size();
            const auto at = [&](std::size_t k) {
                return k == 0 ? from : k == m + 1 ? to : inner[reversed ? m - k : k - 1];
            };
            for (std::uint32_t k = first; k < first + count; ++k)
                add(at(k), at(k + 1));
            return;
        }
        const double sweep = reversed ? -stored : stored;
        const CircleShape circle = ArcThrough(from, to, sweep);
        const std::size_t lines = ArcLines(circle.radius, sweep, deviation_);
        const double start = std::atan2(from.y - circle.centre.y, from.x - circle.centre.x);
        // The same arithmetic as FlattenChain, so the points are the same numbers.
        const auto at = [&](std::size_t k) {
            if (k == 0)
                return from;
            if (k == lines)
                return to;
            const double angle =
                start + sweep * kRadians * static_cast<double>(k) / static_cast<double>(lines);
            return circle.centre + circle.radius * Point{std::cos(angle), std::sin(angle)};
        };
        for (std::uint32_t k = first; k < first + count; ++k)
            add(at(k), at(k + 1));
    }

private:
    const ContourPieces& pieces_;
    const Welding& welding_;
    double deviation_;
    std::vector<std::uint32_t> start_; // into Welding::points, in the chain's direction
    std::vector<bool> reversed_;
};

// Up to so many lines of one piece share one entry in the grid: a long
// polyline or a finely flattened arc is tested in parts, not as a whole.
constexpr std::uint32_t kSpanLines = 16;

// A run of lines of one piece with their extent in float, rounded outwards:
// the grid is the largest thing of the check, so its entries stay small.
struct Span
{
    float lowX = 1;
    float lowY = 1;
    float highX = 0;
    float highY = 0;
    std::uint32_t piece = 0;
    std::uint32_t first = 0; // its first line within the piece

    bool Empty() const { return !(lowX <= highX); }
    bool Overlaps(const Span& other) const
    {
        return lowX <= other.highX && other.lowX <= highX && lowY <= other.highY &&
               other.lowY <= highY;
    }
    bool Overlaps(const Line& line) const
    {
        return std::min(line.a.x, line.b.x) <= highX && lowX <= std::max(line.a.x, line.b.x) &&
               std::min(line.a.y, line.b.y) <= highY && lowY <= std::max(line.a.y, line.b.y);
    }
};

float Below(double value)
{
    if (!(value > -FLT_MAX))
        return -INFINITY;
    const float f = value < FLT_MAX ? static_cast<float>(value) : FLT_MAX;
    return f > value ? std::nextafter(f, -INFINITY) : f;
}

float Above(double value)
{
    if (!(value < FLT_MAX))
        return INFINITY;
    const float f = value > -FLT_MAX ? static_cast<float>(value) : -FLT_MAX;
    return f < value ? std::nextafter(f, INFINITY) : f;
}

Span SpanOf(std::uint32_t piece, std::uint32_t first, const std::vector<Line>& lines)
{
    Span span;
    span.piece = piece;
    span.first = first;
    if (lines.empty())
        return span;
    double lowX = INFINITY, lowY = INFINITY, highX = -INFINITY, highY = -INFINITY;
    for (const Line& line : lines) {
        lowX = std::min({lowX, line.a.x, line.b.x});
        lowY = std::min({lowY, line.a.y, line.b.y});
        highX = std::max({highX, line.a.x, line.b.x});
        highY = std::max({highY, line.a.y, line.b.y});
    }
    span.lowX = Below(lowX);
    span.lowY = Below(lowY);
    span.highX = Above(highX);
    span.highY = Above(highY);
    return span;
}

} // namespace

CrossingReport FindCrossings(const ContourPieces& pieces, const Welding& welding,
                             std::size_t maxReports)
{
    CrossingReport report;
    // Two lines per piece on average, arcs of a small layer still finely: the
    // lines are made again where tested, so this sets the time, not the memory.
    const double deviation =
        CheckDeviation(pieces, 2, static_cast<double>(pieces.inner.size()) + 65536);
    const ChainLines chainLines(pieces, welding, deviation);

    std::size_t spanCount = 0;
    for (std::uint32_t piece = 0; piece < pieces.pieces.size(); ++piece)
        spanCount += (chainLines.Count(piece) + kSpanLines - 1) / kSpanLines;
    std::vector<Span> spans;
    spans.reserve(spanCount);
    std::vector<Line> lines;
    double lineCount = 0;
    for (std::uint32_t piece = 0; piece < pieces.pieces.size(); ++piece) {
        const std::uint32_t count = chainLines.Count(piece);
        lineCount += count;
        for (std::uint32_t first = 0; first < count; first += kSpanLines) {
            lines.clear();
            chainLines.Append(piece, first, std::min(kSpanLines, count - first), lines);
            if (!lines.empty())
                spans.push_back(SpanOf(piece, first, lines));
        }
    }
    if (spans.empty())
        return report;

    const auto note = [&](const Line& s, const Line& t) {
        const std::pair<std::uint32_t, std::uint32_t> pair = std::minmax(s.piece, t.piece);
        if (std::find(report.pieces.begin(), report.pieces.end(), pair) == report.pieces.end())
            report.pieces.push_back(pair);
        return report.pieces.size() >= maxReports;
    };
    double budget = 32 * lineCount + 100000;
    const auto spend = [&](double work) {
        budget -= work;
        if (budget < 0)
            report.complete = false;
        return budget < 0;
    };

    // A piece's own lines against each other, where they lie in one span.
    for (const Span& span : spans) {
        lines.clear();
        const std::uint32_t count = chainLines.Count(span.piece);
        if (count < 2)
            continue;
        chainLines.Append(span.piece, span.first, std::min(kSpanLines, count - span.first), lines);
        if (spend(static_cast<double>(lines.size() * lines.size()) / 2))
            return report;
        for (std::size_t i = 0; i < lines.size(); ++i)
            for (std::size_t j = i + 1; j < lines.size(); ++j)
                if (Crosses(lines[i], lines[j]) && note(lines[i], lines[j]))
                    return report;
    }

    Box all;
    double size = 0;
    for (const Span& span : spans) {
        all.Add({span.lowX, span.lowY});
        all.Add({span.highX, span.highY});
        size += (static_cast<double>(span.highX) - span.lowX + span.highY - span.lowY) / 2;
    }
    const double count = static_cast<double>(spans.size());
    double cell = std::max(size / count,
                           std::sqrt((all.max.x - all.min.x) * (all.max.y - all.min.y) / count));
    if (!(cell > 0) || !std::isfinite(cell))
        cell = 1;
    const auto cellsOf = [&](const Span& span) {
        const double w =
            static_cast<double>(CellOf(span.highX, cell) - CellOf(span.lowX, cell)) + 1;
        const double h =
            static_cast<double>(CellOf(span.highY, cell) - CellOf(span.lowY, cell)) + 1;
        return w * h;
    };
    // Long spans over small cells would fill the grid: coarser cells then, in
    // big leaps once doubling has not helped (hostile coordinates).
    double entries = 0;
    for (int widen = 0;; ++widen, cell *= widen < 64 ? 2 : 1e16) {
        entries = 0;
        for (const Span& span : spans)
            entries += cellsOf(span);
        if (entries <= 8 * count + 1024)
            break;
    }
    if (entries >= UINT32_MAX) {
        report.complete = false;
        return report;
    }
    // A quarter as many buckets as entries: a shared bucket costs a few more
    // span pairs, each turned away by its box, while the bucket index is one of
    // the largest things here.
    const unsigned bits = BucketBits(static_cast<std::uint64_t>(entries) / 8);
    const std::size_t buckets = std::size_t{1} << bits;
    std::vector<std::uint32_t> starts(buckets + 1, 0);
    std::vector<std::uint32_t> members(static_cast<std::size_t>(entries));
    // Counted, then filled from each bucket's end down to its start.
    for (int pass = 0; pass < 2; ++pass) {
        for (std::uint32_t i = 0; i < spans.size(); ++i) {
            const Span& span = spans[i];
            for (std::int64_t x = CellOf(span.lowX, cell); x <= CellOf(span.highX, cell); ++x) {
                for (std::int64_t y = CellOf(span.lowY, cell); y <= CellOf(span.highY, cell); ++y) {
                    const std::uint32_t bucket = BucketOf(x, y, bits);
                    if (pass == 0)
                        ++starts[bucket];
                    else
                        members[--starts[bucket]] = i;
                }
            }
        }
        if (pass == 0)
            for (std::size_t b = 0; b < buckets; ++b)
                starts[b + 1] += starts[b];
    }

    std::vector<std::uint32_t> offsets;
    for (std::uint32_t b = 0; b + 1 < starts.size(); ++b) {
        const std::uint32_t begin = starts[b];
        const std::uint32_t end = starts[b + 1];
        if (end - begin < 2)
            continue;
        lines.clear();
        offsets.clear();
        for (std::uint32_t i = begin; i < end; ++i) {
            const Span& span = spans[members[i]];
            offsets.push_back(static_cast<std::uint32_t>(lines.size()));
            const std::uint32_t pieceLines = chainLines.Count(span.piece);
            chainLines.Append(span.piece, span.first, std::min(kSpanLines, pieceLines - span.first),
                              lines);
        }
        offsets.push_back(static_cast<std::uint32_t>(lines.size()));
        for (std::uint32_t i = begin; i < end; ++i) {
            for (std::uint32_t j = i + 1; j < end; ++j) {
                if (spend(1))
                    return report;
                const Span& s = spans[members[i]];
                const Span& t = spans[members[j]];
                if (members[i] == members[j] || !s.Overlaps(t))
                    continue;
                // A pair that shares several cells is tested in the one holding
                // the lower left corner of their overlap.
                const std::int64_t cx = CellOf(std::max(s.lowX, t.lowX), cell);
                const std::int64_t cy = CellOf(std::max(s.lowY, t.lowY), cell);
                if (BucketOf(cx, cy, bits) != b)
                    continue;
                for (std::uint32_t k = offsets[i - begin]; k < offsets[i - begin + 1]; ++k) {
                    if (!t.Overlaps(lines[k]))
                        continue;
                    for (std::uint32_t l = offsets[j - begin]; l < offsets[j - begin + 1]; ++l) {
                        if (spend(1))
                            return report;
                        if (Crosses(lines[k], lines[l]) && note(lines[k], lines[l]))
                            return report;
                    }
                }
            }
        }
    }
    return report;
}

} // namespace vektrano
