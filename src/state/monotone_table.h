#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vektrano {

// A non-decreasing sequence of 64-bit values held in 4 bytes per element: the low
// 32 bits are stored, and the few places where the high half steps up are kept
// aside. The record numbers of a drawing's polyline chains fit this shape, so
// millions of them cost 4 bytes each while values beyond 2^32 still work.
class MonotoneTable
{
public:
    void Reserve(std::size_t count) { low_.reserve(count); }
    void Clear()
    {
        low_.clear();
        highSteps_.clear();
    }

    // value must not be smaller than the last value pushed.
    void PushBack(std::uint64_t value)
    {
        const std::uint64_t high = value >> 32;
        while (highSteps_.size() <= high)
            highSteps_.push_back(low_.size());
        low_.push_back(static_cast<std::uint32_t>(value));
    }

    std::size_t Size() const { return low_.size(); }
    bool Empty() const { return low_.empty(); }

    std::uint64_t operator[](std::size_t index) const
    {
        return (HighPart(index) << 32) | low_[index];
    }

    // Index of the first element greater than value, or Size().
    std::size_t UpperBound(std::uint64_t value) const
    {
        std::size_t first = 0;
        std::size_t count = Size();
        while (count > 0) {
            const std::size_t half = count / 2;
            if ((*this)[first + half] <= value) {
                first += half + 1;
                count -= half + 1;
            } else {
                count = half;
            }
        }
        return first;
    }

private:
    std::uint64_t HighPart(std::size_t index) const
    {
        // Files under 4 GiB have one step only; the loop never runs for them.
        std::size_t high = highSteps_.size() - 1;
        while (highSteps_[high] > index)
            --high;
        return high;
    }

    std::vector<std::uint32_t> low_;
    // highSteps_[h] is the index of the first element whose high half is at least h.
    std::vector<std::size_t> highSteps_;
};

} // namespace vektrano
