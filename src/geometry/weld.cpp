#include "weld.h"

#include "spatial_hash.h"

#include <algorithm>
#include <cmath>

namespace vektrano {

namespace {

constexpr std::uint32_t kNone = UINT32_MAX;

// Where three or more ends crowd one spot, an end looks at this many free
// candidates and takes the nearest of them: hostile input where a million ends
// meet stays linear, and a real drawing never has that many ends in one place.
constexpr int kCandidates = 64;

// End 2i is piece i's `from`, end 2i + 1 its `to`.
Point EndPoint(const ContourPiece& piece, std::uint32_t end)
{
    return end % 2 == 0 ? piece.from : piece.to;
}

double Distance(Point a, Point b) { return std::hypot(a.x - b.x, a.y - b.y); }

// A piece may close on itself only when it can enclose something: a straight
// segment shorter than the tolerance would otherwise become a closed contour.
bool MayCloseAlone(const ContourPieces& pieces, std::uint32_t piece)
{
    return pieces.Inner(piece).size() >= 2 || std::fabs(pieces.pieces[piece].sweep) >= 180;
}

class EndGrid
{
public:
    EndGrid(const ContourPieces& input, double tolerance)
        : input_(input)
        , pieces_(input.pieces)
        , reach_(tolerance * tolerance)
        , cell_(tolerance > 0 ? tolerance * (1 + 1e-9) : 1e-6)
        // About one bucket per end: a few more ends per list cost little next
        // to the heads, the largest thing here.
        , bits_(BucketBits(pieces_.size()))
        , heads_(std::size_t{1} << bits_, kNone)
        , next_(2 * pieces_.size(), kNone)
        , partner_(2 * pieces_.size(), kNone)
    {
        // In descending order, so each bucket lists its ends ascending.
        for (std::uint32_t end = static_cast<std::uint32_t>(next_.size()); end-- > 0;) {
            if (Skipped(end / 2))
                continue;
            const Point p = Position(end);
            std::uint32_t& head = heads_[BucketOf(CellOf(p.x, cell_), CellOf(p.y, cell_), bits_)];
            next_[end] = head;
            head = end;
        }
    }

    void PairAll()
    {
        for (std::uint32_t end = 0; end < partner_.size(); ++end)
            if (partner_[end] == kNone && !Skipped(end / 2))
                PairOne(end);
    }

    const std::vector<std::uint32_t>& Partners() const { return partner_; }
    Point Position(std::uint32_t end) const { return EndPoint(pieces_[end / 2], end); }

    // A circle's halves are closed already and take no part in welding.
    bool Skipped(std::size_t piece) const
    {
        return pieces_[piece].circle || (piece > 0 && pieces_[piece - 1].circle);
    }

private:
    void PairOne(std::uint32_t end)
    {
        const Point p = Position(end);
        const std::int64_t cx = CellOf(p.x, cell_);
        const std::int64_t cy = CellOf(p.y, cell_);
        const bool selfAllowed = MayCloseAlone(input_, end / 2);
        std::uint32_t best = kNone;
        double bestDistance = 0;
        int seen = 0;
        for (std::int64_t dx = -1; dx <= 1 && seen < kCandidates; ++dx) {
            for (std::int64_t dy = -1; dy <= 1 && seen < kCandidates; ++dy) {
                // Paired ends leave the lists as they are met, so each is walked
                // past at most once more.
                std::uint32_t* link = &heads_[BucketOf(cx + dx, cy + dy, bits_)];
                while (*link != kNone && seen < kCandidates) {
                    const std::uint32_t other = *link;
                    if (partner_[other] != kNone) {
                        *link = next_[other];
                        continue;
                    }
                    link = &next_[other];
                    if (other == end || (other == (end ^ 1u) && !selfAllowed))
                        continue;
                    const Point q = Position(other);
                    const Point off = q - p;
                    const double distance = Dot(off, off);
                    if (distance > reach_)
                        continue;
                    ++seen;
                    // Nearest first; on a tie the piece's own other end (a closed
                    // polyline touching a neighbour at its start), then the lower end.
                    const bool better = best == kNone || distance < bestDistance ||
                                        (distance == bestDistance && best != (end ^ 1u) &&
                                         (other == (end ^ 1u) || other < best));
                    if (better) {
                        best = other;
                        bestDistance = distance;
                    }
                }
            }
        }
        if (best != kNone) {
            partner_[end] = best;
            partner_[best] = end;
        }
    }

