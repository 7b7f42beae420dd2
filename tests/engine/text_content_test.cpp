#include "dxf/text_content.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vektrano {
namespace {

struct LineCase
{
    const char* dxf;
    const char* shown; // UTF-8
};

TEST(DxfText, ReplacesSpecialCodesAndDecodesCharacters)
{
    const LineCase cases[] = {
        {"%%c10", "\u00D810"},
        {"45%%D", "45\u00B0"},
        {"%%p0.1", "\u00B10.1"},
        {"100%%%", "100%"},
        {"%%uUnder%%u %%oOver%%O", "Under Over"},
        {"%%177 %%248", "\u00B1 \u00F8"},
        {"%%128", "\u20AC"}, // read as a Windows-1252 byte
        {"%%999", "?"},
        {"%%x 50%", "%%x 50%"}, // unknown codes and a lone "%" stay
        {"%%", "%%"},
        {"\\U+00E9t\\U+00E9", "\u00E9t\u00E9"},
        {"\\U+D83D\\U+DE00", "\U0001F600"}, // a surrogate pair
        {"\\U+D83D", "?"},
        {"\\U+12", "\\U+12"}, // too few digits: as written
        {"\\M+18140", "?"},
        {"\\M+10041", "A"},
        {"a\\Pb", "a\\Pb"}, // MTEXT codes mean nothing in a TEXT
        {"{x}", "{x}"},
        {"A^IB^JC", "A B C"}, // caret controls: one line, blanks
        {"2^ 3", "2^3"},
        {"a^", "a^"},
        {"\xD8 \xB0 \x80", "\u00D8 \u00B0 \u20AC"}, // Windows-1252 bytes
        {"  ", ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dxf);
        EXPECT_EQ(PlainTextLine(c.dxf, DxfCodePage::Windows1252), c.shown);
    }
}

TEST(DxfText, KeepsUtf8OfNewDrawingsAndMarksBrokenBytes)
{
    EXPECT_EQ(PlainTextLine("\u00C4rger \u2300", DxfCodePage::Utf8), "\u00C4rger \u2300");
    EXPECT_EQ(PlainTextLine("a\xC4z", DxfCodePage::Utf8), "a?z");
    EXPECT_EQ(PlainTextLine("\xC4", DxfCodePage::Windows1252), "\u00C4");
    EXPECT_EQ(CodePageOfVersion("AC1018"), DxfCodePage::Windows1252);
    EXPECT_EQ(CodePageOfVersion(" AC1021 "), DxfCodePage::Utf8);
    EXPECT_EQ(CodePageOfVersion("AC1032"), DxfCodePage::Utf8);
    EXPECT_EQ(CodePageOfVersion(""), DxfCodePage::Windows1252);
    EXPECT_EQ(CodePageOfVersion("R12"), DxfCodePage::Windows1252);
}

struct MTextCase
{
    const char* dxf;
    std::vector<std::string> lines;
};

TEST(DxfMText, RemovesFormattingCodes)
{
    const MTextCase cases[] = {
        {"Zeile 1\\PZeile 2", {"Zeile 1", "Zeile 2"}},
        {"{\\fArial|b1|i0|c0|p34;Fett} und {\\H2.5x;gro\\U+00DF}", {"Fett und gro\u00DF"}},
        {"\\A1;\\C1;\\c16711680;\\T1.1;\\Q15;\\W0.8;\\H2;mitte", {"mitte"}},
        {"\\pxi-3,l3,t3;Liste", {"Liste"}},
        {"\\LUnter\\l \\OOber\\o \\KDurch\\k", {"Unter Ober Durch"}},
        {"a\\~b", {"a b"}},
        {"1\\\\2 \\{x\\}", {"1\\2 {x}"}},
        {"\\S1/2; \\S3#4; \\S+0.1^-0.2; \\S2^; \\S^3;", {"1/2 3/4 +0.1/-0.2 2 3"}},
        {"\\S1\\/2/3;", {"1/2/3"}}, // an escaped "/" belongs to the part
        {"Spalte\\NSpalte", {"Spalte", "Spalte"}},
        {"a^Jb", {"a", "b"}},
        {"\\Pmitte\\P\\P", {"", "mitte"}}, // leading blank lines keep their place
        {"a\\P \\Pb", {"a", "", "b"}},
        {"%%c5\\P%%d", {"\u00D85", "\u00B0"}},
        {"\\q unbekannt", {"\\q unbekannt"}},
        {"{\\H3;}", {}},
        {"", {}},
        // Unfinished codes end with the string instead of running past it.
        {"ab\\S1/2", {"ab1/2"}},
        {"ab\\fArial", {"ab"}},
        {"{{{x", {"x"}},
        {"x\\", {"x\\"}},
        {"\\H", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dxf);
        EXPECT_EQ(PlainMTextLines(c.dxf, DxfCodePage::Windows1252), c.lines);
    }
}

TEST(DxfMText, HostileStringsGiveBoundedOutput)
{
    // Every code left open at once, a hundred thousand times over: a reader that
    // searched ahead from each one would take minutes here.
    std::string hostile;
    for (int i = 0; i < 100'000; ++i)
        hostile += "{\\S\\H\\f%%\\U+\\P^";
    const std::vector<std::string> lines = PlainMTextLines(hostile, DxfCodePage::Windows1252);
    std::size_t size = 0;
    for (const std::string& line : lines) {
        size += line.size();
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos);
    }
    EXPECT_LE(size, hostile.size());
}

} // namespace
} // namespace vektrano
