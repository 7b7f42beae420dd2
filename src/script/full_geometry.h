#pragma once

#include "dxf/drawing.h"
#include "geometry/affine.h"
#include "geometry/arc.h"
#include "geometry/units.h"
#include "script_file.h"
#include "stop.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vektrano {

// What full geometry takes from the window or the command line, read once per run.
struct FullGeometrySettings
{
    std::string widthBytes;          // the width field in the script's code page
    bool line = true;                // LINE
    bool arc = true;                 // ARC
    bool circle = true;              // CIRCLE
    bool polyline = true;            // POLYLINE, LWPOLYLINE
    std::optional<DrawingUnit> unit; // overrides the drawing's $INSUNITS
    double tolerance = 0.005;        // a flattened curve's largest distance from the true one, mm
};

struct KindTally
{
    long long met = 0;
    long long drawn = 0;
};

struct FullGeometryReport
{
    DrawingUnit unit;
    bool unitNamed = false;  // by the drawing or the user
    bool unitGiven = false;  // by the user
    bool paperSpace = false; // drawn because the model space draws nothing
    std::array<KindTally, kDxfKinds> kinds{};
    UnknownTally missingBlocks;
    std::vector<std::string_view> cyclicBlocks;
    // Entities of a drawn kind left out, as "KIND (reason)".
    UnknownTally skipped;
    // A line per SPLINE left out for its shape, naming its line.
    std::vector<std::string> badSplines;
    bool loosened = false; // some curve needed more than 100,000 segments
};

// More lines than this, or more block insertions, and nothing is written.
inline constexpr std::uint64_t kMaxScriptLines = 10'000'000;

// Full geometry over one read drawing: every entity of the model space placed in
// millimetres with its blocks expanded. Prepare first; then Measure and Write
// walk the same expansion, so the automatic offset sees exactly what is written.
class FullGeometry
{
public:
    FullGeometry(const LineTable& lines, Drawing& drawing, const FullGeometrySettings& settings)
        : lines_(lines)
        , drawing_(drawing)
        , settings_(settings)
    {}

    // Reads the unit, the blocks' base points and every INSERT, finds chains of
    // blocks that insert themselves, and refuses a drawing whose expansion would
    // exceed kMaxScriptLines, all before a line is written and in linear time.
    [[nodiscard]] StopOr Prepare();
    // The true extent of what Write would draw, offsets left out.
    [[nodiscard]] StopOr Measure(Box& extent);
    // Writes every drawn element with offset added; stops early only for a value
    // that cannot be used (the script is then incomplete).
    [[nodiscard]] StopOr Write(ScriptFile& script, Point offset);

    const FullGeometryReport& Report() const { return report_; }
    // Called with 0 to 100 as a pass walks the model space.
    std::function<void(double)> onProgress;
    // Called now and then during every walk, so the window may repaint.
    std::function<void()> onPause;

    // What a pass hands on: elements in millimetres, ready to write.
    class Output
    {
    public:
        virtual ~Output() = default;
        virtual void Segment(Point from, Point to) = 0;
        // An arc of the given signed sweep in degrees; lowerCase for the ARC kind.
        virtual void Arc(Point from, Point to, double sweep, bool lowerCase) = 0;
        virtual void Circle(Point centre, double radius) = 0;
        virtual bool Failed() const { return false; }
    };

    // An INSERT as read once: where its block goes, cell (0, 0) of its array.
    struct Insert
    {
        std::size_t block = kNoBlock;
        Affine place;     // block coordinates to the inserting coordinates
        Point columnStep; // between array cells, in the inserting coordinates
        Point rowStep;
        std::uint64_t columns = 1;
        std::uint64_t rows = 1;
        std::string_view layer;
        std::size_t line = 0;  // the INSERT name line
        std::size_t blame = 0; // its scale's value line, else its name line: named in a stop
        bool cyclic = false;   // it would close a chain of blocks inserting themselves
    };
    static constexpr std::size_t kNoBlock = static_cast<std::size_t>(-1);

private:
    StopOr Expand(Output& output, Point offset);

    const LineTable& lines_;
    Drawing& drawing_;
    const FullGeometrySettings& settings_;
    FullGeometryReport report_;
    std::vector<Insert> inserts_;
    std::vector<Point> bases_;
    double millimetres_ = 1;
    bool drawPaperSpace_ = false;
};

} // namespace vektrano
