#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace vektrano {

// How often each name the converter does not handle occurred, in the order of
// first appearance. Counting is one hash look-up, whatever the name holds: a
// name with "||" or "##" in it is just another name.
class UnknownTally
{
public:
    struct Row
    {
        std::string name;
        std::size_t count = 0;
    };

    void Count(std::string_view name);
    void Clear();

    const std::deque<Row>& Rows() const
    {
        Settle();
        return rows_;
    }

    // The tally in its traditional encoded form "||name##count||...", empty for an
    // empty tally. Only a view for tests and diagnostics; nothing parses it.
    std::string EncodedText() const;

private:
    // The index is open addressing over one array: a slot holds a row's hash and
    // the row's position + 1 (0 marks a free slot). A look-up touches one slot and,
    // only when the hashes agree, that row's name; a node-based map would chase a
    // pointer per step through memory that a tally of millions of names spreads
    // far apart, and free each node one by one at the end.
    // Eight bytes a slot keep the index of a tally of millions of names half the
    // size, and so half the cache misses; a tally of 4 billion names could not be
    // held in memory anyway.
    struct Slot
    {
        std::uint32_t hash = 0;
        std::uint32_t row = 0;
    };
    void Grow() const;
    void Insert(std::string_view name, std::uint32_t hash) const;
    // Counts the names still waiting, so that the rows are complete.
    void Settle() const;

    // A name is counted a few names after it arrives: its slot is fetched from
    // memory meanwhile, so a tally too large for the cache does not wait on every
    // name. Rows() settles first, so nobody sees the delay; hence the mutable.
    struct Waiting
    {
        std::string name;
        std::uint32_t hash = 0;
    };
    static constexpr std::size_t kAhead = 16;
    mutable std::array<Waiting, kAhead> waiting_;
    mutable std::size_t waitingFirst_ = 0;
    mutable std::size_t waitingCount_ = 0;

    mutable std::deque<Row> rows_;
    mutable std::vector<Slot> slots_; // a power of two in size, at most half full
};

} // namespace vektrano
