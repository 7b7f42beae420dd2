#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vektrano {

// Where each line of a drawing starts, in a little over 2 bytes a line. The
// starts are kept in blocks of 64: a block whose lines span less than 64 KiB (all
// of them, in any real drawing) holds one 64-bit base and a 16-bit distance per
// line; a block with a longer line keeps its starts whole. A line table of 4
// bytes a line would cost two thirds of an LF drawing's size on top of the text.
class LineStarts
{
public:
    void Reserve(std::size_t count)
    {
        low_.reserve(count + kBlock);
        heads_.reserve(count / kBlock + 1);
    }

    void Clear()
    {
        low_.clear();
        heads_.clear();
        wide_.clear();
        size_ = 0;
    }

    // start must not be smaller than the start pushed before it.
    void PushBack(std::uint64_t start)
    {
        pending_[size_ % kBlock] = start;
        ++size_;
        if (size_ % kBlock == 0)
            StoreBlock(kBlock);
    }

    // Call once after the last PushBack, before any look-up.
    void Finish()
    {
        if (size_ % kBlock != 0)
            StoreBlock(size_ % kBlock);
    }

    std::size_t Size() const { return size_; }
    bool Empty() const { return size_ == 0; }

    std::uint64_t operator[](std::size_t index) const
    {
        const std::uint64_t head = heads_[index / kBlock];
        if ((head & kWide) == 0)
            return head + low_[index];
        return wide_[(head & ~kWide) + index % kBlock];
    }

private:
    static constexpr std::size_t kBlock = 64;
    static constexpr std::uint64_t kWide = std::uint64_t{1} << 63;

    void StoreBlock(std::size_t count)
    {
        const std::uint64_t base = pending_[0];
        if (pending_[count - 1] - base <= 0xFFFF) {
            heads_.push_back(base);
            for (std::size_t i = 0; i < count; ++i)
                low_.push_back(static_cast<std::uint16_t>(pending_[i] - base));
        } else {
            heads_.push_back(kWide | wide_.size());
            wide_.insert(wide_.end(), pending_, pending_ + count);
            low_.resize(low_.size() + count);
        }
    }

    std::vector<std::uint16_t> low_;
    std::vector<std::uint64_t> heads_;
    std::vector<std::uint64_t> wide_;
    std::uint64_t pending_[kBlock] = {};
    std::size_t size_ = 0;
};

} // namespace vektrano
