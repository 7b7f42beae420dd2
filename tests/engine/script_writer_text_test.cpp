// The writer's Text, Polygon and Change lines, read back from the script file.
#include "engine_test_support.h"
#include "script/script_writer.h"

namespace vektrano::test {
namespace {

// Runs write on a writer of wire width 0.1 and returns the script's lines.
template <typename Write> std::vector<std::string> Written(Write&& write, TextAreaTally* tally = {})
{
    TempDir dir;
    ScriptFile script;
    EXPECT_EQ(script.Open((dir / "t.scr").string()), 0);
    ScriptWriter writer(script, "0.1");
    write(writer);
    if (tally)
        *tally = writer.Tally();
    EXPECT_TRUE(script.Close());
    return CrLfLines(ReadBytes(dir / "t.scr"));
}

PlacedText Sample(std::vector<std::string> lines, double height = 2)
{
    PlacedText text;
    text.lines = std::move(lines);
    text.anchor = {1, 2};
    text.height = height;
    text.lineSpacing = 3;
    return text;
}

TEST(ScriptWriterText, WritesChangesOnlyWhenTheyDiffer)
{
    PlacedText mirrored = Sample({"A", "", "C"});
    mirrored.mirrored = true;
    mirrored.angle = 90;
    mirrored.align = {HorizontalAlign::Right, VerticalAlign::Top};
    TextAreaTally tally;
    const auto lines = Written(
        [&](ScriptWriter& w) {
            w.Text(Sample({"AB"}), 8);
            w.Text(Sample({"CD"}), 8);
            w.Text(mirrored, 12);
            w.Text(Sample({"too tall"}, 50.9), 8);
            w.Text(Sample({"  "}), 8);
        },
        &tally);
    // The line below the blank one keeps its place: two spacings down the
    // turned frame, which points along +x at 90 degrees.
    const std::vector<std::string> expected = {
        "Change Size 2;",          "Change Ratio 8;",       "Change Align Bottom Left;",
        "Text 'AB' SR0 (1 2);",    "Text 'CD' SR0 (1 2);",  "Change Ratio 12;",
        "Change Align Top Right;", "Text 'A' SMR90 (1 2);", "Text 'C' SMR90 (7 2);",
    };
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(tally.texts, 3u);
    EXPECT_EQ(tally.textLines, 4u);
    EXPECT_EQ(tally.heightOutOfRange, 1u);
}

struct PolygonCase
{
    const char* name;
    std::vector<Point> corners;
    std::vector<std::string> lines; // after the first polygon's Change
};

TEST(ScriptWriterPolygon, ClosesOnTheFirstCornerAndDropsCornersThatPrintAlike)
{
    const std::vector<PolygonCase> cases = {
        {"a square",
         {{0, 0}, {1, 0}, {1, 1}, {0, 1}},
         {"Polygon 0.1 (0 0) (1 0) (1 1) (0 1) (0 0);"}},
        {"the first corner repeated and a corner printing like its neighbour",
         {{0, 0}, {1, 0}, {1 + 2e-15, 0}, {1, 1}, {0, 0}},
         {"Polygon 0.1 (0 0) (1 0) (1 1) (0 0);"}},
        {"two corners as printed", {{0, 0}, {1, 0}, {1 + 2e-15, 0}, {0, 0}}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TextAreaTally tally;
        const auto lines = Written([&](ScriptWriter& w) { w.Polygon(c.corners); }, &tally);
        std::vector<std::string> expected;
        if (!c.lines.empty())
            expected.push_back("Change Pour Solid;");
        expected.insert(expected.end(), c.lines.begin(), c.lines.end());
        EXPECT_EQ(lines, expected);
        EXPECT_EQ(tally.polygons + tally.polygonsTooSmall, 1u);
    }
}

TEST(ScriptWriterPolygon, SplitsAnAreaWithAnIslandIntoSimplePolygons)
{
    const std::vector<std::vector<Point>> rings = {{{0, 0}, {10, 0}, {10, 10}, {0, 10}},
                                                   {{3, 3}, {7, 3}, {7, 7}, {3, 7}}};
    TextAreaTally tally;
    const auto lines = Written([&](ScriptWriter& w) { w.FilledArea(rings); }, &tally);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], "Change Pour Solid;");
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Change Pour Solid;"), 1);
    EXPECT_EQ(tally.polygons, lines.size() - 1);
    EXPECT_EQ(tally.polygonsTooSmall, 0u);
}

} // namespace
} // namespace vektrano::test
