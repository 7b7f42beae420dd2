#include "line_table.h"

#include <algorithm>
#include <cstring>

namespace vektrano {

namespace {

// Counting first lets the table be allocated once; a second reallocating copy of
// a table of millions of entries would double the peak memory for a moment.
std::size_t CountSeparators(std::string_view text, std::string_view separator)
{
    std::size_t count = 0;
    if (separator.size() == 1) {
        const char wanted = separator[0];
        const char* p = text.data();
        const char* const end = p + text.size();
        while ((p = static_cast<const char*>(std::memchr(p, wanted, end - p))) != nullptr) {
            ++count;
            ++p;
        }
        return count;
    }
    for (std::size_t at = text.find(separator); at != std::string_view::npos;
         at = text.find(separator, at + separator.size()))
        ++count;
    return count;
}

} // namespace

void LineTable::Cut(std::string_view text, std::string_view separator)
{
    Clear();
    text_ = text;
    separatorLength_ = separator.size();
    if (text.empty())
        return;
    starts_.Reserve(CountSeparators(text, separator) + 1);
    starts_.PushBack(0);
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
        starts_.PushBack(static_cast<std::uint64_t>(p - begin));
    }
}

} // namespace vektrano
