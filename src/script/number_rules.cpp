#include "number_rules.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace vektrano {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// from_chars reports only "out of range" when a number is too large or too small
// for a double; which of the two it is follows from the decimal exponent of the
// first significant digit. mantissa holds digits and at most one ".".
double OutOfRangeValue(std::string_view mantissa, std::string_view exponentDigits,
                       bool exponentNegative, bool negative)
{
    long long exponent = 0;
    for (char c : exponentDigits) {
        exponent = exponent * 10 + (c - '0');
        if (exponent > 1'000'000'000)
            break; // far beyond any double either way
    }
    if (exponentNegative)
        exponent = -exponent;
    // Decimal exponent of the first significant digit of the mantissa.
    long long significantIntegerDigits = 0;
    long long leadingFractionZeros = 0;
    bool seenPoint = false;
    bool significant = false;
    for (char c : mantissa) {
        if (c == '.') {
            seenPoint = true;
        } else if (!seenPoint) {
            if (significant || c != '0') {
                significant = true;
                ++significantIntegerDigits;
            }
        } else if (!significant) {
            if (c != '0')
                significant = true;
            else
                ++leadingFractionZeros;
        }
    }
    const long long position = significantIntegerDigits > 0 ? significantIntegerDigits - 1
                                                            : -(leadingFractionZeros + 1);
    const bool tooLarge = position + exponent > 0;
    const double magnitude = tooLarge ? std::numeric_limits<double>::infinity() : 0.0;
    return negative ? -magnitude : magnitude;
}

// Parses sign, mantissa and exponent that the callers have already validated and
// normalised ("." as separator, no "+").
double ParseNormalised(std::string_view number, bool negative, std::string_view mantissa,
                       std::string_view exponentDigits, bool exponentNegative)
{
    double value = 0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value,
                                        std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range)
        return OutOfRangeValue(mantissa, exponentDigits, exponentNegative, negative);
    return value;
}

} // namespace

std::optional<double> ReadDxfNumber(std::string_view text)
{
    std::size_t begin = text.find_first_not_of(' ');
    if (begin == std::string_view::npos)
        return std::nullopt;
    std::size_t end = text.find_last_not_of(' ') + 1;
    std::string_view t = text.substr(begin, end - begin);

    std::size_t i = 0;
    bool negative = false;
    if (t[i] == '+' || t[i] == '-') {
        negative = t[i] == '-';
        ++i;
    }
    const std::size_t mantissaBegin = i;
    std::size_t digits = 0;
    std::size_t separators = 0;
    std::size_t commaAt = std::string_view::npos;
    for (; i < t.size(); ++i) {
        if (IsDigit(t[i]))
            ++digits;
        else if (t[i] == '.' || t[i] == ',') {
            if (t[i] == ',')
                commaAt = i;
            ++separators;
        } else
            break;
    }
    if (digits == 0 || separators > 1)
        return std::nullopt;
    const std::size_t mantissaEnd = i;
    std::string_view exponentDigits;
    bool exponentNegative = false;
    if (i < t.size()) {
        if (t[i] != 'e' && t[i] != 'E')
            return std::nullopt;
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
            exponentNegative = t[i] == '-';
            ++i;
        }
        const std::size_t exponentBegin = i;
        while (i < t.size() && IsDigit(t[i]))
            ++i;
        if (i == exponentBegin || i != t.size())
            return std::nullopt;
        exponentDigits = t.substr(exponentBegin, i - exponentBegin);
    }

    // from_chars takes neither "+" nor ",": hand it the text from the "-" or the
    // first digit on, with a "," copied out as "." where needed.
    std::string_view number = t.substr(negative ? 0 : mantissaBegin);
    std::string_view mantissa = t.substr(mantissaBegin, mantissaEnd - mantissaBegin);
    if (commaAt == std::string_view::npos)
        return ParseNormalised(number, negative, mantissa, exponentDigits, exponentNegative);
    std::string copy(number);
    copy[commaAt - (negative ? 0 : mantissaBegin)] = '.';
    return ParseNormalised(copy, negative, mantissa, exponentDigits, exponentNegative);
}

namespace {

double ReadLeadingNumber(std::string_view text, bool commaIsPoint)
{
    // The number is gathered without the skipped characters, then parsed whole.
    std::string number;
    std::size_t i = 0;
    auto skipBlanks = [&] {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n'))
            ++i;
    };
    auto at = [&](std::size_t k) {
        const char c = text[k];
        return commaIsPoint && c == ',' ? '.' : c;
    };
    skipBlanks();
    bool negative = false;
    if (i < text.size() && (at(i) == '+' || at(i) == '-')) {
        negative = at(i) == '-';
        if (negative)
            number += '-';
        ++i;
    }
    std::string mantissa;
    bool point = false;
    std::size_t digits = 0;
    for (;; ++i) {
        skipBlanks();
        if (i >= text.size())
            break;
        const char c = at(i);
        if (IsDigit(c)) {
            ++digits;
            mantissa += c;
        } else if (c == '.' && !point) {
            point = true;
            mantissa += c;
        } else
            break;
    }
    if (digits == 0)
        return 0.0;
    number += mantissa;
    std::string exponentDigits;
    bool exponentNegative = false;
    if (i < text.size()) {
        const char c = at(i);
        if (c == 'e' || c == 'E' || c == 'd' || c == 'D') {
            std::size_t k = i + 1;
            auto skipAt = [&] {
                while (k < text.size() && (text[k] == ' ' || text[k] == '\t' || text[k] == '\n'))
                    ++k;
            };
            skipAt();
            bool expNegative = false;
            if (k < text.size() && (at(k) == '+' || at(k) == '-')) {
                expNegative = at(k) == '-';
                ++k;
            }
            for (;; ++k) {
                skipAt();
                if (k >= text.size() || !IsDigit(text[k]))
                    break;
                exponentDigits += text[k];
            }
            // An "E" or "D" without digits is not part of the number.
            if (!exponentDigits.empty()) {
                exponentNegative = expNegative;
                number += exponentNegative ? "e-" : "e";
                number += exponentDigits;
            }
        }
    }
    const double value = ParseNormalised(number, negative, mantissa, exponentDigits,
                                         exponentNegative);
    return value == 0 ? 0.0 : value;
}

} // namespace

double ReadFieldNumber(std::string_view text) { return ReadLeadingNumber(text, true); }

double ReadLayerNumber(std::string_view text) { return ReadLeadingNumber(text, false); }

char* WriteNumberText(char* out, double value)
{
    if (value == 0) { // also catches -0.0, which the script never shows with a sign
        *out = '0';
        return out + 1;
    }
    // to_chars in general format with precision 15 has exactly the script's shape
    // (the shape of printf's %.15G), without the locale.
    const auto result =
        std::to_chars(out, out + kMaxNumberText, value, std::chars_format::general, 15);
    for (char* p = out; p < result.ptr; ++p)
        if (*p == 'e')
            *p = 'E';
    return result.ptr;
}

std::string NumberText(double value)
{
    char buffer[kMaxNumberText];
    return std::string(buffer, WriteNumberText(buffer, value));
}

std::string NumberText(const WorkSlot& slot)
{
    if (const auto* number = std::get_if<double>(&slot.value))
        return NumberText(*number);
    if (const auto* text = std::get_if<std::string>(&slot.value)) {
        std::string copy = *text;
        for (char& c : copy)
            if (c == ',')
                c = '.';
        return copy;
    }
    return {};
}

} // namespace vektrano
