// The three number rules on arbitrary text, and NumberText on arbitrary doubles:
// the input's first eight bytes as a double, and every finite number the text
// reads as. The values are checked against the C library's own conversions
// (strtod and printf in the "C" locale, which this process never leaves), an
// implementation independent of the engine's from_chars/to_chars.

#include "run/auto_offset.h"
#include "script/number_rules.h"

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

namespace {

using namespace vektrano;

[[noreturn]] void Broken(const char* what, std::string_view text, double value = 0)
{
    std::fprintf(stderr, "invariant broken: %s\ntext: \"%.*s\"\nvalue: %.17g\n", what,
                 static_cast<int>(std::min<std::size_t>(text.size(), 400)), text.data(), value);
    std::abort();
}

void Expect(bool condition, const char* what, std::string_view text, double value = 0)
{
    if (!condition)
        Broken(what, text, value);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool Same(double a, double b) { return a == b && std::signbit(a) == std::signbit(b); }

double CParse(const std::string& number) { return std::strtod(number.c_str(), nullptr); }

// The DXF grammar as the user sees it: blanks around, optional sign, digits with
// at most one "." or ",", at least one digit, optional exponent with digits.
// Returns the number normalised for strtod, or nothing.
std::optional<std::string> DxfGrammar(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    std::string out;
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        out += text[i++];
    int digits = 0, separators = 0;
    for (; i < text.size(); ++i) {
        if (IsDigit(text[i])) {
            ++digits;
            out += text[i];
        } else if (text[i] == '.' || text[i] == ',') {
            ++separators;
            out += '.';
        } else
            break;
    }
    if (digits == 0 || separators > 1)
        return std::nullopt;
    if (i == text.size())
        return out;
    if (text[i] != 'e' && text[i] != 'E')
        return std::nullopt;
    out += text[i++];
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        out += text[i++];
    const std::size_t exponentBegin = i;
    for (; i < text.size() && IsDigit(text[i]); ++i)
        out += text[i];
    if (i == exponentBegin || i != text.size())
        return std::nullopt;
    return out;
}

void CheckDxfNumber(std::string_view text, std::optional<double> read)
{
    const auto grammar = DxfGrammar(text);
    Expect(grammar.has_value() == read.has_value(), "ReadDxfNumber accepts other texts", text);
    if (!grammar)
        return;
    const double expected = CParse(*grammar);
    Expect(!std::isnan(*read), "ReadDxfNumber gave NaN", text);
    // Beyond a double's range both sides give an infinity; below it the C library
    // may keep a subnormal where the engine gives zero, and neither matters.
    if (std::fabs(expected) < DBL_MIN)
        Expect(Same(*read, expected) || *read == 0, "ReadDxfNumber misreads a tiny number", text,
               *read);
    else
        Expect(Same(*read, expected), "ReadDxfNumber misreads a number", text, *read);
}

// The field rule's leading number on a text without blanks and with "." only.
double FieldGrammar(std::string_view text)
{
    std::string number;
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        number += text[i++];
    int digits = 0;
    bool point = false;
    for (; i < text.size(); ++i) {
        if (IsDigit(text[i]))
            ++digits;
        else if (text[i] == '.' && !point)
            point = true;
        else
            break;
        number += text[i];
    }
    if (digits == 0)
        return 0;
    if (i < text.size() && std::strchr("eEdD", text[i]) && text[i] != '\0') {
        std::string exponent = "e";
        std::size_t k = i + 1;
        if (k < text.size() && (text[k] == '+' || text[k] == '-'))
            exponent += text[k++];
        const std::size_t digitsBegin = k;
        for (; k < text.size() && IsDigit(text[k]); ++k)
            exponent += text[k];
        if (k > digitsBegin)
            number += exponent;
    }
    const double value = CParse(number);
    return value == 0 ? 0.0 : value;
}

void CheckFieldNumbers(std::string_view text)
{
    const double field = ReadFieldNumber(text);
    Expect(!std::isnan(field), "ReadFieldNumber gave NaN", text);
    Expect(!(field == 0 && std::signbit(field)), "ReadFieldNumber gave -0", text);

    std::string plain; // what the field rule sees: no blanks, "." for ","
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\n')
            plain += c == ',' ? '.' : c;
    const double expected = FieldGrammar(plain);
    if (std::fabs(expected) < DBL_MIN)
        Expect(Same(field, expected) || field == 0, "ReadFieldNumber misreads a tiny number", text,
               field);
    else
        Expect(Same(field, expected), "ReadFieldNumber misreads a number", text, field);

    // The layer field stops at its first ",".
    const double layer = ReadLayerNumber(text);
    const double beforeComma = ReadFieldNumber(text.substr(0, text.find(',')));
    Expect(Same(layer, beforeComma), "ReadLayerNumber does not stop at the comma", text, layer);
}

// True when the digits of value after its 15th significant one are a 5 followed
// by zeros as far as 40 digits show: an exact tie, which printf and to_chars may
// break differently.
bool IsTieAtSixteenthDigit(double value)
{
    char digits[64];
    std::snprintf(digits, sizeof digits, "%.39e", std::fabs(value));
    const std::string_view all(digits, std::strchr(digits, 'e') - digits);
    // "d." then 39 digits; the 16th significant digit is all[16].
    if (all[16] != '5')
        return false;
    return all.substr(17).find_first_not_of('0') == std::string_view::npos;
}

void CheckNumberText(double value)
{
    const std::string text = NumberText(value);
    if (value == 0) {
        Expect(text == "0", "zero is not written \"0\"", text, value);
        return;
    }
    Expect(!text.empty() && text.size() <= kMaxNumberText, "number text length", text, value);

    // Shape: [-] digits [. digits] [E (+|-) dd+]
    std::size_t i = 0;
    if (text[i] == '-') {
        Expect(value < 0, "minus sign on a positive value", text, value);
        ++i;
    } else
        Expect(value > 0, "negative value without minus sign", text, value);
    const std::size_t integerBegin = i;
    while (i < text.size() && IsDigit(text[i]))
        ++i;
    const std::string_view integer(text.data() + integerBegin, i - integerBegin);
    std::string_view fraction;
    if (i < text.size() && text[i] == '.') {
        const std::size_t fractionBegin = ++i;
        while (i < text.size() && IsDigit(text[i]))
            ++i;
        fraction = std::string_view(text.data() + fractionBegin, i - fractionBegin);
        Expect(!fraction.empty() && fraction.back() != '0', "trailing zero or bare point", text,
               value);
    }
    Expect(!integer.empty(), "no integer digits", text, value);
    int exponent = 0;
    if (i < text.size()) {
        Expect(text[i] == 'E' && i + 1 < text.size() && (text[i + 1] == '+' || text[i + 1] == '-'),
               "exponent not written E+ or E-", text, value);
        const std::string_view digits(text.data() + i + 2, text.size() - i - 2);
        Expect(digits.size() >= 2 && digits.find_first_not_of("0123456789") == std::string::npos,
               "exponent needs two digits or more", text, value);
        Expect(integer.size() == 1 && integer[0] != '0', "scientific mantissa not d.ddd", text,
               value);
        exponent = std::atoi(std::string(digits).c_str()) * (text[i + 1] == '-' ? -1 : 1);
        Expect(exponent < -4 || exponent > 14, "scientific notation inside the plain range", text,
               value);
    } else {
        Expect(integer.size() == 1 || integer[0] != '0', "leading zero", text, value);
        if (integer != "0")
            exponent = static_cast<int>(integer.size()) - 1;
        else
            exponent = -static_cast<int>(fraction.find_first_not_of('0')) - 1;
        Expect(exponent >= -4 && exponent <= 14, "plain notation outside -4..14", text, value);
    }
    std::string significant = std::string(integer) + std::string(fraction);
    significant.erase(0, significant.find_first_not_of('0'));
    Expect(significant.size() <= 15, "more than 15 significant digits", text, value);

    // The digits are printf's %.15G, apart from how an exact tie is broken.
    char reference[64];
    std::snprintf(reference, sizeof reference, "%.15G", value);
    Expect(text == reference || IsTieAtSixteenthDigit(value), "digits differ from %.15G", text,
           value);

    // Read back, the text lies within half a unit of its 15th digit of the value.
    const double back = CParse(text);
    if (std::isinf(back)) {
        Expect(std::fabs(value) > 1.797693134862315e308, "reads back as infinity", text, value);
        return;
    }
    const double unit = std::pow(10.0, exponent - 14);
    // The text's own rounding plus strtod's, at most one unit in the last place.
    const double ulp = std::fabs(std::nextafter(back, 0.0) - back) + DBL_TRUE_MIN;
    Expect(std::fabs(back - value) <= 0.5 * unit * (1 + 1e-9) + ulp,
           "does not round-trip within 15 digits", text, value);
    Expect(ReadDxfNumber(text).has_value(), "NumberText unreadable as a DXF number", text, value);

    // The automatic offset writes -minimum with the locale's separator; the field
    // rule must read both forms back as the same number.
    const double comma = ReadFieldNumber(OffsetFieldText(-value, ','));
    const double point = ReadFieldNumber(OffsetFieldText(-value, '.'));
    Expect(Same(comma, point) && Same(point, back), "offset field text does not read back", text,
           value);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto dxf = ReadDxfNumber(text);
    CheckDxfNumber(text, dxf);
    CheckFieldNumbers(text);
    if (dxf && std::isfinite(*dxf))
        CheckNumberText(*dxf);
    if (size >= 8) {
        double value;
        std::memcpy(&value, data, sizeof value);
        if (std::isfinite(value))
            CheckNumberText(value);
    }
    const double field = ReadFieldNumber(text);
    if (std::isfinite(field))
        CheckNumberText(field);
    return 0;
}
