#include "cli/help_text.h"
#include "cli/memory_window.h"
#include "cli_process.h"
#include "run/conversion_run.h"
#include "run/version.h"

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace vektrano::test {
namespace {

namespace fs = std::filesystem;

// One entity of each kind the converter draws, between entities it only counts.
const std::string kDrawing = Dxf({
    "0",  "SECTION",  "2",  "ENTITIES", "0",  "LINE",   "8",  "0",      "10", "1.5", "20", "2",
    "11", "3",        "21", "4",        "0",  "CIRCLE", "10", "5",      "20", "6",   "40", "1",
    "0",  "ARC",      "10", "0",        "20", "0",      "40", "2",      "50", "0",   "51", "90",
    "0",  "POLYLINE", "8",  "0",        "66", "1",      "0",  "VERTEX", "10", "1",   "20", "1",
    "30", "0",        "0",  "VERTEX",   "10", "2",      "20", "3",      "30", "0",   "0",  "SEQEND",
    "0",  "ENDSEC",   "0",  "EOF",
});

const std::string kStatistics = "Anzahl Linien: 1\t\t davon konvertiert: 1\n"
                                "Anzahl Kreise: 1\t\t davon konvertiert: 1\n"
                                "Anzahl Halbkreise: 1\t davon konvertiert: 1\n"
                                "Anzahl Polyline: 1\t\t davon konvertiert: 1\n";

bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

class CliProcess : public testing::Test
{
protected:
    fs::path Write(const std::string& name, const std::string& bytes)
    {
        WriteBytes(dir_ / name, bytes);
        return dir_ / name;
    }
    ProcessResult Run(const std::vector<std::string>& args) { return RunCli(args, dir_); }
    std::set<std::string> Listing() const
    {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir_))
            names.insert(entry.path().filename().string());
        return names;
    }

    TempDir temp_;
    const fs::path dir_ = temp_.Path();
};

TEST_F(CliProcess, UsageErrorsTouchNoFileAndPrintOnlyUsageOnStderr)
{
    const std::string dxf = Write("plan.dxf", kDrawing).string();
    const std::string log = (dir_ / "run.log").string();
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"--log", log},
        {"--log", log, "--bogus", dxf},
        {"--log", log, dxf, (dir_ / "out.scr").string(), "extra"},
        {"--log", log, ""},
        {"--log", log, dxf, ""},
        {dxf, "--width"},
    };
    const auto before = Listing();
    for (const auto& args : cases) {
        SCOPED_TRACE(testing::PrintToString(args));
        const ProcessResult r = Run(args);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_TRUE(Contains(r.err, std::string(kUsageLine))) << r.err;
        EXPECT_EQ(Listing(), before);
    }
}

TEST_F(CliProcess, CompletedRunPrintsTheLogWithLfAndWritesTheCrLfLogFile)
{
    const fs::path dxf = Write("plan.dxf", kDrawing);
    const ProcessResult r = Run({"--log", "run.log", dxf.string()});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, ""); // not a terminal: no progress either
    EXPECT_TRUE(EndsWith(r.out, kStatistics)) << r.out;
    EXPECT_EQ(r.out.find('\r'), std::string::npos);
    EXPECT_EQ(r.out.rfind("Hinweis: Bei gro\xc3\x9f"
                          "en Dateien",
                          0),
              0u);

    // The log file holds what an in-process run leaves in the window, byte for byte.
    MemoryWindow window;
    window.SetField(Field::Txt_DXF, dxf.string());
    window.SetField(Field::Txt_SCR, (dir_ / "again.scr").string());
    Variablen state;
    ASSERT_EQ(RunConversion(window, state), RunOutcome::Completed);
    const std::string logFile = ReadBytes(dir_ / "run.log");
    EXPECT_EQ(logFile, window.Log());
    std::string expectedOut = logFile;
    for (std::size_t at; (at = expectedOut.find("\r\n")) != std::string::npos;)
        expectedOut.erase(at, 1);
    EXPECT_EQ(r.out, expectedOut);
    EXPECT_EQ(ReadBytes(dir_ / "plan.scr"), ReadBytes(dir_ / "again.scr"));
}

