#pragma once

#include "dxf/text_layout.h"
#include "geometry/area_polygons.h"
#include "geometry/point.h"
#include "script_file.h"
#include "text_command.h"

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vektrano {

// Eagle's limits for a text's height, in mm.
inline constexpr double kMinTextHeight = 0.0001;
inline constexpr double kMaxTextHeight = 50.8;
inline constexpr int kDefaultTextRatio = 8;

// What became of the texts and polygons handed to the writer, for the log.
struct TextAreaTally
{
    std::size_t texts = 0;            // texts with at least one line written
    std::size_t textLines = 0;        // Text commands written
    std::size_t heightOutOfRange = 0; // texts left out: height outside Eagle's limits
    TextCharacterCounts characters;
    std::size_t polygons = 0;         // Polygon commands written
    std::size_t polygonsTooSmall = 0; // left out: fewer than three corners as written
};

// The Eagle commands full geometry writes, one line each, in the script's
// number text. It knows nothing of where the geometry came from.
class ScriptWriter
{
public:
    // width: the wire width as the script spells it, in the script's code page.
    ScriptWriter(ScriptFile& script, std::string_view width)
        : script_(script)
        , width_(width)
    {}

    // Arcs of curves the drawing names as arcs keep the lower-case spelling the
    // scripts have always had; straight wires and polyline arcs do not.
    enum class Spelling { Upper, Lower };

    void Wire(Point from, Point to);
    // A circular arc from `from` to `to`, sweepDegrees signed (counter-clockwise
    // positive), written with its sign.
    void Arc(Point from, Point to, double sweepDegrees, Spelling spelling);
    void Circle(Point centre, double radius);
    // A drill of the given diameter; Eagle draws its circle on Dimension itself.
    void Hole(Point centre, double diameter);
    // Selects the layer for what follows.
    void Layer(double number);
    // Names a layer of the user's own (above 100), which a new board lacks.
    void DefineLayer(double number, std::string_view name);

    // One `Text` per line that shows something, after the `Change` lines that
    // differ from the last ones written (the header has set the vector font).
    // ratio: the stroke in percent of the height, 0 to 31. A height outside
    // Eagle's limits leaves the whole text out.
    void Text(const PlacedText& text, int ratio);
    // `Polygon W (p0) (p1) ... (p0);` after `Change Pour Solid;` before the first.
    // Corners that print the same as the one before are one corner; false (and
    // nothing written) when fewer than three remain.
    bool Polygon(std::span<const Point> corners);
    // A solid area's rings (even-odd) as simple polygons; the split's findings
    // are returned for the log.
    AreaPolygons FilledArea(const std::vector<std::vector<Point>>& rings);
    // A closed ring as wires, the last back to the first.
    void ClosedWires(std::span<const Point> ring);

    const TextAreaTally& Tally() const { return tally_; }
    bool Failed() const { return script_.Failed(); }

private:
    void AppendPoint(Point p);

    ScriptFile& script_;
    std::string_view width_;
    TextChangeState textState_{true, {}, std::nullopt, std::nullopt}; // the header set the font
    bool pourWritten_ = false;
    TextAreaTally tally_;
    // Kept between commands, so a long run allocates only while a line grows.
    std::string scratch_;
    std::string changes_;
};

} // namespace vektrano
