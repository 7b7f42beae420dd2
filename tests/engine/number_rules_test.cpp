#include "script/number_rules.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <optional>
#include <random>
#include <string>

namespace vektrano {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

struct TextCase
{
    double value;
    const char* text;
};

TEST(NumberText, WritesFifteenDigitsPlainOrScientific)
{
    const TextCase cases[] = {
        {12.0, "12"},
        {12.5, "12.5"},
        {-0.25, "-0.25"},
        {0.0001, "0.0001"},
        {0.00001, "1E-05"},
        {-0.0, "0"},
        {0.0, "0"},
        {1.0 / 3.0, "0.333333333333333"},
        {2.0 / 3.0, "0.666666666666667"},
        {123456789012345.0, "123456789012345"},
        {1e15, "1E+15"},
        {1234567890123456.0, "1.23456789012346E+15"},
        {-1234567890123456.0, "-1.23456789012346E+15"},
        // Rounding to 15 digits decides the exponent, and with it the notation.
        {10.000000000000002, "10"},
        {999999999999999.9, "1E+15"},
        {0.0000999999999999999999, "0.0001"},
        {0.000012345, "1.2345E-05"},
        {1e100, "1E+100"},
        {-1.5e-300, "-1.5E-300"},
        {4.99999999897448, "4.99999999897448"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(NumberText(c.value), c.text);
    }
}

TEST(NumberText, WritesSlotsAsTheyStand)
{
    WorkSlot slot;
    EXPECT_EQ(NumberText(slot), "");
    slot.SetText(" 2,50", 7);
    EXPECT_EQ(NumberText(slot), " 2.50");
    slot.SetNumber(-0.0, 7);
    EXPECT_EQ(NumberText(slot), "0");
}

struct FieldCase
{
    const char* text;
    double value;
};

TEST(ReadFieldNumber, TakesTheLeadingNumberAndNeverFails)
{
    const FieldCase cases[] = {
        {"12,5", 12.5}, {"-3.2mm", -3.2}, {"1 2", 12},   {"abc", 0},      {"", 0},
        {"- 5", -5},    {"1e", 1},        {"1D3", 1000}, {"1d-2", 0.01},  {"\t7\n", 7},
        {"1,5,5", 1.5}, {"+3", 3},        {".5", 0.5},   {"1E999", kInf}, {"-1E999", -kInf},
        {"12abc3", 12}, {"1e 2", 100},    {"-", 0},      {"0", 0},        {"7x1e2", 7},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ReadFieldNumber(c.text), c.value);
    }
}

TEST(ReadLayerNumber, EndsTheNumberAtAComma)
{
    const FieldCase cases[] = {{"20", 20}, {"1,5", 1}, {"1.5", 1.5}, {"abc", 0}, {" 2 1", 21}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ReadLayerNumber(c.text), c.value);
    }
}

struct DxfCase
{
    const char* text;
    std::optional<double> value;
};

TEST(ReadDxfNumber, AcceptsOnlyWholeNumbersWithSpacesAround)
{
    const DxfCase cases[] = {
        {"12.5", 12.5},
        {"  12.5  ", 12.5},
        {"1,5", 1.5},
        {"-4", -4},
        {"+.5", 0.5},
        {"5.", 5},
        {"1E5", 1e5},
        {"-1.5e-3", -1.5e-3},
        {"2e+2", 200},
        {"1e400", kInf},
        {"-1e400", -kInf},
        {"1e-400", 0},
        {"\t1", std::nullopt},
        {"1\t", std::nullopt},
        {"1,2,3", std::nullopt},
        {"1.2.3", std::nullopt},
        {".", std::nullopt},
        {"-", std::nullopt},
        {"1e", std::nullopt},
        {"1e+", std::nullopt},
        {"0x10", std::nullopt},
        {"&H10", std::nullopt},
        {"nan", std::nullopt},
        {"inf", std::nullopt},
        {"", std::nullopt},
        {"   ", std::nullopt},
        {"1 2", std::nullopt},
        {"1d3", std::nullopt},
        {"--1", std::nullopt},
        {"1.5mm", std::nullopt},
        // What from_chars would take whole but the DXF rules refuse, and what only
        // the long way reads right next to what the short way must read exactly.
        {"-inf", std::nullopt},
        {"infinity", std::nullopt},
        {"-nan", std::nullopt},
        {"NAN", std::nullopt},
        {"-e5", std::nullopt},
        {"-.", std::nullopt},
        {"1e5x", std::nullopt},
        {".5", 0.5},
        {"-.5", -0.5},
        {"1.e5", 1e5},
        {" -12.25 ", -12.25},
        {"0.1", 0.1},
        {"1e308", 1e308},
        {"2e308", kInf},
        {"-1,25", -1.25},
        {"+7", 7.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ReadDxfNumber(c.text), c.value);
    }
}

