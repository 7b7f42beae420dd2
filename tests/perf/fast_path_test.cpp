#include "cli/memory_window.h"
#include "run/conversion_run.h"
#include "run/line_loading.h"
#include "script/cp1252.h"
#include "script/number_rules.h"
#include "state/line_starts.h"
#include "state/line_table.h"
#include "state/monotone_table.h"
#include "state/unknown_tally.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <unistd.h>

namespace vektrano {
namespace {

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

TEST(NumberTextFastPath, AgreesWithFifteenDigitFormatting)
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

// Line starts of a drawing beyond 4 GiB: the low halves wrap, the high halves
// must come back for every element, also where several elements share a value.
TEST(MonotoneTable, KeepsValuesBeyondFourGiB)
{
    constexpr std::uint64_t k4G = std::uint64_t{1} << 32;
    const std::uint64_t values[] = {0,       7,           k4G - 2,     k4G - 1,     k4G,
                                    k4G,     k4G + 1,     2 * k4G - 1, 2 * k4G + 5, 2 * k4G + 5,
                                    5 * k4G, 5 * k4G + 3, 9 * k4G};
    MonotoneTable table;
    for (auto value : values)
        table.PushBack(value);
    ASSERT_EQ(table.Size(), std::size(values));
    for (std::size_t i = 0; i < std::size(values); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(table[i], values[i]);
    }
}

// The compact line starts: blocks whose lines are short keep 16-bit distances,
// a block with a line of 64 KiB or more keeps whole starts, and both must give
// back every start, beyond 4 GiB too, whatever the block's length.
TEST(LineStarts, GiveBackEveryStartInShortAndLongBlocks)
{
    constexpr std::uint64_t k4G = std::uint64_t{1} << 32;
    struct Case
    {
        const char* name;
        std::size_t count;
        std::uint64_t (*start)(std::size_t);
    };
    const Case cases[] = {
        {"short lines", 1000, [](std::size_t i) -> std::uint64_t { return i * 7; }},
        {"one long line per block", 1000,
         [](std::size_t i) -> std::uint64_t {
             return i * 7 + (i / 64) * 70'000 + (i % 64 == 63) * 65'536;
         }},
        {"block spanning exactly 64 KiB - 1", 128,
         [](std::size_t i) -> std::uint64_t { return i < 64 ? i * (0xFFFF / 63) : 0x10000 + i; }},
        {"beyond 4 GiB", 300,
         [](std::size_t i) -> std::uint64_t {
             return k4G - 640 + i * 5 + (i > 200 ? 3 * k4G : 0);
         }},
        {"a partly filled last block", 70, [](std::size_t i) -> std::uint64_t { return i * i; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LineStarts starts;
        starts.Reserve(c.count);
        for (std::size_t i = 0; i < c.count; ++i)
            starts.PushBack(c.start(i));
        starts.Finish();
        ASSERT_EQ(starts.Size(), c.count);
        for (std::size_t i = 0; i < c.count; ++i)
            ASSERT_EQ(starts[i], c.start(i)) << "index " << i;
    }
}

TEST(UnknownTally, KeepsOrderAndCountsAcrossIndexGrowth)
{
    // Enough names to grow the index several times, each met a different number
    // of times and interleaved, so a row lost or doubled on growth shows.
    constexpr std::size_t kNames = 5'000;
    UnknownTally tally;
    for (int round = 0; round < 3; ++round)
        for (std::size_t k = 0; k < kNames; ++k)
            if (round == 0 || k % (round + 1) == 0)
                tally.Count("NAME_" + std::to_string(k));
    tally.Count("");
    tally.Count("NAME_1"); // a prefix of later names
    ASSERT_EQ(tally.Rows().size(), kNames + 1);
    for (std::size_t k = 0; k < kNames; ++k) {
        const auto& row = tally.Rows()[k];
        ASSERT_EQ(row.name, "NAME_" + std::to_string(k));
        const std::size_t expected = 1 + (k % 2 == 0) + (k % 3 == 0) + (k == 1);
        ASSERT_EQ(row.count, expected) << row.name;
    }
    EXPECT_EQ(tally.Rows().back().name, "");

    tally.Clear();
    tally.Count("SECTION");
    tally.Count("SECTION");
    EXPECT_EQ(tally.EncodedText(), "||SECTION##2||");
}

// A separator search that starts at the wrong byte of "\r\n" cuts a lone CR or
// a CR before CR LF wrongly.
TEST(LineTableCut, FindsEveryTwoByteSeparatorOnce)
{
    struct Case
    {
        std::string text;
        std::vector<std::string> pieces;
    };
    const Case cases[] = {
        {"0\r\nLINE\r\n", {"0", "LINE", ""}},
        {"a\rb\r\nc", {"a\rb", "c"}},
        {"a\r\r\nb\r", {"a\r", "b\r"}},
        {"\r\n\r\n", {"", "", ""}},
        {"\n\r", {"\n\r"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        LineTable lines;
        lines.Cut(c.text, "\r\n");
        ASSERT_EQ(lines.PieceCount(), c.pieces.size());
        for (std::size_t i = 0; i < c.pieces.size(); ++i)
            EXPECT_EQ(lines[i], c.pieces[i]);
    }
}

// The drawing is held whole, so the loaded text must not carry the slack of a
// growing buffer, and it must be the file's bytes exactly.
TEST(LoadDxfFile, ReadsTheWholeFileWithoutSlack)
{
    char path[] = "/tmp/vektrano_load_XXXXXX";
    const int fd = ::mkstemp(path);
    ASSERT_GE(fd, 0);
    ::close(fd);
    for (std::size_t size : {std::size_t{1}, std::size_t{4095}, std::size_t{65536},
                             std::size_t{1} << 20, (std::size_t{1} << 20) + 3}) {
        SCOPED_TRACE(size);
        std::string bytes(size, '\0');
        for (std::size_t i = 0; i < size; ++i)
            bytes[i] = static_cast<char>((i * 131) % 251);
        std::FILE* file = std::fopen(path, "wb");
        ASSERT_NE(file, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);

        std::string text = "left from before";
        ASSERT_EQ(LoadDxfFile(path, text), 0);
        EXPECT_EQ(text, bytes);
        EXPECT_LE(text.capacity(), size + size / 8 + 16);
    }
    std::remove(path);
}

} // namespace
} // namespace vektrano

namespace vektrano {
namespace {

std::string ReadWhole(const std::string& path)
{
    std::string text;
    EXPECT_EQ(LoadDxfFile(path, text), 0);
    return text;
}

// Names that share one far "0" code read the same value lines for every name;
// values remembered from one name must be the ones its own lines hold, also
// when the offset fields change the sum and when lines share a memory slot.
TEST(SharedEndRanges, EveryNameWritesItsOwnValues)
{
    std::string dxf = "0\r\nSECTION\r\n2\r\nENTITIES\r\n0\r\nLINE\r\n";
    for (int k = 0; k < 40; ++k)
        dxf += "8\r\nLINE\r\n";
    // Value lines 16 positions apart fall on the same remembered slot.
    dxf += "10\r\n1.5\r\n20\r\n2.5\r\n";
    for (int k = 0; k < 6; ++k)
        dxf += "5\r\n0\r\n";
    dxf += "11\r\n3.5\r\n21\r\n4.5\r\n0\r\nENDSEC\r\n0\r\nEOF\r\n";
    char dxfPath[] = "/tmp/vektrano_shared_XXXXXX";
    const int fd = ::mkstemp(dxfPath);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, dxf.data(), dxf.size()), static_cast<ssize_t>(dxf.size()));
    ::close(fd);
    const std::string scrPath = std::string(dxfPath) + ".scr";

    for (const char* offset : {"0", "10"}) {
        SCOPED_TRACE(offset);
        MemoryWindow window;
        window.SetField(Field::Txt_DXF, dxfPath);
        window.SetField(Field::Txt_SCR, scrPath);
        window.SetField(Field::Txt_Offset_X, offset);
        Variablen state;
        ASSERT_EQ(RunConversion(window, state), RunOutcome::Completed);
        const std::string x = std::string(offset) == "0" ? "" : "1";
        const std::string wire = "Wire 0.01 (" + x + "1.5 2.5) (" + x + "3.5 4.5)\r\n";
        const std::string script = ReadWhole(scrPath);
        const std::size_t body = script.find("Change Font Vector;\r\n");
        ASSERT_NE(body, std::string::npos);
        std::string expected;
        for (int k = 0; k < 41; ++k)
            expected += wire;
        EXPECT_EQ(script.substr(body + 21), expected);
    }
    std::remove(dxfPath);
    std::remove(scrPath.c_str());
}

} // namespace
} // namespace vektrano

namespace vektrano {
namespace {

// ASCII passes through unchanged; one byte above 0x7F anywhere must still send
// the whole text through the conversion.
TEST(Cp1252ToUtf8, ConvertsEveryNameWithAHighByte)
{
    struct Case
    {
        std::string_view bytes;
        std::string_view utf8;
    };
    const Case cases[] = {
        {"UNKNOWN_0000001", "UNKNOWN_0000001"},
        {"", ""},
        {"M\xe4rz", "M\xc3\xa4rz"},
        {"\x80", "\xe2\x82\xac"},
        {"PLAN_\x9f", "PLAN_\xc5\xb8"},
        {"Stra\xdf"
         "e 1",
         "Stra\xc3\x9f"
         "e 1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.utf8));
        EXPECT_EQ(Cp1252ToUtf8(c.bytes), c.utf8);
    }
}

} // namespace
} // namespace vektrano

namespace vektrano {
namespace {

// Texts that from_chars takes whole but the DXF rules refuse, or that only the
// long way reads right, next to plain numbers the short way must read exactly.
// An overlong line feed once reached the script as a line break of its own.
TEST(Utf8ToCp1252, MakesOverlongFormsSurrogatesAndBeyondUnicodeQuestionMarks)
{
    const std::pair<std::string, std::string> cases[] = {
        {"0.1\xE0\x80\x8A", "0.1???"}, {"\xC0\x8A", "??"},
        {"\xF0\x80\x80\x8A", "????"},  {"\xED\xA0\x80", "???"},
        {"\xF4\x90\x80\x80", "????"},  {"\xC3\xA4\xE2\x82\xAC", "\xE4\x80"}};
    for (const auto& [utf8, bytes] : cases) {
        SCOPED_TRACE(utf8);
        EXPECT_EQ(Utf8ToCp1252(utf8), bytes);
    }
}

TEST(ReadDxfNumberFastPath, RefusesWhatOnlyFromCharsWouldTake)
{
    struct Case
    {
        const char* text;
        std::optional<double> value;
    };
    const Case cases[] = {
        {"-inf", std::nullopt}, {"infinity", std::nullopt},
        {"-nan", std::nullopt}, {"NAN", std::nullopt},
        {"-e5", std::nullopt},  {"-.", std::nullopt},
        {"1e5x", std::nullopt}, {".5", 0.5},
        {"-.5", -0.5},          {"1.e5", 1e5},
        {" -12.25 ", -12.25},   {"0.1", 0.1},
        {"1e308", 1e308},       {"2e308", std::numeric_limits<double>::infinity()},
        {"-1,25", -1.25},       {"+7", 7.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ReadDxfNumber(c.text), c.value);
    }
    const auto negativeZero = ReadDxfNumber("-0.0");
    ASSERT_TRUE(negativeZero);
    EXPECT_TRUE(std::signbit(*negativeZero));
}

} // namespace
} // namespace vektrano
