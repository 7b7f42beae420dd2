#include "script/number_rules.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <optional>

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
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ReadDxfNumber(c.text), c.value);
    }
}

TEST(ReadDxfNumber, KeepsTheSignOfZero)
{
    const auto zero = ReadDxfNumber("-0");
    ASSERT_TRUE(zero);
    EXPECT_EQ(*zero, 0.0);
    EXPECT_TRUE(std::signbit(*zero));
}

} // namespace
} // namespace vektrano
