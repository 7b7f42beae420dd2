#pragma once

#include <cstddef>
#include <iterator>
#include <memory>
#include <vector>

namespace vektrano {

// A growing sequence kept in chunks of fixed size, indexed like a vector. It
// never moves what it holds, so growing costs no second copy: a vector that
// doubles holds its old and its new block at once, up to three times its size.
template <typename T, std::size_t ChunkBits = 12> class ChunkedStore
{
public:
    static constexpr std::size_t kChunk = std::size_t{1} << ChunkBits;

    class const_iterator
    {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = T;
        using difference_type = std::ptrdiff_t;
        using pointer = const T*;
        using reference = const T&;

        const_iterator() = default;
        const_iterator(const ChunkedStore* store, std::size_t index)
            : store_(store)
            , index_(index)
        {}
        const T& operator*() const { return (*store_)[index_]; }
        const T* operator->() const { return &(*store_)[index_]; }
        const_iterator& operator++()
        {
            ++index_;
            return *this;
        }
        const_iterator operator++(int)
        {
            const_iterator before = *this;
            ++index_;
            return before;
        }
        bool operator==(const const_iterator& other) const { return index_ == other.index_; }

    private:
        const ChunkedStore* store_ = nullptr;
        std::size_t index_ = 0;
    };

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

    const T& operator[](std::size_t index) const
    {
        return chunks_[index >> ChunkBits][index & (kChunk - 1)];
    }
    T& operator[](std::size_t index) { return chunks_[index >> ChunkBits][index & (kChunk - 1)]; }
    const T& back() const { return (*this)[size_ - 1]; }

    void push_back(const T& value)
    {
        if ((size_ & (kChunk - 1)) == 0 && (size_ >> ChunkBits) == chunks_.size())
            chunks_.push_back(std::make_unique_for_overwrite<T[]>(kChunk));
        (*this)[size_] = value;
        ++size_;
    }

    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, size_}; }

private:
    std::vector<std::unique_ptr<T[]>> chunks_;
    std::size_t size_ = 0;
};

} // namespace vektrano
