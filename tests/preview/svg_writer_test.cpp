#include "preview/script_reader.h"
#include "preview/svg_writer.h"

#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace vektrano {
namespace {

namespace fs = std::filesystem;

// Runs xmllint, a parser that knows nothing of the writer, and returns its output.
std::string Xmllint(const std::string& arguments)
{
    std::string output;
    std::FILE* pipe =
        ::popen((std::string(VEKTRANO_XMLLINT) + " " + arguments + " 2>&1").c_str(), "r");
    if (!pipe)
        return "popen failed";
    char buffer[4096];
    while (const std::size_t got = std::fread(buffer, 1, sizeof buffer, pipe))
        output.append(buffer, got);
    const int status = ::pclose(pipe);
    return status == 0 ? output : "xmllint failed: " + output;
}

std::vector<std::string> Words(const std::string& text)
{
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

TEST(SvgWriter, WritesOneElementPerLineWithArcFlagsAfterTheFlip)
{
    if (std::string(VEKTRANO_XMLLINT).empty() || !fs::exists(VEKTRANO_XMLLINT))
        GTEST_SKIP() << "xmllint not installed (Debian libxml2-utils)";
    const ScriptPicture picture = ReadScriptText("Grid mm;\n"
                                                 "Wire 0.5 (0 0) (20 0) +90 (30 10)\n"
                                                 "Wire 0 (10 0) +270 (0 -10)\n"
                                                 "wire 0.01 (0 0) @-5 (5 5)\n"
                                                 "Circle 0.2 (5 5) (5 7)\n"
                                                 "Pad -- (1 1)\n");
    const fs::path path = fs::path(testing::TempDir()) / "vektrano-preview-test.svg";
    ASSERT_EQ(WriteSvgFile(picture, path.string()), 0);
    std::string file = path.string();
    file.insert(file.begin(), '\'');
    file += '\'';
    EXPECT_EQ(Xmllint("--noout " + file), "");

    auto query = [&](const std::string& xpath) {
        return Xmllint("--xpath \"" + xpath + "\" " + file);
    };
    EXPECT_EQ(query("count(//*[local-name()='path'])"), "3\n");
    EXPECT_EQ(query("count(//*[local-name()='circle'])"), "1\n");
    // Extent (-10 -10) to (30 10), a margin of 40/50 around it, y turned down.
    const auto viewBox = Words(query("string(/*/@viewBox)"));
    ASSERT_EQ(viewBox.size(), 4u);
    const double expected[] = {-10.8, -10.8, 41.6, 21.6};
    for (int i = 0; i < 4; ++i)
        EXPECT_NEAR(std::stod(viewBox[i]), expected[i], 1e-9) << i;

    struct ArcFlags
    {
        int path;
        const char* largeArc;
        const char* sweep;
    };
    // Counter-clockwise on the board is counter-clockwise on screen once y points
    // down, which SVG's sweep flag calls 0.
    for (const ArcFlags& arc :
         {ArcFlags{1, "0", "0"}, ArcFlags{2, "1", "0"}, ArcFlags{3, "0", "1"}}) {
        SCOPED_TRACE(arc.path);
        const auto d =
            Words(query("string((//*[local-name()='path'])[" + std::to_string(arc.path) + "]/@d)"));
        const auto a = std::find(d.begin(), d.end(), "A");
        ASSERT_GE(d.end() - a, 8);
        EXPECT_EQ(a[4], arc.largeArc);
        EXPECT_EQ(a[5], arc.sweep);
    }
    // The comment survives the parser, its "--" broken up.
    EXPECT_NE(
        query("string(//comment()[contains(., 'Nicht gezeigt')])").find("Zeile 6: Pad - - (1 1)"),
        std::string::npos);
}

// Each layer its group in its colour; the hole a circle and a cross; the text
// and polygon filled; the gap in the outline ringed.
TEST(SvgWriter, GroupsSeveralLayersAndRingsOpenEnds)
{
    if (std::string(VEKTRANO_XMLLINT).empty() || !fs::exists(VEKTRANO_XMLLINT))
        GTEST_SKIP() << "xmllint not installed (Debian libxml2-utils)";
    const ScriptPicture picture = ReadScriptText("Layer 20;\n"
                                                 "Wire 0 (0 0) (10 0) (10 10) (0 10);\n"
                                                 "Layer 21;\n"
                                                 "Text 'A&B<' R90 (1 1);\n"
                                                 "Polygon 0 (2 2) (4 2) (4 4);\n"
                                                 "Layer 101 LOGO;\n"
                                                 "Polygon 0 (5 5) +90 (6 6) (5 6);\n"
                                                 "Hole 1 (5 5);\n");
    const fs::path path = fs::path(testing::TempDir()) / "vektrano-layers-test.svg";
    ASSERT_EQ(WriteSvgFile(picture, path.string()), 0);
    const std::string file = "'" + path.string() + "'";
    EXPECT_EQ(Xmllint("--noout " + file), "");
    auto query = [&](const std::string& xpath) {
        return Xmllint("--xpath \"" + xpath + "\" " + file);
    };
    auto group = [](const char* id) {
        return "//*[local-name()='g'][@id='" + std::string(id) + "']";
    };
    struct GroupCase
    {
        const char* id;
        const char* title;
        const char* elements; // local names of the group's children after its title
        int layer;
        const char* colour; // the attribute of the first that carries the colour
    };
    for (const GroupCase& c : {GroupCase{"layer-20", "20 Dimension", "path", 20, "stroke"},
                               GroupCase{"layer-21", "21 tPlace", "text path polygon", 21, "fill"},
                               GroupCase{"layer-45", "45 Holes", "circle path", 45, "stroke"},
                               GroupCase{"layer-101", "101 LOGO", "path", 101, "fill"}}) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(query("string(" + group(c.id) + "/*[local-name()='title'])"),
                  std::string(c.title) + "\n");
        std::string names;
        for (int i = 2;; ++i) {
            const std::string name =
                query("local-name(" + group(c.id) + "/*[" + std::to_string(i) + "])");
            if (name.empty() || name == "\n" || name.rfind("xmllint", 0) == 0)
                break;
            if (!names.empty())
                names += ' ';
            names.append(name, 0, name.size() - 1);
        }
        EXPECT_EQ(names, c.elements);
        EXPECT_EQ(query("string(" + group(c.id) + "/*[2]/@" + c.colour + ")"),
                  std::string(LayerColour(c.layer)) + "\n");
    }
    EXPECT_EQ(query("string(" + group("layer-21") + "/*[local-name()='text'])"), "A&B<\n");
    EXPECT_EQ(query("count(" + group("open-ends") + "/*)"), "2\n");
    // The hole's cross spans its diameter.
    EXPECT_EQ(Words(query("string(" + group("layer-45") + "/*[3]/@d)")),
              (std::vector<std::string>{"M", "4.5", "-5", "L", "5.5", "-5", "M", "5", "-4.5", "L",
                                        "5", "-5.5"}));

    // One layer keeps the picture it always had: no groups, colours by kind.
    const ScriptPicture single = ReadScriptText("Layer 20;\nWire 0 (0 0) (10 0) (10 10) (0 0);");
    std::string svg;
    WriteSvg(single, [&svg](std::string_view piece) { svg += piece; });
    EXPECT_EQ(svg.find("id=\"layer-"), std::string::npos);
    EXPECT_NE(svg.find(std::string("stroke=\"") + std::string(ShapeColour(ShapeKind::Wire))),
              std::string::npos);
}

} // namespace
} // namespace vektrano
