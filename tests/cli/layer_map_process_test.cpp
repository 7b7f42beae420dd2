#include "cli_process.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <set>

namespace vektrano::test {
namespace {

namespace fs = std::filesystem;

// One LINE on each of two layers: where a rule sends them shows in the script.
const std::string kTwoLayers = Dxf({
    "0",  "SECTION", "2",  "ENTITIES", "0",  "LINE", "8",    "OUTLINE", "10",   "0",   "20",
    "0",  "11",      "10", "21",       "0",  "0",    "LINE", "8",       "SILK", "10",  "0",
    "20", "5",       "11", "10",       "21", "5",    "0",    "ENDSEC",  "0",    "EOF",
});

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

class LayerMapProcess : public testing::Test
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

TEST_F(LayerMapProcess, ListLayersPrintsTheMapOfARealDrawingAndWritesNoScript)
{
    const fs::path dxf = fs::path(VEKTRANO_DXF_SAMPLES) / "sourcebots-motor__case.dxf";
    if (!fs::exists(dxf))
        GTEST_SKIP() << "no sample " << dxf;
    const auto before = Listing();
    const ProcessResult r = Run({"--list-layers", dxf.string(), (dir_ / "case.scr").string()});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    // The outline is suggested as the board contour, with what it holds.
    EXPECT_TRUE(
        Contains(r.out, "\nboard_outline      20           kontur  # 17 LINE; 70 x 52 mm\n"))
        << r.out;
    EXPECT_TRUE(Contains(r.out, "\ncsk                48           alles  # 8 CIRCLE, 2 MTEXT;"))
        << r.out;
    EXPECT_EQ(Listing(), before);
    EXPECT_FALSE(fs::exists(dxf.parent_path() / "sourcebots-motor__case.scr"));

    // What it prints is a map the CLI takes as it is.
    Write("case.map", r.out);
    const ProcessResult converted =
        Run({"-q", "--layer-map", "case.map", dxf.string(), "case.scr"});
    EXPECT_EQ(converted.exitCode, 0) << converted.err;
    EXPECT_TRUE(Contains(ReadBytes(dir_ / "case.scr"), "\r\nLayer 20;\r\nWire ")) << converted.out;
}

TEST_F(LayerMapProcess, MapErrorsExitWithTwoNameFileAndLineAndLeaveTheScriptAlone)
{
    const fs::path dxf = Write("plan.dxf", kTwoLayers);
    const std::string old = "alt\r\n";
    Write("plan.scr", old);
    const std::string map = (dir_ / "board.map").string();
    struct Case
    {
        const char* name;
        std::string map; // file text; the file is missing when "-"
        std::vector<std::string> extra;
        std::string message;
    };
    const Case cases[] = {
        {"unknown kind",
         "OUTLINE 20 kontur\nSILK 21 kreis\n",
         {},
         "Layer-Zuordnung " + map +
             ", Zeile 2: unbekannte Art \"kreis\" (linien, kontur, bohrung, bohrung:MIN-MAX, text, "
             "flaechen "
             "oder alles)"},
        {"layer 300",
         "# Kopf\n\nSILK 300\n",
         {},
         "Layer-Zuordnung " + map + ", Zeile 3: Eagle-Layer 300 liegt nicht zwischen 1 und 255"},
        {"unclosed quote",
         "\"Board Cutouts 20 kontur\n",
         {},
         "Layer-Zuordnung " + map + ", Zeile 1: Anführungszeichen nicht geschlossen"},
        {"missing file", "-", {}, "Layer-Zuordnung kann nicht gelesen werden: " + map},
        {"bad --map beside a good file",
         "SILK 21\n",
         {"--map", "OUTLINE 20 bohrung:8-1"},
         "Layer-Zuordnung --map \"OUTLINE 20 bohrung:8-1\": Bohrbereich \"8-1\": MIN ist größer "
         "als "
         "MAX"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(map);
        if (c.map != "-")
            Write("board.map", c.map);
        const auto before = Listing();
        std::vector<std::string> args = {"--layer-map", map};
        args.insert(args.end(), c.extra.begin(), c.extra.end());
        args.push_back(dxf.string());
        const ProcessResult r = Run(args);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err.rfind("vektrano-cli: " + c.message + "\n", 0), 0u) << r.err;
        EXPECT_EQ(ReadBytes(dir_ / "plan.scr"), old);
        EXPECT_EQ(Listing(), before);
    }
}

TEST_F(LayerMapProcess, MapOptionsAreTriedBeforeTheFilesRules)
{
    const fs::path dxf = Write("plan.dxf", kTwoLayers);
    Write("board.map", "OUTLINE 103\nSILK 104 linien 0.2\n");
    const ProcessResult r =
        Run({"-q", "--layer-map", "board.map", "--map", "outline 102", dxf.string(), "out.scr"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string script = ReadBytes(dir_ / "out.scr");
    EXPECT_TRUE(
        Contains(script, "\r\nLayer 102 OUTLINE;\r\nLayer 102;\r\nWire 0.01 (0 0) (10 0)\r\n"))
        << script;
    EXPECT_TRUE(Contains(script, "\r\nLayer 104 SILK;\r\nLayer 104;\r\nWire 0.2 (0 5) (10 5)\r\n"))
        << script;
    EXPECT_FALSE(Contains(script, "Layer 103")) << script;
}

TEST_F(LayerMapProcess, WeldToleranceOutsideZeroToOneIsAUsageError)
{
    const fs::path dxf = Write("plan.dxf", kTwoLayers);
    for (const char* tolerance : {"2", "-0.1", "1,5", "weit"}) {
        SCOPED_TRACE(tolerance);
        const ProcessResult r =
            Run({"--weld-tolerance", tolerance, "--map", "* 20 kontur", dxf.string()});
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_TRUE(Contains(r.err, "--weld-tolerance: ")) << r.err;
        EXPECT_FALSE(fs::exists(dir_ / "plan.scr"));
    }
    // Both ends are allowed.
    for (const char* tolerance : {"0", "1"}) {
        SCOPED_TRACE(tolerance);
        EXPECT_EQ(Run({"-q", "--weld-tolerance", tolerance, "--map", "* 20 kontur", dxf.string()})
                      .exitCode,
                  0);
    }
}

} // namespace
} // namespace vektrano::test