TEST_F(CliProcess, LoneCrAndLfInTheLogReachStdoutUnchanged)
{
    // A CR LF drawing whose unknown names hold a lone CR and a lone LF.
    const fs::path dxf = Write("odd.dxf", Dxf({"0", "FOO\rBAR", "0", "BAZ\nQUX", "0", "EOF"}));
    const ProcessResult r = Run({"-q", "--log", "run.log", dxf.string()});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "");
    const std::string log = ReadBytes(dir_ / "run.log");
    ASSERT_TRUE(Contains(log, "\t1x\tFOO\rBAR\r\n")) << log;
    ASSERT_TRUE(Contains(log, "\t1x\tBAZ\nQUX\r\n")) << log;
    const ProcessResult loud = Run({dxf.string()});
    EXPECT_TRUE(Contains(loud.out, "\t1x\tFOO\rBAR\n")) << loud.out;
    EXPECT_TRUE(Contains(loud.out, "\t1x\tBAZ\nQUX\n")) << loud.out;
}

TEST_F(CliProcess, EarlyEndsExitWithOneAndMessagesGoToStderr)
{
    struct Case
    {
        const char* name;
        std::string dxf;
        std::string err;
        std::string logEnd;
    };
    const Case cases[] = {
        {"no line break", "0 LINE", "", "unbekanntes Format. BEENDE Konvertierung.\n"},
        {"empty file", "", "", "unbekanntes Format. BEENDE Konvertierung.\n"},
        {"entity without end", Dxf({"0", "LINE", "10", "1"}),
         "Ende nicht gefunden: Ende nicht gefunden Abbruch\n", "\n"},
        {"bad number", Dxf({"0", "LINE", "10", "1x", "0", "EOF"}),
         "Fehler: Ung\xc3\xbcltige Zahl in Zeile 4 der DXF Datei: \"1x\"\n",
         "\nUng\xc3\xbcltige Zahl in Zeile 4 der DXF Datei: \"1x\"\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path dxf = Write("plan.dxf", c.dxf);
        const ProcessResult r = Run({"--auto-offset", dxf.string(), "plan.scr"});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.err, c.err);
        EXPECT_TRUE(EndsWith(r.out, c.logEnd)) << r.out;
        // The offsets are only reported for a run that reached its end.
        EXPECT_FALSE(Contains(r.out, "Offset X: ")) << r.out;
        EXPECT_FALSE(Contains(r.out, "Anzahl Linien")) << r.out;
    }
    const ProcessResult missing = Run({(dir_ / "missing.dxf").string()});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err,
              "Fehler: DXF Datei kann nicht gelesen werden: " + (dir_ / "missing.dxf").string() +
                  " (Datei oder Ordner nicht gefunden)\n");
    EXPECT_FALSE(fs::exists(dir_ / "missing.scr"));
}

TEST_F(CliProcess, AutoOffsetLinesFollowTheLogAndSurviveQuiet)
{
    const fs::path dxf = Write(
        "line.dxf", Dxf({"0", "LINE", "10", "1.5", "20", "2", "11", "3", "21", "4", "0", "EOF"}));
    const ProcessResult quiet = Run({"-q", "--auto-offset", dxf.string()});
    EXPECT_EQ(quiet.exitCode, 0);
    EXPECT_EQ(quiet.out, "Offset X: -1.5\nOffset Y: -2\n");
    const ProcessResult loud = Run({"--auto-offset", "--offset-x", "99", dxf.string()});
    EXPECT_TRUE(EndsWith(loud.out, " davon konvertiert: 0\nOffset X: -1.5\nOffset Y: -2\n"))
        << loud.out;
    EXPECT_TRUE(Contains(ReadBytes(dir_ / "line.scr"), "\r\nWire 0.01 (0 0) (1.5 2)\r\n"));
    // Without the option the fields are the user's business, not printed.
    const ProcessResult plain = Run({"-q", "--offset-x", "5", dxf.string()});
    EXPECT_EQ(plain.out, "");
}

TEST_F(CliProcess, FieldOptionsReachTheScript)
{
    const fs::path dxf = Write("plan.dxf", kDrawing);
    ASSERT_EQ(Run({"-q", "--width", "0,25", "--layer", "16", "--offset-x", "10", "--offset-y=-1,5",
                   dxf.string(), "out.scr"})
                  .exitCode,
              0);
    const std::string script = ReadBytes(dir_ / "out.scr");
    EXPECT_TRUE(Contains(script, "\r\nLayer 16;\r\n")) << script;
    EXPECT_TRUE(Contains(script, "\r\nWire 0.25 (11.5 0.5) (13 2.5)\r\n")) << script;
    EXPECT_FALSE(Contains(script, "0,25"));
}

