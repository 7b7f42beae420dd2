#include "contour_check.h"

#include "contour_flatten.h"

#include <algorithm>
#include <cmath>

namespace vektrano {

namespace {

constexpr double kFineDeviation = 1e-3; // mm

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

} // namespace

// 1 µm, unless the arcs would then need many more lines than the pieces
// number: a layer of a million wide arcs must not become a billion lines.
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

} // namespace vektrano
