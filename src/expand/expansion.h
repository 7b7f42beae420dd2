#pragma once

#include "dxf/records_area.h"
#include "expansion_plan.h"
#include "geometry/nurbs.h"
#include "primitive_sink.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace vektrano {

// Why an entity of a drawn kind is left out (the caller words it).
enum class SkipReason : std::uint8_t {
    PaperSpace,        // the other space is drawn
    LayerOffOrFrozen,  // its layer (or the inheriting INSERT's) is off or frozen
    LayerFrozen,       // an INSERT on a frozen layer: its block is not drawn
    RadiusNotPositive, // CIRCLE, ARC
    Mesh,              // a POLYLINE that is a polygon mesh or polyface
    RatioNotPositive,  // ELLIPSE
    Invisible,         // an ATTRIB marked invisible
    HeightNotPositive, // a text of no height, or one beyond the range of a number
};
inline constexpr std::size_t kSkipReasons = 8;

// How often each kind was left out for each reason, in the order of first
// appearance: a fixed number of rows, however many entities are left out.
class SkipTally
{
public:
    struct Row
    {
        DxfKind kind;
        SkipReason reason;
        std::size_t count;
    };

    void Count(DxfKind kind, SkipReason reason);
    void Clear();
    const std::vector<Row>& Rows() const { return rows_; }

private:
    std::array<std::uint8_t, kDxfKinds * kSkipReasons> rowOf_{}; // row + 1, 0 when none yet
    std::vector<Row> rows_;
};

struct KindTally
{
    long long met = 0;
    long long drawn = 0;
};

// A SPLINE left out for its shape.
struct BadSpline
{
    std::size_t line = 0; // its name line
    NurbsFault fault = NurbsFault::None;
};

// A HATCH left out for its boundary.
struct BadArea
{
    std::size_t line = 0;      // its name line
    std::size_t valueLine = 0; // where the fault showed
    AreaFault fault = AreaFault::None;
};

// What one walk met and drew.
struct ExpansionReport
{
    std::array<KindTally, kDxfKinds> kinds{};
    SkipTally skipped;
    std::vector<BadSpline> badSplines;
    std::vector<BadArea> badAreas;
    bool loosened = false; // some curve needed more than kMaxCurveSegments segments
};

struct ExpansionHooks
{
    std::function<void(double)> onProgress; // 0 to 100 as the walk crosses the drawn space
    std::function<void()> onPause;          // now and then, so the window may repaint
};

// Walks the space the plan draws, expands every INSERT and MINSERT to any depth
// and hands each placed primitive to sink, in millimetres with offset added.
// Stops for a value that cannot be used, or when flattened curves take the
// script past kMaxScriptLines; ends quietly when the sink fails.
[[nodiscard]] ExpandStopOr Expand(const LineTable& lines, const Drawing& drawing,
                                  const ExpandSettings& settings, const ExpansionPlan& plan,
                                  Point offset, PrimitiveSink& sink, ExpansionReport& report,
                                  const ExpansionHooks& hooks = {});

} // namespace vektrano
