#include "entity_scan.h"

#include "script/number_rules.h"

namespace vektrano {

namespace {

// The end search: the first odd position at or after a given one whose trimmed
// text is "0". The scan only moves forward, so the answer found for one entity
// stays right for every later name before it; each line is looked at once.
class EndSearch
{
public:
    explicit EndSearch(const LineTable& lines)
        : lines_(lines)
    {}

    // position must not be smaller than in the call before. Returns false when
    // there is no such line up to the table's top.
    bool From(std::size_t position, std::size_t& end)
    {
        if (!searched_ || (found_ && end_ < position)) {
            searched_ = true;
            found_ = false;
            for (std::size_t p = position | 1; p <= lines_.Top(); p += 2) {
                if (TrimSpaces(lines_[p]) == "0") {
                    found_ = true;
                    end_ = p;
                    break;
                }
            }
        }
        end = found_ ? end_ : 0;
        return found_;
    }

private:
    const LineTable& lines_;
    bool searched_ = false;
    bool found_ = false;
    std::size_t end_ = 0;
};

} // namespace

ScanOutcome ScanEntities(Variablen& state, WindowOperations& window)
{
    const LineTable& lines = state.Lines;
    const std::size_t top = lines.Top();
    EndSearch endSearch(lines);
    // Whether the code line before the current value line is "0": the scan has
    // trimmed that line one step earlier, so it is remembered, not looked up again.
    bool codeIsZero = state.LineIndex % 2 == 0 && state.LineIndex > 0 &&
                      state.LineIndex - 1 <= top && TrimSpaces(lines[state.LineIndex - 1]) == "0";
    for (;; ++state.LineIndex) {
        if (state.LineIndex > top)
            return ScanOutcome::ReachedTop;
        const std::string_view current = TrimSpaces(lines[state.LineIndex]);
        if (current == "EOF")
            return ScanOutcome::ReachedEof;
        if (state.LineIndex % 2 == 1) {
            codeIsZero = current == "0";
        } else {
            const EntityName name = EntityNameOf(current);
            if (name != EntityName::None) {
                std::size_t end = 0;
                if (!endSearch.From(state.LineIndex, end))
                    return ScanOutcome::MissingEnd;
                EntityRecord& last = state.Entities.back();
                last.Name = name;
                last.StartLine = state.LineIndex;
                last.EndLine = end;
                state.Entities.emplace_back();
            } else if (codeIsZero && !ReadDxfNumber(current)) {
                state.UnknownList.Count(current);
            }
        }
        if (!window.Yield())
            return ScanOutcome::Cancelled;
    }
}

} // namespace vektrano
