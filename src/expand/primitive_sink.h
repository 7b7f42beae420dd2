#pragma once

#include "dxf/drawing.h"
#include "dxf/text_layout.h"
#include "geometry/point.h"

#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

namespace vektrano {

// Where a placed primitive comes from.
struct PrimitiveSource
{
    // The DXF layer after layer-0 inheritance, as the file spells it: an entity on
    // layer 0 inside a block takes the layer of the INSERT that placed it, and so
    // on up through every level of blocks.
    std::string_view layer;
    DxfKind kind = DxfKind::Line;
    std::size_t line = 0; // the entity's name line in the DXF file (1-based)
};

// A filled area as it lands on the board: its boundary rings flattened within the
// tolerance, in mm, each closed without repeating its first corner. Islands are
// rings of their own; what is filled is the rings' even-odd area.
struct PlacedArea
{
    std::vector<std::vector<Point>> rings;
    // A SOLID, a TRACE or a HATCH filled solid; otherwise a HATCH whose pattern
    // is not drawn: only its boundaries are.
    bool solid = true;
};

// What the expansion hands on, one primitive at a time, in millimetres with the
// offset added, in the order of the drawing. Nothing is kept between calls, so a
// sink that keeps nothing either lets memory stay flat whatever the drawing holds.
class PrimitiveSink
{
public:
    virtual ~PrimitiveSink() = default;
    // Each entity of a drawn kind once its layer is known, before its primitives;
    // shown is false when that layer is off or frozen, so it draws nothing.
    virtual void Entity(const PrimitiveSource&, bool /*shown*/) {}
    virtual void Segment(const PrimitiveSource& source, Point from, Point to) = 0;
    // A circular arc of the given signed sweep in degrees, counter-clockwise positive.
    virtual void Arc(const PrimitiveSource& source, Point from, Point to, double sweepDegrees) = 0;
    virtual void Circle(const PrimitiveSource& source, Point centre, double radius) = 0;
    // A flattened curve, its points in order; neighbours may be equal. All are finite.
    virtual void Chain(const PrimitiveSource& source, std::span<const Point> points) = 0;
    // Texts (TEXT, MTEXT, ATTRIB) and filled areas (HATCH, SOLID, TRACE) come only
    // when the settings ask for them; a sink that does not draw them ignores them.
    // Every anchor and corner is finite, every height positive and finite.
    virtual void Text(const PrimitiveSource&, const PlacedText&) {}
    virtual void Area(const PrimitiveSource&, const PlacedArea&) {}
    // A sink that can no longer take anything ends the walk early.
    virtual bool Failed() const { return false; }
};

} // namespace vektrano
