#include "script_commands.h"

#include "eagle_layers.h"
#include "geometry/arc.h"
#include "script_text.h"
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

// Eagle's layers go from 1 to 255.
std::optional<std::uint8_t> LayerNumber(std::string_view word)
{
    const auto value = ReadNumber(word);
    if (!value || *value < 1 || *value > 255 || *value != std::floor(*value))
        return std::nullopt;
    return static_cast<std::uint8_t>(*value);
}

bool SameName(std::string_view a, std::string_view b)
{
    const auto lower = [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return lower(x) == lower(y); });
}

// Where Eagle puts what HOLE draws: its symbol on 45, Holes.
constexpr std::uint8_t kHolesLayer = 45;

} // namespace

void LineShapes::Clear()
{
    shapes.clear();
    texts.clear();
    polygons.clear();
    polygonEdges.clear();
}

Box OutlineBox(const Shape& shape)
{
    Box box;
    const CircleShape circle{shape.centre, shape.radius};
    switch (shape.kind) {
    case ShapeKind::Wire:
    case ShapeKind::Text:
    case ShapeKind::Polygon:
        box.Add(shape.start);
        box.Add(shape.end);
        break;
    case ShapeKind::Arc:
    case ShapeKind::RadiusArc:
        AddArcExtent(box, circle, shape.start, shape.end, shape.sweep);
        break;
    case ShapeKind::Circle:
    case ShapeKind::Hole: AddCircleExtent(box, circle); break;
    }
    return box;
}

bool CommandReader::Read(std::string_view command, std::size_t line, LineShapes& out)
{
    Tokens tokens(command);
    if (tokens.AtEnd())
        return true;
    const std::string_view name = tokens.Word();
    const std::size_t shapes = out.shapes.size();
    const std::size_t texts = out.texts.size();
    const std::size_t polygons = out.polygons.size();
    const std::size_t edges = out.polygonEdges.size();
    bool shown = false;
    if (SameWord(name, "grid"))
        shown = ReadGrid(tokens);
    else if (SameWord(name, "change"))
        shown = ReadChange(tokens);
    else if (SameWord(name, "layer"))
        shown = ReadLayer(tokens);
    else if (SameWord(name, "set"))
        shown = true;
    else if (SameWord(name, "wire"))
        shown = ReadWire(tokens, line, out.shapes);
    else if (SameWord(name, "circle"))
        shown = ReadCircle(tokens, line, out.shapes);
    else if (SameWord(name, "hole"))
        shown = ReadHole(tokens, line, out.shapes);
    else if (SameWord(name, "text"))
        shown = ReadText(tokens, line, out);
    else if (SameWord(name, "polygon"))
        shown = ReadPolygon(tokens, line, out);
    if (!shown) {
        out.shapes.resize(shapes);
        out.texts.resize(texts);
        out.polygons.resize(polygons);
        out.polygonEdges.resize(edges);
    }
    return shown;
}

std::string CommandReader::LayerName(int layer) const
{
    if (layer >= 0 && layer < static_cast<int>(layerNames_.size()) &&
        !layerNames_[static_cast<std::size_t>(layer)].empty())
        return layerNames_[static_cast<std::size_t>(layer)];
    return std::string(EagleLayerName(layer));
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

// Layer N, Layer N NAME (which names the layer and selects it) or Layer NAME.
// Deleting a layer (Layer -N) changes nothing the preview shows.
bool CommandReader::ReadLayer(Tokens& tokens)
{
    if (tokens.AtEnd())
        return true;
    const std::string_view first = tokens.Word();
    if (first.empty())
        return false;
    if (first.front() == '-' || first == "??")
        return true;
    std::optional<std::uint8_t> layer = LayerNumber(first);
    if (layer) {
        if (!tokens.AtEnd()) {
            const std::string_view name = tokens.Word();
            if (name.empty() || !tokens.AtEnd())
                return false;
            layerNames_[*layer] = DecodeScriptText(name, false);
        }
    } else {
        if (!tokens.AtEnd())
            return false;
        // A name the script gave first, as Eagle renames its own layers too.
        for (std::size_t n = 1; n < layerNames_.size() && !layer; ++n)
            if (SameName(layerNames_[n], first) ||
                (layerNames_[n].empty() && SameName(EagleLayerName(static_cast<int>(n)), first)))
                layer = static_cast<std::uint8_t>(n);
        if (!layer)
            return false;
    }
    layer_ = *layer;
    return true;
}

// Width, Size, Ratio, Align, Font and Drill stay in force for what follows; Pour
// is checked and passed over, since the preview fills every polygon; any other
// property is passed over, and so are the points of objects a Change alters.
bool CommandReader::ReadChange(Tokens& tokens)
{
    const std::string_view property = tokens.Word();
    if (SameWord(property, "width")) {
        // A width the unit carries beyond a double is refused like a negative
        // one, so no wire after it gets an infinite width.
        const auto value = ReadNumber(tokens.Word());
        double width = 0;
        if (!value || !ReadWidth(*value, width))
            return false;
        wireWidth_ = width;
        return true;
    }
    if (SameWord(property, "size") || SameWord(property, "drill")) {
        const auto length = ReadLength(tokens.Word());
        if (!length)
            return false;
        (SameWord(property, "size") ? text_.height : drill_.emplace()) = *length;
        return true;
    }
    if (SameWord(property, "ratio")) {
        const auto ratio = ReadNumber(tokens.Word());
        if (!ratio || *ratio < 0 || *ratio > 31)
            return false;
        text_.ratio = *ratio;
        return true;
    }
    if (SameWord(property, "align"))
        return ReadAlign(tokens);
    if (SameWord(property, "font") || SameWord(property, "pour")) {
        const std::string_view value = tokens.Word();
        if (SameWord(property, "pour"))
            return SameWord(value, "solid") || SameWord(value, "hatch") ||
                   SameWord(value, "cutout");
        if (SameWord(value, "vector"))
            text_.font = TextFont::Vector;
        else if (SameWord(value, "proportional"))
            text_.font = TextFont::Proportional;
        else if (SameWord(value, "fixed"))
            text_.font = TextFont::Fixed;
        else
            return false;
        return true;
    }
    return true;
}

bool CommandReader::ReadWidth(double value, double& width) const
{
    width = value * unit_;
    return value >= 0 && std::isfinite(width);
}

TextShape CommandReader::DefaultText()
{
    TextShape text;
    // Eagle's help names no default size; until a Change Size the preview takes 70 mil.
    text.height = 1.778;
    return text;
}

std::optional<double> CommandReader::ReadLength(std::string_view word) const
{
    const auto value = ReadNumber(word);
    if (!value || !(*value > 0) || !std::isfinite(*value * unit_) || !(*value * unit_ > 0))
        return std::nullopt;
    return *value * unit_;
}

// [signal name] [width] [round|flat] point [bend] point ..., a chain of
// segments each bent by the sweep or @radius written before its end.
bool CommandReader::ReadChain(Tokens& tokens, std::size_t line, std::vector<Shape>& segments,
                              std::size_t& points)
{
    double width = wireWidth_;
    std::optional<Point> last;
    Bend bend;
    points = 0;
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
                shape->layer = layer_;
                segments.push_back(*shape);
                bend = {};
            }
            last = here;
            ++points;
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
    return bend.kind == Bend::Kind::None;
}

