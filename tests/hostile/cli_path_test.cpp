// The command-line tool on the same faults: exit status 1 and the message box on
// standard error, the drawing untouched.

#include "../cli/cli_process.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

namespace vektrano::test {
namespace {

namespace fs = std::filesystem;

const std::string kDrawing = Dxf({"0", "SECTION", "2", "ENTITIES", "0", "LINE", "10", "1", "20",
                                  "2", "11", "3", "21", "4", "0", "ENDSEC", "0", "EOF"});

struct CliCase
{
    const char* name;
    std::string dxf;
    std::string scr;
    std::string err;
};

TEST(HostileCli, FaultsExitWithOneAndTheMessageOnStderr)
{
    const TempDir temp;
    const fs::path dir = temp.Path();
    WriteBytes(dir / "plan.dxf", kDrawing);
    WriteBytes(dir / "open.dxf", Dxf({"0", "SECTION", "2", "ENTITIES", "0", "LINE", "10", "1"}));
    fs::create_directory(dir / "folder");
    fs::create_symlink(dir / "plan.dxf", dir / "symbolic.scr");
    fs::create_hard_link(dir / "plan.dxf", dir / "hard.scr");
    const std::string d = dir.string() + "/";
    const CliCase cases[] = {
        {"symbolic link", d + "plan.dxf", d + "symbolic.scr",
         "Fehler: DXF Datei und SCR Datei sind dieselbe Datei: " + d + "symbolic.scr\n"},
        {"hard link", d + "plan.dxf", d + "hard.scr",
         "Fehler: DXF Datei und SCR Datei sind dieselbe Datei: " + d + "hard.scr\n"},
        {"script in a missing folder", d + "plan.dxf", d + "missing/plan.scr",
         "Fehler: SCR Datei kann nicht geschrieben werden: " + d +
             "missing/plan.scr (Datei oder Ordner nicht gefunden)\n"},
        {"script naming a folder", d + "plan.dxf", d + "folder",
         "Fehler: SCR Datei kann nicht geschrieben werden: " + d + "folder (ist ein Ordner)\n"},
        {"drawing naming a folder", d + "folder", d + "out.scr",
         "Fehler: DXF Datei kann nicht gelesen werden: " + d + "folder (ist ein Ordner)\n"},
        {"entity without end", d + "open.dxf", d + "out.scr",
         "Ende nicht gefunden: Ende nicht gefunden Abbruch\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ProcessResult r = RunCli({"-q", c.dxf, c.scr}, dir);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.err, c.err);
        EXPECT_EQ(ReadBytes(dir / "plan.dxf"), kDrawing);
    }
}

} // namespace
} // namespace vektrano::test
