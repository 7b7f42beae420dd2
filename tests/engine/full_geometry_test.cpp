// Full geometry's script lines for small drawings, each worked out by hand, and
// its answers to hostile drawings.
#include "engine_test_support.h"
#include "geometry/affine.h"

#include <cmath>
#include <cstdio>
#include <numbers>

namespace vektrano::test {
namespace {

std::string Section(std::string_view name, std::initializer_list<std::string> records)
{
    std::string text = Entity("SECTION", {{"2", std::string(name)}});
    for (const auto& record : records)
        text += record;
    return text + "0\r\nENDSEC\r\n";
}

std::string Block(std::string name, std::string baseX, std::string baseY,
                  std::initializer_list<std::string> entities)
{
    std::string text =
        Entity("BLOCK", {{"8", "0"}, {"2", name}, {"70", "0"}, {"10", baseX}, {"20", baseY}});
    for (const auto& entity : entities)
        text += entity;
    return text + Entity("ENDBLK", {{"8", "0"}});
}

std::string Insert(std::string name, std::string x, std::string y,
                   std::initializer_list<Group> more = {})
{
    std::string text = Entity("INSERT", {{"8", "0"}, {"2", name}, {"10", x}, {"20", y}});
    for (const auto& group : more)
        text += group.code + "\r\n" + group.value + "\r\n";
    return text;
}

std::string Arc(std::string x, std::string y, std::string r, std::string from, std::string to,
                std::initializer_list<Group> more = {})
{
    std::string text =
        Entity("ARC", {{"8", "0"}, {"10", x}, {"20", y}, {"40", r}, {"50", from}, {"51", to}});
    for (const auto& group : more)
        text += group.code + "\r\n" + group.value + "\r\n";
    return text;
}

std::string WithEof(std::string text) { return text + "0\r\nEOF\r\n"; }

struct DrawingCase
{
    const char* name;
    std::string dxf;
    std::vector<std::string> body;
};

std::vector<DrawingCase> DrawingCases()
{
    const std::string arcBlock =
        Section("BLOCKS", {Block("B", "1", "0", {Arc("1", "0", "1", "0", "90")}),
                           Block("L", "0", "0", {Line("0", "0", "1", "0")}),
                           Block("A", "0", "0", {Insert("L", "2", "0")})});
    return {
        {"bulges of plus and minus one and a closed polyline closing on an arc",
         WithEof(Section("ENTITIES", {Entity("LWPOLYLINE", {{"8", "0"},
                                                            {"90", "3"},
                                                            {"70", "1"},
                                                            {"10", "0"},
                                                            {"20", "0"},
                                                            {"42", "1"},
                                                            {"10", "10"},
                                                            {"20", "0"},
                                                            {"10", "10"},
                                                            {"20", "10"},
                                                            {"42", "-1"}})})),
         {"Wire 0.01 (0 0) +180 (10 0)", "Wire 0.01 (10 0) (10 10)",
          "Wire 0.01 (10 10) -180 (0 0)"}},
        {"an arc, a circle and a line",
         WithEof(Section("ENTITIES",
                         {Arc("0", "0", "10", "0", "90"),
                          Entity("CIRCLE", {{"8", "0"}, {"10", "5"}, {"20", "5"}, {"40", "2"}}),
                          Line("1", "2", "3", "4")})),
         {"wire 0.01 (10 0) +90 (0 10)", "Circle 0.01 (5 5) (5 7)", "Wire 0.01 (1 2) (3 4)"}},
        {"a rotated and a mirrored insert of a block with an arc",
         WithEof(arcBlock + Section("ENTITIES", {Insert("B", "10", "10", {{"50", "90"}}),
                                                 Insert("B", "0", "0", {{"41", "-1"}})})),
         {"wire 0.01 (10 11) +90 (9 10)", "wire 0.01 (-1 0) -90 (0 1)"}},
        {"a MINSERT of 2 columns and 3 rows",
         WithEof(
             arcBlock +
             Section("ENTITIES", {Insert("L", "0", "0",
                                         {{"70", "2"}, {"71", "3"}, {"44", "5"}, {"45", "7"}})})),
         {"Wire 0.01 (0 0) (1 0)", "Wire 0.01 (5 0) (6 0)", "Wire 0.01 (0 7) (1 7)",
          "Wire 0.01 (5 7) (6 7)", "Wire 0.01 (0 14) (1 14)", "Wire 0.01 (5 14) (6 14)"}},
        {"nested blocks multiply their placements",
         WithEof(arcBlock +
                 Section("ENTITIES", {Insert("A", "0", "3", {{"41", "2"}, {"42", "2"}})})),
         {"Wire 0.01 (4 3) (6 3)"}},
        {"an inch drawing",
         WithEof(Section("HEADER", {"9\r\n$INSUNITS\r\n70\r\n1\r\n"}) +
                 Section("ENTITIES", {Line("0", "0", "1", "2")})),
         {"Wire 0.01 (0 0) (25.4 50.8)"}},
        {"paper space and a frozen layer are not drawn",
         WithEof(
             Section("TABLES", {Entity("TABLE", {{"2", "LAYER"}}),
                                Entity("LAYER", {{"2", "F"}, {"70", "1"}, {"62", "7"}}),
                                Entity("LAYER", {{"2", "AUS"}, {"70", "0"}, {"62", "-7"}}),
                                "0\r\nENDTAB\r\n"}) +
             Section(
                 "ENTITIES",
                 {Line("0", "0", "1", "1"),
                  Entity("LINE", {{"8", "0"},
                                  {"67", "1"},
                                  {"10", "5"},
                                  {"20", "5"},
                                  {"11", "6"},
                                  {"21", "6"}}),
                  Entity("LINE", {{"8", "f"}, {"10", "7"}, {"20", "7"}, {"11", "8"}, {"21", "8"}}),
                  Entity("LINE",
                         {{"8", "AUS"}, {"10", "7"}, {"20", "7"}, {"11", "8"}, {"21", "8"}})})),
         {"Wire 0.01 (0 0) (1 1)"}},
        {"a drawing wholly in paper space is drawn",
         WithEof(Section(
             "ENTITIES",
             {Entity(
                 "LINE",
                 {{"8", "0"}, {"67", "1"}, {"10", "5"}, {"20", "5"}, {"11", "6"}, {"21", "6"}})})),
         {"Wire 0.01 (5 5) (6 6)"}},
        {"an extrusion of (0, 0, -1) mirrors circles and arcs in x",
         WithEof(Section("ENTITIES", {Entity("CIRCLE", {{"8", "0"},
                                                        {"10", "3"},
                                                        {"20", "4"},
                                                        {"40", "1"},
                                                        {"210", "0"},
                                                        {"220", "0"},
                                                        {"230", "-1"}}),
                                      Arc("0", "0", "1", "0", "90", {{"230", "-1.0"}})})),
         {"Circle 0.01 (-3 4) (-3 5)", "wire 0.01 (-1 0) -90 (0 1)"}},
    };
}

TEST(FullGeometry, WritesEachKindAsWorkedOutByHand)
{
    for (const DrawingCase& c : DrawingCases()) {
        SCOPED_TRACE(c.name);
        Conversion run;
        run.options.fullGeometry = true;
        ASSERT_EQ(run.Run(c.dxf), RunOutcome::Completed) << run.Log();
        EXPECT_EQ(run.Body(), c.body) << run.Log();
    }
}

TEST(FullGeometry, DrawingUnitOptionOverridesTheFileAndIsLogged)
{
    Conversion run;
    run.options.fullGeometry = true;
    run.options.drawingUnit = UnitOfName("cm");
    ASSERT_EQ(run.Run(WithEof(Section("HEADER", {"9\r\n$INSUNITS\r\n70\r\n1\r\n"}) +
                              Section("ENTITIES", {Line("0", "0", "1", "2")}))),
              RunOutcome::Completed);
    EXPECT_EQ(run.Body(), std::vector<std::string>{"Wire 0.01 (0 0) (10 20)"});
    EXPECT_NE(run.Log().find("Vollständige Geometrie, Einheit vorgegeben: Zentimeter (× 10 mm)"),
              std::string::npos)
        << run.Log();
}

TEST(FullGeometry, AutomaticOffsetCountsAnArcsExtremePoint)
{
    // The arc from (10 0) to (-10 0) through (0 10) reaches y = 10 and starts at x = -10
    // only at its end; its lowest point is its ends' y = 0 shifted by the circle's -5.
    Conversion run;
    run.options.fullGeometry = true;
    run.window.SetCheckBox(CheckBox::Chk_Auto_Offset, 1);
    ASSERT_EQ(
        run.Run(WithEof(Section(
            "ENTITIES", {Arc("0", "0", "10", "0", "180"),
                         Entity("CIRCLE", {{"8", "0"}, {"10", "20"}, {"20", "0"}, {"40", "5"}})}))),
        RunOutcome::Completed);
    EXPECT_EQ(run.window.ReadField(Field::Txt_Offset_X), "10");
    EXPECT_EQ(run.window.ReadField(Field::Txt_Offset_Y), "5");
    EXPECT_EQ(run.Body(), (std::vector<std::string>{"wire 0.01 (20 5) +180 (0 5)",
                                                    "Circle 0.01 (30 5) (30 10)"}));
}

struct HostileCase
{
    const char* name;
    std::string dxf;
    bool completes;
    std::string logHas;            // a line of the log, or of the stop message
    std::vector<std::string> body; // when complete
};

std::vector<HostileCase> HostileCases()
{
    const std::string self =
        Section("BLOCKS", {Block("S", "0", "0", {Line("0", "0", "1", "0"), Insert("T", "0", "0")}),
                           Block("T", "0", "0", {Insert("S", "5", "0")})});
    return {
        {"an insert of a missing block",
         WithEof(Section("ENTITIES", {Insert("NOPE", "0", "0"), Insert("NOPE", "1", "0"),
                                      Line("0", "0", "1", "1")})),
         true,
         "Block fehlt: \t2x\tNOPE\r\n",
         {"Wire 0.01 (0 0) (1 1)"}},
        {"a block inserting itself through another",
         WithEof(self + Section("ENTITIES", {Insert("S", "0", "0")})),
         true,
         "Block fügt sich selbst ein, nicht weiter verfolgt: S\r\n",
         {"Wire 0.01 (0 0) (1 0)"}},
        {"a MINSERT of 10,000 by 10,000",
         WithEof(Section("BLOCKS", {Block("L", "0", "0", {Line("0", "0", "1", "0")})}) +
                 Section("ENTITIES",
                         {Insert("L", "0", "0",
                                 {{"70", "10000"}, {"71", "10000"}, {"44", "1"}, {"45", "1"}})})),
         false,
         "Mehr als 10000000 Skriptzeilen ab Zeile 44 der DXF Datei (INSERT): nichts "
         "geschrieben.",
         {}},
        {"a coordinate that is no number",
         WithEof(Section("ENTITIES", {Line("0", "abc", "1", "1")})),
         false,
         "Ungültige Zahl in Zeile 12 der DXF Datei: \"abc\"",
         {}},
        {"a vertex count larger than the vertices present",
         WithEof(Section("ENTITIES", {Entity("LWPOLYLINE", {{"8", "0"},
                                                            {"90", "5"},
                                                            {"70", "0"},
                                                            {"10", "0"},
                                                            {"20", "0"},
                                                            {"10", "2"},
                                                            {"20", "0"}})})),
         true,
         "Anzahl LWPolyline: 1\t davon konvertiert: 1\r\n",
         {"Wire 0.01 (0 0) (2 0)"}},
        {"a bulge beyond the range of a number",
         WithEof(Section("ENTITIES", {Entity("LWPOLYLINE", {{"8", "0"},
                                                            {"90", "2"},
                                                            {"10", "0"},
                                                            {"20", "0"},
                                                            {"42", "1e999"},
                                                            {"10", "2"},
                                                            {"20", "0"}})})),
         false,
         "Ungültige Zahl in Zeile 16 der DXF Datei: \"1e999\"",
         {}},
        {"a scale that takes a point beyond the range of a number",
         WithEof(Section("BLOCKS", {Block("L", "0", "0", {Line("0", "0", "1e300", "0")})}) +
                 Section("ENTITIES", {Insert("L", "0", "0", {{"41", "1e300"}})})),
         false,
         "Ungültige Zahl in Zeile 54 der DXF Datei: \"1e300\"",
         {}},
        {"a group code that is no integer",
         WithEof(Section("ENTITIES", {Line("0", "0", "1", "1")}) + "x\r\n1\r\n"),
         false,
         "Ungültige Zahl in Zeile 23 der DXF Datei: \"x\"",
         {}},
    };
}

TEST(FullGeometry, AnswersHostileDrawingsWithACompleteOrNoScript)
{
    for (const HostileCase& c : HostileCases()) {
        SCOPED_TRACE(c.name);
        Conversion run;
        run.options.fullGeometry = true;
        const RunOutcome outcome = run.Run(c.dxf);
        EXPECT_NE(run.Log().find(c.logHas), std::string::npos) << run.Log();
        EXPECT_FALSE(run.window.BusyCursor());
        if (c.completes) {
            EXPECT_EQ(outcome, RunOutcome::Completed);
            EXPECT_EQ(run.Body(), c.body);
        } else {
            EXPECT_EQ(outcome, RunOutcome::Stopped);
            EXPECT_FALSE(fs::exists(run.scr)) << "a stopped run leaves no script";
            ASSERT_EQ(run.window.Messages().size(), 1u);
            EXPECT_EQ(run.window.Messages()[0].text, c.logHas);
        }
    }
}

TEST(FullGeometry, FollowsTenThousandNestedBlocksWithoutRecursion)
{
    constexpr int kDepth = 10000;
    std::string blocks = Entity("SECTION", {{"2", "BLOCKS"}});
    auto name = [](int i) {
        std::string text = "B";
        text += std::to_string(i);
        return text;
    };
    for (int i = 0; i < kDepth; ++i) {
        const std::string inner =
            i + 1 < kDepth ? Insert(name(i + 1), "1", "0") : Line("0", "0", "1", "0");
        blocks += Block(name(i), "0", "0", {inner});
    }
    blocks += "0\r\nENDSEC\r\n";
    Conversion run;
    run.options.fullGeometry = true;
    ASSERT_EQ(run.Run(WithEof(blocks + Section("ENTITIES", {Insert("B0", "0", "0")}))),
              RunOutcome::Completed)
        << run.Log();
    EXPECT_EQ(run.Body(), std::vector<std::string>{"Wire 0.01 (9999 0) (10000 0)"});
}

// One INSERT at the top stands for the whole drawing: the window must still get
// to repaint while its block is drawn, not only between top-level entities.
TEST(FullGeometry, RepaintsWhileOneInsertDrawsALargeBlock)
{
    constexpr int kLines = 30000;
    std::string block =
        Entity("BLOCK", {{"8", "0"}, {"2", "BIG"}, {"70", "0"}, {"10", "0"}, {"20", "0"}});
    for (int i = 0; i < kLines; ++i)
        block += Line("0", std::to_string(i), "1", std::to_string(i));
    block += Entity("ENDBLK", {{"8", "0"}});
    Conversion run;
    run.options.fullGeometry = true;
    // The dashed line goes to the log just before the script is written.
    int whileWriting = 0;
    run.window.onRepaint = [&] {
        whileWriting += run.window.Log().find("-----") != std::string::npos ? 1 : 0;
    };
    ASSERT_EQ(run.Run(WithEof(Section("BLOCKS", {block}) +
                              Section("ENTITIES", {Insert("BIG", "0", "0")}))),
              RunOutcome::Completed)
        << run.Log();
    EXPECT_EQ(run.Body().size(), std::size_t{kLines});
    EXPECT_GE(whileWriting, 4);
}

} // namespace
} // namespace vektrano::test

