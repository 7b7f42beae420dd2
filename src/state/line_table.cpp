#include "line_table.h"

#include <algorithm>
#include <cstring>

namespace vektrano {

namespace {

// Calls found(offset just past the separator) for every separator in text, in
// order. memchr finds the separator's first byte; a two-byte separator then needs
// its second byte right after it ("\r\n": a lone CR is no separator).
template <typename Found>
void ForEachSeparator(std::string_view text, std::string_view separator, Found&& found)
{
    const char first = separator[0];
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    const char* p = begin;
    while ((p = static_cast<const char*>(std::memchr(p, first, end - p))) != nullptr) {
        if (separator.size() == 2 && (p + 1 == end || p[1] != separator[1])) {
            ++p;
            continue;
        }
        p += separator.size();
        found(static_cast<std::uint64_t>(p - begin));
    }
}

} // namespace

void LineTable::Cut(std::string_view text, std::string_view separator)
{
    Clear();
    text_ = text;
    separatorLength_ = separator.size();
    if (text.empty())
        return;
    // Reserving first lets the table be allocated once; a second reallocating copy
    // of a table of millions of entries would raise the peak memory for a moment.
    // The separator's last byte occurs at least as often as the separator, and a
    // plain count of one byte runs many times faster than the search.
    const auto bound = std::count(text.begin(), text.end(), separator.back());
    starts_.Reserve(static_cast<std::size_t>(bound) + 1);
    starts_.PushBack(0);
    ForEachSeparator(text, separator, [&](std::uint64_t start) { starts_.PushBack(start); });
}

} // namespace vektrano
