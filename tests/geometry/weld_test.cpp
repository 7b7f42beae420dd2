#include "geometry/contour_check.h"
#include "geometry/weld.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>
#include <vector>

namespace vektrano {
namespace {

struct Segment
{
    Point from;
    Point to;
    double sweep;
};

// Every step starts with the very numbers the step before ended with, and a
// closed chain ends on its first point: what the script's Wire lines rely on.
void ExpectJointsAgree(const ContourPieces& pieces, const Welding& welding)
{
    for (const WeldedChain& chain : welding.chains) {
        bool first = true;
        Point start;
        Point last;
        ForEachStep(pieces, welding, chain, [&](const ChainStep& step) {
            if (first)
                start = step.from;
            else
                EXPECT_TRUE(step.from == last);
            first = false;
            last = step.to;
        });
        if (chain.closed) {
            EXPECT_TRUE(last == start);
        }
    }
}

ContourPieces Pieces(const std::vector<Segment>& segments)
{
    ContourPieces pieces;
    for (std::size_t i = 0; i < segments.size(); ++i)
        pieces.AddArc(segments[i].from, segments[i].to, segments[i].sweep, i);
    return pieces;
}

struct WeldCase
{
    const char* name;
    std::vector<Segment> segments;
    std::size_t chains;
    bool closed; // of the first chain
    double largestGap;
    Point firstPoint; // of the first chain
    Point lastPoint;
    std::vector<bool> reversed; // of the first chain's links
};

const double kGap = 0.005;
const std::vector<WeldCase> kWeldCases = {
    {"rectangle, gaps below the tolerance",
     {{{0, 0}, {10, 0}, 0},
      {{10, kGap}, {10, 5}, 0},
      {{10 - kGap, 5}, {0, 5}, 0},
      {{0, 5 - kGap}, {0, 0}, 0}},
     1,
     true,
     kGap,
     {0, 0},
     {0, 0},
     {false, false, false, false}},
    {"rectangle, one gap above the tolerance",
     {{{0, 0}, {10, 0}, 0}, {{10, 0.02}, {10, 5}, 0}, {{10, 5}, {0, 5}, 0}, {{0, 5}, {0, 0}, 0}},
     1,
     false,
     0,
     {10, 0.02},
     {10, 0},
     {false, false, false, false}},
    {"pieces given backwards and shuffled",
     {{{10, 5}, {0, 5}, 0}, {{10, 0}, {0, 0}, 0}, {{0, 0}, {0, 5}, 0}, {{10, 0}, {10, 5}, 0}},
     1,
     true,
     0,
     {10, 5},
     {10, 5},
     {false, true, true, false}},
    {"an arc meeting a line, the arc backwards",
     {{{0, -5}, {0, 5}, 0}, {{0, -5}, {0, 5.003}, 180}},
     1,
     true,
     0.003,
     {0, -5},
     {0, -5},
     {false, true}},
    {"open chain in a row",
     {{{1, 0}, {2, 0}, 0}, {{1, 0}, {0, 0}, 0}, {{3, 0}, {2, 0}, 0}},
     1,
     false,
     0,
     {0, 0},
     {3, 0},
     {true, false, true}},
    {"a segment shorter than the tolerance stays open",
     {{{0, 0}, {0.001, 0}, 0}},
     1,
     false,
     0,
     {0, 0},
     {0.001, 0},
     {false}},
    {"three ends meet: the lower pieces join",
     {{{0, 0}, {1, 0}, 0}, {{1, 0}, {2, 0}, 0}, {{1, 0}, {1, 1}, 0}},
     2,
     false,
     0,
     {0, 0},
     {2, 0},
     {false, false}},
};

TEST(Weld, JoinsEndsWithinTheTolerance)
{
    for (const auto& c : kWeldCases) {
        SCOPED_TRACE(c.name);
        const ContourPieces pieces = Pieces(c.segments);
        const Welding welding = Weld(pieces, 0.01);
        ASSERT_EQ(welding.chains.size(), c.chains);
        const WeldedChain& chain = welding.chains[0];
        EXPECT_EQ(chain.closed, c.closed);
        EXPECT_NEAR(welding.largestGap, c.largestGap, 1e-12);
        const auto points = welding.Points(chain);
        EXPECT_TRUE(points.front() == c.firstPoint) << points.front().x << " " << points.front().y;
        EXPECT_TRUE(points.back() == c.lastPoint) << points.back().x << " " << points.back().y;
        std::vector<bool> reversed;
        for (const ChainLink& link : welding.Links(chain))
            reversed.push_back(link.reversed);
        EXPECT_EQ(reversed, c.reversed);
        std::size_t links = 0;
        for (const WeldedChain& each : welding.chains)
            links += each.count;
        EXPECT_EQ(links, c.segments.size());
        ExpectJointsAgree(pieces, welding);
    }
}

TEST(Weld, ReversedArcKeepsItsCurve)
{
    ContourPieces pieces;
    pieces.AddSegment({0, -5}, {0, 5}, 0);
    pieces.AddArc({0, -5}, {0, 5}, 180, 1); // counter-clockwise through (5, 0)
    const Welding welding = Weld(pieces, 0.01);
    ASSERT_EQ(welding.chains.size(), 1u);
    std::vector<double> sweeps;
    ForEachStep(pieces, welding, welding.chains[0],
                [&](const ChainStep& step) { sweeps.push_back(step.sweep); });
    EXPECT_EQ(sweeps, (std::vector<double>{0, -180}));
    // Up the line, then clockwise through (5, 0): a half disc, clockwise.
    EXPECT_NEAR(ChainArea(pieces, welding, welding.chains[0]), -12.5 * std::numbers::pi, 1e-9);
    const Box box = ChainBox(pieces, welding, welding.chains[0]);
    EXPECT_NEAR(box.max.x, 5, 1e-12);
}

TEST(Weld, CircleIsAClosedContourOfItsOwn)
{
    ContourPieces pieces;
    pieces.AddSegment({5, 0}, {9, 0}, 0); // touches the circle's rightmost point
    pieces.AddCircle({2, 0}, 3, 1);
    const Welding welding = Weld(pieces, 0.01);
    ASSERT_EQ(welding.chains.size(), 2u);
    EXPECT_FALSE(welding.chains[0].closed);
    EXPECT_EQ(welding.chains[0].count, 1u);
    const WeldedChain& circle = welding.chains[1];
    EXPECT_TRUE(circle.closed);
    std::vector<double> sweeps;
    ForEachStep(pieces, welding, circle,
                [&](const ChainStep& step) { sweeps.push_back(step.sweep); });
    EXPECT_EQ(sweeps, (std::vector<double>{180, 180}));
    EXPECT_NEAR(ChainArea(pieces, welding, circle), 9 * std::numbers::pi, 1e-9);
    ExpectJointsAgree(pieces, welding);
}

TEST(Weld, MillionSegmentsCloseIntoTheirSquares)
{
    // 250,000 squares drawn edge by edge in scattered order, corners a few µm
    // apart; some edges backwards.
    constexpr int kSide = 500;
    ContourPieces pieces;
    for (int edge = 0; edge < 4; ++edge) {
        for (int i = 0; i < kSide * kSide; ++i) {
            const double x = i % kSide * 2.0;
            const double y = i / kSide * 2.0;
            const double jitter = (i * 7 + edge) % 5 * 1e-3;
            const Point corners[4] = {{x, y}, {x + 1, y}, {x + 1, y + 1}, {x, y + 1}};
            const Point from = corners[edge] + Point{jitter, 0};
            const Point to = corners[(edge + 1) % 4];
            if (i % 3 == 0)
                pieces.AddSegment(to, from, i);
            else
                pieces.AddSegment(from, to, i);
        }
    }
    const Welding welding = Weld(pieces, 0.01);
    ASSERT_EQ(welding.chains.size(), std::size_t{kSide * kSide});
    std::size_t wrong = 0;
    for (const WeldedChain& chain : welding.chains) {
        wrong += !chain.closed || chain.count != 4;
        const auto links = welding.Links(chain);
        for (const ChainLink& link : links)
            wrong += pieces.pieces[link.piece].id != pieces.pieces[links[0].piece].id;
    }
    EXPECT_EQ(wrong, 0u);
    EXPECT_NEAR(welding.largestGap, 4e-3, 1e-9);
    ExpectJointsAgree(pieces, welding);
    // Side by side, none inside another, none crossing.
    const ContourSummary summary = SummariseContours(pieces, welding);
    EXPECT_EQ(summary.closed.size(), welding.chains.size());
    EXPECT_TRUE(summary.cutOuts.empty());
    const CrossingReport crossings = FindCrossings(pieces, welding);
    EXPECT_TRUE(crossings.complete);
    EXPECT_TRUE(crossings.pieces.empty());
}

TEST(ContourCheck, FindsTheBoardAndItsCutOuts)
{
    ContourPieces pieces;
    const auto square = [&](double x, double y, double side) {
        const Point c[4] = {{x, y}, {x + side, y}, {x + side, y + side}, {x, y + side}};
        for (int k = 0; k < 4; ++k)
            pieces.AddSegment(c[k], c[(k + 1) % 4], 0);
    };
    square(200, 0, 5);                         // outside the board
    pieces.AddCircle({10, 10}, 2, 0);          // a mounting cut-out
    square(0, 0, 100);                         // the board
    square(50, 50, 10);                        // a cut-out
    pieces.AddArc({150, 0}, {150, 10}, 90, 0); // open, outside
    const Welding welding = Weld(pieces, 0.01);
    const ContourSummary summary = SummariseContours(pieces, welding);
    ASSERT_EQ(summary.closed.size(), 4u);
    ASSERT_TRUE(summary.board.has_value());
    const ClosedContour& board = summary.closed[*summary.board];
    EXPECT_NEAR(board.area, 10000, 1e-9);
    EXPECT_EQ(board.box.max.x, 100);
    EXPECT_EQ(summary.cutOuts, (std::vector<std::size_t>{1, 3}));
    const CrossingReport crossings = FindCrossings(pieces, welding);
    EXPECT_TRUE(crossings.complete);
    EXPECT_TRUE(crossings.pieces.empty());
}

TEST(ContourCheck, ReportsChainsThatCrossOrOverlap)
{
    struct CrossCase
    {
        const char* name;
        std::vector<Segment> segments;
        std::size_t firstPiece;
        std::size_t secondPiece;
    };
    const std::vector<CrossCase> cases = {
        {"two crossing lines", {{{0, 0}, {10, 10}, 0}, {{0, 10}, {10, 0}, 0}}, 0, 1},
        {"a line along another", {{{0, 0}, {10, 0}, 0}, {{4, 0}, {6, 0}, 0}}, 0, 1},
        {"a chain turning back on itself", {{{0, 0}, {10, 0}, 0}, {{10, 0}, {5, 0}, 0}}, 0, 1},
        {"an arc through a line", {{{0, -5}, {0, 5}, 180}, {{3, -10}, {3, 10}, 0}}, 0, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ContourPieces pieces = Pieces(c.segments);
        const CrossingReport report = FindCrossings(pieces, Weld(pieces, 0.01));
        ASSERT_EQ(report.pieces.size(), 1u);
        EXPECT_EQ(report.pieces[0].first, c.firstPiece);
        EXPECT_EQ(report.pieces[0].second, c.secondPiece);
    }
}

// Polylines are tested in runs of lines: crossings inside one run, between two
// runs of one piece, and a fold at a joint must all be found.
TEST(ContourCheck, ReportsPolylinesThatCrossThemselves)
{
    struct PolylineCase
    {
        const char* name;
        std::vector<Point> points;
        std::size_t crossings;
    };
    std::vector<Point> spiral; // 40 lines outwards, then one straight back across them
    for (int k = 0; k <= 40; ++k)
        spiral.push_back({k * std::cos(k * 0.7), k * std::sin(k * 0.7)});
    spiral.push_back({0.5, 0.5});
    std::vector<Point> stairs; // 40 lines that never cross
    for (int k = 0; k <= 40; ++k)
        stairs.push_back({static_cast<double>((k + 1) / 2), static_cast<double>(k / 2)});
    const std::vector<PolylineCase> cases = {
        {"a loop within a few lines", {{0, 0}, {10, 0}, {10, 10}, {5, -5}}, 1},
        {"a fold back", {{0, 0}, {10, 0}, {4, 0}}, 1},
        {"a long spiral cut by its last line", spiral, 1},
        {"long stairs", stairs, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ContourPieces pieces;
        pieces.AddPolyline(c.points, 0);
        const CrossingReport report = FindCrossings(pieces, Weld(pieces, 0.01));
        EXPECT_TRUE(report.complete);
        ASSERT_EQ(report.pieces.size(), c.crossings);
        if (c.crossings != 0) {
            EXPECT_EQ(report.pieces[0], std::make_pair(0u, 0u));
        }
    }
}

} // namespace
} // namespace vektrano
