#include "board_writer.h"

#include "geometry/contour_check.h"
#include "geometry/weld.h"
#include "script_sinks.h"
#include "spill_file.h"

#include <algorithm>
#include <cctype>
#include <deque>

namespace vektrano {

namespace {

// So many open chains are named in the log with their ends; the rest are counted.
constexpr std::size_t kOpenEndsListed = 10;

std::string ScriptWidth(std::string_view typed)
{
    std::string width(typed);
    std::replace(width.begin(), width.end(), ',', '.');
    return width;
}

// Eagle's LAYER takes a name of letters, digits and underscores.
std::string EagleLayerName(std::string_view dxfName)
{
    std::string name;
    for (const char c : dxfName) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80 && (std::isalnum(byte) || c == '_'))
            name += c;
        else if (byte < 0x80 || (byte & 0xC0) == 0xC0)
            name += '_'; // one per character, also for a character of several bytes
    }
    return name.empty() ? "DXF" : name;
}

} // namespace

struct BoardWriter::Group
{
    double layer = 0;
    std::string name; // for a layer above 100
    SpillFile store;
    EagleLayerTally tally;
    std::deque<std::string> widths; // stable: the writers view them
    std::vector<std::unique_ptr<ScriptWriter>> writers;
    std::vector<std::unique_ptr<ScriptSink>> sinks;
    ContourPieces contour;
    bool hasContour = false;

    std::size_t WidthIndex(std::string_view width)
    {
        for (std::size_t i = 0; i < widths.size(); ++i)
            if (widths[i] == width)
                return i;
        widths.emplace_back(width);
        writers.push_back(std::make_unique<ScriptWriter>(store.File(), widths.back()));
        sinks.push_back(std::make_unique<ScriptSink>(*writers.back()));
        return widths.size() - 1;
    }
};

struct BoardWriter::Target
{
    Group* group = nullptr; // none: the map leaves the layer out
    std::size_t width = 0;
    LayerKind kind = LayerKind::Lines;
    const LayerRule* rule = nullptr;
    ScriptSink* sink = nullptr;
    ScriptWriter* writer = nullptr;
};

BoardWriter::BoardWriter(const BoardSettings& settings, const Drawing& drawing)
    : settings_(settings)
    , drawing_(drawing)
    , routes_(*settings.map, settings.page)
    , holes_(settings.weldTolerance)
{}

BoardWriter::~BoardWriter() = default;

BoardWriter::Group* BoardWriter::GroupOf(double layer, std::string_view dxfName)
{
    for (auto& group : groups_)
        if (group->layer == layer)
            return group.get();
    auto group = std::make_unique<Group>();
    group->layer = layer;
    group->tally.layer = layer;
    group->name = EagleLayerName(dxfName);
    if (const int error = group->store.Open())
        error_ = error;
    groups_.push_back(std::move(group));
    return groups_.back().get();
}

BoardWriter::Target* BoardWriter::TargetOf(const PrimitiveSource& source)
{
    const LayerRoute& route = routes_.Of(source.layer);
    if (route.index >= targets_.size())
        targets_.resize(route.index + 1);
    std::unique_ptr<Target>& target = targets_[route.index];
    if (!target) {
        target = std::make_unique<Target>();
        target->rule = route.rule;
        target->kind = route.Kind();
        if (!route.Off()) {
            const double layer =
                route.rule ? static_cast<double>(*route.rule->eagleLayer) : settings_.fieldLayer;
            const std::string width = route.rule && !route.rule->width.empty()
                                          ? ScriptWidth(route.rule->width)
                                          : settings_.fieldWidth;
            target->group = GroupOf(layer, routes_.Names()[route.index]);
            target->width = target->group->WidthIndex(width);
            target->sink = target->group->sinks[target->width].get();
            target->writer = target->group->writers[target->width].get();
        }
    }
    return target.get();
}

BoardWriter::Target* BoardWriter::LinesTarget(const PrimitiveSource& source)
{
    Target* target = TargetOf(source);
    if (!target->group)
        return nullptr;
    if (!DrawsLines(target->kind)) {
        ++pending_.linesNotDrawn;
        return nullptr;
    }
    return target;
}

