#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <deque>
#include <unordered_map>

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
    // A deque never moves its elements, so the keys may view the rows' names.
    std::deque<Row> rows_;
    std::unordered_map<std::string_view, std::size_t> index_;
};

} // namespace vektrano
