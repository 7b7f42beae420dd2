#include "geometry/area_polygons.h"
#include "geometry/simple_ring.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <numbers>
#include <random>
#include <vector>

namespace vektrano {
namespace {

using Ring = std::vector<Point>;

Ring Square(double x0, double y0, double x1, double y1)
{
    return {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
}

Ring Circle(Point centre, double radius, int corners, double turn = 0)
{
    Ring ring;
    for (int i = 0; i < corners; ++i) {
        const double a = turn + 2 * std::numbers::pi * i / corners;
        ring.push_back({centre.x + radius * std::cos(a), centre.y + radius * std::sin(a)});
    }
    return ring;
}

double Area(const Ring& ring)
{
    double sum = 0;
    for (std::size_t i = 0; i < ring.size(); ++i)
        sum += Cross(ring[i], ring[(i + 1) % ring.size()]);
    return sum / 2;
}

bool InsideEvenOdd(const std::vector<Ring>& rings, Point p)
{
    bool inside = false;
    for (const Ring& ring : rings)
        for (std::size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++)
            if ((ring[i].y > p.y) != (ring[j].y > p.y) &&
                p.x < ring[j].x +
                          (ring[i].x - ring[j].x) * (p.y - ring[j].y) / (ring[i].y - ring[j].y))
                inside = !inside;
    return inside;
}

double DistanceToRings(const std::vector<Ring>& rings, Point p)
{
    double nearest = INFINITY;
    for (const Ring& ring : rings)
        for (std::size_t i = 0; i < ring.size(); ++i) {
            const Point a = ring[i];
            const Point ab = ring[(i + 1) % ring.size()] - a;
            const double t = std::clamp(Dot(p - a, ab) / Dot(ab, ab), 0.0, 1.0);
            const Point off = p - a - t * ab;
            nearest = std::min(nearest, std::hypot(off.x, off.y));
        }
    return nearest;
}

// Whether closed segments ab and cd share a point.
bool SegmentsMeet(Point a, Point b, Point c, Point d)
{
    const auto side = [](Point p, Point q, Point r) {
        const double s = Cross(q - p, r - p);
        return s > 0 ? 1 : s < 0 ? -1 : 0;
    };
    const auto within = [](Point p, Point q, Point r) {
        return std::min(p.x, q.x) <= r.x && r.x <= std::max(p.x, q.x) &&
               std::min(p.y, q.y) <= r.y && r.y <= std::max(p.y, q.y);
    };
    const int s1 = side(a, b, c), s2 = side(a, b, d), s3 = side(c, d, a), s4 = side(c, d, b);
    if (s1 * s2 < 0 && s3 * s4 < 0)
        return true;
    return (s1 == 0 && within(a, b, c)) || (s2 == 0 && within(a, b, d)) ||
           (s3 == 0 && within(c, d, a)) || (s4 == 0 && within(c, d, b));
}

// What Eagle accepts: three corners or more, no edge shorter than the smallest
// feature, turning counter-clockwise, and an outline that meets itself only
// where neighbouring edges share their corner.
void ExpectSimple(const Ring& polygon)
{
    ASSERT_GE(polygon.size(), 3u);
    EXPECT_GT(Area(polygon), 0);
    const std::size_t n = polygon.size();
    for (std::size_t i = 0; i < n; ++i) {
        const Point a = polygon[i];
        const Point b = polygon[(i + 1) % n];
        ASSERT_GE(std::hypot(b.x - a.x, b.y - a.y), 1e-4) << "edge " << i;
        // A neighbour folding back along this edge overlaps it.
        const Point c = polygon[(i + 2) % n];
        EXPECT_FALSE(Cross(b - a, c - b) == 0 && Dot(b - a, c - b) < 0) << "fold at " << i;
        for (std::size_t j = i + 2; j < n; ++j) {
            if (i == 0 && j == n - 1)
                continue;
            ASSERT_FALSE(SegmentsMeet(a, b, polygon[j], polygon[(j + 1) % n]))
                << "edges " << i << " and " << j << " of " << n;
        }
    }
}

bool InsidePolygon(const Ring& polygon, Point p) { return InsideEvenOdd({polygon}, p); }

// The filled area, the shape of each polygon, and at many points: inside the
// input by the even-odd rule exactly when inside one output polygon, and never
// inside two (points within a hair of the input's edges may go either way).
void ExpectFillsEvenOddArea(const std::vector<Ring>& rings, const AreaPolygons& result,
                            double expectedArea, int samples = 20000)
{
    ASSERT_FALSE(result.tooComplex);
    double area = 0;
    for (const Ring& polygon : result.polygons) {
        ExpectSimple(polygon);
        area += Area(polygon);
    }
    if (expectedArea > 0) {
        EXPECT_NEAR(area, expectedArea, 1e-6 * expectedArea);
    }
    double x0 = INFINITY, y0 = INFINITY, x1 = -INFINITY, y1 = -INFINITY;
    for (const Ring& ring : rings)
        for (Point p : ring) {
            x0 = std::min(x0, p.x), y0 = std::min(y0, p.y);
            x1 = std::max(x1, p.x), y1 = std::max(y1, p.y);
        }
    std::mt19937 random(7);
    std::uniform_real_distribution<double> alongX(x0 - 1, x1 + 1), alongY(y0 - 1, y1 + 1);
    int wrong = 0;
    for (int i = 0; i < samples; ++i) {
        const Point p{alongX(random), alongY(random)};
        const auto hits =
            std::count_if(result.polygons.begin(), result.polygons.end(),
                          [&](const Ring& polygon) { return InsidePolygon(polygon, p); });
        ASSERT_LE(hits, 1) << p.x << " " << p.y;
        if ((hits == 1) != InsideEvenOdd(rings, p) && DistanceToRings(rings, p) > 1e-3)
            ++wrong;
    }
    EXPECT_EQ(wrong, 0);
}

TEST(AreaPolygons, SquareWithOneIsland)
{
    const std::vector<Ring> rings = {Square(0, 0, 10, 10), Square(3, 3, 7, 7)};
    const AreaPolygons result = SplitFilledArea(rings);
    ExpectFillsEvenOddArea(rings, result, 84);
    EXPECT_EQ(result.polygons.size(), 4u); // left, below, above, right of the island
}

TEST(AreaPolygons, SquareWithTwoNestedIslands)
{
    // The inner island turns the other way and repeats its first corner.
    Ring inner = Square(4, 4, 6, 6);
    std::reverse(inner.begin(), inner.end());
    inner.push_back(inner.front());
    const std::vector<Ring> rings = {Square(0, 0, 10, 10), Square(2, 2, 8, 8), inner};
    const AreaPolygons result = SplitFilledArea(rings);
    ExpectFillsEvenOddArea(rings, result, 100 - 36 + 4);
    EXPECT_TRUE(result.degenerateRings.empty());
    EXPECT_TRUE(result.crossingRings.empty());
}

TEST(AreaPolygons, IslandsTouchingTheOutlineGiveNoTouchingOutline)
{
    std::vector<std::vector<Ring>> cases = {
        // A triangle whose tip touches the outline's lower edge.
        {Square(0, 0, 10, 10), {{5, 0}, {7, 3}, {3, 3}}},
        // An island sharing a corner with the outline, one touching another.
        {Square(0, 0, 10, 10), Square(0, 0, 3, 3), Square(3, 3, 5, 5)},
        // A diamond hole whose side and top corners lie on vertical cuts.
        {Square(0, 0, 10, 10), {{5, 2}, {8, 5}, {5, 8}, {2, 5}}, Square(5, 8, 6, 9)},
        // One ring pinched to a point in its middle.
        {{{0, 0}, {2, 1}, {4, 0}, {4, 2}, {2, 1}, {0, 2}}},
    };
    // A frame round a checkerboard: holes meeting only at their corners.
    std::vector<Ring> board = {Square(-1, -1, 7, 7)};
    for (int i = 0; i < 36; ++i)
        if ((i / 6 + i % 6) % 2 == 0)
            board.push_back(Square(i / 6, i % 6, i / 6 + 1, i % 6 + 1));
    cases.push_back(board);
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        double expected = 0;
        for (const Ring& ring : cases[i])
            expected -= std::abs(Area(ring));
        expected += 2 * std::abs(Area(cases[i][0]));
        ExpectFillsEvenOddArea(cases[i], SplitFilledArea(cases[i]), expected);
    }
}

TEST(AreaPolygons, AnnulusStaysInFourPieces)
{
    const std::vector<Ring> rings = {Circle({0, 0}, 10, 64), Circle({0, 0}, 6, 48, 0.01)};
    const AreaPolygons result = SplitFilledArea(rings);
    ExpectFillsEvenOddArea(rings, result, std::abs(Area(rings[0])) - std::abs(Area(rings[1])));
    EXPECT_LE(result.polygons.size(), 4u);
}

TEST(AreaPolygons, SingleRingsGoOutWholeWhenTheyCan)
{
    // Not convex, but no vertical line meets it more than twice: one polygon.
    const std::vector<Ring> wave = {{{0, 0}, {2, 1}, {4, 0}, {6, 1}, {6, 3}, {3, 2}, {0, 3}}};
    const AreaPolygons whole = SplitFilledArea(wave);
    ExpectFillsEvenOddArea(wave, whole, std::abs(Area(wave[0])));
    EXPECT_EQ(whole.polygons.size(), 1u);
    // A cup with vertical sides is one polygon too; a "C" has to be cut.
    const std::vector<Ring> cup = {
        {{0, 0}, {6, 0}, {6, 4}, {4, 4}, {4, 2}, {2, 2}, {2, 4}, {0, 4}}};
    EXPECT_EQ(SplitFilledArea(cup).polygons.size(), 1u);
    // A "C" is met three times by a vertical line, yet it is simple as it stands.
    const std::vector<Ring> c = {{{0, 0}, {4, 0}, {4, 2}, {2, 2}, {2, 4}, {4, 4}, {4, 6}, {0, 6}}};
    const AreaPolygons cut = SplitFilledArea(c);
    ExpectFillsEvenOddArea(c, cut, 20);
    EXPECT_EQ(cut.polygons.size(), 1u);
}

// A star of alternating radii, as traced logos and the benchmark bring them.
Ring Star(int corners, double outer, double inner)
{
    Ring ring;
    for (int i = 0; i < corners; ++i) {
        const double a = 2 * std::numbers::pi * i / corners;
        const double r = i % 2 ? inner : outer;
        ring.push_back({r * std::cos(a), r * std::sin(a)});
    }
    return ring;
}

// A band wound round a centre, one ring: no point of it sees the whole ring,
// so it is neither star-shaped nor cut nowhere by the sweep.
Ring Spiral(double turns, double width)
{
    Ring outside, inside;
    const int steps = static_cast<int>(turns * 60);
    for (int i = 0; i <= steps; ++i) {
        const double a = 2 * std::numbers::pi * i / 60;
        const double r = 2 + 3 * a / (2 * std::numbers::pi);
        outside.push_back({r * std::cos(a), r * std::sin(a)});
        inside.push_back({(r - width) * std::cos(a), (r - width) * std::sin(a)});
    }
    outside.insert(outside.end(), inside.rbegin(), inside.rend());
    return outside;
}

TEST(AreaPolygons, SimpleRingsThatTurnBackGoOutWhole)
{
    Ring clockwise = Star(100, 10, 7);
    std::reverse(clockwise.begin(), clockwise.end());
    // Random radii keep a star simple, however ragged.
    std::mt19937 random(5);
    std::uniform_real_distribution<double> radius(1, 10);
    Ring ragged;
    for (int i = 0; i < 300; ++i) {
        const double a = 2 * std::numbers::pi * i / 300;
        const double r = radius(random);
        ragged.push_back({r * std::cos(a), r * std::sin(a)});
    }
    // The ends of the two arms lie on one line without meeting; the second copy
    // of a corner leaves a spike of no width, which is dropped.
    const Ring c = {{0, 0}, {0, 3}, {2, 3}, {2, 2}, {1, 2}, {1, 1}, {2, 1}, {5, 1}, {2, 1}, {2, 0}};
    const Ring cases[] = {Star(100, 10, 7), clockwise, ragged, Spiral(3, 1.5), c};
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        const std::vector<Ring> rings = {cases[i]};
        const AreaPolygons result = SplitFilledArea(rings);
        ExpectFillsEvenOddArea(rings, result, std::abs(Area(cases[i])));
        EXPECT_EQ(result.polygons.size(), 1u);
        EXPECT_TRUE(result.crossingRings.empty());
    }
}

// Rings of a few corners on a small integer grid bring every way of touching:
// corners on edges, shared corners, edges along edges. Edges that do not meet
// stay a tenth apart there, so the check must agree with meeting exactly.
TEST(AreaPolygons, ClearanceCheckAgreesWithMeetingOnGridRings)
{
    std::mt19937 random(3);
    std::uniform_int_distribution<int> coordinate(0, 5), corners(3, 9);
    int simple = 0;
    for (int round = 0; round < 20000; ++round) {
        Ring ring(static_cast<std::size_t>(corners(random)));
        for (Point& p : ring)
            p = {static_cast<double>(coordinate(random)), static_cast<double>(coordinate(random))};
        const std::size_t n = ring.size();
        bool meets = false;
        for (std::size_t i = 0; i < n && !meets; ++i) {
            const Point a = ring[i], b = ring[(i + 1) % n], c = ring[(i + 2) % n];
            meets = a == b || (Cross(b - a, c - b) == 0 && Dot(b - a, c - b) < 0);
            for (std::size_t j = i + 2; j < n && !meets; ++j)
                meets = !(i == 0 && j == n - 1) && SegmentsMeet(a, b, ring[j], ring[(j + 1) % n]);
        }
        simple += !meets;
        ASSERT_EQ(RingKeepsClear(ring, 1e-4, 1'000'000), !meets) << "round " << round;
    }
    EXPECT_GT(simple, 1000);
    // Out of work, the answer is no.
    EXPECT_TRUE(RingKeepsClear(Star(100, 10, 7), 1e-4, 100'000));
    EXPECT_FALSE(RingKeepsClear(Star(100, 10, 7), 1e-4, 50));
}

TEST(AreaPolygons, RingsTouchingThemselvesAreStillCut)
{
    struct Case
    {
        Ring ring;
        double area;
    };
    const Case cases[] = {
        // Two squares meeting at one corner that the ring passes twice.
        {{{0, 0}, {2, 0}, {2, 2}, {4, 2}, {4, 4}, {2, 4}, {2, 2}, {0, 2}}, 8},
        // A corner on the middle of another edge.
        {{{0, 0}, {4, 0}, {4, 4}, {2, 0}, {0, 4}}, 8},
        // A tooth reaching nearer than the smallest feature to the other arm of
        // a "C", though it never meets it.
        {{{0, 0},
          {4, 0},
          {4, 2},
          {2, 2},
          {2, 4},
          {2.5, 4},
          {2.5, 2.00005},
          {3, 2.00005},
          {3, 4},
          {4, 4},
          {4, 6},
          {0, 6}},
         20 + 0.5 * 1.99995},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        const std::vector<Ring> rings = {cases[i].ring};
        const AreaPolygons result = SplitFilledArea(rings);
        ExpectFillsEvenOddArea(rings, result, cases[i].area);
        EXPECT_GT(result.polygons.size(), 1u);
    }
}

TEST(AreaPolygons, BowTieIsFilledByTheEvenOddRule)
{
    const std::vector<Ring> rings = {{{0, 0}, {2, 2}, {2, 0}, {0, 2}}};
    const AreaPolygons result = SplitFilledArea(rings);
    ExpectFillsEvenOddArea(rings, result, 2);
    EXPECT_EQ(result.crossingRings, std::vector<std::size_t>{0});
}

TEST(AreaPolygons, LeavesOutRingsWithoutArea)
{
    const std::vector<Ring> rings = {
        {{0, 0}, {1, 1}, {2, 2}},         // on one line
        {{0, 0}, {0, 0}, {1, 0}, {0, 0}}, // two distinct corners
        {},
        {{0, 0}, {NAN, 1}, {1, 0}},
        Square(5, 5, 6, 6),
    };
    const AreaPolygons result = SplitFilledArea(rings);
    EXPECT_EQ(result.degenerateRings, (std::vector<std::size_t>{0, 1, 2, 3}));
    ExpectFillsEvenOddArea({rings[4]}, result, 1);
    // A hostile area stops at the work limit instead of stalling the run.
    AreaPolygonOptions tight;
    tight.workLimit = 10;
    const AreaPolygons stopped = SplitFilledArea({Square(0, 0, 4, 4), Square(1, 1, 2, 2)}, tight);
    EXPECT_TRUE(stopped.tooComplex);
    EXPECT_TRUE(stopped.polygons.empty());
    // A ring drawn out and back again encloses nothing.
    EXPECT_TRUE(SplitFilledArea({{{0, 0}, {4, 1}, {8, 0}, {4, 1}}}).polygons.empty());
}

TEST(AreaPolygons, OverlappingLettersAndRandomStars)
{
    // Rings of a traced logo: overlapping "O"s with their counters, and stars
    // whose points cross each other.
    std::mt19937 random(11);
    std::uniform_real_distribution<double> unit(0, 1);
    std::vector<Ring> logo;
    for (int i = 0; i < 12; ++i) {
        const Point centre{i * 7.0 + unit(random), unit(random) * 3};
        logo.push_back(Circle(centre, 5, 40 + i, unit(random)));
        logo.push_back(Circle(centre, 3 + unit(random), 30 + i, unit(random)));
    }
    for (int k = 0; k < 3; ++k) {
        Ring star;
        const int corners = 9 + 4 * k;
        for (int i = 0; i < corners; ++i) {
            const double a = 2 * std::numbers::pi * i * 4 / corners;
            const double r = 8 + 4 * unit(random);
            star.push_back({20.0 + 25 * k + r * std::cos(a), 12 + r * std::sin(a)});
        }
        logo.push_back(star);
    }
    const AreaPolygons result = SplitFilledArea(logo);
    ExpectFillsEvenOddArea(logo, result, 0, 10000);
    EXPECT_EQ(result.crossingRings.size(), 3u);
}

TEST(AreaPolygons, SolidCornersRunOneTwoFourThree)
{
    const Point a{0, 0}, b{4, 0}, c{0, 3}, d{4, 3};
    EXPECT_EQ(SolidOutline(a, b, c, d), (Ring{a, b, d, c}));
    EXPECT_EQ(SolidOutline(a, b, c, c), (Ring{a, b, c}));
    // Corners given round the outline instead: the SOLID is drawn as a bow-tie.
    const AreaPolygons crossed = SplitFilledArea({SolidOutline(a, b, d, c)});
    ExpectFillsEvenOddArea({SolidOutline(a, b, d, c)}, crossed, 6);
}

} // namespace
} // namespace vektrano
