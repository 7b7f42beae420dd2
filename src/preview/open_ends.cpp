#include "open_ends.h"

#include "geometry/spatial_hash.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace vektrano {

namespace {

bool IsContourPiece(const Shape& shape)
{
    return shape.kind == ShapeKind::Wire || shape.kind == ShapeKind::Arc ||
           shape.kind == ShapeKind::RadiusArc;
}

void FindOnLayer(const std::vector<Shape>& shapes, std::uint8_t layer, std::vector<OpenEnd>& out)
{
    // End 2k is the start of pieces[k], end 2k + 1 its end.
    std::vector<std::uint32_t> pieces;
    double largest = 1;
    for (std::size_t i = 0; i < shapes.size(); ++i) {
        const Shape& shape = shapes[i];
        if (shape.layer != layer || !IsContourPiece(shape))
            continue;
        pieces.push_back(static_cast<std::uint32_t>(i));
        for (const Point p : {shape.start, shape.end})
            largest = std::max({largest, std::fabs(p.x), std::fabs(p.y)});
    }
    if (pieces.empty())
        return;
    const std::size_t count = 2 * pieces.size();
    const auto at = [&](std::size_t end) {
        const Shape& shape = shapes[pieces[end / 2]];
        return end % 2 == 0 ? shape.start : shape.end;
    };
    const double tolerance = 1e-9 * largest;
    // Two ends in one cell lie within the tolerance of each other, and every end
    // within it of a point lies in the 5 x 5 cells around the point's.
    const double cell = tolerance / 2;
    const unsigned bits = BucketBits(count);
    const auto bucketOf = [&](std::int64_t cx, std::int64_t cy) { return BucketOf(cx, cy, bits); };
    std::vector<std::uint32_t> first((std::size_t{1} << bits) + 1, 0);
    for (std::size_t end = 0; end < count; ++end)
        ++first[bucketOf(CellOf(at(end).x, cell), CellOf(at(end).y, cell)) + 1];
    for (std::size_t b = 1; b < first.size(); ++b)
        first[b] += first[b - 1];
    std::vector<std::uint32_t> order(count);
    {
        std::vector<std::uint32_t> next(first.begin(), first.end() - 1);
        for (std::size_t end = 0; end < count; ++end)
            order[next[bucketOf(CellOf(at(end).x, cell), CellOf(at(end).y, cell))]++] =
                static_cast<std::uint32_t>(end);
    }
    const auto meetsAnother = [&](std::size_t end) {
        const Point p = at(end);
        const std::int64_t cx = CellOf(p.x, cell);
        const std::int64_t cy = CellOf(p.y, cell);
        // The end's own cell first: an end that shares it stops the search at once.
        for (int ring = 0; ring <= 2; ++ring)
            for (std::int64_t dx = -ring; dx <= ring; ++dx)
                for (std::int64_t dy = -ring; dy <= ring; ++dy) {
                    if (std::max(std::abs(dx), std::abs(dy)) != ring)
                        continue;
                    const std::uint32_t b = bucketOf(cx + dx, cy + dy);
                    for (std::uint32_t k = first[b]; k < first[b + 1]; ++k) {
                        const Point q = at(order[k]);
                        if (order[k] != end && std::fabs(q.x - p.x) <= tolerance &&
                            std::fabs(q.y - p.y) <= tolerance)
                            return true;
                    }
                }
        return false;
    };
    for (std::size_t end = 0; end < count; ++end)
        if (!meetsAnother(end))
            out.push_back({at(end), layer});
}

} // namespace

std::vector<OpenEnd> FindOpenEnds(const std::vector<Shape>& shapes)
{
    std::vector<OpenEnd> ends;
    for (const std::uint8_t layer : kContourLayers)
        FindOnLayer(shapes, layer, ends);
    return ends;
}

} // namespace vektrano
