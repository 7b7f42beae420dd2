#pragma once

#include <cstddef>
#include <cstdint>

namespace vektrano {

// More script lines than this, or more block insertions, and full geometry
// writes nothing (or stops, when only the flattened curves reach it).
inline constexpr std::uint64_t kMaxScriptLines = 10'000'000;
inline constexpr std::uint64_t kMaxInsertions = kMaxScriptLines;

// A flattened curve gives at most this many segments; beyond it its tolerance is
// loosened.
inline constexpr std::size_t kMaxCurveSegments = 100'000;

// A flattened curve's largest distance from the true one, in millimetres, unless
// the user asks for another.
inline constexpr double kDefaultTolerance = 0.005;

// The walks do not yield; they pause for the window to repaint after this many
// steps of work: an element, a vertex or a segment drawn, a record read.
inline constexpr std::uint64_t kStepsPerPause = 4096;

} // namespace vektrano
