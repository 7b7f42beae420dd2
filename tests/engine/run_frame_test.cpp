#include "engine_test_support.h"
#include "run/run_log.h"

#include <stdexcept>
#include <sys/stat.h>

namespace vektrano::test {
namespace {

const std::string kHeaderOnly =
    Dxf({"0", "SECTION", "2", "HEADER", "9", "$ACADVER", "1", "AC1009", "0", "ENDSEC", "0", "EOF"});

// Records whether the busy pointer was showing whenever the run yielded.
void WatchCursor(Conversion& run, bool& busyAtEveryYield, int& yields)
{
    run.window.onYield = [&] {
        ++yields;
        busyAtEveryYield = busyAtEveryYield && run.window.BusyCursor();
        return true;
    };
}

TEST(RunFrame, HeaderOnlyDrawingGivesTheWholeLogAndFiveHeaderLines)
{
    Conversion run;
    bool busy = true;
    int yields = 0;
    WatchCursor(run, busy, yields);
    EXPECT_EQ(run.Run(kHeaderOnly), RunOutcome::Completed);
    EXPECT_EQ(run.Log(), run.LogPrefix(12) +
                             "Unbekannte Befehle: \t1x\tSECTION\r\n"
                             "Unbekannte Befehle: \t1x\tENDSEC\r\n" +
                             Equals() + Statistics(0, 0, 0, 0, 0, 0, 0, 0));
    EXPECT_EQ(run.Script(), kHeader);
    EXPECT_TRUE(run.window.Messages().empty());
    // The run yields while it scans, and the window must show it busy each time.
    EXPECT_GT(yields, 0);
    EXPECT_TRUE(busy);
    EXPECT_FALSE(run.window.BusyCursor());
    EXPECT_EQ(run.window.Progress(), 0.0f);
}

TEST(RunFrame, LayerFieldDecidesTheFourthHeaderLine)
{
    const std::pair<const char*, const char*> cases[] = {
        {"20", "Layer 20;"},   {"abc", "Layer 0;"},   {"21,7", "Layer 21;"},
        {"1.5", "Layer 1.5;"}, {" 1 6", "Layer 16;"},
    };
    for (const auto& [field, line] : cases) {
        SCOPED_TRACE(field);
        Conversion run;
        run.window.SetField(Field::Txt_Layer, field);
        run.Run(kHeaderOnly);
        EXPECT_EQ(CrLfLines(run.Script()).at(3), line);
    }
}

TEST(RunFrame, EmptyPathFieldChangesNothing)
{
    for (Field empty : {Field::Txt_DXF, Field::Txt_SCR}) {
        Conversion run;
        WriteBytes(run.dxf, kHeaderOnly);
        run.window.SetField(empty, "");
        run.window.SetLog("log of the run before");
        EXPECT_EQ(RunConversion(run.window, run.state), RunOutcome::NotStarted);
        EXPECT_EQ(run.Log(), "log of the run before");
        EXPECT_FALSE(fs::exists(run.scr));
        EXPECT_TRUE(run.window.Messages().empty());
        EXPECT_FALSE(run.window.BusyCursor());
    }
}

// Every stop: the message box, the same text on a line of its own at the log's end,
// the arrow back.
void ExpectStop(const Conversion& run, const std::string& logBefore, const std::string& text)
{
    EXPECT_EQ(run.outcome, RunOutcome::Stopped);
    ASSERT_EQ(run.window.Messages().size(), 1u);
    EXPECT_EQ(run.window.Messages()[0].text, text);
    EXPECT_EQ(run.window.Messages()[0].title, "Fehler");
    EXPECT_EQ(run.window.Messages()[0].icon, Icon::Critical);
    EXPECT_EQ(run.Log(), logBefore + text + "\r\n");
    EXPECT_FALSE(run.window.BusyCursor());
}

TEST(RunFrame, UnreadableDrawingStopsBeforeTheScriptIsTouched)
{
    Conversion run;
    run.window.SetField(Field::Txt_DXF, (run.dir / "missing.dxf").string());
    run.RunAgain();
    const std::string path = (run.dir / "missing.dxf").string();
    ExpectStop(run, kHint + "Lade Datei " + path + "...\r\n",
               "DXF Datei kann nicht gelesen werden: " + path +
                   " (Datei oder Ordner nicht gefunden)");
    EXPECT_FALSE(fs::exists(run.scr));

    Conversion folder;
    folder.window.SetField(Field::Txt_DXF, folder.dir.Path().string());
    folder.RunAgain();
    const std::string dir = folder.dir.Path().string();
    ExpectStop(folder, kHint + "Lade Datei " + dir + "...\r\n",
               "DXF Datei kann nicht gelesen werden: " + dir + " (ist ein Ordner)");
    EXPECT_FALSE(fs::exists(folder.scr));
}

TEST(RunFrame, FieldOfBlanksCountsAsFilled)
{
    Conversion run;
    run.window.SetField(Field::Txt_DXF, "  ");
    run.RunAgain();
    ExpectStop(run, kHint + "Lade Datei   ...\r\n",
               "DXF Datei kann nicht gelesen werden:    (Datei oder Ordner nicht gefunden)");
}

TEST(RunFrame, PathsWithUmlautsAreOpenedAsTyped)
{
    Conversion run;
    const fs::path dxf = run.dir / "Pl\xC3\xA4ne" / "Geh\xC3\xA4use.dxf";
    fs::create_directory(dxf.parent_path());
    WriteBytes(dxf, kHeaderOnly);
    run.window.SetField(Field::Txt_DXF, dxf.string());
    run.window.SetField(Field::Txt_SCR, (dxf.parent_path() / "Geh\xC3\xA4use.scr").string());
    EXPECT_EQ(run.RunAgain(), RunOutcome::Completed);
    EXPECT_NE(run.Log().find("Lade Datei " + dxf.string() + "...fertig"), std::string::npos);
    EXPECT_EQ(ReadBytes(dxf.parent_path() / "Geh\xC3\xA4use.scr"), kHeader);
}

TEST(RunFrame, UnwritableScriptStops)
{
    Conversion run;
    const std::string scr = (run.dir / "no-such-folder" / "plan.scr").string();
    run.window.SetField(Field::Txt_SCR, scr);
    run.Run(kHeaderOnly);
    ExpectStop(run, kHint + "Lade Datei " + run.dxf.string() + "...fertig\r\n\r\n",
               "SCR Datei kann nicht geschrieben werden: " + scr +
                   " (Datei oder Ordner nicht gefunden)");
}

TEST(RunFrame, RefusesToOverwriteTheDrawingItself)
{
    struct Case
    {
        const char* name;
        std::function<std::string(const Conversion&)> scrPath;
    };
    const Case cases[] = {
        {"same path", [](const Conversion& c) { return c.dxf.string(); }},
        {"spelt differently",
         [](const Conversion& c) {
             fs::create_directory(c.dir / "x");
             return (c.dir / "x" / ".." / "plan.dxf").string();
         }},
        {"symbolic link",
         [](const Conversion& c) {
             fs::create_symlink(c.dxf, c.dir / "link.scr");
             return (c.dir / "link.scr").string();
         }},
        {"hard link",
         [](const Conversion& c) {
             fs::create_hard_link(c.dxf, c.dir / "hard.scr");
             return (c.dir / "hard.scr").string();
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Conversion run;
        WriteBytes(run.dxf, kHeaderOnly);
        const std::string scr = c.scrPath(run);
        run.window.SetField(Field::Txt_SCR, scr);
        run.RunAgain();
        ExpectStop(run, kHint + "Lade Datei " + run.dxf.string() + "...fertig\r\n\r\n",
                   "DXF Datei und SCR Datei sind dieselbe Datei: " + scr);
        EXPECT_EQ(ReadBytes(run.dxf), kHeaderOnly);
    }
}

TEST(RunFrame, FullDiskNeverEndsAsSuccess)
{
    if (!fs::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    Conversion run;
    run.window.SetField(Field::Txt_SCR, "/dev/full");
    run.Run(Dxf({"0", "LINE", "10", "1", "20", "2", "11", "3", "21", "4", "0", "EOF"}));
    ExpectStop(run, run.LogPrefix(12),
               "Fehler beim Schreiben der SCR Datei: /dev/full (kein Speicherplatz mehr auf dem "
               "Datentr\xC3\xA4ger)");
}

TEST(RunFrame, StatisticsCountMetAndWrittenWithTheirTabs)
{
    Conversion run;
    run.window.SetCheckBox(CheckBox::Chk_Line, 0);
    const std::string line = "0\r\nLINE\r\n10\r\n0\r\n20\r\n0\r\n11\r\n1\r\n21\r\n1\r\n";
    run.Run(
        line + line + line +
        Dxf({"0",  "CIRCLE", "10", "0", "20", "0", "40", "1",      "0", "ARC",      "10", "0",
             "20", "0",      "40", "1", "50", "0", "51", "90",     "0", "POLYLINE", "0",  "VERTEX",
             "10", "0",      "20", "0", "30", "0", "0",  "SEQEND", "0", "EOF"}));
    const std::string log = run.Log();
    ASSERT_GE(log.size(), Statistics(3, 0, 1, 1, 1, 1, 1, 1).size());
    EXPECT_TRUE(log.ends_with(Equals() + Statistics(3, 0, 1, 1, 1, 1, 1, 1))) << log;
}

TEST(RunFrame, ProgressEndsAtTheLastEntityOfTheOutputPass)
{
    Conversion run;
    run.Run(Dxf({"0", "LINE", "0", "LINE", "0", "LINE", "0", "LINE", "0", "EOF"}));
    // Four entities: the bar stands at 3 * 100 / 4 when the pass ends.
    EXPECT_EQ(run.state.Entities.size(), 5u);
    EXPECT_EQ(run.window.Progress(), 75.0f);
}

TEST(RunFrame, DrawingWithoutEofIsReadToTheEndWithAWarning)
{
    Conversion run;
    EXPECT_EQ(run.Run(Dxf({"0", "SECTION", "0", "LINE", "10", "1", "20", "2", "11", "3", "21", "4",
                           "0", "ENDSEC"})),
              RunOutcome::Completed);
    EXPECT_EQ(run.Log(), run.LogPrefix(14) + "Unbekannte Befehle: \t1x\tSECTION\r\n" +
                             "Unbekannte Befehle: \t1x\tENDSEC\r\n" +
                             "Warnung: keine EOF Zeile gefunden, Datei bis zum Ende gelesen.\r\n" +
                             Equals() + Statistics(1, 1, 0, 0, 0, 0, 0, 0));
    EXPECT_EQ(run.Body(), std::vector<std::string>{"Wire 0.01 (1 2) (3 4)"});
}

TEST(RunFrame, RunAfterUnknownFormatOpensBothFilesAgain)
{
    Conversion run;
    run.Run("no line break");
    ASSERT_EQ(run.outcome, RunOutcome::Stopped);
    EXPECT_EQ(run.Run(kHeaderOnly), RunOutcome::Completed);
    EXPECT_EQ(run.Script(), kHeader);
    EXPECT_TRUE(run.Log().starts_with(run.LogPrefix(12)));
}

TEST(RunFrame, ClosingWindowEndsTheRunLeavingNoPartialScript)
{
    // The first yield comes before the script is opened: an old script there is not
    // the run's to remove. The second follows the cut, the later ones are the scan's.
    struct Case
    {
        int yields;
        bool oldScriptStays;
    };
    for (const Case c : {Case{1, true}, Case{2, false}, Case{5, false}}) {
        SCOPED_TRACE(c.yields);
        Conversion run;
        WriteBytes(run.scr, "alt\r\n");
        int yields = 0;
        run.window.onYield = [&] { return ++yields < c.yields; };
        EXPECT_EQ(run.Run(kHeaderOnly), RunOutcome::Cancelled);
        EXPECT_FALSE(run.window.BusyCursor());
        EXPECT_TRUE(run.window.Messages().empty());
        EXPECT_EQ(fs::exists(run.scr), c.oldScriptStays);
        if (c.oldScriptStays) {
            EXPECT_EQ(run.Script(), "alt\r\n");
        }
    }
}
TEST(RunFrame, ClosingWindowLeavesADeviceAsScriptInPlace)
{
    Conversion run;
    run.window.SetField(Field::Txt_SCR, "/dev/null");
    int yields = 0;
    run.window.onYield = [&] { return ++yields < 5; };
    EXPECT_EQ(run.Run(kHeaderOnly), RunOutcome::Cancelled);
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
}

// An exception nobody expected once ended the run without a word.
TEST(RunFrame, UnexpectedExceptionIsReportedLikeAnyStop)
{
    Conversion run;
    int yields = 0;
    run.window.onYield = [&]() -> bool {
        if (++yields == 3)
            throw std::runtime_error("kaputt");
        return true;
    };
    EXPECT_EQ(run.Run(kHeaderOnly), RunOutcome::Stopped);
    EXPECT_FALSE(run.window.BusyCursor());
    EXPECT_TRUE(run.Log().ends_with("\r\nFehler: kaputt\r\n"));
    ASSERT_EQ(run.window.Messages().size(), 1u);
    EXPECT_EQ(run.window.Messages()[0].text, "Fehler: kaputt");
}

// A tally of millions of names reaches the window in pieces it can lay out
// quickly, with a repaint between them; no piece may split a UTF-8 sequence, and
// together they are the log as written.
TEST(RunLog, HandsALongTextToTheWindowInPiecesOfWholeCharacters)
{
    struct PieceWindow : MemoryWindow
    {
        void AppendLog(std::string_view text) override
        {
            pieces.emplace_back(text);
            MemoryWindow::AppendLog(text);
        }
        std::vector<std::string> pieces;
    };
    std::string rows;
    while (rows.size() < 300000)
        rows += "Unbekannte Befehle: \t1x\tNAME_" + std::to_string(rows.size()) + "\r\n";
    std::string oneLine;
    while (oneLine.size() < 200000)
        oneLine += "\xC3\xA4\xE2\x82\xAC"; // ä €
    struct Case
    {
        const char* name;
        std::string text;
        bool wholeLines;
    };
    for (const Case& c : {Case{"short", "fertig\r\n", true}, Case{"rows", rows, true},
                          Case{"one long line", oneLine, false}}) {
        SCOPED_TRACE(c.name);
        PieceWindow window;
        int repaints = 0;
        window.onRepaint = [&] { ++repaints; };
        RunLog(window).Append(c.text);
        EXPECT_EQ(window.Log(), c.text);
        EXPECT_EQ(repaints + 1, static_cast<int>(window.pieces.size()));
        for (const std::string& piece : window.pieces) {
            EXPECT_LE(piece.size(), std::size_t{1} << 16);
            EXPECT_NE(static_cast<unsigned char>(piece.front()) & 0xC0, 0x80);
            if (c.wholeLines) {
                EXPECT_TRUE(piece.ends_with("\r\n"));
            }
        }
    }
}

} // namespace
} // namespace vektrano::test
