#pragma once

#include "chunked_store.h"
#include "point.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace vektrano {

// One piece of a contour as drawn: a straight segment, an arc with its signed
// sweep, or a chain of points (a flattened curve or a polyline) whose points
// between its ends lie in ContourPieces::inner. A layer may hold millions of
// them, so the piece is kept to 48 bytes: its inner points start where the
// piece before it ended them.
struct ContourPiece
{
    Point from;
    Point to;
    double sweep = 0; // degrees, counter-clockwise positive; 0 for straight pieces
    std::uint32_t innerEnd = 0;
    std::uint32_t id : 31 = 0; // the caller's, e.g. a width index
    // The first of the two half circles of ContourPieces::AddCircle: a closed
    // contour of its own, never welded to anything.
    std::uint32_t circle : 1 = 0;

    bool Straight() const { return sweep == 0; }
};

static_assert(sizeof(ContourPiece) <= 48);

struct ContourPieces
{
    ChunkedStore<ContourPiece> pieces;
    std::vector<Point> inner;

    void AddSegment(Point from, Point to, std::uint32_t id);
    void AddArc(Point from, Point to, double sweepDegrees, std::uint32_t id);
    // points.size() >= 2.
    void AddPolyline(std::span<const Point> points, std::uint32_t id);
    // Two 180° arcs from the rightmost point round to it again, counter-clockwise,
    // whose ends are the same numbers: Eagle fills a Circle of width 0.
    void AddCircle(Point centre, double radius, std::uint32_t id);

    // The points between the ends of piece `index`.
    std::span<const Point> Inner(std::size_t index) const
    {
        const std::uint32_t begin = index == 0 ? 0 : pieces[index - 1].innerEnd;
        return std::span<const Point>(inner).subspan(begin, pieces[index].innerEnd - begin);
    }
};

struct ChainLink
{
    std::uint32_t piece = 0; // index into ContourPieces::pieces
    bool reversed = false;   // walked from its `to` to its `from`: an arc's sweep negated
};

struct WeldedChain
{
    std::uint32_t firstLink = 0;  // into Welding::links
    std::uint32_t firstPoint = 0; // into Welding::points
    std::uint32_t count = 0;      // links; the chain has count + 1 points
    bool closed = false;
};

// Pieces joined into chains. Link k of a chain runs from its point k to point
// k + 1; where two pieces meet, both use the same point: the first piece's own
// end. A closed chain's last point is its first, the same numbers.
struct Welding
{
    std::vector<ChainLink> links;
    std::vector<Point> points;
    std::vector<WeldedChain> chains;
    double largestGap = 0; // the widest gap between two ends that were joined

    std::span<const ChainLink> Links(const WeldedChain& chain) const
    {
        return std::span<const ChainLink>(links).subspan(chain.firstLink, chain.count);
    }
    std::span<const Point> Points(const WeldedChain& chain) const
    {
        return std::span<const Point>(points).subspan(chain.firstPoint, chain.count + 1);
    }
};

// Joins pieces whose ends lie within tolerance of each other (0 joins only equal
// ends), each end to the nearest free end near it. Where three or more ends
// meet, the ends are taken in the order of the pieces, so the same input always
// gives the same chains. Chains come in the order of their first piece, which
// keeps its own direction. Linear in the number of pieces.
Welding Weld(const ContourPieces& pieces, double tolerance);

// One drawn step of a chain: a straight line or an arc, in the chain's direction.
struct ChainStep
{
    Point from;
    Point to;
    double sweep = 0; // degrees, signed in the chain's direction
    std::uint32_t piece = 0;
};

// Calls step(ChainStep) for each line and arc of the chain in order, a chain of
// points one line per pair. Each step starts exactly where the one before ended.
template <typename Step>
void ForEachStep(const ContourPieces& pieces, const Welding& welding, const WeldedChain& chain,
                 Step&& step)
{
    const auto links = welding.Links(chain);
    const auto points = welding.Points(chain);
    for (std::size_t k = 0; k < links.size(); ++k) {
        const ContourPiece& piece = pieces.pieces[links[k].piece];
        const auto inner = pieces.Inner(links[k].piece);
        if (inner.empty()) {
            step(ChainStep{points[k], points[k + 1], links[k].reversed ? -piece.sweep : piece.sweep,
                           links[k].piece});
            continue;
        }
        Point at = points[k];
        for (std::size_t i = 0; i < inner.size(); ++i) {
            const Point next = inner[links[k].reversed ? inner.size() - 1 - i : i];
            step(ChainStep{at, next, 0, links[k].piece});
            at = next;
        }
        step(ChainStep{at, points[k + 1], 0, links[k].piece});
    }
}

} // namespace vektrano
