#pragma once

// Shared by the expansion's walk only; not part of its interface.

#include "dxf/code_page.h"
#include "dxf/records.h"
#include "dxf/records_area.h"
#include "dxf/records_text.h"
#include "expansion.h"
#include "geometry/conic_arc.h"

#include <string>

namespace vektrano {

enum class Visibility : std::uint8_t { Shown, Off, Frozen };

// What a block's entities take from the INSERT that placed them.
struct Inherited
{
    std::string_view layer = "0";        // the layer an entity on layer 0 takes
    Visibility zero = Visibility::Shown; // and whether that layer is shown
    // The INSERT's value line to name when a point of the block leaves the range
    // of a number: it comes from that scale, not from the block's own value.
    std::size_t placedBy = 0;
};

// Decodes one entity of a drawn kind, places it and hands its primitives on.
class Placer
{
public:
    Placer(const LineTable& lines, const Drawing& drawing, const ExpandSettings& settings,
           PrimitiveSink& sink, ExpansionReport& report, PausingSteps& steps);

    // Any kind but INSERT.
    [[nodiscard]] ExpandStopOr Draw(const DxfEntity& entity, const Affine& transform,
                                    const Inherited& inherited);
    // The ATTRIB records of an INSERT, placed like the INSERT's own point; nothing
    // unless texts are drawn.
    [[nodiscard]] ExpandStopOr DrawAttributes(const DxfEntity& insert, const Affine& transform,
                                              const Inherited& inherited);
    Visibility VisibilityOf(std::string_view layer, Visibility zero);
    bool DrawsHiddenLayers() const { return settings_.drawHiddenLayers; }

    // Script lines handed to the sink so far in this walk.
    std::uint64_t linesWritten = 0;

private:
    bool Boxed(DxfKind kind) const;
    // Whether the entity's layer is shown; counts the skip when it is not.
    bool Shown(DxfKind kind, std::string_view layer);
    ExpandStopOr NotFinite(std::size_t blame) const
    {
        return BadNumberAt(inherited_.placedBy != 0 ? inherited_.placedBy : blame);
    }
    void Drawn(DxfKind kind) { ++report_.kinds[static_cast<std::size_t>(kind)].drawn; }

    ExpandStopOr DrawLine(const DxfEntity& entity, const Affine& transform);
    ExpandStopOr DrawCircleOrArc(const DxfEntity& entity, const Affine& transform);
    ExpandStopOr DrawPolyline(const DxfEntity& entity, const Affine& transform);
    ExpandStopOr DrawEllipse(const DxfEntity& entity, const Affine& transform);
    ExpandStopOr DrawSpline(const DxfEntity& entity, const Affine& transform);
    ExpandStopOr DrawVertices(const Affine& place, bool closed, std::size_t blame);
    // Flattens the arc (already in millimetres) into a chain.
    ExpandStopOr Flatten(const ConicArc& arc, std::size_t blame, bool reverse = false);
    // Hands points_ on as one chain after checking every point.
    ExpandStopOr EmitChain(std::size_t blame, bool reverse);

    // placer_texts.cpp
    ExpandStopOr DrawText(const DxfEntity& entity, const Affine& transform);
    ExpandStopOr DrawMText(const DxfEntity& entity, const Affine& transform);
    // Hands placedText_ (its lines set) on: the anchor and frame are placed, u the
    // baseline's and v the up direction's image of one drawing unit.
    ExpandStopOr EmitText(Point anchor, Point u, Point v, double height, double lineSpacing,
                          TextAlign align, std::size_t blame);

    // placer_areas.cpp
    ExpandStopOr DrawSolid(const DxfEntity& entity, const Affine& transform);
    ExpandStopOr DrawHatch(const DxfEntity& entity, const Affine& transform);
    // Appends one boundary path to ring, flattened and placed; a fault when it
    // cannot be drawn.
    AreaFault PlacePath(const HatchPath& path, const Affine& place, std::vector<Point>& ring);
    AreaFault PlaceEdge(const HatchEdge& edge, const Affine& place);
    // Flattens an arc given in the hatch's plane into points_ after placing it.
    bool FlattenPlaced(const ConicArc& arc, const Affine& place, bool reverse);

    const LineTable& lines_;
    const Drawing& drawing_;
    const ExpandSettings& settings_;
    PrimitiveSink& sink_;
    ExpansionReport& report_;
    PausingSteps& steps_;
    Inherited inherited_;
    PrimitiveSource source_;
    std::string layerKey_;
    // Kept between entities so that a long walk allocates only while a record
    // outgrows the largest one before it.
    LineRecord line_;
    CircleRecord circle_;
    PolylineRecord polyline_;
    EllipseRecord ellipse_;
    SplineRecord spline_;
    Nurbs nurbs_;
    std::vector<Point> points_;
    DxfCodePage codePage_ = DxfCodePage::Windows1252;
    TextRecord text_;
    MTextRecord mtext_;
    PlacedText placedText_;
    HatchRecord hatch_;
    SolidRecord solid_;
    Nurbs areaSpline_;
    PlacedArea placedArea_;
};

} // namespace vektrano
