#include "expansion.h"

#include "placement.h"
#include "placer.h"

namespace vektrano {

void SkipTally::Count(DxfKind kind, SkipReason reason)
{
    std::uint8_t& row =
        rowOf_[static_cast<std::size_t>(kind) * kSkipReasons + static_cast<std::size_t>(reason)];
    if (row == 0) {
        rows_.push_back({kind, reason, 0});
        row = static_cast<std::uint8_t>(rows_.size());
    }
    ++rows_[row - 1].count;
}

void SkipTally::Clear()
{
    rowOf_ = {};
    rows_.clear();
}

namespace {

// The walk over one stretch of the drawn space, blocks expanded with an explicit
// stack, so ten thousand nested blocks need no ten thousand nested calls.
class Walk
{
public:
    Walk(const Drawing& drawing, const ExpansionPlan& plan, Placer& placer, PausingSteps& steps,
         ExpansionReport& report)
        : drawing_(drawing)
        , plan_(plan)
        , placer_(placer)
        , steps_(steps)
        , report_(report)
    {}

    // Each top-level entity calls top(entity) first; false passes it over.
    template <typename Top>
    ExpandStopOr Run(std::size_t first, std::size_t last, const Affine& root, Visibility zero,
                     Top&& top, const PrimitiveSink& sink);

private:
    struct Frame
    {
        std::size_t next = 0;
        std::size_t last = 0;
        Affine transform;
        Inherited inherited;
        // The array insert whose cells are being drawn, and the next cell.
        const PlacedInsert* insert = nullptr;
        std::uint64_t cell = 0;
        Inherited cellInherited; // what the insert's block takes from it
    };

    // Pushes the insert's next cell, if any is left; false when all are drawn.
    ExpandStopOr NextCell(Frame& frame, bool& pushed);
    ExpandStopOr StartInsert(Frame& frame, const DxfEntity& entity);

    const Drawing& drawing_;
    const ExpansionPlan& plan_;
    Placer& placer_;
    PausingSteps& steps_;
    ExpansionReport& report_;
    std::vector<Frame> stack_;
};

ExpandStopOr Walk::NextCell(Frame& frame, bool& pushed)
{
    const PlacedInsert& insert = *frame.insert;
    pushed = frame.cell < insert.columns * insert.rows;
    if (!pushed) {
        frame.insert = nullptr;
        return std::nullopt;
    }
    const double column = static_cast<double>(frame.cell % insert.columns);
    const double row = static_cast<double>(frame.cell / insert.columns);
    ++frame.cell;
    const Affine cell = frame.transform *
                        Affine::Translation(column * insert.columnStep + row * insert.rowStep) *
                        insert.place;
    if (!Finite(cell))
        return BadNumberAt(insert.blame);
    const DxfBlock& block = drawing_.blocks[insert.block];
    const Inherited inherited = frame.cellInherited;
    stack_.push_back(Frame{block.first, block.last, cell, inherited, nullptr, 0, {}});
    return std::nullopt;
}

ExpandStopOr Walk::StartInsert(Frame& frame, const DxfEntity& entity)
{
    ++report_.kinds[static_cast<std::size_t>(DxfKind::Insert)].met;
    const PlacedInsert& insert = plan_.InsertOf(entity);
    const Visibility visibility = placer_.VisibilityOf(insert.layer, frame.inherited.zero);
    if (visibility == Visibility::Frozen && !placer_.DrawsHiddenLayers()) {
        report_.skipped.Count(DxfKind::Insert, SkipReason::LayerFrozen);
        return std::nullopt;
    }
    // The attributes stand where the INSERT does, in the coordinates around it,
    // once for a whole array; a missing block does not take them along.
    if (auto stop = placer_.DrawAttributes(entity, frame.transform, frame.inherited))
        return stop;
    if (insert.block == PlacedInsert::kNoBlock || insert.cyclic)
        return std::nullopt; // named once in the log already
    ++report_.kinds[static_cast<std::size_t>(DxfKind::Insert)].drawn;
    frame.insert = &insert;
    frame.cell = 0;
    frame.cellInherited = {insert.layer == "0" ? frame.inherited.layer : insert.layer, visibility,
                           insert.blame};
    return std::nullopt;
}

template <typename Top>
ExpandStopOr Walk::Run(std::size_t first, std::size_t last, const Affine& root, Visibility zero,
                       Top&& top, const PrimitiveSink& sink)
{
    stack_.clear();
    stack_.push_back(Frame{first, last, root, {"0", zero, 0}, nullptr, 0, {}});
    while (!stack_.empty()) {
        steps_.Step();
        Frame& frame = stack_.back();
        if (frame.insert) {
            bool pushed = false;
            if (auto stop = NextCell(frame, pushed))
                return stop;
            if (pushed)
                continue;
        }
        if (frame.next == frame.last) {
            stack_.pop_back();
            continue;
        }
        const DxfEntity& entity = drawing_.entities[frame.next++];
        if (stack_.size() == 1 && !top(entity))
            continue;
        if (entity.kind == DxfKind::Insert) {
            if (auto stop = StartInsert(frame, entity))
                return stop;
            continue;
        }
        if (auto stop = placer_.Draw(entity, frame.transform, frame.inherited))
            return stop;
        // Curves are counted as one line before writing; what they come to is only
        // known here, and the limit holds for it too.
        if (placer_.linesWritten > kMaxScriptLines)
            return ExpandStop{ExpandFault::TooManyLines, entity.begin + 1, entity.kind, true};
        if (sink.Failed())
            return std::nullopt;
    }
    return std::nullopt;
}

Visibility LayerZeroVisibility(const Drawing& drawing)
{
    const auto found = drawing.layers.find("0");
    if (found == drawing.layers.end())
        return Visibility::Shown;
    return found->second.frozen ? Visibility::Frozen
           : found->second.off  ? Visibility::Off
                                : Visibility::Shown;
}

} // namespace

ExpandStopOr Expand(const LineTable& lines, const Drawing& drawing, const ExpandSettings& settings,
                    const ExpansionPlan& plan, Point offset, PrimitiveSink& sink,
                    ExpansionReport& report, const ExpansionHooks& hooks)
{
    report = {};
    PausingSteps steps(hooks.onPause, kStepsPerPause);
    Placer placer(lines, drawing, settings, sink, report, steps);
    Walk walk(drawing, plan, placer, steps, report);
    const double mm = plan.unit.millimetres;
    const Affine root = Affine::Translation(offset) * Affine::Scaling(mm, mm);
    std::size_t total = 0;
    for (const auto& [first, last] : drawing.model)
        total += last - first;
    std::size_t done = 0;
    const auto top = [&](const DxfEntity& entity) {
        if (hooks.onProgress)
            hooks.onProgress(static_cast<double>(done) * 100 / static_cast<double>(total));
        ++done;
        // Texts and areas not asked for are not even counted as left out.
        if (!LooksAt(entity.kind, settings))
            return false;
        if (entity.paperSpace == plan.paperSpace)
            return true;
        report.skipped.Count(entity.kind, SkipReason::PaperSpace);
        return false;
    };
    // Layer "0" itself may be off or frozen: its entities at the top follow its state.
    const Visibility zero = LayerZeroVisibility(drawing);
    for (const auto& [first, last] : drawing.model) {
        if (auto stop = walk.Run(first, last, root, zero, top, sink))
            return stop;
        if (sink.Failed())
            break;
    }
    return std::nullopt;
}

} // namespace vektrano
