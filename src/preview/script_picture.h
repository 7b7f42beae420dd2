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
enum class ShapeKind : std::uint8_t { Wire, Arc, RadiusArc, Circle };
constexpr std::size_t kShapeKinds = 4;

// One wire segment, arc or circle, in millimetres. For an arc, start and end are
// the script's two points, centre and radius follow from them, and sweep is
// signed in degrees (positive counter-clockwise). A circle has sweep 360 and its
// start is the point on it the script names.
struct Shape
{
    ShapeKind kind = ShapeKind::Wire;
    Point start;
    Point end;
    Point centre;
    double radius = 0;
    double sweep = 0;
    double width = 0;
    std::size_t line = 0; // 1-based; the shapes of one chain share it
};

// A line the preview passes by, with its start as the user would recognise it.
struct NotShownLine
{
    std::size_t line = 0;
    std::string text; // printable ASCII only, cut short
};

// What the shapes of one kind cover, so a painter of one kind knows its box.
struct KindSummary
{
    Box extent; // around the centre lines; empty when no shape of the kind is drawn
    double widest = 0;
    std::size_t count = 0;
};

struct ScriptPicture
{
    std::vector<Shape> shapes;
    // The first kMaxNotShownListed of them; notShownCount counts them all.
    std::vector<NotShownLine> notShown;
    std::size_t notShownCount = 0;
    std::size_t lineCount = 0;
    Box extent; // around every shape's centre line; empty when nothing is drawn
    std::array<KindSummary, kShapeKinds> kinds;
    bool hasRadiusArcs = false;
};

} // namespace vektrano