void BoardWriter::Text(const PrimitiveSource& source, const PlacedText& text)
{
    Target& target = *TargetOf(source);
    if (!target.group)
        return;
    if (!DrawsTexts(target.kind)) {
        ++pending_.textsNotDrawn;
        return;
    }
    extent_.Add(text.anchor);
    // One writer per store writes its texts, so its record of the Change lines
    // written is the store's own.
    target.group->writers.front()->Text(text, settings_.textRatio);
}

void BoardWriter::Area(const PrimitiveSource& source, const PlacedArea& area)
{
    Target& target = *TargetOf(source);
    if (!target.group)
        return;
    if (!DrawsAreas(target.kind)) {
        ++pending_.areasNotDrawn;
        return;
    }
    for (const auto& ring : area.rings)
        for (const Point p : ring)
            extent_.Add(p);
    if (!area.solid) {
        for (const auto& ring : area.rings)
            target.writer->ClosedWires(ring);
        ++pending_.patterns;
        return;
    }
    const AreaPolygons polygons = target.writer->FilledArea(area.rings);
    const auto note = [&source](std::vector<std::size_t>& lines, std::size_t& count) {
        if (lines.size() < kOpenEndsListed)
            lines.push_back(source.line);
        ++count;
    };
    if (polygons.polygons.empty())
        note(pending_.unusableAreas, pending_.unusableCount);
    else if (!polygons.crossingRings.empty())
        note(pending_.repairedAreas, pending_.repairedCount);
}

void BoardWriter::Entity(const PrimitiveSource& source, bool shown)
{
    const std::size_t index = routes_.Of(source.layer).index;
    if (index >= hiddenEntities_.size()) {
        hiddenEntities_.resize(index + 1);
        offEntities_.resize(index + 1);
    }
    if (!shown)
        ++hiddenEntities_[index];
    else if (routes_.Of(source.layer).Off())
        ++offEntities_[index];
}

void BoardWriter::Segment(const PrimitiveSource& source, Point from, Point to)
{
    Target* found = LinesTarget(source);
    if (!found)
        return;
    Target& target = *found;
    extent_.Add(from);
    extent_.Add(to);
    if (target.kind == LayerKind::Contour) {
        target.group->contour.AddSegment(from, to, target.width);
        target.group->hasContour = true;
        return;
    }
    target.sink->Segment(source, from, to);
    ++target.group->tally.wires;
}

void BoardWriter::Arc(const PrimitiveSource& source, Point from, Point to, double sweepDegrees)
{
    Target* found = LinesTarget(source);
    if (!found)
        return;
    Target& target = *found;
    AddArcExtent(extent_, from, to, sweepDegrees);
    if (target.kind == LayerKind::Contour) {
        target.group->contour.AddArc(from, to, sweepDegrees, target.width);
        target.group->hasContour = true;
        return;
    }
    target.sink->Arc(source, from, to, sweepDegrees);
    ++target.group->tally.arcs;
}

void BoardWriter::Circle(const PrimitiveSource& source, Point centre, double radius)
{
    Target* found = LinesTarget(source);
    if (!found)
        return;
    Target& target = *found;
    AddCircleExtent(extent_, {centre, radius});
    if (target.kind == LayerKind::Contour) {
        target.group->contour.AddCircle(centre, radius, target.width);
        target.group->hasContour = true;
        return;
    }
    const double diameter = 2 * radius;
    if (target.kind == LayerKind::Holes &&
        (!target.rule->drills || target.rule->drills->Contains(diameter))) {
        // The same hole drawn twice (on two layers, or in two blocks) is drilled once.
        if (holes_.Add(centre, diameter, source.line)) {
            target.writer->Hole(centre, diameter);
            ++target.group->tally.holes;
        }
        return;
    }
    target.sink->Circle(source, centre, radius);
    ++target.group->tally.circles;
}

void BoardWriter::Chain(const PrimitiveSource& source, std::span<const Point> points)
{
    Target* found = LinesTarget(source);
    if (!found)
        return;
    Target& target = *found;
    for (const Point p : points)
        extent_.Add(p);
    if (target.kind == LayerKind::Contour) {
        // Flatteners may repeat a point; a weld piece wants distinct neighbours.
        std::vector<Point> distinct;
        distinct.reserve(points.size());
        for (const Point p : points)
            if (distinct.empty() || distinct.back() != p)
                distinct.push_back(p);
        if (distinct.size() >= 2) {
            target.group->contour.AddPolyline(distinct, target.width);
            target.group->hasContour = true;
        }
        return;
    }
    target.sink->Chain(source, points);
    for (std::size_t i = 0; i + 1 < points.size(); ++i)
        target.group->tally.wires += points[i] != points[i + 1] ? 1 : 0;
}