TEST_F(CliProcess, EachNoOptionStopsOnlyItsKind)
{
    const fs::path dxf = Write("plan.dxf", kDrawing);
    const std::pair<const char*, const char*> cases[] = {
        {"--no-line", "Anzahl Linien: 1\t\t davon konvertiert: 0\n"},
        {"--no-circle", "Anzahl Kreise: 1\t\t davon konvertiert: 0\n"},
        {"--no-arc", "Anzahl Halbkreise: 1\t davon konvertiert: 0\n"},
        {"--no-polyline", "Anzahl Polyline: 1\t\t davon konvertiert: 0\n"},
    };
    for (const auto& [option, line] : cases) {
        SCOPED_TRACE(option);
        const ProcessResult r = Run({option, dxf.string()});
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_TRUE(Contains(r.out, line)) << r.out;
        // The other three kinds are still written.
        std::size_t written = 0;
        for (std::size_t at = 0;
             (at = r.out.find("davon konvertiert: 1\n", at)) != std::string::npos; ++at)
            ++written;
        EXPECT_EQ(written, 3u);
    }
}

TEST_F(CliProcess, DerivesTheScriptPathFromAnUmlautPath)
{
    const fs::path dxf = Write("Gehäuse_Maße.DXF", kDrawing);
    const ProcessResult r = Run({"-q", dxf.string()});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(fs::exists(dir_ / "Gehäuse_Maße.scr"));
}

TEST_F(CliProcess, SameFileRefusalLeavesTheDrawingUntouched)
{
    const fs::path dxf = Write("plan.dxf", kDrawing);
    fs::create_symlink(dxf, dir_ / "link.dxf");
    fs::create_hard_link(dxf, dir_ / "hard.dxf");
    for (const char* scr : {"plan.dxf", "link.dxf", "hard.dxf", "./plan.dxf"}) {
        SCOPED_TRACE(scr);
        const ProcessResult r = Run({dxf.string(), scr});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.err, std::string("Fehler: DXF Datei und SCR Datei sind dieselbe Datei: ") +
                             scr + "\n");
        EXPECT_EQ(ReadBytes(dxf), kDrawing);
    }
}

