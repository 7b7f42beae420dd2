#pragma once

#include "line_starts.h"

#include <cstddef>
#include <functional>
#include <string_view>

namespace vektrano {

// The drawing's lines as views into the one file text: no line is copied. After
// Shift() position 0 is the empty text and the file's first line stands at
// position 1, so group codes stand at odd positions.
class LineTable
{
public:
    LineTable() { Clear(); }

    // Cuts text at every occurrence of separator ("\r\n", "\r" or "\n"). The pieces,
    // including a possibly empty piece after the last separator, become the lines.
    // An empty text gives no piece at all. pause, when given, is called between
    // pieces of a MiB of text.
    void Cut(std::string_view text, std::string_view separator,
             const std::function<void()>& pause = {});

    // Number of separators found by the last Cut (the unshifted top).
    std::size_t SeparatorCount() const { return pieces_ == 0 ? 0 : pieces_ - 1; }
    std::size_t PieceCount() const { return pieces_; }

    void Shift() { shifted_ = true; }
    bool Shifted() const { return shifted_; }

    // Highest valid position. An empty table holds position 0 as the empty text, so
    // a loop up to Top() and a look-up at Top() are safe on any table.
    std::size_t Top() const { return shifted_ || pieces_ == 0 ? pieces_ : pieces_ - 1; }

    std::string_view operator[](std::size_t position) const
    {
        if (shifted_) {
            if (position == 0)
                return {};
            return Piece(position - 1);
        }
        return Piece(position);
    }

    void Clear()
    {
        text_ = {};
        separatorLength_ = 0;
        starts_.Clear();
        // One start past the missing piece: Piece(0) of an empty table is the
        // empty text without a test on the look-up path.
        starts_.PushBack(0);
        starts_.PushBack(0);
        starts_.Finish();
        pieces_ = 0;
        shifted_ = false;
    }

private:
    std::string_view Piece(std::size_t index) const
    {
        const std::size_t begin = starts_[index];
        const std::size_t end = starts_[index + 1] - separatorLength_;
        // The starts come from cutting text_, so they need no range check.
        return {text_.data() + begin, end - begin};
    }

    std::string_view text_;
    std::size_t separatorLength_ = 0;
    // Where each piece starts, and after the last one where a next piece would
    // start if a separator followed: every piece then ends one separator before
    // the next start, without a test for the last piece on every look-up.
    LineStarts starts_;
    std::size_t pieces_ = 0;
    bool shifted_ = false;
};

// Leading and trailing space characters removed; a TAB is kept. Every line the
// scan looks at goes through here, so it walks pointers rather than searching.
inline std::string_view TrimSpaces(std::string_view text)
{
    const char* begin = text.data();
    const char* end = begin + text.size();
    while (begin != end && *begin == ' ')
        ++begin;
    while (end != begin && end[-1] == ' ')
        --end;
    return {begin, static_cast<std::size_t>(end - begin)};
}

} // namespace vektrano
