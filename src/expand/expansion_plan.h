#pragma once

#include "dxf/drawing.h"
#include "geometry/affine.h"
#include "geometry/units.h"
#include "limits.h"
#include "state/line_table.h"
#include "state/unknown_tally.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

namespace vektrano {

// What the expansion takes from the user, read once per run.
struct ExpandSettings
{
    bool line = true;                // LINE
    bool arc = true;                 // ARC
    bool circle = true;              // CIRCLE
    bool polyline = true;            // POLYLINE, LWPOLYLINE, SPLINE
    std::optional<DrawingUnit> unit; // overrides the drawing's $INSUNITS
    double tolerance = kDefaultTolerance;
    // Draws layers that are off or frozen as if shown: a listing of what each layer
    // holds wants them too.
    bool drawHiddenLayers = false;
    // TEXT, MTEXT and ATTRIB; HATCH, SOLID and TRACE. Off, the walk does not even
    // read them, and the drawing converts as it did before they were known.
    bool texts = false;
    bool areas = false;
};

// Whether the walks look at entities of this kind at all.
constexpr bool LooksAt(DxfKind kind, const ExpandSettings& settings)
{
    switch (kind) {
    case DxfKind::Text:
    case DxfKind::MText:
    case DxfKind::Attrib: return settings.texts;
    case DxfKind::Hatch:
    case DxfKind::Solid:
    case DxfKind::Trace: return settings.areas;
    default: return true;
    }
}

// Why the expansion ends without drawing (the caller words it).
enum class ExpandFault : std::uint8_t {
    BadNumber,         // line: a value that is no number or leaves the range of one
    TooManyLines,      // more than kMaxScriptLines
    TooManyInsertions, // more than kMaxInsertions
};

struct ExpandStop
{
    ExpandFault fault = ExpandFault::BadNumber;
    std::size_t line = 0;         // the value line, or the name line of the entity counted last
    DxfKind kind = DxfKind::Line; // the entity counted last, for the limits
    bool whileDrawing = false;    // a limit reached by flattened curves only as they were drawn
};
using ExpandStopOr = std::optional<ExpandStop>;

inline ExpandStop BadNumberAt(std::size_t line) { return {ExpandFault::BadNumber, line}; }

// An INSERT as read once: where its block goes, cell (0, 0) of its array.
struct PlacedInsert
{
    static constexpr std::size_t kNoBlock = static_cast<std::size_t>(-1);
    std::size_t block = kNoBlock;
    Affine place;     // block coordinates to the inserting coordinates
    Point columnStep; // between array cells, in the inserting coordinates
    Point rowStep;
    std::uint64_t columns = 1;
    std::uint64_t rows = 1;
    std::string_view layer;
    std::size_t blame = 0; // its scale's value line, else its name line: named in a stop
    bool cyclic = false;   // it would close a chain of blocks inserting themselves
};

// What the walks need beyond the drawing, read before anything is drawn. The
// drawing stays as read; the INSERTs live here, by DxfEntity::insert.
struct ExpansionPlan
{
    DrawingUnit unit;
    bool unitNamed = false;  // by the drawing or the user
    bool unitGiven = false;  // by the user
    bool paperSpace = false; // drawn because the model space draws nothing
    std::vector<PlacedInsert> inserts;
    UnknownTally missingBlocks;
    std::vector<std::string_view> cyclicBlocks;

    const PlacedInsert& InsertOf(const DxfEntity& entity) const { return inserts[entity.insert]; }
};

// Reads the unit, the blocks' base points and every INSERT, chooses the space to
// draw, finds chains of blocks that insert themselves and refuses a drawing
// whose expansion would exceed the limits, all before a line is written and in
// linear time. pause is called now and then.
[[nodiscard]] ExpandStopOr PlanExpansion(const LineTable& lines, const Drawing& drawing,
                                         const ExpandSettings& settings, ExpansionPlan& plan,
                                         const std::function<void()>& pause = {});

} // namespace vektrano
