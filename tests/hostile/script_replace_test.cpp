// Full geometry writes its script beside the path and puts it there only when it
// is complete: whatever the path named stays as it was when a run does not end,
// and no file of the run's own is left in the folder either way.

#include "hostile_run.h"

#include <charconv>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace vektrano {
namespace {

namespace fs = std::filesystem;

const std::string kDrawing = Dxf({"0", "SECTION", "2", "ENTITIES", "0", "LINE", "10", "1", "20",
                                  "2", "11", "3", "21", "4", "0", "ENDSEC", "0", "EOF"});
const std::string kBadNumber = Dxf({"0", "SECTION", "2", "ENTITIES", "0", "LINE", "10", "abc", "20",
                                    "2", "11", "3", "21", "4", "0", "ENDSEC", "0", "EOF"});
const std::string kScript = std::string(kHeader) + "Wire 0.01 (1 2) (3 4)\r\n";
const std::string kOld = "alt\r\n";

std::string Octal(unsigned mode)
{
    char text[8] = {};
    std::to_chars(text, text + sizeof text - 1, mode, 8);
    return text;
}

// All a run could change about a path, in one comparable text.
std::string Describe(const std::string& path)
{
    struct stat info
    {
    };
    if (::lstat(path.c_str(), &info) != 0)
        return "missing";
    const std::string kind = S_ISREG(info.st_mode)    ? "file " + ReadBytes(path)
                             : S_ISLNK(info.st_mode)  ? "link to " + fs::read_symlink(path).string()
                             : S_ISFIFO(info.st_mode) ? "pipe"
                             : S_ISCHR(info.st_mode)
                                 ? "device " + std::to_string(major(info.st_rdev)) + ":" +
                                       std::to_string(minor(info.st_rdev))
                                 : "other";
    return Octal(info.st_mode & 07777) + " " + kind;
}

std::set<std::string> Names(const std::string& folder)
{
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

class ScriptReplacement : public HostileRun
{
protected:
    void SetUp() override { options_.fullGeometry = true; }
    void WriteScript(const std::string& path, mode_t mode)
    {
        WriteBytes(path, kOld);
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
    }
};

enum class Target { Script, Pipe, Device, Link };
enum class Ending { BadNumber, WindowCloses };

class UnfinishedRun : public ScriptReplacement,
                      public ::testing::WithParamInterface<std::tuple<Target, Ending>>
{
};

TEST_P(UnfinishedRun, LeavesWhatTheScriptPathNamesAsItWas)
{
    const auto [target, ending] = GetParam();
    const std::string scr = Path("plan.scr");
    int reader = -1; // a pipe opens for writing only while someone reads
    switch (target) {
    case Target::Script: WriteScript(scr, 0640); break;
    case Target::Pipe:
        ASSERT_EQ(::mkfifo(scr.c_str(), 0600), 0);
        reader = ::open(scr.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        ASSERT_GE(reader, 0);
        break;
    case Target::Device: {
        // The node of /dev/null, made here: the real one is never put at risk.
        if (::mknod(scr.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0)
            GTEST_SKIP() << "this user may not make device nodes";
        const int probe = ::open(scr.c_str(), O_WRONLY | O_CLOEXEC);
        if (probe < 0)
            GTEST_SKIP() << "device nodes cannot be opened in this folder";
        ::close(probe);
        break;
    }
    case Target::Link:
        WriteScript(Path("real.scr"), 0640);
        fs::create_symlink("real.scr", scr);
        break;
    }
    const std::string before = Describe(scr);
    const std::string targetBefore = Describe(Path("real.scr"));
    const std::set<std::string> namesBefore = Names(Path(""));

    WriteBytes(Path("plan.dxf"), ending == Ending::BadNumber ? kBadNumber : kDrawing);
    // The first yield comes before the script is opened, the second after.
    int yields = 0;
    if (ending == Ending::WindowCloses)
        window_.onYield = [&yields] { return ++yields < 2; };
    const RunResult result = ConvertPaths(Path("plan.dxf"), scr);
    if (reader >= 0)
        ::close(reader);

    if (ending == Ending::BadNumber)
        ExpectErrorStop(result, "Ungültige Zahl in Zeile 8 der DXF Datei: \"abc\"");
    else
        EXPECT_EQ(result.outcome, RunOutcome::Cancelled);
    EXPECT_EQ(Describe(scr), before);
    EXPECT_EQ(Describe(Path("real.scr")), targetBefore);
    std::set<std::string> namesAfter = Names(Path(""));
    namesAfter.erase("plan.dxf");
    EXPECT_EQ(namesAfter, namesBefore);
}

std::string CaseName(const ::testing::TestParamInfo<std::tuple<Target, Ending>>& info)
{
    constexpr const char* kTargets[] = {"Script", "Pipe", "Device", "Link"};
    constexpr const char* kEndings[] = {"BadNumber", "WindowCloses"};
    return std::string(kTargets[static_cast<int>(std::get<0>(info.param))]) +
           kEndings[static_cast<int>(std::get<1>(info.param))];
}

INSTANTIATE_TEST_SUITE_P(FullGeometry, UnfinishedRun,
                         ::testing::Combine(::testing::Values(Target::Script, Target::Pipe,
                                                              Target::Device, Target::Link),
                                            ::testing::Values(Ending::BadNumber,
                                                              Ending::WindowCloses)),
                         CaseName);

TEST_F(ScriptReplacement, CompletedRunPutsTheScriptInPlaceKeepingModeAndLink)
{
    struct Case
    {
        const char* name;
        mode_t oldMode; // 0: no old script
        bool link;
    };
    const mode_t mask = ::umask(0);
    ::umask(mask);
    WriteBytes(Path("plan.dxf"), kDrawing);
    for (const Case c : {Case{"new script", 0, false}, Case{"old script", 0640, false},
                         Case{"link to an old script", 0604, true}}) {
        SCOPED_TRACE(c.name);
        const std::string written = Path(c.link ? "real.scr" : "plan.scr");
        if (c.oldMode != 0)
            WriteScript(written, c.oldMode);
        if (c.link)
            fs::create_symlink("real.scr", Path("plan.scr"));
        std::set<std::string> names = Names(Path(""));
        names.insert("plan.scr");
        const RunResult result = ConvertPaths(Path("plan.dxf"), Path("plan.scr"));
        EXPECT_EQ(result.outcome, RunOutcome::Completed) << result.log;
        EXPECT_EQ(Describe(written),
                  Octal(c.oldMode != 0 ? c.oldMode : 0666 & ~mask) + " file " + kScript);
        if (c.link) {
            EXPECT_EQ(Describe(Path("plan.scr")), "777 link to real.scr");
        }
        EXPECT_EQ(Names(Path("")), names);
        fs::remove(Path("plan.scr"));
        fs::remove(Path("real.scr"));
    }
}

// Something else took the script's place while the run wrote: the complete
// script cannot go there, and saying so is all that is left to do.
TEST_F(ScriptReplacement, ScriptThatCannotBePutInPlaceIsAWriteError)
{
    WriteBytes(Path("plan.dxf"), kDrawing);
    WriteScript(Path("plan.scr"), 0644);
    int yields = 0;
    window_.onYield = [this, &yields] {
        if (++yields == 2) {
            fs::remove(Path("plan.scr"));
            fs::create_directories(Path("plan.scr/inside"));
        }
        return true;
    };
    const RunResult result = ConvertPaths(Path("plan.dxf"), Path("plan.scr"));
    ExpectErrorStop(result, "Fehler beim Schreiben der SCR Datei: " + Path("plan.scr") +
                                " (ist ein Ordner)");
    EXPECT_EQ(Names(Path("")), (std::set<std::string>{"plan.dxf", "plan.scr"}));
}

} // namespace
} // namespace vektrano
