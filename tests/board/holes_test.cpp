#include "board/holes.h"

#include <gtest/gtest.h>
#include <vector>

namespace vektrano {
namespace {

struct CircleCase
{
    Point centre;
    double diameter;
    bool newHole;
};

// A mounting hole drawn twice (once a hair off), a different size at the same
// place, and neighbours just beyond the tolerance of 0.01.
const CircleCase kCircles[] = {
    {{10, 10}, 3.2, true},     {{10.005, 9.996}, 3.205, false}, {{10, 10}, 3.22, true},
    {{10.02, 10}, 3.2, true},  {{90, 10}, 3.2, true},           {{90, 10}, 3.2, false},
    {{50, 40}, 1.0, true},     {{-0.004, 0}, 0.8, true},        {{0.004, 0}, 0.8, false},
    {{50, 40.011}, 1.0, true},
};

TEST(HoleSet, KeepsOneHoleForCirclesOnTopOfEachOther)
{
    HoleSet holes(0.01);
    std::size_t id = 0;
    for (const auto& c : kCircles) {
        SCOPED_TRACE(id);
        EXPECT_EQ(holes.Add(c.centre, c.diameter, id++), c.newHole);
    }
    ASSERT_EQ(holes.Holes().size(), 7u);
    EXPECT_EQ(holes.Holes()[1].id, 2u);

    const std::vector<DiameterCount> counts = holes.CountByDiameter();
    ASSERT_EQ(counts.size(), 4u);
    const DiameterCount expected[] = {{0.8, 1}, {1.0, 2}, {3.2, 3}, {3.22, 1}};
    for (std::size_t i = 0; i < counts.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(counts[i].diameter, expected[i].diameter);
        EXPECT_EQ(counts[i].count, expected[i].count);
    }
}

TEST(HoleSet, StaysCorrectWhileItGrows)
{
    // Enough holes to rehash many times; every one added twice.
    HoleSet holes(0.01);
    for (int pass = 0; pass < 2; ++pass)
        for (int i = 0; i < 20000; ++i)
            EXPECT_EQ(holes.Add({i % 200 * 2.54, i / 200 * 2.54}, 0.8, i), pass == 0);
    EXPECT_EQ(holes.Holes().size(), 20000u);
    ASSERT_EQ(holes.CountByDiameter().size(), 1u);
}

TEST(HoleSet, ZeroToleranceJoinsOnlyEqualCircles)
{
    HoleSet holes(0);
    EXPECT_TRUE(holes.Add({1, 1}, 2, 0));
    EXPECT_FALSE(holes.Add({1, 1}, 2, 1));
    EXPECT_TRUE(holes.Add({1, 1.0000001}, 2, 2));
}

} // namespace
} // namespace vektrano