namespace vektrano::test {
namespace {

std::vector<Point> ChainPoints(const std::vector<std::string>& body)
{
    std::vector<Point> points;
    for (const std::string& line : body) {
        double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
        EXPECT_EQ(std::sscanf(line.c_str(), "Wire 0.01 (%lf %lf) (%lf %lf)", &x1, &y1, &x2, &y2), 4)
            << line;
        if (!points.empty())
            EXPECT_EQ(points.back(), (Point{x1, y1})) << "the chain is broken at " << line;
        else
            points.push_back({x1, y1});
        points.push_back({x2, y2});
    }
    return points;
}

TEST(FullGeometry, CircleInAnUnevenlyScaledRotatedInsertStaysWithinTheTolerance)
{
    // A unit circle scaled (2, 1) and turned by 30 degrees: an ellipse with half axes
    // 2 and 1. Back in the block's frame every vertex lies on it, and no chord's
    // middle strays further than the tolerance inside it.
    const std::string dxf = WithEof(
        Section("BLOCKS",
                {Block("K", "0", "0",
                       {Entity("CIRCLE", {{"8", "0"}, {"10", "0"}, {"20", "0"}, {"40", "1"}})})}) +
        Section("ENTITIES", {Insert("K", "0", "0", {{"41", "2"}, {"42", "1"}, {"50", "30"}})}));
    for (double tolerance : {0.005, 0.0001}) {
        SCOPED_TRACE(tolerance);
        Conversion run;
        run.options.fullGeometry = true;
        run.options.tolerance = tolerance;
        ASSERT_EQ(run.Run(dxf), RunOutcome::Completed) << run.Log();
        const std::vector<Point> points = ChainPoints(run.Body());
        ASSERT_GT(points.size(), 8u);
        EXPECT_EQ(points.front(), points.back()) << "a full ellipse closes";
        // In the ellipse's own frame, G = sqrt(x²/4 + y²) is 1 on the curve; a point's
        // distance from it is (1 - G) / |grad G| to first order.
        const Affine back = Affine::Rotation(-std::numbers::pi / 6);
        auto level = [&back](Point p) {
            const Point r = back.Apply(p);
            return std::sqrt(r.x * r.x / 4 + r.y * r.y);
        };
        auto inside = [&back, &level](Point p) {
            const Point r = back.Apply(p);
            const double g = level(p);
            return (1 - g) / (std::hypot(r.x / 4, r.y) / g);
        };
        for (std::size_t i = 0; i + 1 < points.size(); ++i) {
            EXPECT_NEAR(level(points[i]), 1, 1e-9);
            EXPECT_LE(inside(0.5 * (points[i] + points[i + 1])), tolerance * 1.001);
        }
    }
}

TEST(FullGeometry, NamesEachSplineOfTheWrongShapeAndGoesOn)
{
    auto spline = [](std::string degree, std::initializer_list<std::string> knots,
                     std::string weight) {
        std::string text = Entity("SPLINE", {{"8", "0"}, {"70", "8"}, {"71", degree}});
        for (const auto& knot : knots)
            text += "40\r\n" + knot + "\r\n";
        for (const char* xy : {"0", "1", "2", "3"})
            text += std::string("10\r\n") + xy + "\r\n20\r\n" + xy + "\r\n41\r\n" + weight + "\r\n";
        return text;
    };
    const struct
    {
        std::string entity;
        const char* complaint;
    } cases[] = {
        {spline("0", {"0", "0", "0", "0"}, "1"), "Grad nicht zwischen 1 und 10"},
        {spline("11", {"0", "0", "1", "1"}, "1"), "Grad nicht zwischen 1 und 10"},
        {spline("3", {"0", "0", "0", "0", "1", "1"}, "1"), "falsche Anzahl Knoten"},
        {spline("3", {"0", "0", "0", "1", "0", "1", "1", "1"}, "1"), "fallende Knoten"},
        {spline("3", {"0", "0", "0", "0", "1", "1", "1", "1"}, "0"), "Gewicht nicht positiv"},
        {spline("4", {"0", "0", "0", "0", "0", "1", "1", "1"}, "1"), "zu wenige Kontrollpunkte"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.complaint);
        Conversion run;
        run.options.fullGeometry = true;
        ASSERT_EQ(run.Run(WithEof(Section("ENTITIES", {c.entity, Line("0", "0", "1", "1")}))),
                  RunOutcome::Completed);
        EXPECT_NE(run.Log().find(std::string("SPLINE in Zeile 6 nicht gezeichnet: ") + c.complaint +
                                 "\r\n"),
                  std::string::npos)
            << run.Log();
        EXPECT_EQ(run.Body(), std::vector<std::string>{"Wire 0.01 (0 0) (1 1)"});
    }
}

TEST(FullGeometry, EllipseOfRatioOneIsWrittenAsACircleOrArc)
{
    Conversion run;
    run.options.fullGeometry = true;
    ASSERT_EQ(
        run.Run(WithEof(Section("ENTITIES", {Entity("ELLIPSE", {{"8", "0"},
                                                                {"10", "1"},
                                                                {"20", "2"},
                                                                {"11", "3"},
                                                                {"21", "0"},
                                                                {"40", "1"},
                                                                {"41", "0"},
                                                                {"42", "6.283185307179586"}})}))),
        RunOutcome::Completed);
    EXPECT_EQ(run.Body(), std::vector<std::string>{"Circle 0.01 (1 2) (1 5)"});
}

// Exporters write ratios of 2.0 and 3.5: the same form draws them, the minor axis
// then being the longer one. Only a ratio of 0 or below names no ellipse.
TEST(FullGeometry, EllipseOfRatioAboveOneIsDrawnAndOneOfRatioZeroIsNot)
{
    const auto ellipse = [](std::string ratio) {
        return Entity("ELLIPSE", {{"8", "0"},
                                  {"10", "0"},
                                  {"20", "0"},
                                  {"11", "1"},
                                  {"21", "0"},
                                  {"40", ratio},
                                  {"41", "0"},
                                  {"42", "6.283185307179586"}});
    };
    Conversion run;
    run.options.fullGeometry = true;
    ASSERT_EQ(run.Run(WithEof(Section("ENTITIES", {ellipse("2"), ellipse("0")}))),
              RunOutcome::Completed);
    const std::vector<std::string> body = run.Body();
    ASSERT_GT(body.size(), 8u);
    double highest = 0;
    for (const std::string& line : body) {
        double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
        ASSERT_EQ(std::sscanf(line.c_str(), "Wire 0.01 (%lf %lf) (%lf %lf)", &x0, &y0, &x1, &y1), 4)
            << line;
        for (const auto& [x, y] : {std::pair{x0, y0}, std::pair{x1, y1}}) {
            EXPECT_NEAR(x * x + y * y / 4, 1, 1e-9) << line;
            highest = std::max(highest, y);
        }
    }
    EXPECT_NEAR(highest, 2, 0.005);
    EXPECT_NE(run.Log().find("Nicht gezeichnet: \t1x\tELLIPSE (Achsenverhältnis nicht positiv)"),
              std::string::npos)
        << run.Log();
}

// Our own reason texts are UTF-8 already; only names from the file are CP1252.
TEST(FullGeometry, ReasonsWithUmlautsAreEncodedOnce)
{
    Conversion run;
    run.options.fullGeometry = true;
    ASSERT_EQ(run.Run(WithEof(Section(
                  "ENTITIES", {Entity("ELLIPSE", {{"8", "0"}, {"11", "1"}, {"40", "-1"}})}))),
              RunOutcome::Completed);
    const std::string& log = run.Log();
    EXPECT_NE(log.find("1x\tELLIPSE (Achsenverhältnis nicht "), std::string::npos) << log;
    // "Ã" starts every character of a second encoding of ä, ö, ü or ß.
    EXPECT_EQ(log.find("\xC3\x83"), std::string::npos) << log;
}

} // namespace
} // namespace vektrano::test
