#include "geometry/ocs.h"

#include <cmath>
#include <gtest/gtest.h>

namespace vektrano {
namespace {

TEST(OcsToWorldPlan, KeepsUpMirrorsDownAndRejectsNoDirection)
{
    const Point p{3, 4};
    EXPECT_EQ(OcsToWorldPlan({0, 0, 1}).Apply(p), p);
    EXPECT_EQ(OcsToWorldPlan({0, 0, 5}).Apply(p), p); // the length does not matter
    EXPECT_EQ(OcsToWorldPlan({0, 0, -1}).Apply(p), (Point{-3, 4}));
    EXPECT_EQ(OcsToWorldPlan({0, 0, -1}, 7).Apply(p), (Point{-3, 4})); // seen along z
    EXPECT_FALSE(IsUsableExtrusion({0, 0, 0}));
    EXPECT_FALSE(IsUsableExtrusion({0, std::nan(""), 1}));
    EXPECT_EQ(OcsToWorldPlan({0, 0, 0}).Apply(p), p);
}

} // namespace
} // namespace vektrano
