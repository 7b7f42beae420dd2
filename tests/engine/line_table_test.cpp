#include "engine_test_support.h"
#include "run/line_loading.h"
#include "script/converters.h"
#include "state/line_starts.h"
#include "state/monotone_table.h"

namespace vektrano::test {
namespace {

const std::string kCrlfTried = "0 Zeilen der DXF Datei gelesen.\r\n\r\n"
                               "Importierte Zeilen mit CRLF = 0, versuche CR\r\n";

std::string CrAttempt(std::size_t count)
{
    return "Gelesene Zeilen der DXF Datei: " + std::to_string(count) + "\r\n\r\n";
}

std::string LfAttempt(std::size_t count)
{
    return "Importierte Zeilen mit CR = 0, versuche LF\r\n"
           "Gelesene Zeilen der DXF Datei: " +
           std::to_string(count) + "\r\n\r\n";
}

struct CutCase
{
    const char* name;
    std::string text;
    std::string cutLog; // from the first count message to before "Konvertiere"
};

// A header-only drawing whose one-line-end kind is chosen by the case.
std::string Plain(std::string_view lineEnd)
{
    return Dxf({"0", "SECTION", "2", "HEADER", "0", "ENDSEC", "0", "EOF"}, lineEnd);
}

TEST(LineTable, CutsTheSameAcrossThePiecesBetweenPauses)
{
    // The cut pauses every MiB: a CR LF split by a piece's end still counts once,
    // a CR at its end before another CR does not, and no line is lost or doubled.
    constexpr std::size_t kPiece = std::size_t{1} << 20;
    struct Case
    {
        const char* name;
        std::size_t at; // where the line end is put, just before a piece's end
        std::string lineEnd;
        std::size_t separators;
        std::size_t firstLine;
    };
    const Case cases[] = {
        {"CR LF split", kPiece - 1, "\r\n", 2, kPiece - 1},
        {"CR LF whole", kPiece - 2, "\r\n", 2, kPiece - 2},
        {"CR before CR", kPiece - 1, "\r\r", 1, kPiece + 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string text(2 * kPiece + 10, 'x');
        text.replace(c.at, c.lineEnd.size(), c.lineEnd);
        text.replace(kPiece + 5, 2, "\r\n");
        int pauses = 0;
        LineTable lines;
        lines.Cut(text, "\r\n", [&pauses] { ++pauses; });
        EXPECT_EQ(lines.SeparatorCount(), c.separators);
        EXPECT_EQ(lines[0].size(), c.firstLine);
        EXPECT_EQ(lines[lines.SeparatorCount()].size(), kPiece + 3);
        EXPECT_GE(pauses, 2); // at least once in each of the two passes
    }
}

TEST(LineTable, LogsEachLineEndKindAndItsFallbacks)
{
    const CutCase cases[] = {
        {"CR LF", Plain("\r\n"), "8 Zeilen der DXF Datei gelesen.\r\n\r\n"},
        {"CR", Plain("\r"), kCrlfTried + CrAttempt(8)},
        {"LF", Plain("\n"), kCrlfTried + CrAttempt(0) + LfAttempt(8)},
        // The first kind that cuts at all wins, however few times it occurs.
        {"CR LF once, then LF", "0\r\nSECTION\n0\nEOF\n",
         "1 Zeilen der DXF Datei gelesen.\r\n\r\n"},
        {"CR and LF apart", "0\rSECTION\n0\nEOF\n", kCrlfTried + CrAttempt(1)},
        {"LF CR is not CR LF", "0\n\rEOF", kCrlfTried + CrAttempt(1)},
        {"no final line end", "0\nSECTION\n0\nEOF", kCrlfTried + CrAttempt(0) + LfAttempt(3)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Conversion run;
        run.Run(c.text);
        const std::string head = kHint + "Lade Datei " + run.dxf.string() + "...fertig\r\n\r\n";
        EXPECT_EQ(run.Log().substr(0, head.size() + c.cutLog.size() + 22),
                  head + c.cutLog + "Konvertiere Datei...fe");
    }
}

TEST(LineTable, TextWithoutLineBreakEndsAsUnknownFormat)
{
    const std::string unknown =
        kCrlfTried + CrAttempt(0) + LfAttempt(0) + "unbekanntes Format. BEENDE Konvertierung.\r\n";
    for (const char* text : {"", "0 SECTION 0 EOF"}) {
        SCOPED_TRACE(text);
        Conversion run;
        EXPECT_EQ(run.Run(text), RunOutcome::Stopped);
        EXPECT_EQ(run.Log(),
                  kHint + "Lade Datei " + run.dxf.string() + "...fertig\r\n\r\n" + unknown);
        EXPECT_TRUE(fs::exists(run.scr));
        EXPECT_EQ(run.Script(), "");
        EXPECT_TRUE(run.window.Messages().empty());
        EXPECT_FALSE(run.window.BusyCursor());
    }
}

TEST(LineTable, ShiftPutsCodesAtOddPositionsAndKeepsBlanks)
{
    Conversion run;
    run.Run("  0 \r\nSECTION  \r\n0\r\nEOF\r\n");
    const LineTable& lines = run.state.Lines;
    ASSERT_EQ(lines.Top(), 5u);
    const char* expected[] = {"", "  0 ", "SECTION  ", "0", "EOF", ""};
    for (std::size_t p = 0; p <= 5; ++p) {
        SCOPED_TRACE(p);
        EXPECT_EQ(lines[p], expected[p]);
    }
}

// A slot carried over from an earlier run names its line through the table; an
// empty table once reported a top of 2^64 - 1 and the look-up read past its end.
TEST(LineTable, EmptyTableHoldsOnlyTheEmptyTextAtItsTop)
{
    LineTable cleared;
    LineTable cutEmpty;
    cutEmpty.Cut("", "\r\n");
    for (const LineTable* lines : {&cleared, &cutEmpty}) {
        EXPECT_EQ(lines->Top(), 0u);
        EXPECT_EQ((*lines)[lines->Top()], "");
        WorkSlot slot;
        slot.SetNumber(1.5, 7);
        EXPECT_EQ(InvalidSlotStop(*lines, slot).text,
                  "Ungültige Zahl in Zeile 7 der DXF Datei: \"1.5\"");
    }
}

TEST(LineTable, CrLfCutLeavesLoneCrAndLfInsideLines)
{
    Conversion run;
    run.Run("0\r\nA\rB\nC\r\n0\r\nEOF");
    const LineTable& lines = run.state.Lines;
    ASSERT_EQ(lines.Top(), 4u);
    EXPECT_EQ(lines[2], "A\rB\nC");
    EXPECT_EQ(lines[4], "EOF");
}

TEST(LineTable, ShiftDrivesTheBarUpToHundredThenBackToZero)
{
    Conversion run;
    std::vector<float> values;
    run.window.onProgress = [&](float value) { values.push_back(value); };
    run.Run(Plain("\r\n"));
    // 0 at the start, the climb, 0 after the shift, 0 before the scan.
    ASSERT_GE(values.size(), 4u);
    EXPECT_EQ(values.front(), 0.0f);
    const auto peak = std::find(values.begin(), values.end(), 100.0f);
    ASSERT_NE(peak, values.end());
    EXPECT_TRUE(std::is_sorted(values.begin() + 1, peak + 1));
    EXPECT_GT(values[1], 0.0f);
    EXPECT_LE(values[1], 100.0f / 9 + 1e-4f);
    ASSERT_NE(peak + 1, values.end());
    EXPECT_EQ(*(peak + 1), 0.0f);
    EXPECT_EQ(values.back(), 0.0f); // no entity: the output pass sets nothing
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
    TempDir dir;
    const std::string path = (dir / "plan.dxf").string();
    for (std::size_t size : {std::size_t{1}, std::size_t{4095}, std::size_t{65536},
                             std::size_t{1} << 20, (std::size_t{1} << 20) + 3}) {
        SCOPED_TRACE(size);
        std::string bytes(size, '\0');
        for (std::size_t i = 0; i < size; ++i)
            bytes[i] = static_cast<char>((i * 131) % 251);
        WriteBytes(path, bytes);

        std::string text = "left from before";
        ASSERT_EQ(LoadDxfFile(path, text), 0);
        EXPECT_EQ(text, bytes);
        EXPECT_LE(text.capacity(), size + size / 8 + 16);
    }
}

} // namespace
} // namespace vektrano::test
