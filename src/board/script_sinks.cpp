#include "script_sinks.h"

namespace vektrano {

void ScriptSink::Segment(const PrimitiveSource&, Point from, Point to) { writer_.Wire(from, to); }

void ScriptSink::Arc(const PrimitiveSource& source, Point from, Point to, double sweepDegrees)
{
    const bool polyline = source.kind == DxfKind::Polyline || source.kind == DxfKind::LwPolyline;
    writer_.Arc(from, to, sweepDegrees,
                polyline ? ScriptWriter::Spelling::Upper : ScriptWriter::Spelling::Lower);
}

void ScriptSink::Circle(const PrimitiveSource&, Point centre, double radius)
{
    writer_.Circle(centre, radius);
}

void ScriptSink::Chain(const PrimitiveSource&, std::span<const Point> points)
{
    for (std::size_t i = 0; i + 1 < points.size(); ++i)
        if (points[i] != points[i + 1])
            writer_.Wire(points[i], points[i + 1]);
}

void ExtentSink::Segment(const PrimitiveSource&, Point from, Point to)
{
    box_.Add(from);
    box_.Add(to);
}

void ExtentSink::Arc(const PrimitiveSource&, Point from, Point to, double sweepDegrees)
{
    AddArcExtent(box_, from, to, sweepDegrees);
}

void ExtentSink::Circle(const PrimitiveSource&, Point centre, double radius)
{
    box_.Add({centre.x - radius, centre.y - radius});
    box_.Add({centre.x + radius, centre.y + radius});
}

void ExtentSink::Chain(const PrimitiveSource&, std::span<const Point> points)
{
    for (std::size_t i = 0; i + 1 < points.size(); ++i)
        if (points[i] != points[i + 1]) {
            box_.Add(points[i]);
            box_.Add(points[i + 1]);
        }
}

void ExtentSink::Text(const PrimitiveSource&, const PlacedText& text)
{
    for (std::size_t i = 0; i < text.lines.size(); ++i)
        if (!text.lines[i].empty())
            box_.Add(LineAnchor(text, i));
}

void ExtentSink::Area(const PrimitiveSource&, const PlacedArea& area)
{
    for (const auto& ring : area.rings)
        for (Point p : ring)
            box_.Add(p);
}

} // namespace vektrano
