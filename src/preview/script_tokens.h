#pragma once

#include "geometry/point.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <optional>
#include <string_view>

// The words and numbers of one script command. Everything here is inline: the
// preview reads scripts of millions of lines, a few calls per token.
namespace vektrano {

// Blanks between a script's words; a line's end is cut off before.
inline bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; }

// Whether word, in any case, is the given word in lower case: Eagle reads its
// commands and options without regard to case.
inline bool SameWord(std::string_view word, std::string_view lowerCase)
{
    const auto lower = [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    };
    return word.size() == lowerCase.size() &&
           std::equal(word.begin(), word.end(), lowerCase.begin(),
                      [&](char a, char b) { return lower(a) == b; });
}

// A number as a script writes it: an optional sign, digits with an optional
// point, an optional exponent. Infinities, NaN and numbers beyond a double are
// refused, so every shape drawn has finite coordinates.
inline std::optional<double> ReadNumber(std::string_view text)
{
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-')
            return std::nullopt;
    }
    if (text.empty())
        return std::nullopt;
    double value = 0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (error != std::errc{} || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// Walks one command's text token by token.
class Tokens
{
public:
    explicit Tokens(std::string_view text)
        : text_(text)
    {}

    bool AtEnd()
    {
        SkipBlanks();
        return text_.empty();
    }
    char Peek()
    {
        SkipBlanks();
        return text_.empty() ? '\0' : text_.front();
    }
    void Skip(std::size_t count) { text_.remove_prefix(std::min(count, text_.size())); }

    // A word or number: up to a blank, a parenthesis or the end.
    std::string_view Word()
    {
        SkipBlanks();
        std::size_t n = 0;
        while (n < text_.size() && !IsBlank(text_[n]) && text_[n] != '(' && text_[n] != ')')
            ++n;
        const std::string_view word = text_.substr(0, n);
        text_.remove_prefix(n);
        return word;
    }

    // "(x y)" with blanks anywhere between; nothing when it is not exactly that.
    std::optional<Point> PointInParentheses()
    {
        if (Peek() != '(')
            return std::nullopt;
        Skip(1);
        const auto x = ReadNumber(Word());
        const auto y = ReadNumber(Word());
        if (!x || !y || Peek() != ')')
            return std::nullopt;
        Skip(1);
        return Point{*x, *y};
    }

    // A quoted text at the front: what lies between its quotes, a doubled quote
    // inside kept as it is; nothing when the closing quote is missing.
    std::optional<std::string_view> Quoted()
    {
        for (std::size_t from = 1;;) {
            const std::size_t close = text_.find('\'', from);
            if (close == std::string_view::npos)
                return std::nullopt;
            if (close + 1 < text_.size() && text_[close + 1] == '\'') {
                from = close + 2;
                continue;
            }
            const std::string_view inside = text_.substr(1, close - 1);
            text_.remove_prefix(close + 1);
            return inside;
        }
    }

    // A quoted name, passed over whole.
    bool SkipQuoted()
    {
        const std::size_t close = text_.find('\'', 1);
        if (close == std::string_view::npos)
            return false;
        text_.remove_prefix(close + 1);
        return true;
    }

private:
    void SkipBlanks()
    {
        std::size_t n = 0;
        while (n < text_.size() && IsBlank(text_[n]))
            ++n;
        text_.remove_prefix(n);
    }

    std::string_view text_;
};

} // namespace vektrano
