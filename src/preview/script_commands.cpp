#include "script_commands.h"

#include "geometry/arc.h"
#include "script_tokens.h"

#include <cmath>
#include <optional>

namespace vektrano {

namespace {

// What bends a wire's segment to its next point: a sweep in degrees, or a
// radius in millimetres after "@".
struct Bend
{
    enum class Kind { None, Sweep, Radius } kind = Kind::None;
    double value = 0;
};

// The segment from start to end as the bend before end shapes it; nothing when
// no arc of that bend joins the two points. A sweep of 0 draws a straight line.
std::optional<Shape> Segment(Point start, Point end, Bend bend)
{
    Shape shape;
    shape.start = start;
    shape.end = end;
    if (bend.kind == Bend::Kind::Radius) {
        const auto arc = ArcThroughRadius(start, end, bend.value);
        if (!arc)
            return std::nullopt;
        shape.kind = ShapeKind::RadiusArc;
        shape.centre = arc->circle.centre;
        shape.radius = arc->circle.radius;
        shape.sweep = arc->sweepDegrees;
    } else if (bend.kind == Bend::Kind::Sweep && bend.value != 0) {
        const auto circle = ArcThroughChecked(start, end, bend.value);
        if (!circle)
            return std::nullopt;
        shape.kind = ShapeKind::Arc;
        shape.centre = circle->centre;
        shape.radius = circle->radius;
        shape.sweep = bend.value;
    }
    return shape;
}

std::optional<double> GridUnit(std::string_view word)
{
    if (SameWord(word, "mm"))
        return 1;
    if (SameWord(word, "inch"))
        return 25.4;
    if (SameWord(word, "mil"))
        return 0.0254;
    if (SameWord(word, "mic"))
        return 0.001;
    return std::nullopt;
}

// How a wire's ends look; the preview draws every end round.
bool IsEndStyle(std::string_view word) { return SameWord(word, "round") || SameWord(word, "flat"); }

} // namespace

bool CommandReader::Read(std::string_view command, std::size_t line, std::vector<Shape>& shapes)
{
    Tokens tokens(command);
    if (tokens.AtEnd())
        return true;
    const std::string_view name = tokens.Word();
    const std::size_t before = shapes.size();
    bool shown = false;
    if (SameWord(name, "grid"))
        shown = ReadGrid(tokens);
    else if (SameWord(name, "change"))
        shown = ReadChange(tokens);
    else if (SameWord(name, "set") || SameWord(name, "layer"))
        shown = true;
    else if (SameWord(name, "wire"))
        shown = ReadWire(tokens, line, shapes);
    else if (SameWord(name, "circle"))
        shown = ReadCircle(tokens, line, shapes);
    if (!shown)
        shapes.resize(before);
    return shown;
}

// Only the unit matters to the picture; the grid's spacing and style are passed over.
bool CommandReader::ReadGrid(Tokens& tokens)
{
    while (!tokens.AtEnd()) {
        const std::string_view word = tokens.Word();
        if (word.empty())
            return false; // a parenthesis
        if (const auto unit = GridUnit(word))
            unit_ = *unit;
    }
    return true;
}

bool CommandReader::ReadChange(Tokens& tokens)
{
    if (!SameWord(tokens.Word(), "width"))
        return true;
    // A width the unit carries beyond a double is refused like a negative one,
    // so no wire after it gets an infinite width.
    const auto value = ReadNumber(tokens.Word());
    double width = 0;
    if (!value || !ReadWidth(*value, width))
        return false;
    wireWidth_ = width;
    return true;
}

bool CommandReader::ReadWidth(double value, double& width) const
{
    width = value * unit_;
    return value >= 0 && std::isfinite(width);
}

// Wire [signal name] [width] [round|flat] point [bend] point ..., a chain of
// segments each bent by the sweep or @radius written before its end.
bool CommandReader::ReadWire(Tokens& tokens, std::size_t line, std::vector<Shape>& shapes)
{
    double width = wireWidth_;
    std::optional<Point> last;
    bool anySegment = false;
    Bend bend;
    while (!tokens.AtEnd()) {
        const char next = tokens.Peek();
        if (next == '(') {
            const auto point = tokens.PointInParentheses();
            if (!point)
                return false;
            const Point here{point->x * unit_, point->y * unit_};
            if (last) {
                auto shape = Segment(*last, here, bend);
                if (!shape)
                    return false;
                shape->width = width;
                shape->line = line;
                shapes.push_back(*shape);
                anySegment = true;
                bend = {};
            }
            last = here;
            continue;
        }
        if (next == '\'') {
            // A signal name comes before the first point only.
            if (last || !tokens.SkipQuoted())
                return false;
            continue;
        }
        const bool atRadius = next == '@';
        if (atRadius)
            tokens.Skip(1);
        const std::string_view word = tokens.Word();
        if (!atRadius && IsEndStyle(word))
            continue;
        const auto value = ReadNumber(word);
        if (!value)
            return false;
        if (!last && !atRadius) {
            if (!ReadWidth(*value, width))
                return false;
        } else if (last && bend.kind == Bend::Kind::None) {
            bend = atRadius ? Bend{Bend::Kind::Radius, *value * unit_}
                            : Bend{Bend::Kind::Sweep, *value};
            if (!std::isfinite(bend.value))
                return false;
        } else {
            return false;
        }
    }
    // A chain ends on a point: a bend after the last one bends nothing.
    return anySegment && bend.kind == Bend::Kind::None;
}

// Circle [width] centre point-on-it ..., each pair of points one circle.
bool CommandReader::ReadCircle(Tokens& tokens, std::size_t line, std::vector<Shape>& shapes)
{
    double width = wireWidth_;
    std::optional<Point> centre;
    bool anyPoint = false;
    while (!tokens.AtEnd()) {
        const char next = tokens.Peek();
        if (next == '(') {
            const auto point = tokens.PointInParentheses();
            if (!point)
                return false;
            const Point here{point->x * unit_, point->y * unit_};
            anyPoint = true;
            if (!centre) {
                centre = here;
                continue;
            }
            Shape shape;
            shape.kind = ShapeKind::Circle;
            shape.centre = *centre;
            shape.start = shape.end = here;
            shape.radius = std::hypot(here.x - centre->x, here.y - centre->y);
            shape.sweep = 360;
            shape.width = width;
            shape.line = line;
            if (!std::isfinite(shape.radius))
                return false;
            shapes.push_back(shape);
            centre.reset();
            continue;
        }
        if (next == '\'' || next == '@')
            return false;
        const std::string_view word = tokens.Word();
        if (IsEndStyle(word))
            continue;
        const auto value = ReadNumber(word);
        if (!value || anyPoint || !ReadWidth(*value, width))
            return false;
    }
    // Each circle needs its centre and a point on it.
    return anyPoint && !centre;
}

} // namespace vektrano
