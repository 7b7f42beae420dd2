// The work slots are never cleared, so a circle's radius text can reach a LINE or
// a polyline vertex that lacks a code, in the same run or the next one. Found by
// the conversion fuzzer: a radius line that only the measuring pass had seen went
// into the script verbatim, line break and all.

#include "hostile_run.h"

namespace vektrano {
namespace {

using CarriedSlot = HostileRun;

std::string Section(std::initializer_list<std::string_view> entities)
{
    return Dxf({"0", "SECTION", "2", "ENTITIES"}) + Dxf(entities) +
           Dxf({"0", "ENDSEC", "0", "EOF"});
}

// A LINE without code "11" (its X2 comes from the slot), then a CIRCLE whose
// radius stands at line 20.
std::string LineThenCircle(std::string_view radius)
{
    return Section({"0", "LINE", "10", "1", "20", "2", "21", "4", "0", "CIRCLE", "10", "5", "20",
                    "5", "40", radius});
}

TEST_F(CarriedSlot, RadiusSeenOnlyByTheMeasuringPassMustBeANumberWhereItIsWritten)
{
    window_.SetCheckBox(CheckBox::Chk_Auto_Offset, 1);
    for (std::string_view radius : {"zwei", "inf", "1e400", "250\n,"}) {
        SCOPED_TRACE(std::string(radius));
        const RunResult result = Convert(LineThenCircle(radius));
        std::string trimmed(radius);
        ExpectErrorStop(result, "Ungültige Zahl in Zeile 20 der DXF Datei: \"" + trimmed + "\"");
        EXPECT_EQ(result.script, kHeader);
    }
}

TEST_F(CarriedSlot, RadiusThatIsANumberIsWrittenAsItsText)
{
    // A circle first, so the LINE's missing X2 is the radius "2,5".
    const RunResult result = Convert(Section({"0", "CIRCLE", "10", "5", "20", "5", "40", "2,5", "0",
                                              "LINE", "10", "1", "20", "2", "21", "4"}));
    EXPECT_EQ(result.outcome, RunOutcome::Completed);
    EXPECT_EQ(result.script, std::string(kHeader) + "Circle 0.01 (5 5) (5 7.5)\r\n"
                                                    "Wire 0.01 (1 2) (2.5 4)\r\n");
}

TEST_F(CarriedSlot, BadRadiusFromAnEarlierLongerFileIsNamedByItsOwnText)
{
    // The first run stops at the circle's radius but leaves it in the slot.
    ExpectErrorStop(Convert(LineThenCircle("zwei")),
                    "Ungültige Zahl in Zeile 20 der DXF Datei: \"zwei\"");
    // The next file is shorter than line 20; its ARC lacks code 40 and so reads
    // the carried radius.
    const RunResult result =
        Convert(Dxf({"0", "ARC", "10", "0", "20", "0", "50", "0", "51", "90", "0", "EOF"}));
    ExpectErrorStop(result, "Ungültige Zahl in Zeile 20 der DXF Datei: \"zwei\"");
    EXPECT_EQ(result.script, kHeader);
}

TEST_F(CarriedSlot, PolylineVertexWithoutXWritesTheCarriedRadiusOnlyWhenItIsANumber)
{
    // The polyline comes first, so in the output pass its vertices meet the X
    // slots the measuring pass left: X1 the circle's centre, X2 its radius at line 28.
    const auto file = [](std::string_view radius) {
        return Section({"0", "POLYLINE", "0",  "VERTEX", "20", "1", "30", "0",
                        "0", "VERTEX",   "20", "2",      "30", "0", "0",  "SEQEND",
                        "0", "CIRCLE",   "10", "5",      "20", "5", "40", radius});
    };
    window_.SetCheckBox(CheckBox::Chk_Auto_Offset, 1);
    const RunResult good = Convert(file("3"));
    EXPECT_EQ(good.outcome, RunOutcome::Completed);
    EXPECT_EQ(good.script, std::string(kHeader) + "Wire 0.01 (5 1) (3 0)\r\n"
                                                  "Circle 0.01 (5 4) (5 7)\r\n");

    const RunResult bad = Convert(file("drei"));
    ExpectErrorStop(bad, "Ungültige Zahl in Zeile 28 der DXF Datei: \"drei\"");
    EXPECT_EQ(bad.script, kHeader);
}

} // namespace
} // namespace vektrano
