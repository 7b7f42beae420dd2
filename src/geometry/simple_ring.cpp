#include "simple_ring.h"

#include "outline_cleanup.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace vektrano {

namespace {

// Whether p is at least clearance (given squared) from segment ab, without a
// division: across the segment's middle the squared distance is cross^2 / length^2.
bool PointClear(Point p, Point a, Point b, double squared)
{
    const Point ab = b - a;
    const Point ap = p - a;
    const double along = Dot(ap, ab);
    if (along <= 0)
        return Dot(ap, ap) >= squared;
    const double length = Dot(ab, ab);
    if (along >= length)
        return Dot(p - b, p - b) >= squared;
    const double across = Cross(ab, ap);
    return across * across >= squared * length;
}

int Side(Point a, Point b, Point p)
{
    const double s = Cross(b - a, p - a);
    return (s > 0) - (s < 0);
}

// Segments that cross at a point inside both. When a corner lies on the other
// segment's line the signs may come out either way, but then that corner is
// nearer than any clearance to the other segment, which the distances below see.
bool CrossInside(Point a, Point b, Point c, Point d)
{
    return Side(a, b, c) * Side(a, b, d) < 0 && Side(c, d, a) * Side(c, d, b) < 0;
}

// The cells of the grid one edge's box, widened by the clearance, covers.
struct CellSpan
{
    std::uint32_t column0, column1, row0, row1;
};

class ClearanceGrid
{
public:
    ClearanceGrid(std::span<const Point> ring, double clearance)
        : clearance_(clearance)
    {
        double x0 = ring[0].x, y0 = ring[0].y, x1 = x0, y1 = y0;
        for (const Point p : ring) {
            x0 = std::min(x0, p.x), y0 = std::min(y0, p.y);
            x1 = std::max(x1, p.x), y1 = std::max(y1, p.y);
        }
        originX_ = x0 - clearance;
        originY_ = y0 - clearance;
        const double width = x1 - x0 + 2 * clearance;
        const double height = y1 - y0 + 2 * clearance;
        valid_ = std::isfinite(width) && std::isfinite(height) && width > 0 && height > 0;
        if (!valid_)
            return;
        // About one cell per edge, square as far as the box allows; a thin box
        // becomes one row or one column.
        const double n = static_cast<double>(ring.size());
        const double side = std::sqrt(width * height / n);
        columns_ = static_cast<std::uint32_t>(std::clamp(width / side, 1.0, n));
        rows_ = static_cast<std::uint32_t>(std::clamp(height / side, 1.0, n));
        cellWidth_ = width / columns_;
        cellHeight_ = height / rows_;
    }

    bool Valid() const { return valid_; }

    CellSpan SpanOf(Point a, Point b) const
    {
        return {Index(std::min(a.x, b.x) - clearance_, originX_, cellWidth_, columns_),
                Index(std::max(a.x, b.x) + clearance_, originX_, cellWidth_, columns_),
                Index(std::min(a.y, b.y) - clearance_, originY_, cellHeight_, rows_),
                Index(std::max(a.y, b.y) + clearance_, originY_, cellHeight_, rows_)};
    }

    std::uint32_t Columns() const { return columns_; }
    std::uint32_t Rows() const { return rows_; }

private:
    static std::uint32_t Index(double value, double origin, double cell, std::uint32_t count)
    {
        const double index = std::floor((value - origin) / cell);
        return static_cast<std::uint32_t>(std::clamp(index, 0.0, count - 1.0));
    }

