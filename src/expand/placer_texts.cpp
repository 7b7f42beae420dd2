// The placer's texts: TEXT, ATTRIB and MTEXT, each handed on as a PlacedText.
#include "dxf/text_content.h"
#include "placement.h"
#include "placer.h"

#include <cmath>

namespace vektrano {

namespace {

double AngleOf(Point direction) { return std::atan2(direction.y, direction.x) / kRadians; }

Vector3 Normalized(Vector3 v)
{
    const double length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return {v.x / length, v.y / length, v.z / length};
}

Vector3 CrossProduct(Vector3 a, Vector3 b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

} // namespace

ExpandStopOr Placer::DrawAttributes(const DxfEntity& insert, const Affine& transform,
                                    const Inherited& inherited)
{
    if (!settings_.texts)
        return std::nullopt;
    ExpandStopOr stop;
    ForEachAttrib(lines_, insert, [&](const DxfEntity& attrib) {
        if (!stop)
            stop = Draw(attrib, transform, inherited);
    });
    return stop;
}

ExpandStopOr Placer::DrawText(const DxfEntity& entity, const Affine& transform)
{
    TextRecord& t = text_;
    const bool attrib = entity.kind == DxfKind::Attrib;
    if (auto bad = attrib ? DecodeAttrib(lines_, entity, t) : DecodeText(lines_, entity, t))
        return BadNumberAt(*bad);
    if (!Shown(entity.kind, t.common.layer))
        return std::nullopt;
    if (attrib && (t.attributeFlags & 1) != 0) {
        report_.skipped.Count(entity.kind, SkipReason::Invisible);
        return std::nullopt;
    }
    placedText_.lines.resize(1);
    placedText_.lines[0] = PlainTextLine(t.text, codePage_);
    if (placedText_.lines[0].empty())
        return std::nullopt; // shows nothing
    const TextPlacement placement = TextAlignment(t.horizontal, t.vertical);
    // A justified text counts from its second point; without one, from its first.
    Point anchor = t.first;
    double rotation = t.rotation;
    if (t.hasSecond && placement.anchor == TextAnchor::Second)
        anchor = t.second;
    if (t.hasSecond && placement.anchor == TextAnchor::Between) {
        anchor = 0.5 * (t.first + t.second);
        // "Aligned" and "fit" texts run from one point to the other.
        if (t.second != t.first)
            rotation = AngleOf(t.second - t.first);
    }
    // DXF mirrors a text in its own frame before turning it: backward flips the
    // baseline, upside down the up direction.
    const Point baseline = ((t.mirror & 2) != 0 ? -1.0 : 1.0) * Direction(rotation);
    const Point up = ((t.mirror & 4) != 0 ? -1.0 : 1.0) * Direction(rotation + 90);
    const Affine place = transform * PlanOfExtrusion(t.common.extrusion, t.elevation);
    return EmitText(place.Apply(anchor), place.ApplyToVector(baseline), place.ApplyToVector(up),
                    t.height, 0, placement.align, t.common.blame);
}

ExpandStopOr Placer::DrawMText(const DxfEntity& entity, const Affine& transform)
{
    MTextRecord& m = mtext_;
    if (auto bad = DecodeMText(lines_, entity, m))
        return BadNumberAt(*bad);
    if (!Shown(entity.kind, m.common.layer))
        return std::nullopt;
    placedText_.lines = PlainMTextLines(m.content, codePage_);
    if (placedText_.lines.empty())
        return std::nullopt;
    const Vector3 normal =
        IsUsableExtrusion(m.common.extrusion) ? Normalized(m.common.extrusion) : Vector3{0, 0, 1};
    Point baseline, up;
    const Vector3 d = m.direction;
    if (m.useDirection && (d.x != 0 || d.y != 0 || d.z != 0) &&
        std::isfinite(d.x * d.x + d.y * d.y + d.z * d.z)) {
        // A direction in world coordinates; the text's up lies in its plane, a
        // quarter turn from it about the extrusion.
        const Vector3 x = Normalized(d);
        const Vector3 y = CrossProduct(normal, x);
        baseline = {x.x, x.y};
        up = {y.x, y.y};
    } else {
        const Affine plane = PlanOfExtrusion(m.common.extrusion, 0);
        baseline = plane.ApplyToVector(Direction(m.rotation));
        up = plane.ApplyToVector(Direction(m.rotation + 90));
    }
    // The insertion point is a world point whatever the extrusion.
    const Point anchor = transform.Apply({m.at.x, m.at.y});
    return EmitText(anchor, transform.ApplyToVector(baseline), transform.ApplyToVector(up),
                    m.height, MTextLineSpacing(m.height, m.lineSpacing),
                    MTextAlignment(m.attachment), m.common.blame);
}

ExpandStopOr Placer::EmitText(Point anchor, Point u, Point v, double height, double lineSpacing,
                              TextAlign align, std::size_t blame)
{
    if (!Finite(anchor))
        return NotFinite(blame);
    // A mirroring placement flips the text: Eagle's M mirrors the baseline in the
    // text's own frame, then the angle turns it, so the baseline read forwards
    // is the mirrored one reversed.
    const bool mirrored = Cross(u, v) < 0;
    const double angle = AngleOf(mirrored ? -1.0 * u : u);
    const double scale = std::hypot(v.x, v.y);
    PlacedText& text = placedText_;
    text.height = height * scale;
    text.lineSpacing = lineSpacing * scale;
    if (!(text.height > 0) || !std::isfinite(text.height) || !std::isfinite(text.lineSpacing) ||
        !std::isfinite(angle)) {
        report_.skipped.Count(source_.kind, SkipReason::HeightNotPositive);
        return std::nullopt;
    }
    text.angle = angle;
    text.mirrored = mirrored;
    text.align = align;
    text.anchor =
        TextLineAnchor(anchor, angle, text.lineSpacing, align.vertical, 0, text.lines.size());
    if (!Finite(text.anchor) || !Finite(LineAnchor(text, text.lines.size() - 1)))
        return NotFinite(blame);
    sink_.Text(source_, text);
    for (const std::string& line : text.lines)
        linesWritten += line.empty() ? 0 : 1;
    Drawn(source_.kind);
    return std::nullopt;
}

} // namespace vektrano
