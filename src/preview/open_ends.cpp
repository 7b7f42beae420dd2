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

// Coarse cells are this many tolerances wide: the box of one tolerance around
// an end then mostly lies in one of them.
constexpr double kCoarse = 1024;

// How many ends (none, one, or two and more) each coarse cell holds, two bits
// per cell in a table of eight cells per end: small enough to stay in the
// processor's cache. Cells that share a place in it only send their ends on to
// the exact search.
class CellCrowd
{
public:
    explicit CellCrowd(std::size_t ends)
        : bits_(BucketBits(4 * ends))
        , counts_((std::size_t{1} << bits_) / 4 + 1, 0)
    {}

    void Add(std::int64_t cx, std::int64_t cy)
    {
        const std::uint32_t place = BucketOf(cx, cy, bits_);
        std::uint8_t& byte = counts_[place / 4];
        const unsigned shift = 2 * (place % 4);
        if (((byte >> shift) & 3) < 2)
            byte = static_cast<std::uint8_t>(byte + (1u << shift));
    }

    unsigned Count(std::int64_t cx, std::int64_t cy) const
    {
        const std::uint32_t place = BucketOf(cx, cy, bits_);
        return (counts_[place / 4] >> (2 * (place % 4))) & 3;
    }

private:
    unsigned bits_;
    std::vector<std::uint8_t> counts_;
};

void FindOnLayer(const std::vector<Shape>& shapes, std::uint8_t layer, std::vector<OpenEnd>& out,
                 std::size_t& found)
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

    // Most ends of a real script are alone in a coarse cell, or share it with
    // an end at exactly their place: a count per coarse cell settles the
    // lonely ones with one or two looks.
    const double coarse = kCoarse * tolerance;
    CellCrowd crowd(count);
    for (std::size_t end = 0; end < count; ++end)
        crowd.Add(CellOf(at(end).x, coarse), CellOf(at(end).y, coarse));
    // 1 for an end with company near enough to search among; the others are open.
    std::vector<std::uint8_t> state(count, 0);
    std::size_t searched = 0;
    for (std::size_t end = 0; end < count; ++end) {
        const Point p = at(end);
        unsigned near = 0;
        for (std::int64_t cx = CellOf(p.x - tolerance, coarse);
             cx <= CellOf(p.x + tolerance, coarse); ++cx)
            for (std::int64_t cy = CellOf(p.y - tolerance, coarse);
                 cy <= CellOf(p.y + tolerance, coarse); ++cy)
                near += crowd.Count(cx, cy);
        if (near > 1) {
            state[end] = 1;
            ++searched;
        }
    }

    // Fine cells one tolerance wide: two ends in one lie within it of each
    // other, and every end within it of a point lies in the 3 x 3 cells around
    // the point's. Each end alone in its cell looks at eight others, and each
    // cell is looked at by at most eight such ends, so this stays linear.
    const double cell = tolerance;
    const unsigned fineBits = BucketBits(searched);
    const auto fineBucket = [&](std::int64_t cx, std::int64_t cy) {
        return BucketOf(cx, cy, fineBits);
    };
    std::vector<std::uint32_t> first((std::size_t{1} << fineBits) + 1, 0);
    for (std::size_t end = 0; end < count; ++end)
        if (state[end] == 1)
            ++first[fineBucket(CellOf(at(end).x, cell), CellOf(at(end).y, cell)) + 1];
    for (std::size_t b = 1; b < first.size(); ++b)
        first[b] += first[b - 1];
    std::vector<Point> points(searched);
    std::vector<std::uint32_t> ids(searched);
    {
        std::vector<std::uint32_t> next(first.begin(), first.end() - 1);
        for (std::size_t end = 0; end < count; ++end)
            if (state[end] == 1) {
                const Point p = at(end);
                const std::uint32_t slot = next[fineBucket(CellOf(p.x, cell), CellOf(p.y, cell))]++;
                points[slot] = p;
                ids[slot] = static_cast<std::uint32_t>(end);
            }
    }
    const auto meetsAnother = [&](std::size_t end) {
        const Point p = at(end);
        const std::int64_t cx = CellOf(p.x, cell);
        const std::int64_t cy = CellOf(p.y, cell);
        // The end's own cell first: any other end in it is near enough.
        for (int ring = 0; ring <= 1; ++ring)
            for (std::int64_t dx = -ring; dx <= ring; ++dx)
                for (std::int64_t dy = -ring; dy <= ring; ++dy) {
                    if (ring == 1 && dx == 0 && dy == 0)
                        continue;
                    const std::uint32_t b = fineBucket(cx + dx, cy + dy);
                    for (std::uint32_t k = first[b]; k < first[b + 1]; ++k)
                        if (ids[k] != end && std::fabs(points[k].x - p.x) <= tolerance &&
                            std::fabs(points[k].y - p.y) <= tolerance)
                            return true;
                }
        return false;
    };
    for (std::size_t end = 0; end < count; ++end)
        if (state[end] == 0 || !meetsAnother(end)) {
            if (out.size() < kMaxOpenEndsListed)
                out.push_back({at(end), layer});
            ++found;
        }
}

} // namespace

std::size_t FindOpenEnds(const std::vector<Shape>& shapes, std::vector<OpenEnd>& ends)
{
    std::size_t found = 0;
    for (const std::uint8_t layer : kContourLayers)
        FindOnLayer(shapes, layer, ends, found);
    return found;
}

} // namespace vektrano
