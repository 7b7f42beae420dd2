// Drawings no CAD program should write, but that truncated downloads, binary
// saves and hand edits bring in: each ends in an exact message or an exact script.

#include "hostile_run.h"

#include <string>

namespace vektrano {
namespace {

using namespace std::string_literals;

// A LINE inside an ENTITIES section; its first X value stands at line 8.
std::string LineFile(std::string_view x1, std::string_view eol = "\r\n")
{
    return Dxf({"0", "SECTION", "2", "ENTITIES", "0", "LINE", "10", x1, "20", "2", "11", "3", "21",
                "4", "0", "ENDSEC", "0", "EOF"},
               eol);
}

std::string Statistics(int lines, int linesWritten)
{
    return "Anzahl Linien: " + std::to_string(lines) +
           "\t\t davon konvertiert: " + std::to_string(linesWritten) +
           "\r\nAnzahl Kreise: 0\t\t davon konvertiert: 0\r\n"
           "Anzahl Halbkreise: 0\t davon konvertiert: 0\r\n"
           "Anzahl Polyline: 0\t\t davon konvertiert: 0\r\n";
}

const std::string kNoEofWarning =
    "Warnung: keine EOF Zeile gefunden, Datei bis zum Ende gelesen.\r\n";
const std::string kReportRule = std::string(66, '=') + "\r\n\r\n";
const std::string kUnknownFormatLog = "0 Zeilen der DXF Datei gelesen.\r\n\r\n"
                                      "Importierte Zeilen mit CRLF = 0, versuche CR\r\n"
                                      "Gelesene Zeilen der DXF Datei: 0\r\n\r\n"
                                      "Importierte Zeilen mit CR = 0, versuche LF\r\n"
                                      "Gelesene Zeilen der DXF Datei: 0\r\n\r\n"
                                      "unbekanntes Format. BEENDE Konvertierung.\r\n";

using HostileInput = HostileRun;

struct ValueCase
{
    std::string value;   // the first X value line of a LINE
    const char* written; // its script text, or nullptr when the run must stop
};

TEST_F(HostileInput, CoordinateValuesAreNumbersOrStopTheRun)
{
    const ValueCase cases[] = {
        {"nan", nullptr},
        {"inf", nullptr},
        {"-inf", nullptr},
        {"1e400", nullptr},
        {"-1e400", nullptr},
        {"0x10", nullptr},
        {"&H10", nullptr},
        {"1,2,3", nullptr},
        {"1.2.3", nullptr},
        {".", nullptr},
        {"-", nullptr},
        {"1e", nullptr},
        {"1e+", nullptr},
        {"", nullptr},
        {"   ", nullptr},
        {"\t7", nullptr},
        {"7\t", nullptr},
        {"1\0"s
         "2",
         nullptr},
        {"- 5", nullptr},
        {"-0", "0"},
        {"+.5", "0.5"},
        {"5.", "5"},
        {"+7", "7"},
        {"  7  ", "7"},
        {" -2,5 ", "-2.5"},
        {"1e-400", "0"},
        {"1E+2", "100"},
        {"1e308", "1E+308"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("value \"" + c.value + "\"");
        const RunResult result = Convert(LineFile(c.value));
        if (c.written) {
            EXPECT_EQ(result.outcome, RunOutcome::Completed);
            EXPECT_EQ(result.script,
                      std::string(kHeader) + "Wire 0.01 (" + c.written + " 2) (3 4)\r\n");
            EXPECT_TRUE(result.messages.empty());
        } else {
            std::string trimmed = c.value;
            trimmed.erase(0, trimmed.find_first_not_of(' '));
            trimmed.erase(trimmed.find_last_not_of(' ') + 1);
            ExpectErrorStop(result, "Ungültige Zahl in Zeile 8 der DXF Datei: \"" + trimmed + "\"");
            EXPECT_EQ(result.script, kHeader);
        }
    }
}

struct FieldCase
{
    const char* offset; // the X offset field
    const char* line;   // the script line, or the stop text
};

TEST_F(HostileInput, OffsetFieldsReadTheirLeadingNumberOrStopBeyondADouble)
{
    const FieldCase cases[] = {
        {"nan", "Wire 0.01 (1 2) (3 4)"},
        {"inf", "Wire 0.01 (1 2) (3 4)"},
        {"0x10", "Wire 0.01 (1 2) (3 4)"},
        {"&H10", "Wire 0.01 (1 2) (3 4)"},
        {"1,2,3", "Wire 0.01 (2.2 2) (4.2 4)"},
        {"1.2.3", "Wire 0.01 (2.2 2) (4.2 4)"},
        {".", "Wire 0.01 (1 2) (3 4)"},
        {"-", "Wire 0.01 (1 2) (3 4)"},
        {"+.5", "Wire 0.01 (1.5 2) (3.5 4)"},
        {"5.", "Wire 0.01 (6 2) (8 4)"},
        {"1e", "Wire 0.01 (2 2) (4 4)"},
        {"1e+", "Wire 0.01 (2 2) (4 4)"},
        {" - 5 ", "Wire 0.01 (-4 2) (-2 4)"},
        {"1E999", "Ungültiger Offset: \"1E999\""},
        {"-1e400", "Ungültiger Offset: \"-1e400\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("offset \"") + c.offset + "\"");
        window_.SetField(Field::Txt_Offset_X, c.offset);
        const RunResult result = Convert(LineFile("1"));
        if (std::string_view(c.line).starts_with("Wire")) {
            EXPECT_EQ(result.outcome, RunOutcome::Completed);
            EXPECT_EQ(result.script, std::string(kHeader) + c.line + "\r\n");
        } else {
            ExpectErrorStop(result, c.line);
            EXPECT_EQ(result.script, kHeader);
        }
    }
}

TEST_F(HostileInput, LayerBeyondADoubleStopsBeforeTheHeader)
{
    window_.SetField(Field::Txt_Layer, "1e400");
    const RunResult result = Convert(LineFile("1"));
    ExpectErrorStop(result, "Ungültiger Layer: \"1e400\"");
    EXPECT_EQ(result.script, "");
}

struct OverflowCase
{
    const char* name;
    std::string dxf;
    const char* offsetX;
    const char* offsetY;
    const char* stop;
};

TEST_F(HostileInput, CoordinatesThatLeaveTheDoubleRangeStopTheRun)
{
    auto section = [](std::initializer_list<std::string_view> entity) {
        std::string text = Dxf({"0", "SECTION", "2", "ENTITIES"});
        text += Dxf(entity);
        return text + Dxf({"0", "ENDSEC", "0", "EOF"});
    };
    const OverflowCase cases[] = {
        {"X plus offset", LineFile("1e308"), "1e308", "0",
         "Ungültige Zahl in Zeile 8 der DXF Datei: \"1e308\""},
        {"negative X plus offset", LineFile("-1e308"), "-1e308", "0",
         "Ungültige Zahl in Zeile 8 der DXF Datei: \"-1e308\""},
        {"circle top", section({"0", "CIRCLE", "10", "0", "20", "1e308", "40", "1e308"}), "0", "0",
         "Ungültige Zahl in Zeile 12 der DXF Datei: \"1e308\""},
        {"arc start",
         section({"0", "ARC", "10", "1e308", "20", "0", "40", "1e308", "50", "0", "51", "90"}), "0",
         "0", "Ungültige Zahl in Zeile 12 der DXF Datei: \"1e308\""},
        {"arc angle",
         section({"0", "ARC", "10", "1", "20", "0", "40", "1", "50", "inf", "51", "90"}), "0", "0",
         "Ungültige Zahl in Zeile 14 der DXF Datei: \"inf\""},
        {"circle radius", section({"0", "CIRCLE", "10", "0", "20", "0", "40", "1e400"}), "0", "0",
         "Ungültige Zahl in Zeile 12 der DXF Datei: \"1e400\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        window_.SetField(Field::Txt_Offset_X, c.offsetX);
        window_.SetField(Field::Txt_Offset_Y, c.offsetY);
        const RunResult result = Convert(c.dxf);
        ExpectErrorStop(result, c.stop);
        EXPECT_EQ(result.script, kHeader);
    }
}

TEST_F(HostileInput, AutomaticOffsetThatPushesTheFarEndBeyondADoubleStops)
{
    window_.SetCheckBox(CheckBox::Chk_Auto_Offset, 1);
    const RunResult result =
        Convert(Dxf({"0", "SECTION", "2", "ENTITIES", "0", "LINE", "10", "-1e308", "20", "0", "11",
                     "1e308", "21", "0", "0", "ENDSEC", "0", "EOF"}));
    ExpectErrorStop(result, "Ungültige Zahl in Zeile 12 der DXF Datei: \"1e308\"");
    EXPECT_EQ(window_.ReadField(Field::Txt_Offset_X), "1E+308");
    EXPECT_EQ(window_.ReadField(Field::Txt_Offset_Y), "0");
    EXPECT_EQ(result.script, kHeader);
}

TEST_F(HostileInput, BinaryDxfIsReadAsTwoLinesWithoutEntities)
{
    std::string binary = "AutoCAD Binary DXF\r\n\x1a"s + '\0';
    // Group codes as single bytes, texts ended by NUL, a double in eight bytes.
    binary += "\0SECTION\0\x02HEADER\0\x09$ACADVER\0\x01"
              "AC1009\0\x00ENTITIES\0"s;
    binary += "\0LINE\0\x08"
              "0\0\x0a"s +
              "\0\0\0\0\0\0\xf8\x3f"s + "\0EOF\0"s;
    const RunResult result = Convert(binary);
    EXPECT_EQ(result.outcome, RunOutcome::Completed);
    EXPECT_EQ(result.log,
              "Hinweis: Bei großen Dateien kann da Laden u.U. mehrere Minuten dauern !\r\n\r\n"
              "Lade Datei " +
                  Path("plan.dxf") +
                  "...fertig\r\n\r\n"
                  "1 Zeilen der DXF Datei gelesen.\r\n\r\n"
                  "Konvertiere Datei...fertig\r\n\r\n"
                  "Fehlermeldungen / Unbekannte Befehle der DXF Datei: \r\n" +
                  std::string(76, '-') + "\r\n" + kNoEofWarning + kReportRule + Statistics(0, 0));
    EXPECT_EQ(result.script, kHeader);
}

TEST_F(HostileInput, NulBytesAreOrdinaryCharacters)
{
    {
        SCOPED_TRACE("in a coordinate");
        ExpectErrorStop(Convert(LineFile("1\0"s
                                         "2")),
                        "Ungültige Zahl in Zeile 8 der DXF Datei: \"1\0"s
                        "2\"");
    }
    {
        SCOPED_TRACE("in a name");
        const RunResult result = Convert(
            Dxf({"0", "SECTION", "2", "ENTITIES", "0", "PO\0INT"s, "0", "ENDSEC", "0", "EOF"}));
        EXPECT_EQ(result.outcome, RunOutcome::Completed);
        EXPECT_NE(result.log.find("Unbekannte Befehle: \t1x\tSECTION\r\n"
                                  "Unbekannte Befehle: \t1x\tPO\0INT\r\n"s
                                  "Unbekannte Befehle: \t1x\tENDSEC\r\n"),
                  std::string::npos)
            << result.log;
    }
    {
        SCOPED_TRACE("nothing but NUL");
        const RunResult result = Convert(std::string(4096, '\0'));
        EXPECT_EQ(result.outcome, RunOutcome::Stopped);
        EXPECT_TRUE(result.log.ends_with(kUnknownFormatLog)) << result.log;
        EXPECT_TRUE(result.messages.empty());
        EXPECT_EQ(result.script, "");
    }
}

TEST_F(HostileInput, TenMegabyteLineWithoutBreakIsAnUnknownFormat)
{
    const RunResult result = Convert(std::string(10'000'000, 'A'));
    EXPECT_EQ(result.outcome, RunOutcome::Stopped);
    EXPECT_TRUE(result.log.ends_with(kUnknownFormatLog));
    EXPECT_TRUE(result.messages.empty());
    EXPECT_EQ(result.script, "");
    EXPECT_FALSE(result.busyCursor);
}

TEST_F(HostileInput, TenMegabyteNumberIsNamedWhole)
{
    const std::string digits(10'000'000, '7');
    ExpectErrorStop(Convert(LineFile(digits)),
                    "Ungültige Zahl in Zeile 8 der DXF Datei: \"" + digits + "\"");
}

TEST_F(HostileInput, CarriageReturnsOnlyWithTheEntityEndingOnTheLastLine)
{
    std::string text = Dxf({"0", "SECTION", "2", "ENTITIES", "0", "LINE", "10", "1", "20", "2",
                            "11", "3", "21", "4", "0"},
                           "\r");
    text.pop_back(); // the closing "0" is the last line, without a line end
    const RunResult result = Convert(text);
    EXPECT_EQ(result.outcome, RunOutcome::Completed);
    EXPECT_NE(result.log.find("0 Zeilen der DXF Datei gelesen.\r\n\r\n"
                              "Importierte Zeilen mit CRLF = 0, versuche CR\r\n"
                              "Gelesene Zeilen der DXF Datei: 14\r\n\r\nKonvertiere Datei..."),
              std::string::npos)
        << result.log;
    EXPECT_TRUE(result.log.ends_with(kNoEofWarning + kReportRule + Statistics(1, 1))) << result.log;
    EXPECT_EQ(result.script, std::string(kHeader) + "Wire 0.01 (1 2) (3 4)\r\n");
}

struct TruncatedCase
{
    const char* name;
    std::string dxf;
    bool missingEnd; // otherwise the run completes with one line written
};

TEST_F(HostileInput, TruncatedFilesEndWithMissingEndOrTheNoEofWarning)
{
    auto cut = [](std::string text) {
        text.pop_back();
        text.pop_back();
        return text;
    };
    const TruncatedCase cases[] = {
        {"ends after the name", cut(Dxf({"0", "SECTION", "2", "ENTITIES", "0", "LINE"})), true},
        {"ends after a code line",
         cut(Dxf({"0", "SECTION", "2", "ENTITIES", "0", "LINE", "10", "1", "20", "2", "11", "3",
                  "21"})),
         true},
        {"last entity lacks its closing 0 before EOF",
         Dxf({"0", "SECTION", "2", "ENTITIES", "0",    "LINE", "10", "1",  "20", "2",  "11",
              "3", "21",      "4", "0",        "LINE", "10",   "5",  "20", "6",  "EOF"}),
         true},
        {"ends after the closing 0 code",
         cut(Dxf({"0", "SECTION", "2", "ENTITIES", "0", "LINE", "10", "1", "20", "2", "11", "3",
                  "21", "4", "0"})),
         false},
        {"ends after the closing 0 code and its line end",
         Dxf({"0", "SECTION", "2", "ENTITIES", "0", "LINE", "10", "1", "20", "2", "11", "3", "21",
              "4", "0"}),
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const RunResult result = Convert(c.dxf);
        if (c.missingEnd) {
            EXPECT_EQ(result.outcome, RunOutcome::Stopped);
            ASSERT_EQ(result.messages.size(), 1u);
            EXPECT_EQ(result.messages[0].text, "Ende nicht gefunden Abbruch");
            EXPECT_EQ(result.messages[0].title, "Ende nicht gefunden");
            EXPECT_EQ(result.messages[0].icon, Icon::Critical);
            // Nothing follows the heading's dashed line.
            EXPECT_TRUE(result.log.ends_with(std::string(76, '-') + "\r\n")) << result.log;
            EXPECT_EQ(result.script, kHeader);
        } else {
            EXPECT_EQ(result.outcome, RunOutcome::Completed);
            EXPECT_TRUE(result.log.ends_with(kNoEofWarning + kReportRule + Statistics(1, 1)))
                << result.log;
            EXPECT_EQ(result.script, std::string(kHeader) + "Wire 0.01 (1 2) (3 4)\r\n");
        }
        EXPECT_FALSE(result.busyCursor);
    }
}

TEST_F(HostileInput, HundredThousandCharacterLines)
{
    const std::string longName(100'000, 'A');
    const std::string paddedName = "LINE" + std::string(99'996, ' ');
    const std::string paddedCode = std::string(99'998, ' ') + "11";
    const RunResult result =
        Convert(Dxf({"0",  "SECTION",  "2",  "ENTITIES", "0",  longName, "0",        longName,
                     "0",  paddedName, "10", "1",        "20", "2",      paddedCode, "3",
                     "21", "4",        "0",  "ENDSEC",   "0",  "EOF"}));
    EXPECT_EQ(result.outcome, RunOutcome::Completed);
    EXPECT_NE(result.log.find("Unbekannte Befehle: \t2x\t" + longName + "\r\n"), std::string::npos);
    EXPECT_TRUE(result.log.ends_with(kReportRule + Statistics(1, 1)));
    EXPECT_EQ(result.script, std::string(kHeader) + "Wire 0.01 (1 2) (3 4)\r\n");
}

} // namespace
} // namespace vektrano
