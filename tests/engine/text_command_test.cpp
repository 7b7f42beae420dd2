#include "dxf/text_layout.h"
#include "script/text_command.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <random>
#include <string>

namespace vektrano {
namespace {

using namespace std::string_literals;

struct CommandCase
{
    const char* line; // UTF-8, as the DXF reader hands it over
    const char* command;
    std::size_t replaced;
    std::size_t controls;
};

TEST(TextCommand, QuotesEscapesAndKeepsOneLine)
{
    const CommandCase cases[] = {
        {"R1", "Text 'R1' SR0 (1 2);\r\n", 0, 0},
        {"it's", "Text 'it''s' SR0 (1 2);\r\n", 0, 0},
        {"''", "Text '''''' SR0 (1 2);\r\n", 0, 0},
        {"C:\\temp\\n", "Text 'C:\\\\temp\\\\n' SR0 (1 2);\r\n", 0, 0},
        {"a;b;  c", "Text 'a;b;  c' SR0 (1 2);\r\n", 0, 0},
        // A "!" starts an overline unless a blank, "!", a quote or a closing
        // bracket follows it, or nothing does.
        {"!RESET", "Text '\\!RESET' SR0 (1 2);\r\n", 0, 0},
        {"A!B", "Text 'A\\!B' SR0 (1 2);\r\n", 0, 0},
        {"Achtung!", "Text 'Achtung!' SR0 (1 2);\r\n", 0, 0},
        {"! (!) [!] {!} !'x' !\"", "Text '! (!) [!] {!} !''x'' !\"' SR0 (1 2);\r\n", 0, 0},
        {"!!x", "Text '!\\!x' SR0 (1 2);\r\n", 0, 0},
        {"\\!", "Text '\\\\!' SR0 (1 2);\r\n", 0, 0},
        // Control characters never reach the script line.
        {"a\r\nText 'b' R0 (0 0);", "Text 'a  Text ''b'' R0 (0 0);' SR0 (1 2);\r\n", 0, 2},
        {"a\tb\x7F", "Text 'a b ' SR0 (1 2);\r\n", 0, 2},
        {"x\u0085y", "Text 'x y' SR0 (1 2);\r\n", 0, 1},
        // Into Windows-1252, "?" for what it lacks.
        {"\u00D810 \u00B0 \u00B1 \u20AC",
         "Text '\xD8"
         "10 \xB0 \xB1 \x80' SR0 (1 2);\r\n",
         0, 0},
        {"\u2300 \u03A9", "Text '? ?' SR0 (1 2);\r\n", 2, 0},
        {"a\xFF", "Text 'a?' SR0 (1 2);\r\n", 1, 0},
        {"\xE0\x80\x8A", "Text '\?\?\?' SR0 (1 2);\r\n", 3, 0}, // an overlong line feed
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        std::string out;
        TextCharacterCounts counts;
        EXPECT_TRUE(AppendTextCommand(out, c.line, 0, false, {1, 2}, counts));
        EXPECT_EQ(out, c.command);
        EXPECT_EQ(counts.replaced, c.replaced);
        EXPECT_EQ(counts.controls, c.controls);
    }
}

TEST(TextCommand, WritesNothingForBlankLines)
{
    for (const char* line : {"", "   ", "\t\r\n"}) {
        SCOPED_TRACE(line);
        std::string out;
        TextCharacterCounts counts;
        EXPECT_FALSE(AppendTextCommand(out, line, 0, false, {0, 0}, counts));
        EXPECT_EQ(out, "");
    }
}

TEST(TextCommand, AnyStringStaysOneCommandOnOneLine)
{
    std::mt19937 random(23);
    // Quotes, backslashes, "!", ";", controls (NUL among them) and bytes of
    // UTF-8 sequences, whole and broken.
    const std::string alphabet = "'\\!;\r\n\t\"()]}ab \x7F\xC3\xA4\xE2\x82\xAC\xFF\0"s;
    for (int round = 0; round < 2000; ++round) {
        std::string line(random() % 12, ' ');
        for (char& c : line)
            c = alphabet[random() % alphabet.size()];
        std::string out;
        TextCharacterCounts counts;
        if (!AppendTextCommand(out, line, 0, false, {0, 0}, counts))
            continue;
        SCOPED_TRACE(line);
        ASSERT_EQ(out.find_first_of("\r\n"), out.size() - 2);
        // Inside the quotes, each "'" comes doubled: the string cannot end early.
        const std::size_t open = out.find('\'');
        const std::size_t close = out.rfind('\'');
        const std::string inside = out.substr(open + 1, close - open - 1);
        for (std::size_t i = 0; i < inside.size(); ++i) {
            if (inside[i] == '\'') {
                ASSERT_EQ(inside[++i], '\'');
            }
        }
        EXPECT_EQ(out.substr(close), "' SR0 (0 0);\r\n");
    }
}

TEST(TextCommand, WritesAnglesInTenthsWithSpinAndMirror)
{
    const struct
    {
        double angle;
        bool mirrored;
        const char* text;
    } cases[] = {
        {0, false, "SR0"},        {90, false, "SR90"},     {33.34, true, "SMR33.3"},
        {-90, false, "SR270"},    {-0.04, false, "SR0"},   {359.94, false, "SR359.9"},
        {359.96, false, "SR0"},   {720.5, true, "SMR0.5"}, {-360, false, "SR0"},
        {12.25, false, "SR12.3"}, {NAN, false, "SR0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(TextOrientationText(c.angle, c.mirrored), c.text);
    }
}

TEST(TextCommand, WritesEachChangeOnlyWhenItsValueChanges)
{
    TextChangeState state;
    std::string out;
    AppendTextChanges(out, state, {2.5, 8, {}});
    EXPECT_EQ(out, "Change Font Vector;\r\nChange Size 2.5;\r\nChange Ratio 8;\r\n"
                   "Change Align Bottom Left;\r\n");
    out.clear();
    AppendTextChanges(out, state, {2.5, 8, {}});
    EXPECT_EQ(out, "");
    AppendTextChanges(out, state, {2.5, 40, {HorizontalAlign::Right, VerticalAlign::Top}});
    EXPECT_EQ(out, "Change Ratio 31;\r\nChange Align Top Right;\r\n");
    out.clear();
    AppendTextChanges(out, state, {1.0 / 3, 31, {HorizontalAlign::Right, VerticalAlign::Top}});
    EXPECT_EQ(out, "Change Size 0.333333333333333;\r\n");
}

TEST(TextAlignment, MapsDxfJustificationToEagleAlignments)
{
    using H = HorizontalAlign;
    using V = VerticalAlign;
    const struct
    {
        int horizontal;
        int vertical;
        TextPlacement placement;
    } cases[] = {
        {0, 0, {{H::Left, V::Bottom}, TextAnchor::First}},
        {0, 1, {{H::Left, V::Bottom}, TextAnchor::Second}},
        {1, 0, {{H::Center, V::Bottom}, TextAnchor::Second}},
        {2, 0, {{H::Right, V::Bottom}, TextAnchor::Second}},
        {0, 2, {{H::Left, V::Center}, TextAnchor::Second}},
        {1, 2, {{H::Center, V::Center}, TextAnchor::Second}},
        {2, 3, {{H::Right, V::Top}, TextAnchor::Second}},
        {1, 3, {{H::Center, V::Top}, TextAnchor::Second}},
        {3, 0, {{H::Center, V::Bottom}, TextAnchor::Between}},
        {5, 2, {{H::Center, V::Bottom}, TextAnchor::Between}},
        {4, 0, {{H::Center, V::Center}, TextAnchor::Second}},
        {9, -1, {{H::Left, V::Bottom}, TextAnchor::First}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.horizontal << "/" << c.vertical);
        EXPECT_EQ(TextAlignment(c.horizontal, c.vertical), c.placement);
    }
    const char* const mtext[] = {"Top Left",      "Top Left",     "Top Center",   "Top Right",
                                 "Center Left",   "Center",       "Center Right", "Bottom Left",
                                 "Bottom Center", "Bottom Right", "Top Left"};
    for (int attachment = 0; attachment <= 10; ++attachment) {
        SCOPED_TRACE(attachment);
        EXPECT_EQ(AlignKeywords(MTextAlignment(attachment)), mtext[attachment]);
    }
}

TEST(TextAlignment, TurnsMirrorFlagsIntoAngleAndM)
{
    const struct
    {
        bool backward;
        bool upsideDown;
        double angle;
        bool mirrored;
    } cases[] = {
        {false, false, 30, false},
        {true, false, 30, true},
        {false, true, 210, true},
        {true, true, 210, false},
    };
    for (const auto& c : cases) {
        const TextOrientation o = TextMirrorFlags(30, c.backward, c.upsideDown);
        EXPECT_DOUBLE_EQ(o.angle, c.angle);
        EXPECT_EQ(o.mirrored, c.mirrored);
    }
}

TEST(TextLayout, StacksLinesFromTheAttachment)
{
    const double spacing = MTextLineSpacing(3, 0);
    EXPECT_DOUBLE_EQ(spacing, 5.0);
    EXPECT_DOUBLE_EQ(MTextLineSpacing(3, 2), 10.0);
    EXPECT_DOUBLE_EQ(MTextLineSpacing(3, 100), 20.0);
    const struct
    {
        VerticalAlign attachment;
        double angle;
        std::size_t index;
        Point expected;
    } cases[] = {
        {VerticalAlign::Top, 0, 0, {10, 20}},      {VerticalAlign::Top, 0, 2, {10, 10}},
        {VerticalAlign::Center, 0, 0, {10, 25}},   {VerticalAlign::Center, 0, 1, {10, 20}},
        {VerticalAlign::Bottom, 0, 2, {10, 20}},   {VerticalAlign::Bottom, 0, 0, {10, 30}},
        {VerticalAlign::Top, 90, 1, {15, 20}}, // down is +x when the text reads upwards
        {VerticalAlign::Bottom, 180, 0, {10, 10}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.angle << " " << c.index);
        const Point p = TextLineAnchor({10, 20}, c.angle, spacing, c.attachment, c.index, 3);
        EXPECT_NEAR(p.x, c.expected.x, 1e-12);
        EXPECT_NEAR(p.y, c.expected.y, 1e-12);
    }
}

} // namespace
} // namespace vektrano
