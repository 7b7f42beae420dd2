#pragma once

#include "expansion_plan.h"
#include "state/pausing_steps.h"

#include <cstdint>

namespace vektrano {

// Counts saturate here, far above any limit and far below overflow.
inline constexpr std::uint64_t kCountCap = std::uint64_t{1} << 62;

inline std::uint64_t SaturatingAdd(std::uint64_t a, std::uint64_t b)
{
    return a > kCountCap - b ? kCountCap : a + b;
}
inline std::uint64_t SaturatingMultiply(std::uint64_t a, std::uint64_t b)
{
    if (a == 0 || b == 0)
        return 0;
    return a > kCountCap / b ? kCountCap : a * b;
}

// Script lines an entity gives before its curves are flattened (a curve counts
// as one line), by the kinds the user draws.
std::uint64_t LinesBeforeFlattening(const DxfEntity& entity, const ExpandSettings& settings);

// Counts the script lines and block insertions of the space the plan draws, each
// block once, and refuses a drawing that exceeds maxLines or maxInsertions,
// naming the entity of the drawn space at which the count passed the limit. An
// INSERT that would reach a block already being counted closes a chain: it is
// marked cyclic in plan.inserts and its block named once in plan.cyclicBlocks.
[[nodiscard]] ExpandStopOr CountBudget(const Drawing& drawing, const ExpandSettings& settings,
                                       ExpansionPlan& plan, PausingSteps& steps,
                                       std::uint64_t maxLines = kMaxScriptLines,
                                       std::uint64_t maxInsertions = kMaxInsertions);

} // namespace vektrano
