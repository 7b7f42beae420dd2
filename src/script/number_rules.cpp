#include "number_rules.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace vektrano {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

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
    const double value =
        ParseNormalisedNumber(number, negative, mantissa, exponentDigits, exponentNegative);
    return value == 0 ? 0.0 : value;
}

} // namespace

double ReadFieldNumber(std::string_view text) { return ReadLeadingNumber(text, true); }

double ReadLayerNumber(std::string_view text) { return ReadLeadingNumber(text, false); }

namespace {

// The exact decimal of at most 15 significant digits that value is the nearest
// double to, in plain notation, when there is one and its exponent lies within
// plain notation's range; otherwise nullptr. Such a decimal is what %.15G prints:
// the double lies within half an ulp of it, far less than half a step of the
// 15-digit grid, so rounding the double to 15 digits lands on the decimal itself.
// Coordinates of a drawing are nearly always such numbers, and finding the
// decimal this way costs a third of a fixed-precision to_chars.
char* WriteShortPlain(char* out, double value)
{
    static constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,
                                        1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19};
    static constexpr char kPairs[] = "00010203040506070809101112131415161718192021222324"
                                     "25262728293031323334353637383940414243444546474849"
                                     "50515253545556575859606162636465666768697071727374"
                                     "75767778798081828384858687888990919293949596979899";
    const double magnitude = std::fabs(value);
    if (!(magnitude >= 1e-4 && magnitude < 1e15))
        return nullptr;
    // The decimal exponent estimated from the binary one (1233 / 4096 is just
    // above log10 2) is the true one or one less; k scales to 15 digits.
    std::uint64_t bits = 0;
    std::memcpy(&bits, &magnitude, sizeof bits);
    const int binaryExponent = static_cast<int>(bits >> 52) - 1023;
    int k = 14 - ((binaryExponent * 1233) >> 12);
    double scaled = magnitude * kPow10[k];
    if (scaled >= 1e15)
        scaled = magnitude * kPow10[--k];
    // The guess at the digits may be off; the division proves or refutes it, since
    // both operands are exact and the quotient is correctly rounded.
    std::uint64_t m = static_cast<std::uint64_t>(scaled + 0.5);
    if (static_cast<double>(m) / kPow10[k] != magnitude)
        return nullptr;
    while (k >= 2 && m % 100 == 0) {
        m /= 100;
        k -= 2;
    }
    if (k > 0 && m % 10 == 0) {
        m /= 10;
        --k;
    }
    char digits[20];
    char* const digitsEnd = digits + sizeof digits;
    char* d = digitsEnd;
    for (; m >= 100; m /= 100) {
        d -= 2;
        std::memcpy(d, kPairs + 2 * (m % 100), 2);
    }
    if (m >= 10) {
        d -= 2;
        std::memcpy(d, kPairs + 2 * m, 2);
    } else {
        *--d = static_cast<char>('0' + m);
    }
    const int n = static_cast<int>(digitsEnd - d);

    char* o = out;
    if (value < 0)
        *o++ = '-';
    if (k >= n) {
        *o++ = '0';
        *o++ = '.';
        for (int zeros = k - n; zeros > 0; --zeros)
            *o++ = '0';
        std::memcpy(o, d, static_cast<std::size_t>(n));
        return o + n;
    }
    std::memcpy(o, d, static_cast<std::size_t>(n - k));
    o += n - k;
    if (k > 0) {
        *o++ = '.';
        std::memcpy(o, d + n - k, static_cast<std::size_t>(k));
        o += k;
    }
    return o;
}

} // namespace

char* WriteNumberText(char* out, double value)
{
    if (value == 0) { // also catches -0.0, which the script never shows with a sign
        *out = '0';
        return out + 1;
    }
    if (char* end = WriteShortPlain(out, value))
        return end;
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