    double clearance_;
    double originX_ = 0, originY_ = 0;
    double cellWidth_ = 1, cellHeight_ = 1;
    std::uint32_t columns_ = 1, rows_ = 1;
    bool valid_ = false;
};

// Edges i < j of the ring, clear of each other as RingKeepsClear demands.
bool EdgesClear(std::span<const Point> ring, std::size_t i, std::size_t j, double clearance)
{
    const std::size_t n = ring.size();
    const Point a = ring[i], b = ring[i + 1], c = ring[j], d = ring[(j + 1) % n];
    const double squared = clearance * clearance;
    // Most pairs sharing a cell are far apart; their boxes tell without a division.
    if (std::max(a.x, b.x) + clearance < std::min(c.x, d.x) ||
        std::max(c.x, d.x) + clearance < std::min(a.x, b.x) ||
        std::max(a.y, b.y) + clearance < std::min(c.y, d.y) ||
        std::max(c.y, d.y) + clearance < std::min(a.y, b.y))
        return true;
    // Neighbours share a corner; they meet elsewhere only where one folds back
    // along the other, and come closest there at the far corners.
    if (j == i + 1)
        return PointClear(a, c, d, squared) && PointClear(d, a, b, squared);
    if (i == 0 && j == n - 1)
        return PointClear(b, c, d, squared) && PointClear(c, a, b, squared);
    return !CrossInside(a, b, c, d) && PointClear(a, c, d, squared) &&
           PointClear(b, c, d, squared) && PointClear(c, a, b, squared) &&
           PointClear(d, a, b, squared);
}

} // namespace

bool RingKeepsClear(std::span<const Point> ring, double clearance, std::uint64_t workLimit)
{
    const std::size_t n = ring.size();
    if (n < 3 || n > (std::size_t{1} << 30) || !(clearance > 0))
        return false;
    const ClearanceGrid grid(ring, clearance);
    if (!grid.Valid())
        return false;
    const std::uint32_t columns = grid.Columns();
    const std::size_t cells = std::size_t{columns} * grid.Rows();
    // Edges by cell, counted first and then placed (a counting sort), so the
    // whole grid lives in three arrays.
    std::vector<CellSpan> spans(n);
    std::vector<std::uint32_t> start(cells + 1, 0);
    std::uint64_t work = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const CellSpan s = grid.SpanOf(ring[i], ring[(i + 1) % n]);
        spans[i] = s;
        work += std::uint64_t{s.column1 - s.column0 + 1} * (s.row1 - s.row0 + 1);
        if (work > workLimit)
            return false;
        for (std::uint32_t row = s.row0; row <= s.row1; ++row)
            for (std::uint32_t column = s.column0; column <= s.column1; ++column)
                ++start[std::size_t{row} * columns + column + 1];
    }
    for (std::size_t c = 0; c < cells; ++c)
        start[c + 1] += start[c];
    std::vector<std::uint32_t> edges(start[cells]);
    std::vector<std::uint32_t> next(start.begin(), start.end() - 1);
    for (std::size_t i = 0; i < n; ++i) {
        const CellSpan& s = spans[i];
        for (std::uint32_t row = s.row0; row <= s.row1; ++row)
            for (std::uint32_t column = s.column0; column <= s.column1; ++column)
                edges[next[std::size_t{row} * columns + column]++] = static_cast<std::uint32_t>(i);
    }
    for (std::uint32_t row = 0; row < grid.Rows(); ++row)
        for (std::uint32_t column = 0; column < columns; ++column) {
            const std::size_t cell = std::size_t{row} * columns + column;
            for (std::uint32_t p = start[cell]; p < start[cell + 1]; ++p)
                for (std::uint32_t q = p + 1; q < start[cell + 1]; ++q) {
                    if (++work > workLimit)
                        return false;
                    const std::uint32_t i = edges[p], j = edges[q];
                    // Each pair once: in the first cell the two spans share.
                    if (std::max(spans[i].column0, spans[j].column0) != column ||
                        std::max(spans[i].row0, spans[j].row0) != row)
                        continue;
                    if (!EdgesClear(ring, i, j, clearance))
                        return false;
                }
        }
    return true;
}

std::optional<std::vector<Point>> SimpleOutline(const std::vector<Point>& ring, double minFeature)
{
    std::vector<Point> outline = CleanOutline(ring, minFeature);
    if (outline.empty())
        return std::nullopt;
    const double twiceArea = TwiceArea(outline);
    if (std::abs(twiceArea) <= minFeature * minFeature)
        return std::nullopt;
    // Edges kept a whole minFeature apart, twice what the sweep leaves between
    // its pieces' chains: Eagle rounds corners to its own grid, and an outline
    // that only nearly touches itself must not touch after that.
    const std::uint64_t workLimit = 64 * std::uint64_t{outline.size()} + 4096;
    if (!RingKeepsClear(outline, minFeature, workLimit))
        return std::nullopt;
    if (twiceArea < 0)
        std::reverse(outline.begin(), outline.end());
    return outline;
}

} // namespace vektrano
