#pragma once

// Shared by the record decoders only; not part of their interface.

#include "records.h"

#include <cmath>

namespace vektrano {

// The pairs of one record, from the pair after its name up to the next "0" code
// (or the record's end), as (code, value line). A code that is no integer ends
// the walk; the structure pass has already refused such files. Returns the
// position where the walk ended through stoppedAt.
template <typename OnPair>
BadLine WalkPairs(const LineTable& lines, std::size_t from, std::size_t end, OnPair&& onPair,
                  std::size_t* stoppedAt = nullptr)
{
    const std::size_t top = lines.Top();
    std::size_t p = from;
    for (; p < end && p + 1 <= top; p += 2) {
        const auto code = ReadGroupCode(lines[p]);
        if (!code || *code == 0)
            break;
        if (auto bad = onPair(*code, p + 1))
            return bad;
    }
    if (stoppedAt)
        *stoppedAt = p;
    return std::nullopt;
}

inline bool TakeExtrusion(int code, double value, Vector3& extrusion)
{
    switch (code) {
    case 210: extrusion.x = value; return true;
    case 220: extrusion.y = value; return true;
    case 230: extrusion.z = value; return true;
    default: return false;
    }
}

inline bool IsExtrusionCode(int code) { return code == 210 || code == 220 || code == 230; }

// Reads one of the extrusion codes every planar record shares into extrusion.
inline BadLine ReadExtrusion(const LineTable& lines, int code, std::size_t value,
                             Vector3& extrusion)
{
    double number = 0;
    if (auto bad = ReadFiniteNumber(lines, value, number))
        return bad;
    TakeExtrusion(code, number, extrusion);
    return std::nullopt;
}

// Flags are read as numbers and kept when they fit an int; beyond that no bit
// is meaningful.
inline BadLine ReadFlags(const LineTable& lines, std::size_t value, int& flags)
{
    double number = 0;
    if (auto bad = ReadFiniteNumber(lines, value, number))
        return bad;
    flags = std::fabs(number) < 1e9 ? static_cast<int>(number) : 0;
    return std::nullopt;
}

} // namespace vektrano