    const ContourPieces& input_;
    const ChunkedStore<ContourPiece>& pieces_;
    double reach_;
    double cell_;
    unsigned bits_;
    std::vector<std::uint32_t> heads_;
    std::vector<std::uint32_t> next_;
    std::vector<std::uint32_t> partner_;
};

} // namespace

void ContourPieces::AddSegment(Point from, Point to, std::uint32_t id)
{
    const auto end = static_cast<std::uint32_t>(inner.size());
    pieces.push_back({from, to, 0, end, id, 0});
}

void ContourPieces::AddArc(Point from, Point to, double sweepDegrees, std::uint32_t id)
{
    const auto end = static_cast<std::uint32_t>(inner.size());
    pieces.push_back({from, to, sweepDegrees, end, id, 0});
}

void ContourPieces::AddPolyline(std::span<const Point> points, std::uint32_t id)
{
    inner.insert(inner.end(), points.begin() + 1, points.end() - 1);
    pieces.push_back(
        {points.front(), points.back(), 0, static_cast<std::uint32_t>(inner.size()), id, 0});
}

void ContourPieces::AddCircle(Point centre, double radius, std::uint32_t id)
{
    const Point right{centre.x + radius, centre.y};
    const Point left{centre.x - radius, centre.y};
    const auto end = static_cast<std::uint32_t>(inner.size());
    pieces.push_back({right, left, 180, end, id, 1});
    pieces.push_back({left, right, 180, end, id, 0});
}

Welding Weld(const ContourPieces& input, double tolerance)
{
    const ChunkedStore<ContourPiece>& pieces = input.pieces;
    EndGrid grid(input, tolerance > 0 ? tolerance : 0);
    grid.PairAll();
    const std::vector<std::uint32_t>& partner = grid.Partners();

    Welding welding;
    welding.links.reserve(pieces.size());
    welding.points.reserve(pieces.size() + pieces.size() / 2);
    std::vector<bool> used(pieces.size());
    for (std::uint32_t first = 0; first < pieces.size(); ++first) {
        if (used[first])
            continue;
        WeldedChain chain{static_cast<std::uint32_t>(welding.links.size()),
                          static_cast<std::uint32_t>(welding.points.size()), 0, false};
        if (grid.Skipped(first)) {
            // A circle: its two halves as they were added.
            for (std::uint32_t half = first; half < first + 2 && half < pieces.size(); ++half) {
                used[half] = true;
                welding.links.push_back({half, false});
                welding.points.push_back(pieces[half].from);
            }
            welding.points.push_back(pieces[first].from);
            chain.count = static_cast<std::uint32_t>(welding.links.size() - chain.firstLink);
            chain.closed = chain.count == 2;
            welding.chains.push_back(chain);
            continue;
        }
        // Walk back from the first piece's `from` to an end without a partner, or
        // round to the first piece again: then the chain is closed.
        std::uint32_t start = 2 * first;
        while (partner[start] != kNone) {
            const std::uint32_t before = partner[start];
            if (before / 2 == first) {
                chain.closed = true;
                start = 2 * first;
                break;
            }
            start = before ^ 1u;
        }
        welding.points.push_back(grid.Position(start));
        for (std::uint32_t entry = start;;) {
            used[entry / 2] = true;
            welding.links.push_back({entry / 2, entry % 2 == 1});
            const std::uint32_t exit = entry ^ 1u;
            const std::uint32_t following = partner[exit];
            if (following == kNone) {
                welding.points.push_back(grid.Position(exit));
                break;
            }
            welding.largestGap = std::max(welding.largestGap,
                                          Distance(grid.Position(exit), grid.Position(following)));
            if (following == start) {
                welding.points.push_back(welding.points[chain.firstPoint]);
                break;
            }
            welding.points.push_back(grid.Position(exit));
            entry = following;
        }
        chain.count = static_cast<std::uint32_t>(welding.links.size() - chain.firstLink);
        welding.chains.push_back(chain);
    }
    return welding;
}

} // namespace vektrano
