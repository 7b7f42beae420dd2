#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <deque>
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

    const std::deque<Row>& Rows() const { return rows_; }

    // The tally in its traditional encoded form "||name##count||...", empty for an
    // empty tally. Only a view for tests and diagnostics; nothing parses it.
    std::string EncodedText() const;

private:
    // The index is open addressing over one array: a slot holds a row's hash and
    // the row's position + 1 (0 marks a free slot). A look-up touches one slot and,
    // only when the hashes agree, that row's name; a node-based map would chase a
    // pointer per step through memory that a tally of millions of names spreads
    // far apart, and free each node one by one at the end.
    struct Slot
    {
        std::size_t hash = 0;
        std::size_t row = 0;
    };
    void Grow();

    std::deque<Row> rows_;
    std::vector<Slot> slots_; // a power of two in size, at most half full
};

} // namespace vektrano