TEST_F(CliProcess, FullDiskIsAnErrorWithoutStatistics)
{
    if (!fs::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full here";
    const fs::path dxf = Write("plan.dxf", kDrawing);
    const ProcessResult r = Run({"--log", "run.log", dxf.string(), "/dev/full"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "Fehler: Fehler beim Schreiben der SCR Datei: /dev/full (kein Speicherplatz "
                     "mehr auf dem Datentr\xc3\xa4ger)\n");
    const std::string log = ReadBytes(dir_ / "run.log");
    EXPECT_TRUE(EndsWith(log, "Fehler beim Schreiben der SCR Datei: /dev/full (kein Speicherplatz "
                              "mehr auf dem Datentr\xc3\xa4ger)\r\n"))
        << log;
    EXPECT_FALSE(Contains(log, "Anzahl"));
}

TEST_F(CliProcess, UnwritableLogFileTurnsSuccessIntoOne)
{
    const fs::path dxf = Write("plan.dxf", kDrawing);
    const ProcessResult r = Run({"-q", "--log", (dir_ / "no" / "run.log").string(), dxf.string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(Contains(r.err, "Log Datei kann nicht geschrieben werden: ")) << r.err;
    EXPECT_TRUE(fs::exists(dir_ / "plan.scr"));
}

TEST_F(CliProcess, SvgFollowsTheRunAndOneThatCannotBeWrittenKeepsTheScript)
{
    const fs::path dxf = Write("plan.dxf", kDrawing);
    const ProcessResult written = Run({"-q", "--svg", "plan.svg", dxf.string()});
    EXPECT_EQ(written.exitCode, 0);
    EXPECT_EQ(written.err, "");
    const std::string svg = ReadBytes(dir_ / "plan.svg");
    EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
    EXPECT_TRUE(Contains(svg, "<circle")) << svg;

    const ProcessResult refused =
        Run({"-q", "--svg", (dir_ / "no" / "plan.svg").string(), dxf.string(), "kept.scr"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.err,
              "SVG Datei kann nicht geschrieben werden: " + (dir_ / "no" / "plan.svg").string() +
                  " (Datei oder Ordner nicht gefunden)\n");
    EXPECT_EQ(ReadBytes(dir_ / "kept.scr"), ReadBytes(dir_ / "plan.scr"));
}

TEST_F(CliProcess, VersionAndHelpExitWithZero)
{
    const ProcessResult version = Run({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    // Shown as major.revision.minor, whatever the build's numbers are.
    EXPECT_EQ(version.out, "Vektrano Converter - Version " + std::to_string(kVersionMajor) + "." +
                               std::to_string(kVersionRevision) + "." +
                               std::to_string(kVersionMinor) + "\n");
    const ProcessResult help = Run({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.out, kHelpText);
    EXPECT_EQ(help.err, "");
    // Every option the parser knows is documented in the page the help comes from.
    for (const char* option :
         {"--layer TEXT", "--width TEXT", "--offset-x TEXT", "--offset-y TEXT", "--auto-offset",
          "--no-line", "--no-arc", "--no-circle", "--no-polyline", "--log FILE", "-q, --quiet",
          "-h, --help", "--version", "Usage: vektrano-cli [OPTIONS] DXF [SCR]"}) {
        SCOPED_TRACE(option);
        EXPECT_TRUE(Contains(help.out, option));
    }
}

TEST_F(CliProcess, StopSignalLeavesNoUnfinishedScriptAndExitsWith128PlusIt)
{
    // The drawing comes through a named pipe the test keeps open, so the run waits
    // in its load until the test lets it go on: the signal arrives there, the run
    // opens the script after the load and ends at its first yield. The classic mode
    // has emptied the old script by then and removes it; full geometry has written
    // beside it and leaves it as it was.
    struct Case
    {
        int signal;
        int code;
        std::vector<std::string> args;
        bool oldScriptStays;
    };
    const Case cases[] = {
        {SIGINT, 130, {"plan.dxf"}, false},
        {SIGTERM, 143, {"plan.dxf"}, false},
        {SIGTERM, 143, {"--full-geometry", "plan.dxf"}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.front() + " " + std::to_string(c.signal));
        const fs::path dxf = dir_ / "plan.dxf";
        const fs::path scr = Write("plan.scr", "alt\r\n");
        ASSERT_EQ(::mkfifo(dxf.c_str(), 0600), 0);
        const int pipe = ::open(dxf.c_str(), O_RDWR | O_CLOEXEC);
        ASSERT_GE(pipe, 0);
        ASSERT_EQ(::write(pipe, kDrawing.data(), kDrawing.size()),
                  static_cast<ssize_t>(kDrawing.size()));
        const std::set<std::string> before = Listing();
        StartedCli cli = StartCli(c.args, dir_);
        const bool reading = WaitUntilOpen(cli.pid, dxf);
        ::kill(cli.pid, c.signal);
        ::close(pipe);
        const ProcessResult result = FinishCli(cli);
        ASSERT_TRUE(reading);
        EXPECT_EQ(result.exitCode, c.code);
        if (c.oldScriptStays) {
            EXPECT_EQ(ReadBytes(scr), "alt\r\n");
            EXPECT_EQ(Listing(), before); // nothing of the run's own either
        } else {
            EXPECT_FALSE(fs::exists(scr));
        }
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
        EXPECT_TRUE(Contains(result.err, "keine SCR Datei")) << result.err;
        fs::remove(dxf);
        fs::remove(scr);
    }
}

TEST_F(CliProcess, ProgressShowsOnlyOnATerminal)
{
    const fs::path dxf = Write("plan.dxf", kDrawing);
    const ProcessResult r = RunCli({"-q", dxf.string()}, dir_, true);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(Contains(r.err, "%")) << r.err;
    // The line is wiped again, so the shell prompt does not land behind it.
    EXPECT_TRUE(EndsWith(r.err, "\r     \r")) << testing::PrintToString(r.err);
}

TEST(CliOnRealDrawings, EndsCleanlyOnEverySample)
{
    const fs::path samples = VEKTRANO_DXF_SAMPLES;
    if (!fs::is_directory(samples))
        GTEST_SKIP() << "no samples at " << samples;
    const TempDir temp;
    const fs::path work = temp.Path();
    int files = 0;
    for (const auto& entry : fs::directory_iterator(samples)) {
        if (entry.path().extension() != ".dxf")
            continue;
        ++files;
        SCOPED_TRACE(entry.path().filename().string());
        const ProcessResult r =
            RunCli({"--auto-offset", entry.path().string(), (work / "out.scr").string()}, work);
        ASSERT_TRUE(r.exitCode == 0 || r.exitCode == 1) << r.exitCode << "\n" << r.err;
        if (r.exitCode == 0) {
            EXPECT_EQ(r.err, "");
            EXPECT_TRUE(Contains(r.out, "Anzahl Polyline: ")) << r.out;
            EXPECT_TRUE(Contains(r.out, "Offset X: ")) << r.out;
        } else if (r.err.empty()) {
            EXPECT_TRUE(EndsWith(r.out, "unbekanntes Format. BEENDE Konvertierung.\n")) << r.out;
        } else {
            // A message box, and nothing else (a sanitizer report also exits with 1).
            EXPECT_TRUE(r.err.rfind("Fehler: ", 0) == 0 ||
                        r.err == "Ende nicht gefunden: Ende nicht gefunden Abbruch\n")
                << r.err;
            EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        }
    }
    EXPECT_GT(files, 0);
}

} // namespace
} // namespace vektrano::test
