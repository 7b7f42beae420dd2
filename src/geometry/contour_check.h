#pragma once

#include "arc.h"
#include "weld.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace vektrano {

// The true extent of a chain, arcs included.
Box ChainBox(const ContourPieces& pieces, const Welding& welding, const WeldedChain& chain);

// The area a closed chain encloses, exact for arcs: positive when it runs
// counter-clockwise. Meaningless for an open chain.
double ChainArea(const ContourPieces& pieces, const Welding& welding, const WeldedChain& chain);

// The chain as points, arcs flattened to within deviation (mm) of the curve;
// the first point and every piece's ends exactly as the chain has them.
void AppendChainOutline(const ContourPieces& pieces, const Welding& welding,
                        const WeldedChain& chain, double deviation, std::vector<Point>& out);

struct ClosedContour
{
    std::size_t chain = 0; // index into Welding::chains
    double area = 0;       // always positive
    Box box;
};

struct ContourSummary
{
    std::vector<ClosedContour> closed; // in chain order
    std::optional<std::size_t> board;  // index into closed: the largest by area
    std::vector<std::size_t> cutOuts;  // indices into closed, inside the board
};

// The closed chains, the board among them, and the contours inside it (a point of
// each tested against the board with arcs flattened to 1 µm, coarser only when
// that would need far more lines than there are pieces). Near linear in the
// number of pieces.
ContourSummary SummariseContours(const ContourPieces& pieces, const Welding& welding);

struct CrossingReport
{
    // Pairs of pieces (indices into ContourPieces::pieces) that cross, touch or
    // overlap, the first few found; each pair once.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> pieces;
    // False when crowded input made the check stop early: then no report means
    // nothing, and the log should say the check was cut short.
    bool complete = true;
};

// Where chains cross or overlap each other or themselves; steps that follow each
// other in a chain may share their joint. Arcs are flattened as above. A grid keeps
// it near linear; a work limit keeps hostile input from making it quadratic.
CrossingReport FindCrossings(const ContourPieces& pieces, const Welding& welding,
                             std::size_t maxReports = 10);

} // namespace vektrano