TEST(ReadDxfNumber, KeepsTheSignOfZero)
{
    for (const char* text : {"-0", "-0.0"}) {
        SCOPED_TRACE(text);
        const auto zero = ReadDxfNumber(text);
        ASSERT_TRUE(zero);
        EXPECT_EQ(*zero, 0.0);
        EXPECT_TRUE(std::signbit(*zero));
    }
}

// The script's number text as printf's %.15G defines it, the slow way.
std::string FifteenDigits(double value)
{
    if (value == 0)
        return "0";
    char buffer[64];
    const auto end =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15).ptr;
    std::string text(buffer, end);
    for (char& c : text)
        if (c == 'e')
            c = 'E';
    return text;
}

void ExpectSameText(double value, int& failures)
{
    if (!std::isfinite(value))
        return;
    const std::string expected = FifteenDigits(value);
    if (NumberText(value) != expected && ++failures <= 10)
        ADD_FAILURE() << "value " << FifteenDigits(value) << " bits " << std::hexfloat << value
                      << ": got " << NumberText(value) << ", want " << expected;
}

TEST(NumberText, AgreesWithFifteenDigitFormattingOnAnyValue)
{
    // Boundaries of plain notation, of the 15-digit grid and of the decade guess.
    const double fixed[] = {1e-4,
                            0.0001000000000000001,
                            9.99999999999999e-5,
                            1e15,
                            999999999999999.0,
                            99999999999999.9,
                            0.1,
                            0.3,
                            0.09999999999999999,
                            1.0 / 3,
                            2.0 / 3,
                            100,
                            123456789012345.0,
                            12345678901234.5,
                            0.000123456789012345,
                            -280.481222,
                            94.9044035105671,
                            1e-300,
                            5e-324,
                            2.2250738585072014e-308,
                            1.7976931348623157e308,
                            0.5,
                            9.5,
                            999.9999999999999};
    int failures = 0;
    for (double value : fixed) {
        ExpectSameText(value, failures);
        ExpectSameText(-value, failures);
        ExpectSameText(std::nextafter(value, 0.0), failures);
        ExpectSameText(std::nextafter(value, 1e308), failures);
    }
    std::mt19937_64 random(20240607);
    for (int i = 0; i < 300'000; ++i) {
        // Any bit pattern: every exponent, subnormals included.
        const std::uint64_t bits = random();
        double any = 0;
        std::memcpy(&any, &bits, sizeof any);
        ExpectSameText(any, failures);
        // Decimals as drawings write them, and what arithmetic makes of them.
        const int decimals = static_cast<int>(random() % 16);
        const auto integer =
            static_cast<std::int64_t>(random() % 2'000'000'000'000'000) - 1'000'000'000'000'000;
        const double decimal = static_cast<double>(integer) / std::pow(10.0, decimals);
        ExpectSameText(decimal, failures);
        ExpectSameText(decimal * 1e-3, failures);
        ExpectSameText(decimal + 0.1, failures);
        ExpectSameText(std::cos(decimal) * 2.5 + 40, failures);
        const double scale = std::pow(10.0, static_cast<int>(random() % 40) - 20);
        ExpectSameText(static_cast<double>(random() % 100'000) * scale, failures);
    }
    EXPECT_EQ(failures, 0);
}

} // namespace
} // namespace vektrano
