#pragma once

#include "geometry/arc.h"
#include "geometry/point.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vektrano {

// What one drawn element of a script is. A radius arc is told apart from an arc
// given by its sweep because the script does not say which of its two arcs Eagle
// takes, so the preview shows it in a colour (and with a note) of its own.
enum class ShapeKind : std::uint8_t { Wire, Arc, RadiusArc, Circle, Hole, Text, Polygon };
constexpr std::size_t kShapeKinds = 7;

// One wire segment, arc, circle, hole, text or polygon, in millimetres. For an
// arc, start and end are the script's two points, centre and radius follow from
// them, and sweep is signed in degrees (positive counter-clockwise). A circle
// has sweep 360 and its start is the point on it the script names. A hole is a
// circle of its drill's radius, start and end at its centre. A text has its
// anchor as start and end, a polygon its first point; their details are
// ScriptPicture::texts and ::polygons at index detail.
struct Shape
{
    ShapeKind kind = ShapeKind::Wire;
    std::uint8_t layer = 0; // Eagle's layer number; 0 before the script names one
    std::uint32_t detail = 0;
    Point start;
    Point end;
    Point centre;
    double radius = 0;
    double sweep = 0;
    double width = 0;
    std::size_t line = 0; // 1-based; the shapes of one chain share it
};

// Eagle's nine alignments: which part of a text's box sits on its anchor.
enum class TextHorizontal : std::uint8_t { Left, Centre, Right };
enum class TextBaseline : std::uint8_t { Bottom, Centre, Top };
enum class TextFont : std::uint8_t { Vector, Proportional, Fixed };

struct TextShape
{
    std::string text;  // UTF-8, control characters replaced by "?"
    double height = 0; // Change Size, in millimetres
    double angle = 0;  // degrees counter-clockwise, 0 <= angle < 360
    double ratio = 8;  // stroke in percent of the height
    bool mirror = false;
    bool spin = false;
    TextHorizontal align = TextHorizontal::Left;
    TextBaseline baseline = TextBaseline::Bottom;
    TextFont font = TextFont::Proportional;
    Box box; // an estimate of the area the text covers, angle and alignment included
};

// A filled area: its edges are ScriptPicture::polygonEdges[firstEdge] on, each a
// wire or an arc, the last one ending where the first starts.
struct PolygonShape
{
    std::size_t firstEdge = 0;
    std::size_t edgeCount = 0;
    Box box;
};

// A line the preview passes by, with its start as the user would recognise it.
struct NotShownLine
{
    std::size_t line = 0;
    std::string text; // printable ASCII only, cut short
};

// What the shapes of one kind or one layer cover, so a painter of them knows its box.
struct KindSummary
{
    Box extent; // around the centre lines; empty when no shape of the kind is drawn
    double widest = 0;
    std::size_t count = 0;
};

// A layer that holds shapes, and the name the script or Eagle gives it.
struct LayerSummary
{
    int layer = 0;
    std::string name; // empty when Eagle has no name for the number and the script gives none
    KindSummary shapes;
};

// An end of a wire or arc on a contour layer that no other end meets.
struct OpenEnd
{
    Point at;
    std::uint8_t layer = 0;
};

struct ScriptPicture
{
    std::vector<Shape> shapes;
    std::vector<TextShape> texts;
    std::vector<PolygonShape> polygons;
    std::vector<Shape> polygonEdges;
    // The first kMaxNotShownListed of them; notShownCount counts them all.
    std::vector<NotShownLine> notShown;
    std::size_t notShownCount = 0;
    std::size_t lineCount = 0;
    Box extent; // around every shape's centre line; empty when nothing is drawn
    std::array<KindSummary, kShapeKinds> kinds;
    std::vector<LayerSummary> layers; // the layers that hold shapes, by number
    // Open contour ends on layers 20 and 46; the first kMaxOpenEndsListed of them,
    // openEndCount counts them all.
    std::vector<OpenEnd> openEnds;
    std::size_t openEndCount = 0;
    bool hasRadiusArcs = false;

    // One layer is drawn in the colours of the shape kinds, as every classic
    // script is; several in the colours of their layers.
    bool ColourByLayer() const { return layers.size() > 1; }
};

} // namespace vektrano
