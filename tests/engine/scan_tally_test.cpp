#include "engine_test_support.h"
#include "state/unknown_tally.h"

namespace vektrano::test {
namespace {

struct Range
{
    EntityName name;
    std::uint64_t start;
    std::uint64_t end;
};

struct ScanCase
{
    const char* name;
    std::string drawing;
    std::vector<Range> records;
};

TEST(EntityScan, RecordsEachNameWithTheRangeToTheNextZeroCode)
{
    using enum EntityName;
    const ScanCase cases[] = {
        // A layer called "0" stands at an even position and does not end the entity.
        {"layer named 0",
         Dxf({"0", "LINE", "8", "0", "10", "1", "20", "2", "11", "3", "21", "4", "0", "ENDSEC", "0",
              "EOF"}),
         {{Line, 2, 13}}},
        // The value after code 8 is recognised as well; both ranges end at one "0".
        {"layer named LINE",
         Dxf({"0", "LINE", "8", "LINE", "10", "1", "20", "2", "11", "3", "21", "4", "0", "EOF"}),
         {{Line, 2, 13}, {Line, 4, 13}}},
        {"blanks before the code 0 count",
         Dxf({"0", "ARC", "10", "1", "  0", "LINE", "0", "EOF"}),
         {{Arc, 2, 5}, {Line, 6, 7}}},
        {"a TAB before the code 0 does not",
         Dxf({"0", "ARC", "10", "1", "\t0", "LINE", "0", "EOF"}),
         {{Arc, 2, 7}, {Line, 6, 7}}},
        {"lower-case name is no entity", Dxf({"0", "line", "0", "Line", "0", "EOF"}), {}},
        {"padded name", Dxf({"0", " CIRCLE  ", "0", "EOF"}), {{Circle, 2, 3}}},
        {"polyline records follow each other",
         Dxf({"0", "POLYLINE", "66", "1", "0", "VERTEX", "10", "1", "0", "SEQEND", "0", "EOF"}),
         {{Polyline, 2, 5}, {Vertex, 6, 9}, {Seqend, 10, 11}}},
        {"names after EOF are not scanned",
         Dxf({"0", "LINE", "0", "EOF", "0", "CIRCLE", "0"}),
         {{Line, 2, 3}}},
        // "EOF" ends the scan wherever it stands, also on a code line.
        {"EOF on a code line", Dxf({"0", "LINE", "EOF", "x", "0", "ARC", "0"}), {{Line, 2, 5}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Conversion run;
        run.Run(c.drawing);
        ASSERT_EQ(run.outcome, RunOutcome::Completed);
        const auto& table = run.state.Entities;
        ASSERT_EQ(table.size(), c.records.size() + 1);
        for (std::size_t i = 0; i < c.records.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(table[i].Name, c.records[i].name);
            EXPECT_EQ(table[i].StartLine, c.records[i].start);
            EXPECT_EQ(table[i].EndLine, c.records[i].end);
        }
        EXPECT_EQ(table.back().Name, None);
        EXPECT_EQ(table.back().StartLine, 0u);
        EXPECT_EQ(table.back().EndLine, 0u);
    }
}

TEST(EntityScan, LayerNamedLineWritesTheLineTwice)
{
    Conversion run;
    run.Run(
        Dxf({"0", "LINE", "8", "LINE", "10", "1", "20", "2", "11", "3", "21", "4", "0", "EOF"}));
    EXPECT_EQ(run.Body(),
              (std::vector<std::string>{"Wire 0.01 (1 2) (3 4)", "Wire 0.01 (1 2) (3 4)"}));
    EXPECT_EQ(run.state.CountLine, 2);
    EXPECT_EQ(run.state.ConvLine, 2);
}

TEST(EntityScan, EntityWithoutFollowingZeroCodeStopsWithTheHeaderKept)
{
    const std::string drawings[] = {
        Dxf({"0", "SECTION", "0", "LINE", "10", "1", "EOF"}),
        // Without EOF the search also ends at the table's top.
        Dxf({"0", "CIRCLE", "10", "1", "20", "0"}),
    };
    for (const auto& drawing : drawings) {
        SCOPED_TRACE(drawing);
        Conversion run;
        EXPECT_EQ(run.Run(drawing), RunOutcome::Stopped);
        ASSERT_EQ(run.window.Messages().size(), 1u);
        EXPECT_EQ(run.window.Messages()[0].text, "Ende nicht gefunden Abbruch");
        EXPECT_EQ(run.window.Messages()[0].title, "Ende nicht gefunden");
        EXPECT_EQ(run.window.Messages()[0].icon, Icon::Critical);
        EXPECT_EQ(run.Script(), kHeader);
        EXPECT_EQ(run.Log(), run.LogPrefix(CrLfLines(drawing).size()));
        EXPECT_FALSE(run.window.BusyCursor());
    }
}

struct TallyCase
{
    const char* name;
    std::string drawing;
    std::string rows;
};

std::string Row(int count, std::string_view name)
{
    return "Unbekannte Befehle: \t" + std::to_string(count) + "x\t" + std::string(name) + "\r\n";
}

std::string Repeat(std::string_view text, int times)
{
    std::string out;
    for (int i = 0; i < times; ++i)
        out += text;
    return out;
}

TEST(UnknownTally, ReportsNamesInOrderOfFirstAppearance)
{
    const TallyCase cases[] = {
        {"order and counts",
         Dxf({"0", "SECTION", "0", "SECTION", "0", "HEADER", "0", "SECTION", "0", "EOF"}),
         Row(3, "SECTION") + Row(1, "HEADER")},
        {"nine to ten", Repeat("0\r\nA\r\n", 10) + Dxf({"0", "B", "0", "EOF"}),
         Row(10, "A") + Row(1, "B")},
        {"tail of another name", Dxf({"0", "SECTION", "0", "SEC", "0", "SECTION", "0", "EOF"}),
         Row(2, "SECTION") + Row(1, "SEC")},
        {"empty name", Dxf({"0", "", "0", "  ", "0", "EOF"}), Row(2, "")},
        {"names that look like the old encoding",
         Dxf({"0", "A||B", "0", "C##D", "0", "E#", "0", "A||B", "0", "||", "0", "EOF"}),
         Row(2, "A||B") + Row(1, "C##D") + Row(1, "E#") + Row(1, "||")},
        {"numbers and other codes are not names",
         Dxf({"0", "5", "0", "-1.5e3", "2", "HEADER", "9", "$X", "0", "1 2", "0", "EOF"}),
         Row(1, "1 2")},
        {"trimmed, case kept", Dxf({"0", " Sec ", "0", "sec", "0", "Sec", "0", "EOF"}),
         Row(2, "Sec") + Row(1, "sec")},
        {"code with TAB is not 0", Dxf({"\t0", "SECTION", "0", "EOF"}), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Conversion run;
        run.Run(c.drawing);
        ASSERT_EQ(run.outcome, RunOutcome::Completed);
        EXPECT_EQ(run.Log(), run.LogPrefix(CrLfLines(c.drawing).size()) + c.rows + Equals() +
                                 Statistics(0, 0, 0, 0, 0, 0, 0, 0));
    }
}

TEST(UnknownTally, EncodedTextKeepsTheTraditionalForm)
{
    Conversion run;
    run.Run(Dxf({"0", "SECTION", "0", "SECTION", "0", "SECTION", "0", "HEADER", "0", "EOF"}));
    EXPECT_EQ(run.state.UnknownList.EncodedText(), "||SECTION##3||HEADER##1||");
}

TEST(UnknownTally, NamesAreShownFromTheDrawingsCodePage)
{
    Conversion run;
    // 81 hex is unassigned in Windows-1252 and maps to the code point of its value.
    run.Run(Dxf({"0", "Ma\xDF", "0", "\x80", "0", "\x81", "0", "EOF"}));
    EXPECT_NE(run.Log().find(Row(1, "Ma\xC3\x9F") + Row(1, "\xE2\x82\xAC") + Row(1, "\xC2\x81")),
              std::string::npos);
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

} // namespace
} // namespace vektrano::test
