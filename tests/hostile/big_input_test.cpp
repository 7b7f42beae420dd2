// Drawings of a million records: every pass must stay linear. Kept apart (label
// "big") because they take seconds under the sanitizers.

#include "board/layer_map.h"
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

TEST_F(BigInput, ContourOfAMillionShuffledSegmentsWeldsIntoOneClosedChain)
{
    // A strip a segment high: along the bottom, up, back along the top, down. The
    // segments come in a scattered order and every other one backwards, so each
    // end must be found by where it lies, not by what came before it.
    constexpr int kHalf = kMillion / 2;
    // Group codes 10 and 20 for the start point, 11 and 21 for the end.
    auto corner = [](std::string& dxf, int i, char code) {
        const int x = i < kHalf ? i : kMillion - 1 - i;
        ((dxf += '1') += code) += '\n';
        dxf += std::to_string(x);
        ((dxf += "\n2") += code) += '\n';
        dxf += i < kHalf ? "0\n" : "1\n";
    };
    std::string dxf = "0\nSECTION\n2\nENTITIES\n";
    for (long long k = 0; k < kMillion; ++k) {
        const int i = static_cast<int>(k * 7919 % kMillion);
        const int j = (i + 1) % kMillion;
        dxf += "0\nLINE\n8\nRAND\n";
        corner(dxf, i % 2 == 0 ? i : j, '0');
        corner(dxf, i % 2 == 0 ? j : i, '1');
    }
    dxf += "0\nENDSEC\n0\nEOF\n";
    options_.fullGeometry = true;
    options_.layerMap = std::get<LayerMap>(ParseLayerMap("* 20 kontur", "test"));
    const RunResult result = Convert(dxf);
    ASSERT_EQ(result.outcome, RunOutcome::Completed) << result.log;
    EXPECT_NE(result.log.find("Kontur auf Layer 20: 1 geschlossen"), std::string::npos)
        << result.log;
    EXPECT_EQ(result.log.find("nicht geschlossen"), std::string::npos) << result.log;

    // One chain: each Wire line starts where the one before it ended, the last
    // one where the first began.
    const std::string_view groupStart = "\r\nChange Font Vector;\r\nLayer 20;\r\n";
    const std::size_t group = result.script.find(groupStart);
    ASSERT_NE(group, std::string::npos);
    std::string_view rest = std::string_view(result.script).substr(group + groupStart.size());
    std::string_view first, last;
    int wires = 0;
    bool continues = true;
    while (!rest.empty()) {
        const std::size_t end = rest.find("\r\n");
        const std::string_view line = rest.substr(0, end);
        rest.remove_prefix(end + 2);
        const std::size_t middle = line.find(") (");
        const std::string_view start = line.substr(line.find('('), middle + 1 - line.find('('));
        if (wires == 0)
            first = start;
        else
            continues = continues && start == last;
        last = line.substr(middle + 2);
        ++wires;
    }
    EXPECT_EQ(wires, kMillion);
    EXPECT_TRUE(continues);
    EXPECT_EQ(first, last);
}

} // namespace
} // namespace vektrano
