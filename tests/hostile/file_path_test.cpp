// Paths that collide, fail or need care: the drawing must never be emptied and a
// failed write must never end as a success.

#include "hostile_run.h"

#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace vektrano {
namespace {

namespace fs = std::filesystem;

using FilePaths = HostileRun;

const std::string kDrawing = Dxf({"0", "SECTION", "2", "ENTITIES", "0", "LINE", "10", "1", "20",
                                  "2", "11", "3", "21", "4", "0", "ENDSEC", "0", "EOF"});

TEST_F(FilePaths, ScriptNamingTheDrawingIsRefusedAndTheDrawingSurvives)
{
    fs::create_directory(Path("a"));
    WriteFile(Path("plan.dxf"), kDrawing);
    fs::create_symlink(Path("plan.dxf"), Path("symbolic.scr"));
    fs::create_hard_link(Path("plan.dxf"), Path("hard.scr"));
    const std::string spellings[] = {Path("./a/../plan.dxf"), Path("symbolic.scr"),
                                     Path("hard.scr"), Path("a/../a/.././plan.dxf")};
    for (const std::string& scr : spellings) {
        SCOPED_TRACE(scr);
        const RunResult result = ConvertPaths(Path("plan.dxf"), scr);
        ExpectErrorStop(result, "DXF Datei und SCR Datei sind dieselbe Datei: " + scr);
        // Refused after loading, before the script would be opened.
        EXPECT_TRUE(result.log.ends_with("...fertig\r\n\r\nDXF Datei und SCR Datei sind dieselbe "
                                         "Datei: " +
                                         scr + "\r\n"))
            << result.log;
        EXPECT_EQ(ReadFile(Path("plan.dxf")), kDrawing);
    }
}

TEST_F(FilePaths, FullDiskIsAWriteErrorAndNeverASuccess)
{
    if (!fs::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    WriteFile(Path("plan.dxf"), kDrawing);
    {
        SCOPED_TRACE("small script, fails when it is closed");
        ExpectErrorStop(ConvertPaths(Path("plan.dxf"), "/dev/full"),
                        "Fehler beim Schreiben der SCR Datei: /dev/full (kein Speicherplatz mehr "
                        "auf dem Datenträger)");
    }
    {
        SCOPED_TRACE("script larger than the write buffer, fails in the output pass");
        std::string big = Dxf({"0", "SECTION", "2", "ENTITIES"});
        for (int i = 0; i < 60'000; ++i)
            big += Dxf({"0", "LINE", "10", "1", "20", "2", "11", "3", "21", "4"});
        big += Dxf({"0", "ENDSEC", "0", "EOF"});
        WriteFile(Path("big.dxf"), big);
        ExpectErrorStop(ConvertPaths(Path("big.dxf"), "/dev/full"),
                        "Fehler beim Schreiben der SCR Datei: /dev/full (kein Speicherplatz mehr "
                        "auf dem Datenträger)");
    }
}

struct PathCase
{
    const char* name;
    std::string dxf;
    std::string scr;
    std::string stop;
};

TEST_F(FilePaths, UnusablePathsStopWithTheSystemsReason)
{
    WriteFile(Path("plan.dxf"), kDrawing);
    fs::create_directory(Path("folder"));
    const PathCase cases[] = {
        {"script in a missing folder", Path("plan.dxf"), Path("missing/plan.scr"),
         "SCR Datei kann nicht geschrieben werden: " + Path("missing/plan.scr") +
             " (Datei oder Ordner nicht gefunden)"},
        {"script naming a folder", Path("plan.dxf"), Path("folder"),
         "SCR Datei kann nicht geschrieben werden: " + Path("folder") + " (ist ein Ordner)"},
        {"script below a file", Path("plan.dxf"), Path("plan.dxf/plan.scr"),
         "SCR Datei kann nicht geschrieben werden: " + Path("plan.dxf/plan.scr") +
             " (ein Teil des Pfads ist kein Ordner)"},
        {"drawing naming a folder", Path("folder"), Path("out.scr"),
         "DXF Datei kann nicht gelesen werden: " + Path("folder") + " (ist ein Ordner)"},
        {"missing drawing", Path("nowhere.dxf"), Path("out.scr"),
         "DXF Datei kann nicht gelesen werden: " + Path("nowhere.dxf") +
             " (Datei oder Ordner nicht gefunden)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const RunResult result = ConvertPaths(c.dxf, c.scr);
        ExpectErrorStop(result, c.stop);
        EXPECT_EQ(ReadFile(Path("plan.dxf")), kDrawing);
        // A drawing that cannot be read leaves the script untouched.
        EXPECT_FALSE(fs::exists(Path("out.scr")));
    }
}

TEST_F(FilePaths, BlanksAndUmlautsInPaths)
{
    fs::create_directory(Path("Zeichnungen für Jürgen"));
    const std::string dxf = Path("Zeichnungen für Jürgen/Gehäuse ÄÖÜ ß.dxf");
    const std::string scr = Path("Zeichnungen für Jürgen/Gehäuse ÄÖÜ ß.scr");
    WriteFile(dxf, kDrawing);
    const RunResult result = ConvertPaths(dxf, scr);
    EXPECT_EQ(result.outcome, RunOutcome::Completed);
    EXPECT_NE(result.log.find("Lade Datei " + dxf + "...fertig\r\n"), std::string::npos);
    EXPECT_EQ(result.script, std::string(kHeader) + "Wire 0.01 (1 2) (3 4)\r\n");
}

// An old script is emptied in steps, so the window may repaint in between; the
// new script must still hold nothing of the old one, large or small.
TEST_F(FilePaths, OldScriptIsEmptiedWhateverItsSize)
{
    WriteFile(Path("plan.dxf"), kDrawing);
    for (const std::size_t size : {std::size_t{10}, (std::size_t{40} << 20) + 3}) {
        SCOPED_TRACE(size);
        WriteFile(Path("plan.scr"), std::string(size, 'x'));
        const RunResult result = ConvertPaths(Path("plan.dxf"), Path("plan.scr"));
        EXPECT_EQ(result.outcome, RunOutcome::Completed);
        EXPECT_EQ(result.script, std::string(kHeader) + "Wire 0.01 (1 2) (3 4)\r\n");
    }
}

// A named pipe with nobody at the other end must not hang START: both files are
// opened without blocking. A regression shows as a test that never ends.
TEST_F(FilePaths, NamedPipesWithoutAPeerDoNotHang)
{
    WriteFile(Path("plan.dxf"), kDrawing);
    ASSERT_EQ(::mkfifo(Path("pipe").c_str(), 0600), 0);
    {
        SCOPED_TRACE("pipe as the script, nobody reading");
        window_.SetField(Field::Txt_DXF, Path("plan.dxf"));
        window_.SetField(Field::Txt_SCR, Path("pipe"));
        EXPECT_EQ(RunConversion(window_, state_), RunOutcome::Stopped);
        ASSERT_EQ(window_.Messages().size(), 1u);
        EXPECT_EQ(window_.Messages().back().text,
                  "SCR Datei kann nicht geschrieben werden: " + Path("pipe") +
                      " (kein Leser am anderen Ende)");
        EXPECT_FALSE(window_.BusyCursor());
    }
    {
        SCOPED_TRACE("pipe as the drawing, nobody writing: an empty drawing");
        window_.SetField(Field::Txt_DXF, Path("pipe"));
        window_.SetField(Field::Txt_SCR, Path("out.scr"));
        EXPECT_EQ(RunConversion(window_, state_), RunOutcome::Stopped);
        EXPECT_TRUE(window_.Log().ends_with("unbekanntes Format. BEENDE Konvertierung.\r\n"));
        EXPECT_EQ(ReadFile(Path("out.scr")), "");
        EXPECT_FALSE(window_.BusyCursor());
    }
}

TEST_F(FilePaths, ReadOnlyScriptIsNotWritten)
{
    WriteFile(Path("plan.dxf"), kDrawing);
    WriteFile(Path("locked.scr"), "kept");
    ASSERT_EQ(::chmod(Path("locked.scr").c_str(), 0444), 0);
    // Root writes through a missing write permission.
    const int probe = ::open(Path("locked.scr").c_str(), O_WRONLY);
    if (probe >= 0) {
        ::close(probe);
        GTEST_SKIP() << "the permission does not stop this user from writing";
    }
    const RunResult result = ConvertPaths(Path("plan.dxf"), Path("locked.scr"));
    ExpectErrorStop(result, "SCR Datei kann nicht geschrieben werden: " + Path("locked.scr") +
                                " (Zugriff verweigert)");
    EXPECT_EQ(result.script, "kept");
}

} // namespace
} // namespace vektrano
