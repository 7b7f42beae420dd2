#include "chain_check.h"
#include "geometry/nurbs.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <random>

namespace vektrano {
namespace {

// Clamped at both ends, uniform inside: what CAD programs write for open splines.
std::vector<double> ClampedKnots(std::size_t controls, int degree)
{
    std::vector<double> knots(static_cast<std::size_t>(degree), 0.0);
    const std::size_t inner = controls - static_cast<std::size_t>(degree) + 1;
    for (std::size_t i = 0; i < inner; ++i)
        knots.push_back(static_cast<double>(i));
    knots.insert(knots.end(), static_cast<std::size_t>(degree), static_cast<double>(inner - 1));
    return knots;
}

const std::vector<Point> kWave = {{0, 0},  {10, 30}, {25, -20}, {40, 35},
                                  {55, 0}, {60, 60}, {80, 10},  {90, 40}};

Nurbs Open(int degree, std::vector<double> weights = {})
{
    Nurbs s;
    s.degree = degree;
    s.control = kWave;
    s.knots = ClampedKnots(kWave.size(), degree);
    s.rational = !weights.empty();
    s.weights = std::move(weights);
    return s;
}

// As ezdxf writes a closed periodic spline: the first `degree` control points
// again at the end, over uniform knots.
Nurbs ClosedPeriodic(int degree)
{
    Nurbs s;
    s.degree = degree;
    s.control = {{0, 0}, {40, -10}, {60, 30}, {30, 60}, {-10, 40}};
    s.control.insert(s.control.end(), s.control.begin(), s.control.begin() + degree);
    for (std::size_t i = 0; i < s.control.size() + static_cast<std::size_t>(degree) + 1; ++i)
        s.knots.push_back(static_cast<double>(i));
    s.closed = s.periodic = true;
    return s;
}

double DomainStart(const Nurbs& s) { return s.knots[static_cast<std::size_t>(s.degree)]; }
double DomainEnd(const Nurbs& s) { return s.knots[s.control.size()]; }

TEST(FlattenNurbs, StaysWithinToleranceAndNearTheFewestChords)
{
    constexpr double kTolerance = 0.005;
    const std::vector<double> heavy = {1, 5, 0.2, 1, 3, 1, 0.5, 1};
    const struct
    {
        const char* name;
        Nurbs spline;
    } cases[] = {
        {"degree 2", Open(2)},
        {"degree 3", Open(3)},
        {"degree 2 rational", Open(2, heavy)},
        {"degree 3 rational", Open(3, heavy)},
        {"degree 3 closed periodic", ClosedPeriodic(3)},
        {"degree 5", Open(5)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(Validate(c.spline), NurbsFault::None);
        std::vector<Point> chain;
        const FlattenResult result = FlattenNurbs(c.spline, kTolerance, 100000, chain);
        EXPECT_FALSE(result.loosened);
        const auto curve = [&](double u) { return Evaluate(c.spline, u); };
        const double from = DomainStart(c.spline);
        const double to = DomainEnd(c.spline);
        ASSERT_GE(chain.size(), 2u);
        EXPECT_NEAR(chain.front().x, curve(from).x, 1e-9);
        EXPECT_NEAR(chain.back().y, curve(to).y, 1e-9);
        EXPECT_LE(test::WorstDeviation(curve, from, to, chain, 40000), kTolerance * (1 + 1e-9));
        const double fewest = test::FewestChords(curve, from, to, kTolerance);
        EXPECT_LE(static_cast<double>(chain.size() - 1), 1.6 * fewest + 10) << fewest;
    }
}

TEST(FlattenNurbs, DegreeOneIsTheControlPolygon)
{
    std::vector<Point> chain;
    FlattenNurbs(Open(1), 0.005, 100000, chain);
    EXPECT_EQ(chain, kWave);
}

TEST(FlattenNurbs, ClosedPeriodicSplineClosesWithoutKink)
{
    for (int degree : {2, 3}) {
        SCOPED_TRACE(degree);
        const Nurbs s = ClosedPeriodic(degree);
        const double from = DomainStart(s);
        const double to = DomainEnd(s);
        const Point start = Evaluate(s, from);
        const Point end = Evaluate(s, to);
        EXPECT_NEAR(start.x, end.x, 1e-12);
        EXPECT_NEAR(start.y, end.y, 1e-12);
        // The same tangent leaving the start as arriving at the end.
        constexpr double h = 1e-6;
        const Point leaving = Evaluate(s, from + h) - start;
        const Point arriving = end - Evaluate(s, to - h);
        EXPECT_NEAR(leaving.x, arriving.x, 1e-9);
        EXPECT_NEAR(leaving.y, arriving.y, 1e-9);
        std::vector<Point> chain;
        FlattenNurbs(s, 0.005, 100000, chain);
        EXPECT_NEAR(chain.front().x, chain.back().x, 1e-12);
        EXPECT_NEAR(chain.front().y, chain.back().y, 1e-12);
    }
}

TEST(FlattenNurbs, LoosensToTheSegmentLimit)
{
    const Nurbs s = Open(3);
    std::vector<Point> chain;
    const FlattenResult result = FlattenNurbs(s, 0.0001, 60, chain);
    EXPECT_TRUE(result.loosened);
    EXPECT_LE(chain.size() - 1, 60u);
    EXPECT_LE(test::WorstDeviation([&](double u) { return Evaluate(s, u); }, DomainStart(s),
                                   DomainEnd(s), chain, 20000),
              result.toleranceUsed * (1 + 1e-9));
}

TEST(Validate, NamesTheFaultOfEachHostileSpline)
{
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    const auto with = [](auto change) {
        Nurbs s = Open(3);
        change(s);
        return s;
    };
    const struct
    {
        const char* name;
        Nurbs spline;
        NurbsFault fault;
    } cases[] = {
        {"degree 0", with([](Nurbs& s) { s.degree = 0; }), NurbsFault::DegreeOutOfRange},
        {"degree 11", with([](Nurbs& s) { s.degree = 11; }), NurbsFault::DegreeOutOfRange},
        {"3 control points for degree 3", with([](Nurbs& s) { s.control.resize(3); }),
         NurbsFault::TooFewControlPoints},
        {"a knot short", with([](Nurbs& s) { s.knots.pop_back(); }), NurbsFault::KnotCountWrong},
        {"knots decreasing", with([](Nurbs& s) { s.knots[5] = -1; }), NurbsFault::KnotsDecreasing},
        {"weight 0", with([](Nurbs& s) { s.weights.assign(8, 1), s.weights[2] = 0; }),
         NurbsFault::WeightNotPositive},
        {"weights a few", with([](Nurbs& s) { s.weights.assign(5, 1); }),
         NurbsFault::WeightCountWrong},
        {"NaN knot", with([](Nurbs& s) { s.knots[6] = kNaN; }), NurbsFault::NotFinite},
        {"overflowing weight", with([](Nurbs& s) { s.weights.assign(8, 1e300); }),
         NurbsFault::NotFinite},
        {"all knots equal", with([](Nurbs& s) { s.knots.assign(12, 1); }), NurbsFault::EmptyDomain},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Validate(c.spline), c.fault);
        std::vector<Point> chain;
        FlattenNurbs(c.spline, 0.005, 100000, chain);
        EXPECT_TRUE(chain.empty());
        const Point p = Evaluate(c.spline, 0.5); // must not read out of bounds
        (void)p;
    }
}

TEST(InterpolateCubic, PassesThroughFitPointsWithTheGivenEnds)
{
    const std::vector<Point> fit = {{0, 0}, {10, 5}, {10, 5}, {20, -3}, {35, 8}, {50, 0}};
    const struct
    {
        const char* name;
        std::optional<Point> start, end;
    } cases[] = {
        {"natural", std::nullopt, std::nullopt},
        {"both tangents", Point{0, 3}, Point{1, -1}},
        {"start tangent only", Point{1, 1}, std::nullopt},
        {"zero tangent counts as none", Point{0, 0}, Point{0, -2}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Nurbs s = InterpolateCubic(fit, c.start, c.end);
        ASSERT_EQ(Validate(s), NurbsFault::None);
        ASSERT_EQ(s.control.size(), 7u); // the repeated fit point counts once
        for (std::size_t k = 0, i = 0; k < fit.size(); ++k) {
            if (k > 0 && fit[k] == fit[k - 1])
                continue;
            const Point p = Evaluate(s, s.knots[3 + i++]);
            EXPECT_NEAR(p.x, fit[k].x, 1e-9);
            EXPECT_NEAR(p.y, fit[k].y, 1e-9);
        }
        constexpr double h = 1e-4;
        const auto checkEnd = [&](double u, double inward, std::optional<Point> tangent) {
            const Point p0 = Evaluate(s, u);
            const Point p1 = Evaluate(s, u + inward * h);
            const Point p2 = Evaluate(s, u + 2 * inward * h);
            const Point second = (1 / (h * h)) * (p2 - 2 * p1 + p0);
            if (tangent && !(*tangent == Point{})) {
                // Unit speed along the chord-length parameter, in the tangent's direction.
                const Point d = (inward / h) * (p1 - p0);
                const double length = std::hypot(tangent->x, tangent->y);
                EXPECT_NEAR(d.x, tangent->x / length, 1e-3);
                EXPECT_NEAR(d.y, tangent->y / length, 1e-3);
            } else {
                EXPECT_NEAR(second.x, 0, 1e-2);
                EXPECT_NEAR(second.y, 0, 1e-2);
            }
        };
        checkEnd(DomainStart(s), 1, c.start);
        checkEnd(DomainEnd(s), -1, c.end);
    }
}

TEST(InterpolateCubic, GivesNoSplineForTooFewOrNonFinitePoints)
{
    const std::vector<Point> one = {{1, 1}, {1, 1}};
    const std::vector<Point> nan = {{0, 0}, {std::nan(""), 1}, {2, 2}};
    EXPECT_EQ(Validate(InterpolateCubic(one, std::nullopt, std::nullopt)),
              NurbsFault::TooFewControlPoints);
    EXPECT_EQ(Validate(InterpolateCubic(nan, std::nullopt, std::nullopt)),
              NurbsFault::TooFewControlPoints);
}

} // namespace
} // namespace vektrano

namespace vektrano {
namespace {

// Splines of every shape a hostile file can bring (any degree, counts that do
// and do not fit, NaN, huge and tiny values, repeated knots): each is either
// refused with nothing drawn, or drawn from its start to its end within the
// limit. Under the sanitizers this also proves that nothing reads out of bounds.
TEST(FlattenNurbs, DrawsOrRefusesEveryRandomSpline)
{
    std::mt19937 random(13);
    const double odd[] = {std::nan(""), INFINITY, 1e300, 1e-300, -1, 0};
    const auto value = [&](double spread) {
        return random() % 50 == 0 ? odd[random() % std::size(odd)]
                                  : std::uniform_real_distribution<double>(-spread, spread)(random);
    };
    int drawn = 0;
    for (int round = 0; round < 3000; ++round) {
        Nurbs s;
        s.degree = static_cast<int>(random() % 13) - 1;
        const std::size_t controls = random() % 14;
        for (std::size_t i = 0; i < controls; ++i)
            s.control.push_back({value(100), value(100)});
        const std::size_t knots = controls + static_cast<std::size_t>(std::max(s.degree, 0)) + 1 +
                                  (random() % 8 == 0 ? 1 : 0);
        double knot = 0;
        for (std::size_t i = 0; i < knots; ++i)
            s.knots.push_back(knot += random() % 3 == 0 ? 0 : std::abs(value(2)));
        if (random() % 2)
            for (std::size_t i = 0; i < controls; ++i)
                s.weights.push_back(std::abs(value(5)));
        SCOPED_TRACE(round);
        std::vector<Point> chain;
        const FlattenResult result = FlattenNurbs(s, 0.001, 2000, chain);
        if (Validate(s) != NurbsFault::None) {
            EXPECT_TRUE(chain.empty());
            continue;
        }
        ++drawn;
        ASSERT_GE(chain.size(), 2u);
        if (std::isfinite(result.toleranceUsed)) {
            EXPECT_LE(chain.size() - 1, 2000u);
        }
        const Point end = Evaluate(s, INFINITY);
        EXPECT_NEAR(chain.back().x, end.x, 1e-6 * (1 + std::abs(end.x)));
        EXPECT_NEAR(chain.back().y, end.y, 1e-6 * (1 + std::abs(end.y)));
    }
    EXPECT_GT(drawn, 300); // the mix must reach the drawing path, too
}

} // namespace
} // namespace vektrano