bool CommandReader::ReadWire(Tokens& tokens, std::size_t line, std::vector<Shape>& shapes)
{
    std::size_t points = 0;
    return ReadChain(tokens, line, shapes, points) && points >= 2;
}

// Polygon [signal name] [width] point [bend] point ...: an area Eagle fills,
// closed by a straight edge back to the first point unless the last point is
// that point again.
bool CommandReader::ReadPolygon(Tokens& tokens, std::size_t line, LineShapes& out)
{
    const std::size_t first = out.polygonEdges.size();
    std::size_t points = 0;
    if (!ReadChain(tokens, line, out.polygonEdges, points) || points < 2)
        return false;
    const Point start = out.polygonEdges[first].start;
    Shape closing = out.polygonEdges.back();
    if (closing.end == start) {
        --points;
    } else {
        closing.kind = ShapeKind::Wire;
        closing.start = closing.end;
        closing.end = start;
        closing.sweep = closing.radius = 0;
        out.polygonEdges.push_back(closing);
    }
    // Eagle refuses a polygon of fewer corners.
    if (points < 3)
        return false;
    PolygonShape polygon;
    polygon.firstEdge = first;
    polygon.edgeCount = out.polygonEdges.size() - first;
    for (std::size_t i = first; i < out.polygonEdges.size(); ++i)
        polygon.box.Unite(OutlineBox(out.polygonEdges[i]));
    Shape shape = out.polygonEdges[first];
    shape.kind = ShapeKind::Polygon;
    shape.start = shape.end = start;
    shape.centre = {};
    shape.sweep = shape.radius = 0;
    shape.detail = static_cast<std::uint32_t>(out.polygons.size());
    out.polygons.push_back(polygon);
    out.shapes.push_back(shape);
    return true;
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
            shape.layer = layer_;
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

// Hole [drill] point ...: a drill of that diameter at each point. The drill
// stays in force for later holes, as Change Drill sets it.
bool CommandReader::ReadHole(Tokens& tokens, std::size_t line, std::vector<Shape>& shapes)
{
    std::optional<double> drill = drill_;
    bool anyPoint = false;
    bool anyDrill = false;
    while (!tokens.AtEnd()) {
        if (tokens.Peek() != '(') {
            const auto length = ReadLength(tokens.Word());
            if (!length || anyPoint || anyDrill)
                return false;
            drill = length;
            anyDrill = true;
            continue;
        }
        const auto point = tokens.PointInParentheses();
        if (!point || !drill)
            return false;
        Shape shape;
        shape.kind = ShapeKind::Hole;
        shape.layer = kHolesLayer;
        shape.start = shape.end = shape.centre = {point->x * unit_, point->y * unit_};
        shape.radius = *drill / 2;
        shape.sweep = 360;
        shape.line = line;
        if (!std::isfinite(shape.centre.x) || !std::isfinite(shape.centre.y))
            return false;
        shapes.push_back(shape);
        anyPoint = true;
    }
    if (!anyPoint && !anyDrill)
        return false;
    drill_ = drill;
    return true;
}

} // namespace vektrano
