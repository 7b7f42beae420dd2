// Full geometry with a layer map: the script grouped by Eagle layer, drill holes in
// place of circles, contour pieces welded into chains that meet to the last digit.
#include "board/layer_map.h"
#include "engine_test_support.h"

#include <variant>

namespace vektrano::test {
namespace {

std::string OnLayer(std::string_view layer, std::string_view name,
                    std::initializer_list<Group> groups)
{
    std::string text = "0\r\n" + std::string(name) + "\r\n8\r\n" + std::string(layer) + "\r\n";
    for (const auto& group : groups)
        text += group.code + "\r\n" + group.value + "\r\n";
    return text;
}

std::string LineOn(std::string_view layer, std::string x1, std::string y1, std::string x2,
                   std::string y2)
{
    return OnLayer(layer, "LINE", {{"10", x1}, {"20", y1}, {"11", x2}, {"21", y2}});
}

std::string CircleOn(std::string_view layer, std::string x, std::string y, std::string r)
{
    return OnLayer(layer, "CIRCLE", {{"10", x}, {"20", y}, {"40", r}});
}

std::string ArcOn(std::string_view layer, std::string x, std::string y, std::string r,
                  std::string from, std::string to)
{
    return OnLayer(layer, "ARC", {{"10", x}, {"20", y}, {"40", r}, {"50", from}, {"51", to}});
}

std::string Entities(std::initializer_list<std::string> entities)
{
    std::string text = "0\r\nSECTION\r\n2\r\nENTITIES\r\n";
    for (const auto& entity : entities)
        text += entity;
    return text + "0\r\nENDSEC\r\n0\r\nEOF\r\n";
}

LayerMap MapOf(std::string_view text)
{
    auto map = ParseLayerMap(text, "test.map");
    EXPECT_TRUE(std::holds_alternative<LayerMap>(map)) << std::get<std::string>(map);
    return std::get<LayerMap>(map);
}

struct Mapped : Conversion
{
    Mapped(std::string_view map, std::string_view layerField = "48")
    {
        options.fullGeometry = true;
        options.layerMap = MapOf(map);
        options.layerMapOrigin = "test.map";
        window.SetField(Field::Txt_Layer, std::string(layerField));
    }
    std::vector<std::string> Lines() const { return CrLfLines(Script()); }
};

// The text of a script line's first and last point: a chain is continuous when
// each line starts with exactly the text the line before it ended with.
std::pair<std::string, std::string> Ends(const std::string& line)
{
    const auto first = line.find('(');
    const auto last = line.rfind('(');
    return {line.substr(first, line.find(')', first) - first + 1), line.substr(last)};
}

void ExpectChain(const std::vector<std::string>& wires, bool closed)
{
    ASSERT_FALSE(wires.empty());
    for (std::size_t i = 0; i + 1 < wires.size(); ++i)
        EXPECT_EQ(Ends(wires[i]).second, Ends(wires[i + 1]).first) << wires[i];
    if (closed) {
        EXPECT_EQ(Ends(wires.back()).second, Ends(wires.front()).first);
    }
}

TEST(LayerMapRun, GroupsEagleLayersWithHolesContoursAndOwnLayers)
{
    Mapped run("OUTLINE 20 kontur 0\n"
               "*HOLE* 20 bohrung:0.5-8\n"
               "SILK 21 linien 0,15\n"
               "TITLE* aus\n"
               "LOGO 101\n");
    ASSERT_EQ(run.Run(Entities({
                  LineOn("LOGO", "7", "7", "8", "8"), LineOn("OUTLINE", "0", "0", "40", "0"),
                  CircleOn("HOLES", "5", "5", "1.5"), LineOn("SILK", "1", "1", "2", "2"),
                  LineOn("OUTLINE", "40", "30", "40", "0"), // given backwards
                  CircleOn("Mount_Holes", "5", "5", "1.5"), // the same hole again
                  CircleOn("HOLES", "35", "25", "10"),      // too large to drill
                  LineOn("TITLE_BLOCK", "0", "0", "100", "100"),
                  LineOn("OUTLINE", "40", "30", "0", "30"), LineOn("Other", "3", "3", "4", "4"),
                  LineOn("OUTLINE", "0", "30", "0", "0.004"), // a gap below the tolerance
              })),
              RunOutcome::Completed)
        << run.Log();
    const std::vector<std::string> expected = {
        "# Trazor generated script file.",
        "Grid mm 0.1;",
        "Set Wire_Bend 2;",
        "Layer 48;",
        "Change Font Vector;",
        "Layer 20;",
        "Hole 3 (5 5);",
        "Circle 0.01 (35 25) (35 35)",
        "Wire 0 (0 0) (40 0)",
        "Wire 0 (40 0) (40 30)",
        "Wire 0 (40 30) (0 30)",
        "Wire 0 (0 30) (0 0)",
        "Layer 21;",
        "Wire 0.15 (1 1) (2 2)",
        "Layer 48;",
        "Wire 0.01 (3 3) (4 4)",
        "Layer 101 LOGO;",
        "Layer 101;",
        "Wire 0.01 (7 7) (8 8)",
    };
    EXPECT_EQ(run.Lines(), expected);
    const std::string& log = run.Log();
    EXPECT_NE(log.find("Layer-Zuordnung: test.map\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("Layer 20: 4 Linien, 0 Bögen, 1 Kreise, 1 Bohrungen\r\n"), std::string::npos)
        << log;
    EXPECT_NE(log.find("Kontur auf Layer 20: 1 geschlossen, die größte 40 x 30 mm"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("Bohrungen: 1x 3 mm\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("1x\tLayer TITLE_BLOCK (aus laut Layer-Zuordnung)"), std::string::npos)
        << log;
    EXPECT_EQ(log.find("nicht geschlossen"), std::string::npos) << log;
}

struct WeldCase
{
    const char* name;
    std::string entities;
    bool closed;
    std::size_t wires;
};

TEST(LayerMapRun, WeldsContourPiecesThatMeetWithinTheTolerance)
{
    const WeldCase cases[] = {
        {"gap below the tolerance",
         LineOn("C", "0", "0", "10", "0") + LineOn("C", "10", "0.009", "10", "10") +
             LineOn("C", "10", "10", "0", "10") + LineOn("C", "0", "10", "0", "0"),
         true, 4},
        {"gap above the tolerance",
         LineOn("C", "0", "0", "10", "0") + LineOn("C", "10", "0.02", "10", "10") +
             LineOn("C", "10", "10", "0", "10") + LineOn("C", "0", "10", "0", "0"),
         false, 4},
        {"an arc meeting lines",
         LineOn("C", "0", "0", "10", "0") + ArcOn("C", "10", "5", "5", "270", "90") +
             LineOn("C", "10", "10", "0", "10") + LineOn("C", "0", "10", "0", "0"),
         true, 4},
        {"a circle of width 0: two half circles", CircleOn("C", "5", "5", "2"), true, 2},
    };
    for (const WeldCase& c : cases) {
        SCOPED_TRACE(c.name);
        Mapped run("C 20 kontur 0");
        ASSERT_EQ(run.Run(Entities({c.entities})), RunOutcome::Completed) << run.Log();
        std::vector<std::string> lines = run.Lines();
        ASSERT_GE(lines.size(), 6u);
        EXPECT_EQ(lines[5], "Layer 20;");
        const std::vector<std::string> wires(lines.begin() + 6, lines.end());
        EXPECT_EQ(wires.size(), c.wires);
        ExpectChain(wires, c.closed);
        EXPECT_EQ(run.Log().find("nicht geschlossen") == std::string::npos, c.closed) << run.Log();
    }
}

} // namespace
} // namespace vektrano::test
