// Whole-file comparisons: the bundled sample drawing and the script and log it must
// give, byte for byte. The expected files were checked line by line by hand (the
// arc end points against an independent computation with pi = 3.141592654).
#include "cli/memory_window.h"
#include "run/conversion_run.h"
#include "support/files.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>

namespace vektrano {
namespace {

using test::ReadBytes;

struct GoldenCase
{
    const char* name;
    bool autoOffset;
    const char* script;
    const char* offsetX;
    const char* offsetY;
};

constexpr GoldenCase kCases[] = {
    {"typed offsets left empty", false, "sample.scr", "", ""},
    {"automatic offset", true, "sample-auto-offset.scr", "-10", "-20"},
};

TEST(SampleDrawing, ConvertsToTheExpectedScriptAndLog)
{
    // The log names the DXF path as typed; run from the source folder so it reads
    // "examples/sample.dxf" as in the expected log.
    std::filesystem::current_path(VEKTRANO_SOURCE_DIR);
    const std::filesystem::path golden = VEKTRANO_GOLDEN_DIR;
    const auto out = std::filesystem::temp_directory_path() / "vektrano-golden.scr";
    Variablen state;
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        MemoryWindow window;
        window.SetField(Field::Txt_DXF, "examples/sample.dxf");
        window.SetField(Field::Txt_SCR, out.string());
        window.SetCheckBox(CheckBox::Chk_Auto_Offset, c.autoOffset ? 1 : 0);

        EXPECT_EQ(RunConversion(window, state), RunOutcome::Completed);
        EXPECT_EQ(ReadBytes(out), ReadBytes(golden / c.script));
        EXPECT_EQ(window.Log(), ReadBytes(golden / "sample.log"));
        EXPECT_EQ(window.ReadField(Field::Txt_Offset_X), c.offsetX);
        EXPECT_EQ(window.ReadField(Field::Txt_Offset_Y), c.offsetY);
        EXPECT_TRUE(window.Messages().empty());
        EXPECT_FALSE(window.BusyCursor());
    }
    std::filesystem::remove(out);
}

// Full geometry over a hand-written drawing holding each kind it draws, in inches:
// LINE, ARC, CIRCLE, a closed LWPOLYLINE with bulges, a POLYLINE with a bulge, an
// elliptical arc, a cubic SPLINE, and a block with a line and an arc inserted
// rotated, mirrored and as a MINSERT. The expected script was checked against
// ezdxf's reading of the drawing (tests/oracle/full_geometry_oracle.py).
TEST(SampleDrawing, FullGeometryWritesTheExpectedScript)
{
    const std::filesystem::path golden = VEKTRANO_GOLDEN_DIR;
    const auto out = std::filesystem::temp_directory_path() / "vektrano-golden-full.scr";
    Variablen state;
    MemoryWindow window;
    window.SetField(Field::Txt_DXF, (golden / "full-geometry.dxf").string());
    window.SetField(Field::Txt_SCR, out.string());
    ConversionOptions options;
    options.fullGeometry = true;

    EXPECT_EQ(RunConversion(window, state, options), RunOutcome::Completed) << window.Log();
    EXPECT_EQ(ReadBytes(out), ReadBytes(golden / "full-geometry.scr"));
    EXPECT_TRUE(window.Messages().empty());
    std::filesystem::remove(out);
}

} // namespace
} // namespace vektrano
