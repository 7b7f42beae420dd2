#include "preview/eagle_layers.h"
#include "preview/script_reader.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vektrano {
namespace {

void ExpectNear(Point actual, Point expected, const char* what)
{
    EXPECT_NEAR(actual.x, expected.x, 1e-9) << what;
    EXPECT_NEAR(actual.y, expected.y, 1e-9) << what;
}

struct LayerShape
{
    ShapeKind kind;
    int layer;
    Point at; // a wire's start, a circle's or hole's centre
    double radius;
};

struct LayerCase
{
    const char* script;
    std::vector<LayerShape> shapes;
    std::size_t notShown = 0;
};

constexpr auto W = ShapeKind::Wire;
constexpr auto C = ShapeKind::Circle;
constexpr auto H = ShapeKind::Hole;

const LayerCase kLayerCases[] = {
    {"Wire 0 (0 0) (1 0);\nLayer 20;\nWire 0 (1 0) (2 0);\nLayer 21;\nCircle 0 (3 3) (3 4);",
     {{W, 0, {0, 0}, 0}, {W, 20, {1, 0}, 0}, {C, 21, {3, 3}, 1}}},
    // A hole is Eagle's symbol on 45, whatever layer is in force.
    {"Layer 20;\nGrid mil;\nHole 40 (100 100);", {{H, 45, {2.54, 2.54}, 0.508}}},
    {"Hole 0.8 (1 1) (2 2)\t(3 3);",
     {{H, 45, {1, 1}, 0.4}, {H, 45, {2, 2}, 0.4}, {H, 45, {3, 3}, 0.4}}},
    {"Change Drill 1;\nHole (5 5);\nHole 2;\nHole (6 6);",
     {{H, 45, {5, 5}, 0.5}, {H, 45, {6, 6}, 1}}},
    {"Layer 101 LOGO;\nWire 0 (0 0) (1 0);\nlayer tplace;\nWire 0 (0 0) (1 0);\nLayer logo;\n"
     "Wire 0 (0 0) (1 0);",
     {{W, 101, {0, 0}, 0}, {W, 21, {0, 0}, 0}, {W, 101, {0, 0}, 0}}},
    // What a careless script may hold: no drill, a drill of 0, a second drill
    // after points, layers Eagle does not have. The layer in force stays.
    {"Layer 16;\nHole (1 1);\nHole 0 (1 1);\nHole 1 (1 1) 2 (2 2);\nLayer 256;\nLayer 1.5;\n"
     "Layer Nowhere;\nLayer 1 A B;\nWire 0 (0 0) (1 0);",
     {{W, 16, {0, 0}, 0}},
     7},
};

TEST(ScriptReader, CarriesTheLayerInForceAndReadsHoles)
{
    for (const auto& c : kLayerCases) {
        SCOPED_TRACE(c.script);
        const ScriptPicture picture = ReadScriptText(c.script);
        EXPECT_EQ(picture.notShownCount, c.notShown);
        ASSERT_EQ(picture.shapes.size(), c.shapes.size());
        for (std::size_t i = 0; i < c.shapes.size(); ++i) {
            SCOPED_TRACE(i);
            const Shape& s = picture.shapes[i];
            EXPECT_EQ(s.kind, c.shapes[i].kind);
            EXPECT_EQ(s.layer, c.shapes[i].layer);
            ExpectNear(s.kind == W ? s.start : s.centre, c.shapes[i].at, "point");
            EXPECT_NEAR(s.radius, c.shapes[i].radius, 1e-12);
        }
    }
}

TEST(ScriptReader, NamesTheLayersItDrawsOn)
{
    const ScriptPicture picture = ReadScriptText(
        "Layer 101 LOGO;\nWire 0 (0 0) (1 0);\nLayer 20;\nWire 0 (0 0) (1 0);\nHole 1 (0 0);\n"
        "Layer 21 Silk;\nLayer 22;");
    ASSERT_EQ(picture.layers.size(), 3u);
    EXPECT_EQ(picture.layers[0].layer, 20);
    EXPECT_EQ(picture.layers[0].name, "Dimension");
    EXPECT_EQ(picture.layers[1].name, "Holes");
    EXPECT_EQ(picture.layers[2].layer, 101);
    EXPECT_EQ(picture.layers[2].name, "LOGO");
    EXPECT_EQ(picture.layers[2].shapes.count, 1u);
    EXPECT_TRUE(picture.ColourByLayer());
    EXPECT_FALSE(ReadScriptText("Layer 20;\nWire 0 (0 0) (1 0);\nLayer 21;").ColourByLayer());
    EXPECT_EQ(EagleLayerName(16), "Bottom");
    EXPECT_EQ(EagleLayerName(52), "bDocu");
    EXPECT_EQ(EagleLayerName(50), "");
}

struct TextCase
{
    const char* script;
    std::vector<std::string> strings;
    Point anchor;
    double height, angle, ratio;
    bool mirror, spin;
    TextHorizontal align;
    TextBaseline baseline;
    TextFont font;
};

constexpr auto L = TextHorizontal::Left;
constexpr auto M = TextHorizontal::Centre;
constexpr auto R = TextHorizontal::Right;
constexpr auto Bottom = TextBaseline::Bottom;
constexpr auto Middle = TextBaseline::Centre;
constexpr auto Top = TextBaseline::Top;

const TextCase kTextCases[] = {
    {"Change Size 2.5;\nChange Ratio 10;\nChange Font Vector;\n"
     "Text 'It''s \\\\ a \\!test; ok\\n' SMR33.5 (1 2);",
     {"It's \\ a !test; ok\\n"},
     {1, 2},
     2.5,
     33.5,
     10,
     true,
     true,
     L,
     Bottom,
     TextFont::Vector},
    {"Change Align top center;\nText Hallo (0 0);",
     {"Hallo"},
     {0, 0},
     1.778,
     0,
     8,
     false,
     false,
     M,
     Top,
     TextFont::Proportional},
    {"Change Align right left bottom top;\nChange Font Fixed;\ntext A MR0 (0 0)",
     {"A"},
     {0, 0},
     1.778,
     0,
     8,
     true,
     false,
     L,
     Top,
     TextFont::Fixed},
    {"Change Align center;\nChange Align right;\nText 'A' (0 0)",
     {"A"},
     {0, 0},
     1.778,
     0,
     8,
     false,
     false,
     R,
     Bottom,
     TextFont::Proportional},
    {"Change Align center;\nText 'A' (0 0)",
     {"A"},
     {0, 0},
     1.778,
     0,
     8,
     false,
     false,
     M,
     Middle,
     TextFont::Proportional},
    {"Grid inch;\nChange Size 0.1;\nText 'A B' R-90 (1 1) (2 2);",
     {"A B", "A B"},
     {25.4, 25.4},
     2.54,
     270,
     8,
     false,
     false,
     L,
     Bottom,
     TextFont::Proportional},
    // The script is Windows-1252: the euro sign, an umlaut, a control character.
    {"Text '\x80 \xe4\x01' (0 0)",
     {"\u20ac \u00e4?"},
     {0, 0},
     1.778,
     0,
     8,
     false,
     false,
     L,
     Bottom,
     TextFont::Proportional},
};

TEST(ScriptReader, ReadsTextsWithTheChangesInForce)
{
    for (const auto& c : kTextCases) {
        SCOPED_TRACE(c.script);
        const ScriptPicture picture = ReadScriptText(c.script);
        EXPECT_EQ(picture.notShownCount, 0u);
        ASSERT_EQ(picture.texts.size(), c.strings.size());
        ASSERT_EQ(picture.shapes.size(), c.strings.size());
        for (std::size_t i = 0; i < c.strings.size(); ++i) {
            EXPECT_EQ(picture.shapes[i].kind, ShapeKind::Text);
            EXPECT_EQ(picture.shapes[i].detail, i);
            EXPECT_EQ(picture.texts[i].text, c.strings[i]);
        }
        const TextShape& t = picture.texts[0];
        ExpectNear(picture.shapes[0].start, c.anchor, "anchor");
        EXPECT_NEAR(t.height, c.height, 1e-12);
        EXPECT_NEAR(t.angle, c.angle, 1e-12);
        EXPECT_EQ(t.ratio, c.ratio);
        EXPECT_EQ(t.mirror, c.mirror);
        EXPECT_EQ(t.spin, c.spin);
        EXPECT_EQ(t.align, c.align);
        EXPECT_EQ(t.baseline, c.baseline);
        EXPECT_EQ(t.font, c.font);
        // The extent holds the text's estimated box, not only its anchor.
        EXPECT_LT(picture.extent.min.x, picture.extent.max.x);
    }
}

TEST(ScriptReader, ListsTextAndChangeLinesItCannotRead)
{
    const ScriptPicture picture = ReadScriptText("Text 'open (1 1)\n"
                                                 "Text 'A' R90 R90 (1 1)\n"
                                                 "Text 'A' X90 (1 1)\n"
                                                 "Text 'A' (1 1) R90\n"
                                                 "Text '' (1 1)\n"
                                                 "Text 'A'\n"
                                                 "Change Ratio 40\n"
                                                 "Change Size 0\n"
                                                 "Change Align middle\n"
                                                 "Change Font Serif\n"
                                                 "Change Pour Wild\n"
                                                 "Change Pour Cutout\n"
                                                 "Text 'A' (1 1)");
    EXPECT_EQ(picture.notShownCount, 11u);
    ASSERT_EQ(picture.texts.size(), 1u);
    EXPECT_EQ(picture.texts[0].ratio, 8);
    EXPECT_EQ(picture.texts[0].align, TextHorizontal::Left);
}

struct PolygonCase
{
    const char* script;
    std::vector<Point> corners; // each edge's start, the closing edge's included
    std::size_t arcEdge;        // the index of the one arc edge, or corners.size()
    Box box;
};

const PolygonCase kPolygonCases[] = {
    {"Polygon 0.2 (0 0) (10 0) (10 5);", {{0, 0}, {10, 0}, {10, 5}}, 3, {{0, 0}, {10, 5}}},
    {"Polygon 'GND' (0 0) (10 0) +180 (10 10) (0 10) (0 0);",
     {{0, 0}, {10, 0}, {10, 10}, {0, 10}},
     1,
     {{0, 0}, {15, 10}}},
};

TEST(ScriptReader, ReadsPolygonsClosedBackToTheirFirstPoint)
{
    for (const auto& c : kPolygonCases) {
        SCOPED_TRACE(c.script);
        const ScriptPicture picture = ReadScriptText(c.script);
        EXPECT_EQ(picture.notShownCount, 0u);
        ASSERT_EQ(picture.shapes.size(), 1u);
        EXPECT_EQ(picture.shapes[0].kind, ShapeKind::Polygon);
        ASSERT_EQ(picture.polygons.size(), 1u);
        const PolygonShape& polygon = picture.polygons[0];
        ASSERT_EQ(polygon.edgeCount, c.corners.size());
        for (std::size_t i = 0; i < c.corners.size(); ++i) {
            SCOPED_TRACE(i);
            const Shape& edge = picture.polygonEdges[polygon.firstEdge + i];
            ExpectNear(edge.start, c.corners[i], "corner");
            ExpectNear(edge.end, c.corners[(i + 1) % c.corners.size()], "next corner");
            EXPECT_EQ(edge.kind, i == c.arcEdge ? ShapeKind::Arc : ShapeKind::Wire);
        }
        ExpectNear(picture.extent.min, c.box.min, "extent min");
        ExpectNear(picture.extent.max, c.box.max, "extent max");
    }
    // Eagle wants three corners; a bend must lead to a point.
    EXPECT_EQ(ReadScriptText("Polygon (0 0) (1 1) (0 0);\nPolygon (0 0) (1 0) (1 1) +90;\n"
                             "Polygon (0 0) (1 0);")
                  .notShownCount,
              3u);
}

struct OpenEndCase
{
    const char* name;
    const char* script;
    std::vector<Point> ends;
};

const OpenEndCase kOpenEndCases[] = {
    {"closed rectangle", "Layer 20;\nWire 0 (0 0) (10 0) (10 5) (0 5) (0 0);", {}},
    {"rectangle in single wires, ends a rounding apart",
     "Layer 20;\nWire 0 (0 0) (10 0);\nWire 0 (10.000000000001 0) (10 5);\n"
     "Wire 0 (10 5) (0 5);\nWire 0 (0 5) (0 0);",
     {}},
    {"rectangle with a gap",
     "Layer 20;\nWire 0 (0 0) (10 0) (10 5) (0 5);\nWire 0 (0 4.99) (0 0);",
     {{0, 5}, {0, 4.99}}},
    {"gap on a layer that holds no contour", "Layer 21;\nWire 0 (0 0) (10 0) (10 5) (0 5);", {}},
    {"arc closing a milling slot",
     "Layer 46;\nWire 0 (0 0) (10 0) +180 (10 10) (0 10) +180 (0 0);",
     {}},
    {"the same point on two contour layers meets nothing",
     "Layer 46;\nWire 0 (0 0) (1 0);\nLayer 20;\nWire 0 (1 0) (2 0);",
     {{1, 0}, {2, 0}, {0, 0}, {1, 0}}},
    {"three wires meeting at a point leave three far ends",
     "Layer 20;\nWire 0 (0 0) (1 0);\nWire 0 (0 0) (0 1);\nWire 0 (-1 0) (0 0);",
     {{1, 0}, {0, 1}, {-1, 0}}},
};

TEST(OpenEnds, MarksEndsNoOtherEndOnTheirContourLayerMeets)
{
    for (const auto& c : kOpenEndCases) {
        SCOPED_TRACE(c.name);
        const ScriptPicture picture = ReadScriptText(c.script);
        EXPECT_EQ(picture.openEndCount, c.ends.size());
        ASSERT_EQ(picture.openEnds.size(), c.ends.size());
        for (std::size_t i = 0; i < c.ends.size(); ++i)
            ExpectNear(picture.openEnds[i].at, c.ends[i], "end");
    }
}

} // namespace
} // namespace vektrano
