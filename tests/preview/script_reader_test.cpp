#include "preview/script_reader.h"
#include "support/files.h"

#include <algorithm>
#include <cerrno>
#include <gtest/gtest.h>
#include <vector>

namespace vektrano {
namespace {

struct Expected
{
    ShapeKind kind;
    Point start, end, centre;
    double radius, sweep, width;
    std::size_t line;
};

struct ReaderCase
{
    const char* name;
    const char* script;
    std::vector<Expected> shapes;
    Box extent;
};

constexpr auto W = ShapeKind::Wire;
constexpr auto A = ShapeKind::Arc;
constexpr auto R = ShapeKind::RadiusArc;
constexpr auto C = ShapeKind::Circle;

// Centres, radii and sweeps worked out by hand from the chord and the bend.
const ReaderCase kReaderCases[] = {
    {"classic lines of the sample",
     "# Trazor generated script file.\r\nGrid mm 0.1;\r\nSet Wire_Bend 2;\r\nLayer 20;\r\n"
     "Change Font Vector;\r\nWire 0.01 (15 20) (105 20)\r\n"
     "wire 0.01 (105.000000003077 20) @+5.0 (110 25.0000000041021)\r\n"
     "Circle 0.01 (18 28) (18 29.6)\r\n",
     {{W, {15, 20}, {105, 20}, {0, 0}, 0, 0, 0.01, 6},
      {R, {105, 20}, {110, 25}, {105, 25}, 5, 90, 0.01, 7},
      {C, {18, 29.6}, {18, 29.6}, {18, 28}, 1.6, 360, 0.01, 8}},
     {{15, 20}, {110, 29.6}}},
    {"signed sweep",
     "WIRE 0.2 (10 0) +90 (0 10);",
     {{A, {10, 0}, {0, 10}, {0, 0}, 10, 90, 0.2, 1}},
     {{0, 0}, {10, 10}}},
    {"chain of straight and curved segments",
     "Wire 0.1 (0 0) (10 0) +180 (10 10) (0 10)\n",
     {{W, {0, 0}, {10, 0}, {0, 0}, 0, 0, 0.1, 1},
      {A, {10, 0}, {10, 10}, {10, 5}, 5, 180, 0.1, 1},
      {W, {10, 10}, {0, 10}, {0, 0}, 0, 0, 0.1, 1}},
     {{0, 0}, {15, 10}}},
    {"sweep beyond a half circle",
     "Wire 0 (10 0) -270 (0 10)",
     {{A, {10, 0}, {0, 10}, {0, 0}, 10, -270, 0, 1}},
     {{-10, -10}, {10, 10}}},
    {"clockwise radius arc",
     "wire 0 (0 0) @-5 (5 5)",
     {{R, {0, 0}, {5, 5}, {5, 0}, 5, -90, 0, 1}},
     {{0, 0}, {5, 5}}},
    {"grid inch scales points and width",
     "Grid inch 0.05;\nWire 0.01 (1 2) (3 4)",
     {{W, {25.4, 50.8}, {76.2, 101.6}, {0, 0}, 0, 0, 0.254, 2}},
     {{25.4, 50.8}, {76.2, 101.6}}},
    {"grid mil and a circle after it on one line",
     "grid MIL; circle 10 (100 0) (100 50);",
     {{C, {2.54, 1.27}, {2.54, 1.27}, {2.54, 0}, 1.27, 360, 0.254, 1}},
     {{1.27, -1.27}, {3.81, 1.27}}},
    {"width from Change, signal name and round ends",
     "Change Width 0.3\nWire 'GND' round (0 0) (1 0)",
     {{W, {0, 0}, {1, 0}, {0, 0}, 0, 0, 0.3, 2}},
     {{0, 0}, {1, 0}}},
};

void ExpectNear(Point actual, Point expected, const char* what)
{
    EXPECT_NEAR(actual.x, expected.x, 1e-6) << what;
    EXPECT_NEAR(actual.y, expected.y, 1e-6) << what;
}

TEST(ScriptReader, ReadsEachShapeInMillimetres)
{
    for (const auto& c : kReaderCases) {
        SCOPED_TRACE(c.name);
        const ScriptPicture picture = ReadScriptText(c.script);
        EXPECT_EQ(picture.notShownCount, 0u);
        ASSERT_EQ(picture.shapes.size(), c.shapes.size());
        for (std::size_t i = 0; i < c.shapes.size(); ++i) {
            SCOPED_TRACE(i);
            const Shape& s = picture.shapes[i];
            const Expected& e = c.shapes[i];
            EXPECT_EQ(s.kind, e.kind);
            ExpectNear(s.start, e.start, "start");
            ExpectNear(s.end, e.end, "end");
            if (e.kind != W) {
                ExpectNear(s.centre, e.centre, "centre");
                EXPECT_NEAR(s.radius, e.radius, 1e-6);
                EXPECT_NEAR(s.sweep, e.sweep, 1e-6);
            }
            EXPECT_NEAR(s.width, e.width, 1e-12);
            EXPECT_EQ(s.line, e.line);
        }
        ExpectNear(picture.extent.min, c.extent.min, "extent min");
        ExpectNear(picture.extent.max, c.extent.max, "extent max");
        EXPECT_EQ(picture.hasRadiusArcs,
                  std::any_of(c.shapes.begin(), c.shapes.end(),
                              [](const Expected& e) { return e.kind == R; }));
    }
}

// The whole script the classic mode writes for the sample board: its outline of
// four wires and four quarter circles, four holes and the slot.
TEST(ScriptReader, ReadsTheSampleBoardFromItsFile)
{
    const ScriptFileRead read = ReadScriptFile(VEKTRANO_GOLDEN "/sample.scr");
    ASSERT_TRUE(read.picture.has_value());
    const ScriptPicture& picture = *read.picture;
    EXPECT_EQ(picture.notShownCount, 0u);
    EXPECT_EQ(picture.kinds[static_cast<std::size_t>(W)].count, 7u);
    EXPECT_EQ(picture.kinds[static_cast<std::size_t>(R)].count, 4u);
    EXPECT_EQ(picture.kinds[static_cast<std::size_t>(C)].count, 4u);
    ExpectNear(picture.extent.min, {10, 20}, "extent min");
    ExpectNear(picture.extent.max, {110, 100}, "extent max");
    // Each corner turns a quarter counter-clockwise about a centre 5 mm inside.
    for (const Shape& s : picture.shapes)
        if (s.kind == R) {
            EXPECT_NEAR(s.sweep, 90, 1e-6);
            EXPECT_NEAR(s.radius, 5, 1e-9);
            EXPECT_TRUE(s.centre.x > 14 && s.centre.x < 106 && s.centre.y > 24 && s.centre.y < 96);
        }
    EXPECT_EQ(ReadScriptFile(VEKTRANO_GOLDEN "/no such.scr").error, ENOENT);
}

// The window repaints between the pieces of a long script; the pieces must still
// make up the picture the whole text gives.
TEST(ScriptReader, PausesBetweenThePiecesOfALongFile)
{
    std::string text = "Grid mm 0.1;\r\n";
    for (int i = 0; text.size() < (std::size_t{5} << 19); ++i)
        text += "Wire 0.01 (" + std::to_string(i % 1000) + " 0) (3.25 " + std::to_string(i / 1000) +
                ")\r\n";
    const test::TempDir dir;
    test::WriteBytes(dir / "long.scr", text);
    int pauses = 0;
    const ScriptFileRead read = ReadScriptFile((dir / "long.scr").string(), [&] { ++pauses; });
    ASSERT_TRUE(read.picture.has_value());
    EXPECT_EQ(pauses, 2); // 2.5 MiB: after the first and the second MiB
    const ScriptPicture whole = ReadScriptText(text);
    ASSERT_EQ(read.picture->shapes.size(), whole.shapes.size());
    EXPECT_EQ(read.picture->shapes.back().end.y, whole.shapes.back().end.y);
    EXPECT_EQ(read.picture->notShownCount, 0u);
}

// What the preview passes by without stopping, next to lines it draws.
TEST(ScriptReader, ListsWhatItCannotShowAndDrawsTheRest)
{
    const std::string script = "Grid mm;\n"
                               "Wire 0.1 (0 0) (1 0)\n"
                               "Smash 'Hallo' (1 1)\n"
                               "Wire 0.1 (1e999 0) (1 1)\n"
                               "Wire 0.1 (nan 0) (1 1)\r\n"
                               "\n"
                               "  # a comment\n"
                               "Wire 0.1 (0 0)\n"
                               "Wire 0.1 (0 0) @+1 (10 0)\n"
                               "Wire 0.1 (0 0) (1 1) +90\n"
                               "Circle 0.1 (0 0)\n"
                               "Wire -1 (0 0) (1 1)\n"
                               "Wire 0.1 (0 0) (1 1); Ratsnest\n"
                               "\x01\xff binary\n"
                               "Grid inch; Wire 0.1 (0 0) (1 inf)\n"
                               "Wire 0.1 (1 1) (2 2)";
    const std::vector<NotShownLine> expected = {
        {3, "Smash 'Hallo' (1 1)"},
        {4, "Wire 0.1 (1e999 0) (1 1)"},
        {5, "Wire 0.1 (nan 0) (1 1)"},
        {8, "Wire 0.1 (0 0)"},
        {9, "Wire 0.1 (0 0) @+1 (10 0)"},
        {10, "Wire 0.1 (0 0) (1 1) +90"},
        {11, "Circle 0.1 (0 0)"},
        {12, "Wire -1 (0 0) (1 1)"},
        {13, "Wire 0.1 (0 0) (1 1); Ratsnest"},
        {14, "?? binary"},
        {15, "Grid inch; Wire 0.1 (0 0) (1 inf)"},
    };
    ScriptReader bytewise;
    for (char c : script)
        bytewise.Feed(std::string_view(&c, 1));
    const ScriptPicture whole = ReadScriptText(script);
    const ScriptPicture cut = bytewise.Finish();
    for (const ScriptPicture* picture : {&whole, &cut}) {
        ASSERT_EQ(picture->notShown.size(), expected.size());
        EXPECT_EQ(picture->notShownCount, expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i) {
            SCOPED_TRACE(expected[i].text);
            EXPECT_EQ(picture->notShown[i].line, expected[i].line);
            EXPECT_EQ(picture->notShown[i].text, expected[i].text);
        }
        // Line 13's wire is drawn though its Ratsnest is not; line 16 is in inches.
        ASSERT_EQ(picture->shapes.size(), 3u);
        EXPECT_EQ(picture->shapes[1].line, 13u);
        EXPECT_NEAR(picture->shapes[2].end.x, 50.8, 1e-12);
        EXPECT_EQ(picture->lineCount, 16u);
    }
}

// A file that is one endless line must cost bounded memory and not hide the
// lines after it.
TEST(ScriptReader, KeepsOnlyTheStartOfALineBeyondTheLimit)
{
    ScriptReader reader;
    reader.Feed("Wire 0 (0 0) (1 1)\n");
    const std::string piece(std::size_t{1} << 20, 'x');
    for (std::size_t fed = 0; fed <= kMaxLineBytes; fed += piece.size())
        reader.Feed(piece);
    reader.Feed("\nWire 0 (1 1) (2 2)");
    const ScriptPicture picture = reader.Finish();
    ASSERT_EQ(picture.shapes.size(), 2u);
    EXPECT_EQ(picture.shapes[1].line, 3u);
    ASSERT_EQ(picture.notShown.size(), 1u);
    EXPECT_EQ(picture.notShown[0].line, 2u);
    EXPECT_EQ(picture.notShown[0].text, std::string(kMaxNotShownText, 'x') + "...");
}

} // namespace
} // namespace vektrano