void BoardWriter::WriteContours(Group& group, ScriptFile& script, BoardReport& report)
{
    const Welding welding = Weld(group.contour, settings_.weldTolerance);
    std::vector<std::unique_ptr<ScriptWriter>> writers;
    for (const std::string& width : group.widths)
        writers.push_back(std::make_unique<ScriptWriter>(script, width));
    ContourReport contours;
    contours.layer = group.layer;
    contours.largestGap = welding.largestGap;
    for (const WeldedChain& chain : welding.chains) {
        ForEachStep(group.contour, welding, chain, [&](const ChainStep& step) {
            if (step.from == step.to)
                return;
            ScriptWriter& writer = *writers[group.contour.pieces[step.piece].id];
            if (step.sweep == 0) {
                writer.Wire(step.from, step.to);
                ++group.tally.wires;
            } else {
                writer.Arc(step.from, step.to, step.sweep, ScriptWriter::Spelling::Upper);
                ++group.tally.arcs;
            }
        });
        if (chain.closed)
            continue;
        ++contours.open;
        if (contours.openEnds.size() < kOpenEndsListed) {
            const auto points = welding.Points(chain);
            contours.openEnds.emplace_back(points.front(), points.back());
        }
    }
    const ContourSummary summary = SummariseContours(group.contour, welding);
    contours.closed = summary.closed.size();
    if (summary.board)
        contours.board = summary.closed[*summary.board].box;
    contours.cutOuts = summary.cutOuts.size();
    const CrossingReport crossings = FindCrossings(group.contour, welding);
    contours.crossings = crossings.pieces.size();
    contours.crossingsComplete = crossings.complete;
    report.contours.push_back(std::move(contours));
}

int BoardWriter::Finish(ScriptFile& script, const std::function<void()>& pause, BoardReport& report)
{
    report = std::move(pending_);
    pending_ = {};
    if (error_ != 0)
        return error_;
    std::sort(groups_.begin(), groups_.end(),
              [](const auto& a, const auto& b) { return a->layer < b->layer; });
    ScriptWriter layers(script, {});
    for (auto& group : groups_) {
        if (group->layer > 100)
            layers.DefineLayer(group->layer, group->name);
        layers.Layer(group->layer);
        if (const int error = group->store.CopyTo(script, pause))
            return error;
        if (group->hasContour)
            WriteContours(*group, script, report);
        report.layers.push_back(group->tally);
        for (const auto& writer : group->writers) {
            const TextAreaTally& tally = writer->Tally();
            report.written.texts += tally.texts;
            report.written.textLines += tally.textLines;
            report.written.heightOutOfRange += tally.heightOutOfRange;
            report.written.characters += tally.characters;
            report.written.polygons += tally.polygons;
            report.written.polygonsTooSmall += tally.polygonsTooSmall;
        }
        // The store's lines are in the script now; its memory can go.
        group->contour = {};
        if (pause)
            pause();
    }
    report.holes = holes_.CountByDiameter();
    report.extent = extent_;

    std::vector<std::string> names;
    for (const std::string& name : drawing_.layerNames)
        names.push_back(DxfTextToUtf8(name, settings_.page));
    names.insert(names.end(), routes_.Names().begin(), routes_.Names().end());
    report.unmatched = UnmatchedRules(*settings_.map, names);
    for (std::size_t i = 0; i < hiddenEntities_.size(); ++i) {
        const std::string& name = routes_.Names()[i];
        if (offEntities_[i] != 0)
            report.undrawn.push_back({name, offEntities_[i], UndrawnLayer::Why::Map});
        if (hiddenEntities_[i] != 0) {
            const auto found = drawing_.layers.find(routes_.Keys()[i]);
            const bool frozen = found != drawing_.layers.end() && found->second.frozen;
            report.undrawn.push_back({name, hiddenEntities_[i],
                                      frozen ? UndrawnLayer::Why::Frozen : UndrawnLayer::Why::Off});
        }
    }
    return 0;
}

} // namespace vektrano
