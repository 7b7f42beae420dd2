#pragma once

#include "monotone_table.h"

#include <cstddef>
#include <string_view>

namespace vektrano {

// The drawing's lines as views into the one file text: no line is copied. After
// Shift() position 0 is the empty text and the file's first line stands at
// position 1, so group codes stand at odd positions.
class LineTable
{
public:
    LineTable() = default;

    // Cuts text at every occurrence of separator ("\r\n", "\r" or "\n"). The pieces,
    // including a possibly empty piece after the last separator, become the lines.
    // An empty text gives no piece at all.
    void Cut(std::string_view text, std::string_view separator);

    // Number of separators found by the last Cut (the unshifted top).
    std::size_t SeparatorCount() const { return starts_.Empty() ? 0 : starts_.Size() - 1; }
    std::size_t PieceCount() const { return starts_.Size(); }

    void Shift() { shifted_ = true; }
    bool Shifted() const { return shifted_; }

    // Highest valid position. Only meaningful once at least one piece exists.
    std::size_t Top() const { return shifted_ ? starts_.Size() : starts_.Size() - 1; }

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
        starts_.Clear();
        shifted_ = false;
    }

private:
    std::string_view Piece(std::size_t index) const
    {
        const std::size_t begin = starts_[index];
        const std::size_t end =
            index + 1 < starts_.Size() ? starts_[index + 1] - separatorLength_ : text_.size();
        return text_.substr(begin, end - begin);
    }

    std::string_view text_;
    std::size_t separatorLength_ = 0;
    MonotoneTable starts_;
    bool shifted_ = false;
};

// Leading and trailing space characters removed; a TAB is kept.
inline std::string_view TrimSpaces(std::string_view text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

} // namespace vektrano
