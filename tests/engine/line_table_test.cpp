#include "engine_test_support.h"
#include "script/converters.h"

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

} // namespace
} // namespace vektrano::test
