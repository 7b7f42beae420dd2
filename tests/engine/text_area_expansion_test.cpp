// Texts and filled areas as the expansion places them, caught by a sink that
// keeps what it is handed.
#include "engine_test_support.h"
#include "expand/expansion.h"

#include <cmath>

namespace vektrano::test {
namespace {

struct CapturedText
{
    DxfKind kind;
    PlacedText text;
};

struct CapturingSink final : PrimitiveSink
{
    void Segment(const PrimitiveSource&, Point, Point) override { ++segments; }
    void Arc(const PrimitiveSource&, Point, Point, double) override {}
    void Circle(const PrimitiveSource&, Point, double) override {}
    void Chain(const PrimitiveSource&, std::span<const Point>) override {}
    void Text(const PrimitiveSource& source, const PlacedText& text) override
    {
        texts.push_back({source.kind, text});
    }
    void Area(const PrimitiveSource&, const PlacedArea& area) override { areas.push_back(area); }

    int segments = 0;
    std::vector<CapturedText> texts;
    std::vector<PlacedArea> areas;
};

struct Expanded
{
    CapturingSink sink;
    ExpansionReport report;
    bool stopped = false;
};

// Reads and expands a drawing of the given sections, texts and areas on.
Expanded Expand(const std::string& dxf, bool on = true)
{
    LineTable lines;
    lines.Cut(dxf, "\r\n");
    lines.Shift();
    vektrano::Drawing drawing;
    Expanded out;
    EXPECT_FALSE(ReadDrawing(lines, drawing));
    ExpandSettings settings;
    settings.texts = settings.areas = on;
    ExpansionPlan plan;
    EXPECT_FALSE(PlanExpansion(lines, drawing, settings, plan));
    out.stopped =
        vektrano::Expand(lines, drawing, settings, plan, {}, out.sink, out.report).has_value();
    return out;
}

std::string Sections(const std::string& blocks, const std::string& entities)
{
    std::string text;
    if (!blocks.empty())
        text += Entity("SECTION", {{"2", "BLOCKS"}}) + blocks + "0\r\nENDSEC\r\n";
    return text + Entity("SECTION", {{"2", "ENTITIES"}}) + entities + "0\r\nENDSEC\r\n0\r\nEOF\r\n";
}

std::string Block(const std::string& name, const std::string& entities)
{
    return Entity("BLOCK", {{"8", "0"}, {"2", name}, {"70", "0"}, {"10", "0"}, {"20", "0"}}) +
           entities + Entity("ENDBLK", {{"8", "0"}});
}

std::string Insert(const std::string& name, std::initializer_list<Group> more)
{
    std::string text = Entity("INSERT", {{"8", "0"}, {"2", name}});
    for (const auto& group : more)
        text += group.code + "\r\n" + group.value + "\r\n";
    return text;
}

double SignedArea(const std::vector<Point>& ring)
{
    double twice = 0;
    for (std::size_t i = 0; i < ring.size(); ++i)
        twice += Cross(ring[i], ring[(i + 1) % ring.size()]);
    return twice / 2;
}

void ExpectNear(Point actual, Point expected)
{
    EXPECT_NEAR(actual.x, expected.x, 1e-9);
    EXPECT_NEAR(actual.y, expected.y, 1e-9);
}

struct TextCase
{
    const char* name;
    std::string dxf;
    Point anchor;
    double angle;
    double height;
    bool mirrored;
    TextAlign align;
    std::vector<std::string> lines;
    double lineSpacing = 0;
};

TEST(TextPlacement, FollowsBlocksUnitsAndMirrors)
{
    const std::string text =
        Entity("TEXT", {{"8", "0"}, {"10", "1"}, {"20", "0"}, {"40", "2"}, {"1", "Hi"}});
    const std::string justified = Entity("TEXT", {{"8", "0"},
                                                  {"10", "0"},
                                                  {"20", "0"},
                                                  {"11", "5"},
                                                  {"21", "0"},
                                                  {"40", "1"},
                                                  {"72", "2"},
                                                  {"73", "3"},
                                                  {"1", "R"}});
    const TextAlign bottomLeft{};
    const std::vector<TextCase> cases = {
        {"a block turned a quarter",
         Sections(Block("B", text), Insert("B", {{"10", "10"}, {"20", "10"}, {"50", "90"}})),
         {10, 11},
         90,
         2,
         false,
         bottomLeft,
         {"Hi"}},
        {"a block mirrored in x",
         Sections(Block("B", text), Insert("B", {{"41", "-1"}})),
         {-1, 0},
         0,
         2,
         true,
         bottomLeft,
         {"Hi"}},
        {"a block mirrored in y",
         Sections(Block("B", text), Insert("B", {{"42", "-1"}})),
         {1, 0},
         180,
         2,
         true,
         bottomLeft,
         {"Hi"}},
        {"a doubled block and a top right text at its second point",
         Sections(Block("B", justified), Insert("B", {{"41", "2"}, {"42", "2"}})),
         {10, 0},
         0,
         2,
         false,
         {HorizontalAlign::Right, VerticalAlign::Top},
         {"R"}},
        {"a backward text",
         Sections(
             "",
             Entity("TEXT",
                    {{"8", "0"}, {"10", "3"}, {"20", "4"}, {"40", "1"}, {"71", "2"}, {"1", "B"}})),
         {3, 4},
         0,
         1,
         true,
         bottomLeft,
         {"B"}},
        {"an inch drawing",
         "0\r\nSECTION\r\n2\r\nHEADER\r\n9\r\n$INSUNITS\r\n70\r\n1\r\n0\r\nENDSEC\r\n" +
             Sections("", text),
         {25.4, 0},
         0,
         50.8,
         false,
         bottomLeft,
         {"Hi"}},
        {"an MTEXT of two lines attached bottom left",
         Sections(
             "",
             Entity(
                 "MTEXT",
                 {{"8", "0"}, {"10", "0"}, {"20", "0"}, {"40", "3"}, {"71", "7"}, {"1", "A\\PB"}})),
         {0, 5},
         0,
         3,
         false,
         bottomLeft,
         {"A", "B"},
         5},
        {"an MTEXT turned by its direction and centred",
         Sections("", Entity("MTEXT", {{"8", "0"},
                                       {"10", "1"},
                                       {"20", "1"},
                                       {"40", "1"},
                                       {"71", "5"},
                                       {"11", "0"},
                                       {"21", "2"},
                                       {"1", "C"}})),
         {1, 1},
         90,
         1,
         false,
         {HorizontalAlign::Center, VerticalAlign::Center},
         {"C"},
         5.0 / 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Expanded e = Expand(c.dxf);
        ASSERT_EQ(e.sink.texts.size(), 1u);
        const PlacedText& t = e.sink.texts[0].text;
        ExpectNear(t.anchor, c.anchor);
        EXPECT_NEAR(std::remainder(t.angle - c.angle, 360), 0, 1e-9);
        EXPECT_NEAR(t.height, c.height, 1e-12);
        EXPECT_EQ(t.mirrored, c.mirrored);
        EXPECT_EQ(t.align, c.align);
        EXPECT_EQ(t.lines, c.lines);
        EXPECT_NEAR(t.lineSpacing, c.lineSpacing, 1e-12);
    }
}

TEST(TextPlacement, DrawsVisibleAttributesOnlyAndNothingWhenOff)
{
    const std::string dxf =
        Sections(Block("B", ""), Insert("B", {{"66", "1"}, {"10", "5"}, {"20", "5"}}) +
                                     Entity("ATTRIB", {{"8", "0"},
                                                       {"10", "3"},
                                                       {"20", "4"},
                                                       {"40", "1"},
                                                       {"1", "R1"},
                                                       {"2", "REF"},
                                                       {"70", "0"}}) +
                                     Entity("ATTRIB", {{"8", "0"},
                                                       {"10", "3"},
                                                       {"20", "6"},
                                                       {"40", "1"},
                                                       {"1", "X"},
                                                       {"2", "H"},
                                                       {"70", "1"}}) +
                                     Entity("SEQEND", {{"8", "0"}}) + Line("0", "0", "1", "0"));
    const Expanded on = Expand(dxf);
    ASSERT_EQ(on.sink.texts.size(), 1u);
    EXPECT_EQ(on.sink.texts[0].kind, DxfKind::Attrib);
    EXPECT_EQ(on.sink.texts[0].text.lines, std::vector<std::string>{"R1"});
    // An ATTRIB's point is where it stands, not relative to the block.
    ExpectNear(on.sink.texts[0].text.anchor, {3, 4});
    EXPECT_EQ(on.sink.segments, 1);

    const Expanded off = Expand(dxf, false);
    EXPECT_TRUE(off.sink.texts.empty());
    EXPECT_EQ(off.sink.segments, 1);
}

// A HATCH of the given paths (each already written as its codes).
std::string Hatch(bool solid, std::initializer_list<std::string> paths)
{
    std::string text = Entity("HATCH", {{"8", "0"},
                                        {"10", "0"},
                                        {"20", "0"},
                                        {"30", "0"},
                                        {"2", solid ? "SOLID" : "ANSI31"},
                                        {"70", solid ? "1" : "0"},
                                        {"71", "0"},
                                        {"91", std::to_string(paths.size())}});
    for (const auto& path : paths)
        text += path;
    return text + "75\r\n1\r\n76\r\n1\r\n98\r\n1\r\n10\r\n1\r\n20\r\n1\r\n";
}

std::string PolylinePath(std::initializer_list<std::pair<int, int>> corners)
{
    std::string text =
        "92\r\n2\r\n72\r\n0\r\n73\r\n1\r\n93\r\n" + std::to_string(corners.size()) + "\r\n";
    for (const auto& [x, y] : corners)
        text += "10\r\n" + std::to_string(x) + "\r\n20\r\n" + std::to_string(y) + "\r\n";
    return text + "97\r\n0\r\n";
}

// An edge path of straight edges through the corners and back, its count given.
std::string LinePath(std::initializer_list<std::pair<int, int>> corners, std::size_t count)
{
    std::string text = "92\r\n1\r\n93\r\n" + std::to_string(count) + "\r\n";
    const std::vector<std::pair<int, int>> c(corners);
    for (std::size_t i = 0; i < c.size(); ++i) {
        const auto [x0, y0] = c[i];
        const auto [x1, y1] = c[(i + 1) % c.size()];
        text += "72\r\n1\r\n10\r\n" + std::to_string(x0) + "\r\n20\r\n" + std::to_string(y0) +
                "\r\n11\r\n" + std::to_string(x1) + "\r\n21\r\n" + std::to_string(y1) + "\r\n";
    }
    return text + "97\r\n1\r\n330\r\n2F\r\n";
}

TEST(AreaPlacement, BringsHatchRingsSolidsAndFaults)
{
    const std::string circle = "92\r\n1\r\n93\r\n1\r\n72\r\n2\r\n10\r\n0\r\n20\r\n0\r\n40\r\n2\r\n5"
                               "0\r\n0\r\n51\r\n360\r\n73\r\n1\r\n97\r\n0\r\n";
    const std::string dxf = Sections(
        "",
        Hatch(true, {PolylinePath({{0, 0}, {10, 0}, {10, 10}, {0, 10}}),
                     LinePath({{3, 3}, {3, 7}, {7, 7}, {7, 3}}, 4)}) +
            Hatch(true, {circle}) + Hatch(false, {LinePath({{0, 0}, {1, 0}, {0, 1}}, 3)}) +
            Entity("SOLID", {{"8", "0"},
                             {"10", "0"},
                             {"20", "0"},
                             {"11", "10"},
                             {"21", "0"},
                             {"12", "0"},
                             {"22", "5"},
                             {"13", "10"},
                             {"23", "5"}}) +
            // An edge count above the edges present, then edges that do not meet.
            Hatch(true, {LinePath({{0, 0}, {1, 0}, {0, 1}}, 4)}) +
            Hatch(true,
                  {"92\r\n1\r\n93\r\n2\r\n72\r\n1\r\n10\r\n0\r\n20\r\n0\r\n11\r\n1\r\n21\r\n0\r\n"
                   "72\r\n1\r\n10\r\n5\r\n20\r\n5\r\n11\r\n0\r\n21\r\n0\r\n97\r\n0\r\n"}) +
            Line("0", "0", "1", "0"));
    const Expanded e = Expand(dxf);
    EXPECT_FALSE(e.stopped);
    EXPECT_EQ(e.sink.segments, 1); // the run went on past the broken boundaries
    ASSERT_EQ(e.sink.areas.size(), 4u);

    const PlacedArea& island = e.sink.areas[0];
    EXPECT_TRUE(island.solid);
    ASSERT_EQ(island.rings.size(), 2u);
    EXPECT_EQ(island.rings[0].size(), 4u);
    EXPECT_EQ(island.rings[1].size(), 4u);
    EXPECT_NEAR(std::fabs(SignedArea(island.rings[0])) - std::fabs(SignedArea(island.rings[1])), 84,
                1e-9);

    ASSERT_EQ(e.sink.areas[1].rings.size(), 1u);
    EXPECT_NEAR(SignedArea(e.sink.areas[1].rings[0]), 4 * std::numbers::pi, 0.1);
    EXPECT_FALSE(e.sink.areas[2].solid);

    // SOLID's corners go round 1, 2, 4, 3.
    const std::vector<Point> solid = {{0, 0}, {10, 0}, {10, 5}, {0, 5}};
    EXPECT_EQ(e.sink.areas[3].rings, std::vector<std::vector<Point>>{solid});

    ASSERT_EQ(e.report.badAreas.size(), 2u);
    EXPECT_EQ(e.report.badAreas[0].fault, AreaFault::CountWrong);
    EXPECT_EQ(e.report.badAreas[1].fault, AreaFault::NotClosed);
    EXPECT_LT(e.report.badAreas[0].line, e.report.badAreas[1].line);

    const Expanded off = Expand(dxf, false);
    EXPECT_TRUE(off.sink.areas.empty());
    EXPECT_TRUE(off.report.badAreas.empty());
}

TEST(AreaPlacement, StopsAtANonNumberInABoundary)
{
    const std::string dxf = Sections("", Hatch(true, {PolylinePath({{0, 0}, {1, 0}, {0, 1}})}));
    const std::string broken =
        std::string(dxf).replace(dxf.find("10\r\n1\r\n20"), 7, "10\r\nx\r\n");
    EXPECT_TRUE(Expand(broken).stopped);
    EXPECT_FALSE(Expand(broken, false).stopped); // not read when areas are off
}

} // namespace
} // namespace vektrano::test
