#pragma once

#include <cmath>
#include <cstdint>

namespace vektrano {

// The grid cell of one coordinate for cells of the given size. Coordinates far
// beyond any drawing share the outermost cells, and NaN sits in cell 0: every
// caller checks true distances, so that costs time on hostile input, never a
// wrong answer.
inline std::int64_t CellOf(double value, double cell)
{
    const double index = std::floor(value / cell);
    constexpr double kLimit = 4e18;
    if (!(index > -kLimit))
        return index < 0 ? static_cast<std::int64_t>(-kLimit) : 0;
    return index < kLimit ? static_cast<std::int64_t>(index) : static_cast<std::int64_t>(kLimit);
}

// The bucket of a cell among 2^bits buckets. Different cells may share a bucket;
// callers compare distances, so a shared bucket only means a longer list.
inline std::uint32_t BucketOf(std::int64_t cx, std::int64_t cy, unsigned bits)
{
    std::uint64_t h = static_cast<std::uint64_t>(cx) * 0x9E3779B97F4A7C15u;
    h ^= static_cast<std::uint64_t>(cy) + 0x7F4A7C159E3779B9u + (h << 6) + (h >> 2);
    h *= 0xBF58476D1CE4E5B9u;
    h ^= h >> 31;
    return bits == 0 ? 0 : static_cast<std::uint32_t>(h >> (64 - bits));
}

// The fewest bits whose buckets number at least twice count.
inline unsigned BucketBits(std::uint64_t count)
{
    unsigned bits = 1;
    while (bits < 31 && (std::uint64_t{1} << bits) < 2 * count)
        ++bits;
    return bits;
}

} // namespace vektrano
