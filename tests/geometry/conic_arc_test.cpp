#include "chain_check.h"
#include "geometry/conic_arc.h"
#include "geometry/flatten.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <numbers>

namespace vektrano {
namespace {

constexpr double kPi = std::numbers::pi;

ConicArc Circle(double radius, double t0, double t1)
{
    return {{0, 0}, {radius, 0}, {0, radius}, t0, t1};
}

struct EllipseCase
{
    const char* name;
    ConicArc arc;
};

// Ratios down to 0.01, partial and mirrored arcs, and a circle that a block
// scaled (2, 1) and turned 30° shears into an ellipse with u not ⟂ v.
std::vector<EllipseCase> Ellipses()
{
    const Affine shear = Affine::Rotation(kPi / 6) * Affine::Scaling(2, 1);
    return {
        {"circle r 50", EllipseArc({3, 4}, {50, 0}, 1, 0, 2 * kPi)},
        {"ratio 0.5 turned", EllipseArc({0, 0}, {30, 40}, 0.5, 0, 2 * kPi)},
        {"ratio 0.1", EllipseArc({-7, 2}, {80, 0}, 0.1, 0, 2 * kPi)},
        {"ratio 0.01", EllipseArc({0, 0}, {0, 100}, 0.01, 0, 2 * kPi)},
        {"ratio 0.01 arc over the sharp end", EllipseArc({0, 0}, {100, 0}, 0.01, -0.3, 0.4)},
        {"ratio 0.3 arc", EllipseArc({1, 1}, {20, 5}, 0.3, 1, 4)},
        {"mirrored", Transformed(Affine::Scaling(-1, 1), EllipseArc({}, {40, 0}, 0.2, 0, 5))},
        {"sheared circle", Transformed(shear, Circle(25, 0, 2 * kPi))},
        {"sheared arc", Transformed(shear, Circle(25, 0.5, 2.5))},
        {"tiny circle", Circle(0.002, 0, 2 * kPi)},
    };
}

TEST(FlattenConicArc, StaysWithinToleranceAndNearTheFewestChords)
{
    constexpr double kTolerance = 0.005;
    for (const auto& c : Ellipses()) {
        SCOPED_TRACE(c.name);
        std::vector<Point> chain;
        const FlattenResult result = FlattenConicArc(c.arc, kTolerance, 100000, chain);
        EXPECT_FALSE(result.loosened);
        ASSERT_GE(chain.size(), 2u);
        const auto curve = [&](double t) { return PointAt(c.arc, t); };
        EXPECT_EQ(chain.front(), curve(c.arc.t0));
        EXPECT_NEAR(chain.back().x, curve(c.arc.t1).x, 1e-9);
        EXPECT_NEAR(chain.back().y, curve(c.arc.t1).y, 1e-9);
        if (c.arc.t1 - c.arc.t0 == 2 * kPi) {
            EXPECT_EQ(chain.back(), chain.front()); // closed, not a rounding apart
        }
        EXPECT_LE(test::WorstDeviation(curve, c.arc.t0, c.arc.t1, chain, 40000),
                  kTolerance * (1 + 1e-9));
        // Adaptive, not a fixed step: close to what the curvature demands.
        const double fewest = test::FewestChords(curve, c.arc.t0, c.arc.t1, kTolerance);
        EXPECT_LE(static_cast<double>(chain.size() - 1), 1.3 * fewest + 5) << fewest;
    }
}

TEST(FlattenConicArc, LoosensToTheSegmentLimitAndKeepsTheLoosenedBound)
{
    const ConicArc arc = EllipseArc({0, 0}, {1000, 0}, 0.05, 0, 2 * kPi);
    const auto curve = [&](double t) { return PointAt(arc, t); };
    for (std::size_t limit : {200u, 37u}) {
        SCOPED_TRACE(limit);
        std::vector<Point> chain{{-1, -1}}; // what was there stays
        const FlattenResult result = FlattenConicArc(arc, 0.0001, limit, chain);
        EXPECT_TRUE(result.loosened);
        EXPECT_GT(result.toleranceUsed, 0.0001);
        EXPECT_EQ(chain.front(), (Point{-1, -1}));
        chain.erase(chain.begin());
        EXPECT_LE(chain.size() - 1, limit);
        // Loosened no further than needed: twice the segments would have fitted.
        EXPECT_GT(chain.size() - 1, limit / 4);
        EXPECT_LE(test::WorstDeviation(curve, arc.t0, arc.t1, chain, 20000),
                  result.toleranceUsed * (1 + 1e-9));
    }
    std::vector<Point> coarsest;
    const FlattenResult result = FlattenConicArc(arc, 0.005, 1, coarsest);
    EXPECT_EQ(coarsest.size(), 5u); // a quarter turn per segment at the most
    EXPECT_TRUE(result.loosened);
    EXPECT_TRUE(std::isinf(result.toleranceUsed));
}

TEST(FlattenConicArc, AppendsNothingForUnusableInput)
{
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    constexpr double kInf = std::numeric_limits<double>::infinity();
    const struct
    {
        const char* name;
        ConicArc arc;
        double tolerance;
    } cases[] = {
        {"NaN centre", {{kNaN, 0}, {1, 0}, {0, 1}, 0, 1}, 0.005},
        {"infinite axis", {{0, 0}, {kInf, 0}, {0, 1}, 0, 1}, 0.005},
        {"axis beyond 1e100", {{0, 0}, {1e200, 0}, {0, 1e200}, 0, 1}, 0.005},
        {"backwards", {{0, 0}, {1, 0}, {0, 1}, 2, 1}, 0.005},
        {"parameters too far out to differ", {{0, 0}, {1, 0}, {0, 1}, 1e20, 1e20 + 1}, 0.005},
        {"zero tolerance", Circle(1, 0, 1), 0},
        {"NaN tolerance", Circle(1, 0, 1), kNaN},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<Point> chain;
        FlattenConicArc(c.arc, c.tolerance, 100000, chain);
        EXPECT_TRUE(chain.empty());
    }
}

TEST(AsCircular, TellsCirclesFromEllipsesWithSignedSweep)
{
    const ConicArc quarter = Circle(2, 0, kPi / 2);
    const struct
    {
        const char* name;
        ConicArc arc;
        bool circular;
        double sweep;
        bool full;
    } cases[] = {
        {"quarter", quarter, true, 90, false},
        {"mirrored quarter", Transformed(Affine::Scaling(1, -1), quarter), true, -90, false},
        {"turned and scaled", Transformed(Affine::Rotation(1) * Affine::Scaling(3, 3), quarter),
         true, 90, false},
        {"scaled (2, 1)", Transformed(Affine::Scaling(2, 1), quarter), false, 0, false},
        {"ellipse ratio 1 over a rounded 2π", EllipseArc({}, {5, 0}, 1, 0, 6.28318530718), true,
         360, true},
        {"ellipse ratio 1 from π to -π", EllipseArc({}, {5, 0}, 1, kPi, -kPi), true, 360, true},
        {"ellipse ratio 1 from 5 to 1", EllipseArc({}, {5, 0}, 1, 5, 1), true,
         (2 * kPi - 4) * 180 / kPi, false},
        {"ellipse ratio 0.999", EllipseArc({}, {5, 0}, 0.999, 0, 1), false, 0, false},
        {"radius 0", Circle(0, 0, 1), false, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto circular = AsCircular(c.arc);
        ASSERT_EQ(circular.has_value(), c.circular);
        if (!circular)
            continue;
        EXPECT_NEAR(circular->sweepDegrees, c.sweep, 1e-9);
        EXPECT_EQ(circular->full, c.full);
        const double radius = std::hypot(c.arc.u.x, c.arc.u.y);
        EXPECT_NEAR(circular->radius, radius, 1e-12 * radius);
        const Point end = c.full ? PointAt(c.arc, c.arc.t0) : PointAt(c.arc, c.arc.t1);
        EXPECT_NEAR(circular->end.x, end.x, 1e-12);
        EXPECT_NEAR(circular->end.y, end.y, 1e-12);
    }
}

} // namespace
} // namespace vektrano
