// Drawings of a million records: every pass must stay linear. Kept apart (label
// "big") because they take seconds under the sanitizers.

#include "hostile_run.h"

#include <string>

namespace vektrano {
namespace {

constexpr int kMillion = 1'000'000;

using BigInput = HostileRun;

TEST_F(BigInput, PolylineOfAMillionVertices)
{
    std::string dxf = "0\nSECTION\n2\nENTITIES\n0\nPOLYLINE\n66\n1\n";
    std::string expected(kHeader);
    for (int i = 0; i < kMillion; ++i) {
        const std::string x = std::to_string(i);
        dxf += "0\nVERTEX\n10\n" + x + "\n20\n0\n30\n0\n";
        if (i > 0)
            expected += "Wire 0.01 (" + x + " 0) (" + std::to_string(i - 1) + " 0)\r\n";
    }
    dxf += "0\nSEQEND\n0\nENDSEC\n0\nEOF\n";
    const RunResult result = Convert(dxf);
    EXPECT_EQ(result.outcome, RunOutcome::Completed);
    EXPECT_TRUE(result.log.ends_with("Anzahl Polyline: 1\t\t davon konvertiert: 1\r\n"));
    EXPECT_TRUE(result.script == expected) << "script of " << result.script.size() << " bytes";
}

TEST_F(BigInput, MillionEntities)
{
    // Half of them lines, half unknown names for the tally.
    std::string dxf = "0\nSECTION\n2\nENTITIES\n";
    for (int i = 0; i < kMillion / 2; ++i)
        dxf += "0\nLINE\n10\n1\n20\n2\n11\n3\n21\n4\n0\nPOINT\n10\n0\n";
    dxf += "0\nENDSEC\n0\nEOF\n";
    window_.SetCheckBox(CheckBox::Chk_Auto_Offset, 1);
    const RunResult result = Convert(dxf);
    EXPECT_EQ(result.outcome, RunOutcome::Completed);
    EXPECT_NE(result.log.find("Unbekannte Befehle: \t500000x\tPOINT\r\n"), std::string::npos);
    EXPECT_TRUE(result.log.ends_with("Anzahl Linien: 500000\t\t davon konvertiert: 500000\r\n"
                                     "Anzahl Kreise: 0\t\t davon konvertiert: 0\r\n"
                                     "Anzahl Halbkreise: 0\t davon konvertiert: 0\r\n"
                                     "Anzahl Polyline: 0\t\t davon konvertiert: 0\r\n"));
    std::string expected(kHeader);
    for (int i = 0; i < kMillion / 2; ++i)
        expected += "Wire 0.01 (0 0) (2 2)\r\n";
    EXPECT_TRUE(result.script == expected) << "script of " << result.script.size() << " bytes";
}

} // namespace
} // namespace vektrano
