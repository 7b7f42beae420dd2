#include "expansion_plan.h"

#include "budget.h"
#include "dxf/records.h"
#include "placement.h"

#include <cmath>

namespace vektrano {

namespace {

// The user's unit, else the drawing's, else millimetres.
ExpandStopOr ChooseUnit(const LineTable& lines, const Drawing& drawing,
                        const ExpandSettings& settings, ExpansionPlan& plan)
{
    if (settings.unit) {
        plan.unit = *settings.unit;
        plan.unitNamed = plan.unitGiven = true;
    } else if (drawing.insunits != 0) {
        double code = 0;
        if (auto bad = ReadFiniteNumber(lines, drawing.insunits, code))
            return BadNumberAt(*bad);
        if (code == std::floor(code) && std::fabs(code) < 1e9)
            if (const auto unit = UnitOfInsunits(static_cast<long long>(code))) {
                plan.unit = *unit;
                plan.unitNamed = true;
            }
    }
    if (!plan.unitNamed)
        plan.unit = *UnitOfInsunits(4);
    return std::nullopt;
}

ExpandStopOr ReadBlockBases(const LineTable& lines, const Drawing& drawing, PausingSteps& steps,
                            std::vector<Point>& bases)
{
    bases.assign(drawing.blocks.size(), Point{});
    for (std::size_t i = 0; i < drawing.blocks.size(); ++i) {
        steps.Step();
        const DxfBlock& block = drawing.blocks[i];
        if (block.baseX != 0)
            if (auto bad = ReadFiniteNumber(lines, block.baseX, bases[i].x))
                return BadNumberAt(*bad);
        if (block.baseY != 0)
            if (auto bad = ReadFiniteNumber(lines, block.baseY, bases[i].y))
                return BadNumberAt(*bad);
    }
    return std::nullopt;
}

// An array count as read: at least 1, at most the cap the budget counts with.
std::uint64_t ArrayCount(double value)
{
    if (!(value >= 1))
        return 1;
    return value >= static_cast<double>(kCountCap) ? kCountCap : static_cast<std::uint64_t>(value);
}

ExpandStopOr PlaceInsert(const InsertRecord& record, const Drawing& drawing,
                         const std::vector<Point>& bases, ExpansionPlan& plan, PlacedInsert& insert)
{
    insert.layer = record.common.layer;
    insert.columns = ArrayCount(record.columns);
    insert.rows = ArrayCount(record.rows);
    // A MINSERT's array needs columns × rows below the cap to be counted.
    if (SaturatingMultiply(insert.columns, insert.rows) >= kCountCap)
        insert.rows = kCountCap / insert.columns;
    const Affine mirror = PlanOfExtrusion(record.common.extrusion, record.atZ);
    const Affine rotate = RotationDegrees(record.rotation);
    if (const auto found = drawing.blockIndex.find(record.block);
        found != drawing.blockIndex.end()) {
        if (!drawing.blocks[found->second].layout)
            insert.block = found->second;
    } else {
        plan.missingBlocks.Count(record.block);
    }
    const Point base = insert.block == PlacedInsert::kNoBlock ? Point{} : bases[insert.block];
    insert.place = mirror * Affine::Translation(record.at) * rotate *
                   Affine::Scaling(record.scaleX, record.scaleY) * Affine::Translation(-1 * base);
    insert.columnStep = mirror.ApplyToVector(rotate.ApplyToVector({record.columnSpacing, 0}));
    insert.rowStep = mirror.ApplyToVector(rotate.ApplyToVector({0, record.rowSpacing}));
    insert.blame = record.common.blame;
    if (!Finite(insert.place) || !Finite(insert.columnStep) || !Finite(insert.rowStep))
        return BadNumberAt(insert.blame);
    return std::nullopt;
}

ExpandStopOr ReadInserts(const LineTable& lines, const Drawing& drawing,
                         const std::vector<Point>& bases, PausingSteps& steps, ExpansionPlan& plan)
{
    plan.inserts.assign(drawing.insertCount, PlacedInsert{});
    InsertRecord record;
    for (const DxfEntity& entity : drawing.entities) {
        steps.Step();
        if (entity.kind != DxfKind::Insert)
            continue;
        if (auto bad = DecodeInsert(lines, entity, record))
            return BadNumberAt(*bad);
        if (auto stop = PlaceInsert(record, drawing, bases, plan, plan.inserts[entity.insert]))
            return stop;
    }
    return std::nullopt;
}

// The model space, unless it draws nothing and the paper space does.
bool DrawsPaperSpace(const Drawing& drawing, const ExpandSettings& settings, PausingSteps& steps)
{
    std::size_t modelCount = 0, paperCount = 0;
    for (const auto& [first, last] : drawing.model)
        for (std::size_t i = first; i < last; ++i) {
            steps.Step();
            if (LooksAt(drawing.entities[i].kind, settings))
                ++(drawing.entities[i].paperSpace ? paperCount : modelCount);
        }
    return modelCount == 0 && paperCount > 0;
}

} // namespace

ExpandStopOr PlanExpansion(const LineTable& lines, const Drawing& drawing,
                           const ExpandSettings& settings, ExpansionPlan& plan,
                           const std::function<void()>& pause)
{
    plan = {};
    PausingSteps steps(pause, kStepsPerPause);
    if (auto stop = ChooseUnit(lines, drawing, settings, plan))
        return stop;
    std::vector<Point> bases;
    if (auto stop = ReadBlockBases(lines, drawing, steps, bases))
        return stop;
    if (auto stop = ReadInserts(lines, drawing, bases, steps, plan))
        return stop;
    plan.paperSpace = DrawsPaperSpace(drawing, settings, steps);
    return CountBudget(drawing, settings, plan, steps);
}

} // namespace vektrano
