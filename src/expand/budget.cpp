#include "budget.h"

#include <unordered_set>
#include <vector>

namespace vektrano {

namespace {

struct Tally
{
    std::uint64_t lines = 0;
    std::uint64_t insertions = 0;

    void AddInsert(const PlacedInsert& insert, const Tally& inner)
    {
        const std::uint64_t cells = insert.columns * insert.rows;
        insertions = SaturatingAdd(insertions, cells);
        insertions = SaturatingAdd(insertions, SaturatingMultiply(cells, inner.insertions));
        lines = SaturatingAdd(lines, SaturatingMultiply(cells, inner.lines));
    }
};

// Each block's tally, counted once with an explicit stack, so ten thousand nested
// blocks need no ten thousand nested calls.
class BlockCounter
{
public:
    BlockCounter(const Drawing& drawing, const ExpandSettings& settings, ExpansionPlan& plan,
                 PausingSteps& steps)
        : drawing_(drawing)
        , settings_(settings)
        , plan_(plan)
        , steps_(steps)
        , state_(drawing.blocks.size(), State::New)
        , tally_(drawing.blocks.size())
    {}

    // The tally of the block, counting it (and all it inserts) first if needed.
    const Tally& Of(std::size_t block)
    {
        if (state_[block] == State::New)
            Count(block);
        return tally_[block];
    }

private:
    enum class State : std::uint8_t { New, Counting, Counted };
    struct Frame
    {
        std::size_t block;
        std::size_t next;
        Tally sum;
    };

    void Push(std::size_t block)
    {
        state_[block] = State::Counting;
        stack_.push_back({block, drawing_.blocks[block].first, {}});
    }
    void Count(std::size_t root);

    const Drawing& drawing_;
    const ExpandSettings& settings_;
    ExpansionPlan& plan_;
    PausingSteps& steps_;
    std::vector<State> state_;
    std::vector<Tally> tally_;
    std::vector<Frame> stack_;
    std::unordered_set<std::string_view> cyclicNames_;
};

void BlockCounter::Count(std::size_t root)
{
    const auto& entities = drawing_.entities;
    Push(root);
    while (!stack_.empty()) {
        steps_.Step();
        Frame& frame = stack_.back();
        if (frame.next == drawing_.blocks[frame.block].last) {
            const std::size_t done = frame.block;
            tally_[done] = frame.sum;
            state_[done] = State::Counted;
            stack_.pop_back();
            if (!stack_.empty()) {
                Frame& parent = stack_.back();
                parent.sum.AddInsert(plan_.InsertOf(entities[parent.next - 1]), tally_[done]);
            }
            continue;
        }
        const DxfEntity& entity = entities[frame.next++];
        if (entity.kind != DxfKind::Insert) {
            frame.sum.lines =
                SaturatingAdd(frame.sum.lines, LinesBeforeFlattening(entity, settings_));
            continue;
        }
        PlacedInsert& insert = plan_.inserts[entity.insert];
        if (insert.block == PlacedInsert::kNoBlock)
            continue;
        switch (state_[insert.block]) {
        case State::Counted: frame.sum.AddInsert(insert, tally_[insert.block]); break;
        case State::Counting: {
            insert.cyclic = true;
            const std::string_view name = drawing_.blocks[insert.block].name;
            if (cyclicNames_.insert(name).second)
                plan_.cyclicBlocks.push_back(name);
            break;
        }
        case State::New: Push(insert.block); break;
        }
    }
}

} // namespace

std::uint64_t LinesBeforeFlattening(const DxfEntity& entity, const ExpandSettings& settings)
{
    switch (entity.kind) {
    case DxfKind::Line: return settings.line ? 1 : 0;
    case DxfKind::Circle: return settings.circle ? 1 : 0;
    case DxfKind::Arc: return settings.arc ? 1 : 0;
    case DxfKind::Polyline:
    case DxfKind::LwPolyline: return settings.polyline ? entity.vertices : 0;
    case DxfKind::Ellipse: return settings.arc || settings.circle ? 1 : 0;
    case DxfKind::Spline: return settings.polyline ? 1 : 0;
    case DxfKind::Insert: return 0;
    // What a text or an area comes to is known only once it is read; the walk
    // counts that as it draws.
    case DxfKind::Text:
    case DxfKind::MText:
    case DxfKind::Attrib: return settings.texts ? 1 : 0;
    case DxfKind::Hatch:
    case DxfKind::Solid:
    case DxfKind::Trace: return settings.areas ? 1 : 0;
    }
    return 0;
}

ExpandStopOr CountBudget(const Drawing& drawing, const ExpandSettings& settings,
                         ExpansionPlan& plan, PausingSteps& steps, std::uint64_t maxLines,
                         std::uint64_t maxInsertions)
{
    BlockCounter blocks(drawing, settings, plan, steps);
    Tally total;
    for (const auto& [first, last] : drawing.model)
        for (std::size_t i = first; i < last; ++i) {
            steps.Step();
            const DxfEntity& entity = drawing.entities[i];
            if (entity.paperSpace != plan.paperSpace)
                continue;
            if (entity.kind != DxfKind::Insert) {
                total.lines = SaturatingAdd(total.lines, LinesBeforeFlattening(entity, settings));
            } else if (const PlacedInsert& insert = plan.InsertOf(entity);
                       insert.block != PlacedInsert::kNoBlock) {
                total.AddInsert(insert, blocks.Of(insert.block));
            }
            if (total.lines > maxLines)
                return ExpandStop{ExpandFault::TooManyLines, entity.begin + 1, entity.kind};
            if (total.insertions > maxInsertions)
                return ExpandStop{ExpandFault::TooManyInsertions, entity.begin + 1, entity.kind};
        }
    return std::nullopt;
}

} // namespace vektrano
