#include "engine_test_support.h"
#include "script/cp1252.h"

namespace vektrano::test {
namespace {

struct Written
{
    long long line = 0, circle = 0, arc = 0, polyline = 0;
};

struct ConvertCase
{
    const char* name;
    std::string drawing;
    Lines body;
    Written written;
    const char* offsetX = "0";
    const char* offsetY = "0";
    const char* width = "0.01";
};

void ExpectConversion(const ConvertCase& c)
{
    SCOPED_TRACE(c.name);
    Conversion run;
    run.window.SetField(Field::Txt_Offset_X, c.offsetX);
    run.window.SetField(Field::Txt_Offset_Y, c.offsetY);
    run.window.SetField(Field::Txt_Linienstärke, c.width);
    EXPECT_EQ(run.Run(c.drawing), RunOutcome::Completed) << run.Log();
    EXPECT_EQ(run.Body(), c.body);
    EXPECT_EQ(run.state.ConvLine, c.written.line);
    EXPECT_EQ(run.state.ConvCircle, c.written.circle);
    EXPECT_EQ(run.state.ConvArc, c.written.arc);
    EXPECT_EQ(run.state.ConvPolyline, c.written.polyline);
}

TEST(Converters, LineAndCircleWriteTheirCommands)
{
    const ConvertCase cases[] = {
        {"line", Drawing({Line("1.5", "2", "3.25", "-4")}), {"Wire 0.01 (1.5 2) (3.25 -4)"}, {1}},
        {"line with offsets",
         Drawing({Line("1.5", "2", "3.25", "-4")}),
         {"Wire 0.01 (12 0) (13.75 -6)"},
         {1},
         "10,5",
         "-2"},
        {"offset brings a last bit",
         Drawing({Line("0.1", "0", "0", "0")}),
         {"Wire 0.01 (0.3 0) (0.2 0)"},
         {1},
         "0.2",
         "0"},
        {"values padded with blanks",
         Drawing({Line(" 1.5 ", "  2", "3,25", "-4  ")}),
         {"Wire 0.01 (1.5 2) (3.25 -4)"},
         {1}},
        {"value lines that look like codes",
         Drawing({Entity(
             "LINE",
             {{"8", "21"}, {"62", "10"}, {"10", "1"}, {"20", "10"}, {"11", "3"}, {"21", "4"}})}),
         {"Wire 0.01 (1 10) (3 4)"},
         {1}},
        {"codes padded with blanks",
         Drawing({Entity("LINE", {{" 10", "1"}, {"20 ", "2"}, {"  11  ", "3"}, {" 21", "4"}})}),
         {"Wire 0.01 (1 2) (3 4)"},
         {1}},
        {"trigger met twice",
         Drawing(
             {Entity("LINE", {{"10", "1"}, {"20", "2"}, {"11", "3"}, {"21", "4"}, {"21", "5"}})}),
         {"Wire 0.01 (1 2) (3 4)", "Wire 0.01 (1 2) (3 5)"},
         {2}},
        {"empty width field",
         Drawing({Line("1.5", "2", "3.25", "-4")}),
         {"Wire  (1.5 2) (3.25 -4)"},
         {1},
         "0",
         "0",
         ""},
        {"width outside the code page",
         Drawing({Line("1", "2", "3", "4")}),
         {"Wire \xE4\x80? (1 2) (3 4)"},
         {1},
         "0",
         "0",
         "\xC3\xA4\xE2\x82\xAC\xE2\x98\x83"},
        {"circle", Drawing({Circle("5", "5", "2.5")}), {"Circle 0.01 (5 5) (5 7.5)"}, {0, 1}},
        {"circle with offsets and comma radius",
         Drawing({Circle("5", "5", " 2,5 ")}),
         {"Circle 0.01 (6 7) (6 9.5)"},
         {0, 1},
         "1",
         "2"},
    };
    for (const auto& c : cases)
        ExpectConversion(c);
}

TEST(Converters, ArcWritesStartRadiusTextAndEnd)
{
    const ConvertCase cases[] = {
        {"half circle",
         Drawing({Arc("5", "5", "2.5", "0", "180")}),
         {"wire 0.01 (7.5 5) @+2.5 (2.5 4.99999999897448)"},
         {0, 0, 1}},
        {"with offsets",
         Drawing({Arc("5", "5", "2.5", "0", "180")}),
         {"wire 0.01 (8.5 7) @+2.5 (3.5 6.99999999897448)"},
         {0, 0, 1},
         "1",
         "2"},
        {"crossing zero degrees",
         Drawing({Arc("5", "5", "2.5", "270", "90")}),
         {"wire 0.01 (5.00000000153828 2.5) @+2.5 (4.99999999948724 7.5)"},
         {0, 0, 1}},
        {"radius with trailing zeros",
         Drawing({Arc("5", "5", "2.500", "0", "180")}),
         {"wire 0.01 (7.5 5) @+2.500 (2.5 4.99999999897448)"},
         {0, 0, 1}},
        {"radius with a leading blank",
         Drawing({Arc("5", "5", " 2.5", "0", "180")}),
         {"wire 0.01 (7.5 5) @+ 2.5 (2.5 4.99999999897448)"},
         {0, 0, 1}},
        {"radius with a comma",
         Drawing({Arc("5", "5", "2,5", "0", "180")}),
         {"wire 0.01 (7.5 5) @+2.5 (2.5 4.99999999897448)"},
         {0, 0, 1}},
    };
    for (const auto& c : cases)
        ExpectConversion(c);
}

TEST(Converters, PolylineWritesOneSegmentPerVertexPair)
{
    const ConvertCase cases[] = {
        {"three vertices",
         Drawing({Polyline({{"0", "0"}, {"10", "0"}, {"10", "5"}})}),
         {"Wire 0.01 (10 0) (0 0)", "Wire 0.01 (10 5) (10 0)"},
         {0, 0, 0, 1}},
        {"with offsets",
         Drawing({Polyline({{"0", "0"}, {"10", "0"}, {"10", "5"}})}),
         {"Wire 0.01 (11 -1) (1 -1)", "Wire 0.01 (11 4) (11 -1)"},
         {0, 0, 0, 1},
         "1",
         "-1"},
        {"closed, four vertices",
         Drawing({Polyline({{"0", "0"}, {"1", "0"}, {"1", "1"}, {"0", "1"}})}),
         {"Wire 0.01 (1 0) (0 0)", "Wire 0.01 (1 1) (1 0)", "Wire 0.01 (0 1) (1 1)"},
         {0, 0, 0, 1}},
        {"single vertex", Drawing({Polyline({{"3", "4"}})}), {}, {0, 0, 0, 1}},
        {"no vertex", Drawing({Polyline({})}), {}, {}},
        {"vertices without code 30",
         Drawing({Entity("POLYLINE", {}) + Entity("VERTEX", {{"10", "1"}, {"20", "1"}}) +
                  Entity("VERTEX", {{"10", "2"}, {"20", "2"}}) + Entity("SEQEND", {})}),
         {},
         {}},
        {"vertex on layer 30",
         Drawing({Entity("POLYLINE", {}) +
                  Entity("VERTEX", {{"8", "30"}, {"10", "1"}, {"20", "1"}, {"30", "0"}}) +
                  Entity("VERTEX", {{"8", "30"}, {"10", "2"}, {"20", "2"}, {"30", "0"}}) +
                  Entity("SEQEND", {})}),
         {"Wire 0.01 (2 2) (1 1)"},
         {0, 0, 0, 1}},
        {"two polylines are not joined",
         Drawing({Polyline({{"0", "0"}, {"1", "0"}}), Polyline({{"5", "5"}, {"6", "5"}})}),
         {"Wire 0.01 (1 0) (0 0)", "Wire 0.01 (6 5) (5 5)"},
         {0, 0, 0, 2}},
        // Without its SEQEND a polyline walks on into the next one's vertices.
        {"missing SEQEND borrows the next chain",
         Drawing({Entity("POLYLINE", {}) +
                      Entity("VERTEX", {{"10", "0"}, {"20", "0"}, {"30", "0"}}) +
                      Entity("VERTEX", {{"10", "1"}, {"20", "0"}, {"30", "0"}}),
                  Polyline({{"5", "5"}})}),
         {"Wire 0.01 (1 0) (0 0)", "Wire 0.01 (5 5) (1 0)"},
         {0, 0, 0, 2}},
        {"no SEQEND up to the table's end",
         Drawing({Entity("POLYLINE", {}) +
                  Entity("VERTEX", {{"10", "0"}, {"20", "0"}, {"30", "0"}}) +
                  Entity("VERTEX", {{"10", "1"}, {"20", "1"}, {"30", "0"}})}),
         {"Wire 0.01 (1 1) (0 0)"},
         {0, 0, 0, 1}},
    };
    for (const auto& c : cases)
        ExpectConversion(c);
}

TEST(Converters, WorkSlotsCarryFromEntityToEntity)
{
    const ConvertCase cases[] = {
        // The circle leaves its radius text in X2; a LINE without code 11 writes it.
        {"line after circle",
         Drawing(
             {Circle("5", "5", "2,5"), Entity("LINE", {{"10", "1"}, {"20", "2"}, {"21", "4"}})}),
         {"Circle 0.01 (5 5) (5 7.5)", "Wire 0.01 (1 2) (2.5 4)"},
         {1, 1}},
        {"arc takes a line's end X as radius",
         Drawing({Line("1", "2", "3", "4"),
                  Entity("ARC", {{"10", "0"}, {"20", "0"}, {"50", "0"}, {"51", "90"}})}),
         {"Wire 0.01 (1 2) (3 4)", "wire 0.01 (3 0) @+3 (-6.15310285545993E-10 3)"},
         {1, 0, 1}},
        {"arc takes a circle's radius text",
         Drawing({Circle("9", "9", " 2,0"),
                  Entity("ARC", {{"10", "0"}, {"20", "0"}, {"50", "0"}, {"51", "0"}})}),
         {"Circle 0.01 (9 9) (9 11)", "wire 0.01 (2 0) @+ 2.0 (2 0)"},
         {0, 1, 1}},
        {"arc without code 50 uses a line's end Y as radians",
         Drawing({Line("1", "2", "3", "0"),
                  Entity("ARC", {{"10", "0"}, {"20", "0"}, {"40", "1"}, {"51", "0"}})}),
         {"Wire 0.01 (1 2) (3 0)", "wire 0.01 (1 0) @+1 (1 0)"},
         {1, 0, 1}},
        {"slots untouched since start",
         Drawing({Entity("LINE", {{"21", "4"}}),
                  Entity("ARC", {{"10", "5"}, {"20", "5"}, {"50", "0"}, {"51", "180"}})}),
         {"Wire 0.01 ( ) ( 4)", "wire 0.01 (5 5) @+ (5 5)"},
         {1, 0, 1}},
    };
    for (const auto& c : cases)
        ExpectConversion(c);
}

TEST(Converters, WorkSlotsCarryFromRunToRun)
{
    Conversion run;
    run.Run(Drawing({Line("1", "2", "3", "4")}));
    run.Run(Drawing({Entity("LINE", {{"21", "9"}})}));
    EXPECT_EQ(run.Body(), Lines{"Wire 0.01 (1 2) (3 9)"});
    EXPECT_EQ(run.state.ConvLine, 1);
}

TEST(Converters, UntickedKindIsCountedButNotWritten)
{
    const std::string drawing =
        Drawing({Line("1", "2", "3", "4"), Circle("5", "5", "1"), Arc("5", "5", "1", "0", "90"),
                 Polyline({{"0", "0"}, {"1", "1"}})});
    const std::string written[] = {"Wire 0.01 (1 2) (3 4)", "Circle 0.01 (5 5) (5 6)",
                                   "wire 0.01 (6 5) @+1 (4.9999999997949 6)",
                                   "Wire 0.01 (1 1) (0 0)"};
    const CheckBox boxes[] = {CheckBox::Chk_Line, CheckBox::Chk_Circle, CheckBox::Chk_Arc,
                              CheckBox::Chk_Polyline};
    for (std::size_t off = 0; off < 4; ++off) {
        SCOPED_TRACE(off);
        Conversion run;
        run.window.SetCheckBox(boxes[off], 0);
        run.Run(drawing);
        Lines expected;
        for (std::size_t i = 0; i < 4; ++i)
            if (i != off)
                expected.push_back(written[i]);
        EXPECT_EQ(run.Body(), expected);
        long long conv[] = {1, 1, 1, 1};
        conv[off] = 0;
        EXPECT_TRUE(run.Log().ends_with(Statistics(1, conv[0], 1, conv[1], 1, conv[2], 1, conv[3])))
            << run.Log();
    }
}

struct StopCase
{
    const char* name;
    std::string drawing;
    std::string text;
    const char* offsetX = "0";
    const char* offsetY = "0";
};

// The same stop whether the value is first met while measuring or while writing.
TEST(Converters, UnusableValueStopsNamingItsLine)
{
    const StopCase cases[] = {
        {"line coordinate", Drawing({Entity("LINE", {{"10", "abc"}})}),
         "Ungültige Zahl in Zeile 4 der DXF Datei: \"abc\""},
        {"empty coordinate", Drawing({Line("1", "", "3", "4")}),
         "Ungültige Zahl in Zeile 8 der DXF Datei: \"\""},
        {"coordinate led by a TAB", Drawing({Line("1", "2", "\t3", "4")}),
         "Ungültige Zahl in Zeile 12 der DXF Datei: \"\t3\""},
        {"coordinate beyond a double", Drawing({Line("1e400", "2", "3", "4")}),
         "Ungültige Zahl in Zeile 6 der DXF Datei: \"1e400\""},
        {"circle radius", Drawing({Circle("5", "5", "  2.5.1 ")}),
         "Ungültige Zahl in Zeile 12 der DXF Datei: \"2.5.1\""},
        {"arc angle", Drawing({Arc("5", "5", "2.5", "1.2.3", "180")}),
         "Ungültige Zahl in Zeile 14 der DXF Datei: \"1.2.3\""},
        {"arc radius", Drawing({Arc("5", "5", "r", "0", "180")}),
         "Ungültige Zahl in Zeile 12 der DXF Datei: \"r\""},
        {"vertex coordinate", Drawing({Polyline({{"0", "0"}, {"1", "  bad  "}})}),
         "Ungültige Zahl in Zeile 30 der DXF Datei: \"bad\""},
        {"sum with the offset overflows", Drawing({Line("1e308", "0", "0", "0")}),
         "Ungültige Zahl in Zeile 6 der DXF Datei: \"1e308\"", "1e308"},
        {"negative sum overflows", Drawing({Line("0", "-1e308", "0", "0")}),
         "Ungültige Zahl in Zeile 8 der DXF Datei: \"-1e308\"", "0", "-1e308"},
        {"arc point overflows", Drawing({Arc("1e308", "0", "1e308", "0", "0")}),
         "Ungültige Zahl in Zeile 12 der DXF Datei: \"1e308\""},
        {"value in the drawing's code page", Drawing({Entity("LINE", {{"10", "\xE4"}})}),
         "Ungültige Zahl in Zeile 4 der DXF Datei: \"\xC3\xA4\""},
        {"offset field beyond a double", Drawing({Line("1", "2", "3", "4")}),
         "Ungültiger Offset: \"1E999\"", "1E999"},
    };
    for (const auto& c : cases) {
        for (bool measuring : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (measuring ? ", measuring" : ", writing"));
            Conversion run;
            run.window.SetField(Field::Txt_Offset_X, c.offsetX);
            run.window.SetField(Field::Txt_Offset_Y, c.offsetY);
            // Measuring reads the offset fields as "0"; the offset stops belong to writing.
            const bool offsetCase =
                std::string_view(c.offsetX) != "0" || std::string_view(c.offsetY) != "0";
            if (measuring && offsetCase)
                continue;
            run.window.SetCheckBox(CheckBox::Chk_Auto_Offset, measuring ? 1 : 0);
            EXPECT_EQ(run.Run(c.drawing), RunOutcome::Stopped);
            ASSERT_EQ(run.window.Messages().size(), 1u);
            EXPECT_EQ(run.window.Messages()[0].text, c.text);
            EXPECT_EQ(run.window.Messages()[0].title, "Fehler");
            EXPECT_EQ(run.Log(), run.LogPrefix(CrLfLines(c.drawing).size()) + c.text + "\r\n");
            EXPECT_EQ(run.Script(), kHeader);
            EXPECT_FALSE(run.window.BusyCursor());
        }
    }
}

TEST(Converters, CircleRadiusIsOnlyReadWhereItsLineIsBuilt)
{
    Conversion run;
    run.window.SetCheckBox(CheckBox::Chk_Auto_Offset, 1);
    run.window.SetField(Field::Txt_Offset_X, "7");
    run.Run(Drawing({Circle("5", "5", "x"), Line("0", "0", "1", "1")}));
    // Measuring went through; the stop comes from the output pass.
    EXPECT_EQ(run.window.ReadField(Field::Txt_Offset_X), "0");
    ASSERT_EQ(run.window.Messages().size(), 1u);
    EXPECT_EQ(run.window.Messages()[0].text, "Ungültige Zahl in Zeile 12 der DXF Datei: \"x\"");
}

TEST(Converters, OffsetFieldIsReadOnlyWhenACoordinateNeedsIt)
{
    Conversion run;
    run.window.SetField(Field::Txt_Offset_X, "1E999");
    EXPECT_EQ(run.Run(Drawing({Entity("LINE", {{"8", "0"}}), Entity("SECTION", {})})),
              RunOutcome::Completed);
    EXPECT_TRUE(run.window.Messages().empty());
}

TEST(Converters, FieldsAreReadAtTheMomentOfUse)
{
    // The window may change while the scan yields; the converters see the change.
    Conversion run;
    run.window.onYield = [&] {
        run.window.SetField(Field::Txt_Offset_X, "100");
        run.window.SetField(Field::Txt_Linienstärke, "0.2");
        return true;
    };
    run.Run(Drawing({Line("1", "2", "3", "4")}));
    EXPECT_EQ(run.Body(), Lines{"Wire 0.2 (101 2) (103 4)"});
}

// Names that share one far "0" code read the same value lines for every name;
// values remembered from one name must be the ones its own lines hold, also
// when the offset fields change the sum and when lines share a memory slot.
TEST(SharedEndRanges, EveryNameWritesItsOwnValues)
{
    std::string dxf = "0\r\nSECTION\r\n2\r\nENTITIES\r\n0\r\nLINE\r\n";
    for (int k = 0; k < 40; ++k)
        dxf += "8\r\nLINE\r\n";
    // Value lines 16 positions apart fall on the same remembered slot.
    dxf += "10\r\n1.5\r\n20\r\n2.5\r\n";
    for (int k = 0; k < 6; ++k)
        dxf += "5\r\n0\r\n";
    dxf += "11\r\n3.5\r\n21\r\n4.5\r\n0\r\nENDSEC\r\n0\r\nEOF\r\n";
    for (const char* offset : {"0", "10"}) {
        SCOPED_TRACE(offset);
        Conversion run;
        run.window.SetField(Field::Txt_Offset_X, offset);
        ASSERT_EQ(run.Run(dxf), RunOutcome::Completed);
        const std::string x = std::string(offset) == "0" ? "" : "1";
        EXPECT_EQ(run.Body(), Lines(41, "Wire 0.01 (" + x + "1.5 2.5) (" + x + "3.5 4.5)"));
    }
}

// ASCII passes through unchanged; one byte above 0x7F anywhere must still send
// the whole text through the conversion.
TEST(Cp1252ToUtf8, ConvertsEveryNameWithAHighByte)
{
    struct Case
    {
        std::string_view bytes;
        std::string_view utf8;
    };
    const Case cases[] = {
        {"UNKNOWN_0000001", "UNKNOWN_0000001"},
        {"", ""},
        {"M\xe4rz", "M\xc3\xa4rz"},
        {"\x80", "\xe2\x82\xac"},
        {"PLAN_\x9f", "PLAN_\xc5\xb8"},
        {"Stra\xdf"
         "e 1",
         "Stra\xc3\x9f"
         "e 1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.utf8));
        EXPECT_EQ(Cp1252ToUtf8(c.bytes), c.utf8);
    }
}

// An overlong line feed once reached the script as a line break of its own.
TEST(Utf8ToCp1252, MakesOverlongFormsSurrogatesAndBeyondUnicodeQuestionMarks)
{
    const std::pair<std::string, std::string> cases[] = {
        {"0.1\xE0\x80\x8A", "0.1???"}, {"\xC0\x8A", "??"},
        {"\xF0\x80\x80\x8A", "????"},  {"\xED\xA0\x80", "???"},
        {"\xF4\x90\x80\x80", "????"},  {"\xC3\xA4\xE2\x82\xAC", "\xE4\x80"}};
    for (const auto& [utf8, bytes] : cases) {
        SCOPED_TRACE(utf8);
        EXPECT_EQ(Utf8ToCp1252(utf8), bytes);
    }
}

} // namespace
} // namespace vektrano::test
