#include "engine_test_support.h"

namespace vektrano::test {
namespace {

struct OffsetCase
{
    const char* name;
    std::string drawing;
    double minX, minY;
    const char* fieldX;
    const char* fieldY;
    Lines body;
    char separator = '.';
    std::vector<CheckBox> unticked = {};
};

TEST(AutoOffset, MovesTheSmallestMeasuredPointToZero)
{
    const OffsetCase cases[] = {
        {"line end points, strictly smaller",
         Drawing({Line("3", "7", "-2", "9"), Line("-2", "7", "0", "8")}),
         -2,
         7,
         "2",
         "-7",
         {"Wire 0.01 (5 0) (0 2)", "Wire 0.01 (0 0) (2 1)"}},
        {"circle centre only",
         Drawing({Circle("5", "5", "10")}),
         5,
         5,
         "-5",
         "-5",
         {"Circle 0.01 (0 0) (0 10)"}},
        {"arc start point only",
         Drawing({Arc("5", "5", "2.5", "0", "180")}),
         7.5,
         5,
         "-7.5",
         "-5",
         {"wire 0.01 (0 0) @+2.5 (-5 -1.02551714257666E-09)"}},
        {"every vertex, negative zero written as 0",
         Drawing({Polyline({{"0", "0"}, {"10", "0"}, {"10", "5"}})}),
         0,
         0,
         "0",
         "0",
         {"Wire 0.01 (10 0) (0 0)", "Wire 0.01 (10 5) (10 0)"}},
        {"locale with a decimal comma",
         Drawing({Line("12.5", "-3", "20", "1")}),
         12.5,
         -3,
         "-12,5",
         "3",
         {"Wire 0.01 (0 0) (7.5 4)"},
         ','},
        {"nothing enabled",
         Drawing({Line("1", "2", "3", "4")}),
         9999999,
         9999999,
         "-9999999",
         "-9999999",
         {},
         '.',
         {CheckBox::Chk_Line, CheckBox::Chk_Arc, CheckBox::Chk_Circle, CheckBox::Chk_Polyline}},
        {"nothing to measure", Drawing({}), 9999999, 9999999, "-9999999", "-9999999", {}},
        {"unticked kind does not move the minima",
         Drawing({Line("-5", "-5", "-6", "-6"), Circle("1", "2", "1")}),
         1,
         2,
         "-1",
         "-2",
         {"Circle 0.01 (0 0) (0 1)"},
         '.',
         {CheckBox::Chk_Line}},
        // The circle leaves its radius text in X2; a text is never smaller.
        {"radius text in a slot is not compared",
         Drawing(
             {Circle("5", "5", "-100"), Entity("LINE", {{"10", "1"}, {"20", "2"}, {"21", "3"}})}),
         1,
         2,
         "-1",
         "-2",
         {"Circle 0.01 (4 3) (4 -97)", "Wire 0.01 (0 0) (-100 1)"}},
        // X2 has never held a value in a fresh state: it counts as 0.
        {"empty slot counts as zero",
         Drawing({Entity("LINE", {{"10", "5"}, {"20", "5"}, {"21", "5"}})}),
         0,
         5,
         "0",
         "-5",
         {"Wire 0.01 (5 0) ( 0)"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Conversion run;
        run.window.decimalSeparator = c.separator;
        run.window.SetCheckBox(CheckBox::Chk_Auto_Offset, 1);
        // Typed offsets are replaced, first by "0" for measuring, then by the result.
        run.window.SetField(Field::Txt_Offset_X, "100");
        run.window.SetField(Field::Txt_Offset_Y, "100");
        for (CheckBox box : c.unticked)
            run.window.SetCheckBox(box, 0);
        EXPECT_EQ(run.Run(c.drawing), RunOutcome::Completed) << run.Log();
        EXPECT_EQ(run.state.MinX, c.minX);
        EXPECT_EQ(run.state.MinY, c.minY);
        EXPECT_EQ(run.window.ReadField(Field::Txt_Offset_X), c.fieldX);
        EXPECT_EQ(run.window.ReadField(Field::Txt_Offset_Y), c.fieldY);
        EXPECT_EQ(run.Body(), c.body);
    }
}

TEST(AutoOffset, LaterRunWithoutTheBoxReusesTheFoundOffset)
{
    Conversion run;
    run.window.SetCheckBox(CheckBox::Chk_Auto_Offset, 1);
    run.Run(Drawing({Line("2", "3", "4", "5")}));
    run.window.SetCheckBox(CheckBox::Chk_Auto_Offset, 0);
    run.Run(Drawing({Line("0", "0", "1", "1")}));
    EXPECT_EQ(run.Body(), Lines{"Wire 0.01 (-2 -3) (-1 -2)"});
}

} // namespace
} // namespace vektrano::test
