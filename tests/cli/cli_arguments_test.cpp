#include "cli/cli_arguments.h"
#include "cli/cli_output.h"
#include "run/script_path.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vektrano {
namespace {

using Action = ParsedArguments::Action;

ParsedArguments Parse(std::vector<std::string> args)
{
    args.insert(args.begin(), "vektrano-cli");
    std::vector<const char*> argv;
    for (const auto& a : args)
        argv.push_back(a.c_str());
    return ParseArguments(static_cast<int>(argv.size()), argv.data());
}

struct UsageCase
{
    std::vector<std::string> args;
    Action action;
};

TEST(ParseArguments, SortsHelpVersionAndUsageErrors)
{
    const UsageCase cases[] = {
        {{}, Action::UsageError},
        {{"--bogus", "a.dxf"}, Action::UsageError},
        {{"a.dxf", "a.scr", "extra"}, Action::UsageError},
        {{""}, Action::UsageError},
        {{"a.dxf", ""}, Action::UsageError},
        {{"a.dxf", "--layer"}, Action::UsageError},
        {{"-x", "a.dxf"}, Action::UsageError},
        // Help and version need no DXF, and win over anything else on the line.
        {{"--help"}, Action::Help},
        {{"-h", "--bogus"}, Action::Help},
        {{"--version"}, Action::Version},
        {{"a.dxf", "--version"}, Action::Version},
        {{"a.dxf"}, Action::Run},
        {{"a.dxf", "b.scr"}, Action::Run},
        {{"--full-geometry", "--drawing-unit", "inch", "a.dxf"}, Action::Run},
        {{"--drawing-unit", "yard", "a.dxf"}, Action::UsageError},
        {{"--drawing-unit", "MM", "a.dxf"}, Action::UsageError},
        {{"--tolerance", "0.0001", "a.dxf"}, Action::Run},
        {{"--tolerance", "1", "a.dxf"}, Action::Run},
        {{"--tolerance", "0.00009", "a.dxf"}, Action::UsageError},
        {{"--tolerance", "1.5", "a.dxf"}, Action::UsageError},
        {{"--tolerance", "0,01", "a.dxf"}, Action::UsageError},
        {{"--text-ratio", "0", "a.dxf"}, Action::Run},
        {{"--text-ratio", "31", "a.dxf"}, Action::Run},
        {{"--text-ratio", "32", "a.dxf"}, Action::UsageError},
        {{"--text-ratio", "8.5", "a.dxf"}, Action::UsageError},
    };
    for (const auto& c : cases) {
        std::string line;
        for (const auto& a : c.args)
            line += "[" + a + "] ";
        SCOPED_TRACE(line);
        const ParsedArguments parsed = Parse(c.args);
        EXPECT_EQ(parsed.action, c.action);
        EXPECT_EQ(parsed.error.empty(), c.action != Action::UsageError);
    }
}

TEST(ParseArguments, PassesOptionTextsThroughExceptTheWidthComma)
{
    const ParsedArguments parsed = Parse(
        {"--layer", "3", "--layer=16", "--width", "0,25,5", "--offset-x", "-12,5", "--offset-y=-3",
         "--log", "run.log", "-q", "--auto-offset", "--no-arc", "--", "-plan.dxf"});
    ASSERT_EQ(parsed.action, Action::Run) << parsed.error;
    const CliOptions& o = parsed.options;
    EXPECT_EQ(o.dxf, "-plan.dxf");
    EXPECT_EQ(o.scr, "-plan.scr");
    EXPECT_EQ(o.layer, "16");
    EXPECT_EQ(o.width, "0.25.5");
    // The offset fields have no key filter: their comma is the run's to read.
    EXPECT_EQ(o.offsetX, "-12,5");
    EXPECT_EQ(o.offsetY, "-3");
    EXPECT_EQ(o.logFile, "run.log");
    EXPECT_TRUE(o.quiet);
    EXPECT_TRUE(o.autoOffset);
    EXPECT_TRUE(o.noArc);
    EXPECT_FALSE(o.noLine || o.noCircle || o.noPolyline);
    EXPECT_FALSE(o.conversion.fullGeometry);
}

TEST(ParseArguments, ReadsTheFullGeometryOptions)
{
    const ParsedArguments parsed =
        Parse({"--full-geometry", "--drawing-unit", "mil", "--drawing-unit=foot", "a.dxf"});
    ASSERT_EQ(parsed.action, Action::Run) << parsed.error;
    EXPECT_TRUE(parsed.options.conversion.fullGeometry);
    ASSERT_TRUE(parsed.options.conversion.drawingUnit);
    EXPECT_EQ(parsed.options.conversion.drawingUnit->millimetres, 304.8);
}

// "--width= plan.dxf out.scr" once read out.scr as the drawing.
TEST(ParseArguments, OptionWithEqualsAndNothingAfterIsTheEmptyText)
{
    const std::pair<const char*, std::optional<std::string> CliOptions::*> options[] = {
        {"--layer=", &CliOptions::layer},
        {"--width=", &CliOptions::width},
        {"--offset-x=", &CliOptions::offsetX},
        {"--offset-y=", &CliOptions::offsetY},
        {"--log=", &CliOptions::logFile}};
    for (const auto& [option, member] : options) {
        SCOPED_TRACE(option);
        const ParsedArguments parsed = Parse({option, "plan.dxf", "out.scr"});
        ASSERT_EQ(parsed.action, Action::Run);
        EXPECT_EQ(parsed.options.dxf, "plan.dxf");
        EXPECT_EQ(parsed.options.scr, "out.scr");
        EXPECT_EQ(parsed.options.*member, std::optional<std::string>(""));
    }
}

// A line break in the width would end every script line and start a command.
TEST(ParseArguments, RefusesControlCharactersInFieldTexts)
{
    const std::vector<std::string> cases[] = {{"--width", "0.1\nRUN evil.ulp;", "p.dxf"},
                                              {"--layer", "1\r", "p.dxf"},
                                              {"--offset-x", "\x7F", "p.dxf"},
                                              {"p\n.dxf"}};
    for (const auto& args : cases) {
        SCOPED_TRACE(args[0]);
        EXPECT_EQ(Parse(args).action, Action::UsageError);
    }
}

TEST(ApplyOptions, LeavesTheWindowDefaultsWhereNoOptionWasGiven)
{
    MemoryWindow window;
    ApplyOptions(Parse({"--no-line", "--no-polyline", "--offset-y", "7", "p.dxf"}).options, window);
    EXPECT_EQ(window.ReadField(Field::Txt_DXF), "p.dxf");
    EXPECT_EQ(window.ReadField(Field::Txt_SCR), "p.scr");
    EXPECT_EQ(window.ReadField(Field::Txt_Layer), "20");
    EXPECT_EQ(window.ReadField(Field::Txt_Linienstärke), "0.01");
    EXPECT_EQ(window.ReadField(Field::Txt_Offset_X), "");
    EXPECT_EQ(window.ReadField(Field::Txt_Offset_Y), "7");
    EXPECT_EQ(window.ReadCheckBox(CheckBox::Chk_Auto_Offset), 0);
    EXPECT_EQ(window.ReadCheckBox(CheckBox::Chk_Line), 0);
    EXPECT_EQ(window.ReadCheckBox(CheckBox::Chk_Arc), 1);
    EXPECT_EQ(window.ReadCheckBox(CheckBox::Chk_Circle), 1);
    EXPECT_EQ(window.ReadCheckBox(CheckBox::Chk_Polyline), 0);
}

TEST(ScriptPathFor, DropsThreeCharactersWhateverTheyAre)
{
    const std::pair<const char*, const char*> cases[] = {
        {"/data/plan.dxf", "/data/plan.scr"},
        {"/data/PLAN.DXF", "/data/PLAN.scr"},
        {"/data/plan.dxf.bak", "/data/plan.dxf.scr"},
        {"/data/drawing", "/data/drawscr"},
        {"ab", "scr"},
        {"/daten/zeichnung_ä.dxf", "/daten/zeichnung_ä.scr"},
        // Umlauts are one character each, never a byte of one.
        {"plan.\xc3\xa4\xc3\xb6\xc3\xbc", "plan.scr"},
        {"plan.d\xe2\x82\xac", "planscr"},
        {"plan.x\xf0\x9f\x98\x80", "planscr"},
        // A stray continuation byte is a character of its own.
        {"plan.dx\x80", "plan.scr"},
    };
    for (const auto& [dxf, scr] : cases) {
        SCOPED_TRACE(dxf);
        EXPECT_EQ(ScriptPathFor(dxf), scr);
    }
}

TEST(LogForStdout, TurnsOnlyCrLfPairsIntoLf)
{
    const std::pair<const char*, const char*> cases[] = {
        {"", ""},           {"a\r\nb\r\n", "a\nb\n"}, {"a\rb", "a\rb"},     {"a\nb", "a\nb"},
        {"\r\r\n", "\r\n"}, {"\r\n\n\r", "\n\n\r"},   {"ende\r", "ende\r"},
    };
    for (const auto& [log, out] : cases) {
        SCOPED_TRACE(testing::PrintToString(std::string(log)));
        EXPECT_EQ(LogForStdout(log), out);
    }
}

} // namespace
} // namespace vektrano
