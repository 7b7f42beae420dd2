#include "dxf_number.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

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
    const long long position =
        significantIntegerDigits > 0 ? significantIntegerDigits - 1 : -(leadingFractionZeros + 1);
    const bool tooLarge = position + exponent > 0;
    const double magnitude = tooLarge ? std::numeric_limits<double>::infinity() : 0.0;
    return negative ? -magnitude : magnitude;
}

} // namespace

double ParseNormalisedNumber(std::string_view number, bool negative, std::string_view mantissa,
                             std::string_view exponentDigits, bool exponentNegative)
{
    double value = 0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value,
                                        std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range)
        return OutOfRangeValue(mantissa, exponentDigits, exponentNegative, negative);
    return value;
}

std::optional<double> ReadDxfNumber(std::string_view text)
{
    std::size_t begin = text.find_first_not_of(' ');
    if (begin == std::string_view::npos)
        return std::nullopt;
    std::size_t end = text.find_last_not_of(' ') + 1;
    std::string_view t = text.substr(begin, end - begin);

    // Nearly every value line is a plain number that from_chars takes whole. Every
    // text it takes whole and that starts with a digit, a point or a minus before
    // one of them is also a number by the rules below, with the value the long way
    // would give (it ends in this same call); "inf", "nan", "+", "," and anything
    // out of range take the long way.
    const auto startsNumber = [](char c) { return IsDigit(c) || c == '.'; };
    if (startsNumber(t[0]) || (t[0] == '-' && t.size() > 1 && startsNumber(t[1]))) {
        double value = 0;
        const auto result =
            std::from_chars(t.data(), t.data() + t.size(), value, std::chars_format::general);
        if (result.ec == std::errc() && result.ptr == t.data() + t.size())
            return value;
    }

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
        return ParseNormalisedNumber(number, negative, mantissa, exponentDigits, exponentNegative);
    std::string copy(number);
    copy[commaAt - (negative ? 0 : mantissaBegin)] = '.';
    return ParseNormalisedNumber(copy, negative, mantissa, exponentDigits, exponentNegative);
}

} // namespace vektrano
