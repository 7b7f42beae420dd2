#pragma once

#include "dxf/drawing.h"
#include "expand/primitive_sink.h"
#include "geometry/arc.h"
#include "holes.h"
#include "layer_routes.h"
#include "script/script_file.h"
#include "script/script_writer.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vektrano {

struct BoardSettings
{
    const LayerMap* map = nullptr;
    double fieldLayer = 20; // where layers no rule names go, as lines
    std::string fieldWidth; // the width field in the script's code page
    double weldTolerance = 0.01;
    DxfCodePage page = DxfCodePage::Windows1252;
    int textRatio = 8; // stroke of the vector font, % of the height
};

// What went onto one Eagle layer.
struct EagleLayerTally
{
    double layer = 0;
    long long wires = 0;
    long long arcs = 0;
    long long circles = 0;
    long long holes = 0;
};

// One Eagle layer's contours after welding.
struct ContourReport
{
    double layer = 0;
    std::size_t closed = 0;
    std::optional<Box> board; // the largest closed contour's box
    std::size_t cutOuts = 0;  // closed contours inside it
    std::size_t open = 0;
    std::vector<std::pair<Point, Point>> openEnds; // the first ones, for the log
    double largestGap = 0;
    std::size_t crossings = 0;     // pairs of pieces that cross or overlap, counted up to a few
    bool crossingsComplete = true; // false when the check gave up early
};

struct UndrawnLayer
{
    std::string name; // UTF-8
    long long entities = 0;
    enum class Why { Map, Off, Frozen } why = Why::Map;
};

struct BoardReport
{
    std::vector<EagleLayerTally> layers; // in the order written
    std::vector<ContourReport> contours;
    std::vector<DiameterCount> holes;
    Box extent; // of everything written
    std::vector<UndrawnLayer> undrawn;
    std::vector<const LayerRule*> unmatched;
    TextAreaTally written; // texts and polygons, summed over every layer
    // Left out because their layer's kind does not draw them.
    long long linesNotDrawn = 0;
    long long textsNotDrawn = 0;
    long long areasNotDrawn = 0;
    long long patterns = 0; // pattern fills drawn as their boundaries only
    // DXF lines of areas whose boundary crossed itself (repaired) or that gave no
    // polygon at all: the first few of each, and how many there were.
    std::vector<std::size_t> repairedAreas;
    std::size_t repairedCount = 0;
    std::vector<std::size_t> unusableAreas;
    std::size_t unusableCount = 0;
};

// Routes every primitive by its DXF layer to an Eagle layer: lines are written as
// they come into a store of their Eagle layer, circles of a drill layer become
// holes, contour pieces are kept and welded at the end. Finish then writes the
// Eagle layers one after the other, each after its Layer line.
class BoardWriter final : public PrimitiveSink
{
public:
    BoardWriter(const BoardSettings& settings, const Drawing& drawing);
    ~BoardWriter() override;

    void Entity(const PrimitiveSource& source, bool shown) override;
    void Segment(const PrimitiveSource& source, Point from, Point to) override;
    void Arc(const PrimitiveSource& source, Point from, Point to, double sweepDegrees) override;
    void Circle(const PrimitiveSource& source, Point centre, double radius) override;
    void Chain(const PrimitiveSource& source, std::span<const Point> points) override;
    void Text(const PrimitiveSource& source, const PlacedText& text) override;
    void Area(const PrimitiveSource& source, const PlacedArea& area) override;
    bool Failed() const override { return error_ != 0; }
    int Error() const { return error_; }

    // Writes every Eagle layer's lines, holes and contours into script. Returns 0
    // or the system's error number of a store that could not be written or read.
    [[nodiscard]] int Finish(ScriptFile& script, const std::function<void()>& pause,
                             BoardReport& report);

private:
    struct Group;
    struct Target;
    Target* TargetOf(const PrimitiveSource& source);
    // The target when it draws lines; counts what it leaves out.
    Target* LinesTarget(const PrimitiveSource& source);
    Group* GroupOf(double layer, std::string_view dxfName);
    void WriteContours(Group& group, ScriptFile& script, BoardReport& report);

    const BoardSettings& settings_;
    const Drawing& drawing_;
    LayerRoutes routes_;
    std::vector<std::unique_ptr<Group>> groups_;
    std::vector<std::unique_ptr<Target>> targets_; // by LayerRoute::index
    std::vector<long long> hiddenEntities_;        // by LayerRoute::index
    std::vector<long long> offEntities_;           // by LayerRoute::index: map says aus
    HoleSet holes_;
    Box extent_;
    BoardReport pending_; // what the walk counts, handed on by Finish
    int error_ = 0;
};

} // namespace vektrano
