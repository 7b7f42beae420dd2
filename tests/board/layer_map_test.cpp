#include "board/layer_listing.h"
#include "board/layer_map.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vektrano {
namespace {

struct RuleCase
{
    const char* line;
    const char* pattern;
    int eagleLayer; // 0 for "aus"
    LayerKind kind;
    double drillMin; // -1: no range
    double drillMax;
    const char* width;
};

// What a hand-edited file brings: quotes, tabs, comments, German commas, case.
const RuleCase kRules[] = {
    {"OUTLINE 20 kontur 0", "OUTLINE", 20, LayerKind::Contour, -1, 0, "0"},
    {"\"Board Cutouts\"\t20   kontur", "Board Cutouts", 20, LayerKind::Contour, -1, 0, ""},
    {"*HOLE* 20 bohrung:0.5-8", "*HOLE*", 20, LayerKind::Holes, 0.5, 8, ""},
    {"*HOLE* 20 Bohrung:0,5-8", "*HOLE*", 20, LayerKind::Holes, 0.5, 8, ""},
    {"DRILL 20 bohrung:3-3", "DRILL", 20, LayerKind::Holes, 3, 3, ""},
    {"SILK* 21 linien 0.15", "SILK*", 21, LayerKind::Lines, -1, 0, "0.15"},
    {"SILK* 21 0,15 # width in the kind's column", "SILK*", 21, LayerKind::Lines, -1, 0, "0,15"},
    {"TITLE* AUS", "TITLE*", 0, LayerKind::Lines, -1, 0, ""},
    {"\"say \"\"hi\"\"\" 48", "say \"hi\"", 48, LayerKind::Lines, -1, 0, ""},
    {"\"a#b\" 1#comment", "a#b", 1, LayerKind::Lines, -1, 0, ""},
    {"x\"y 255", "x\"y", 255, LayerKind::Lines, -1, 0, ""},
    {"  Maße 047  KONTUR", "Maße", 47, LayerKind::Contour, -1, 0, ""},
    {"LOGO 21 alles 0.1", "LOGO", 21, LayerKind::All, -1, 0, "0.1"},
    {"FILL 29 flaechen", "FILL", 29, LayerKind::Areas, -1, 0, ""},
    {"NOTES 48 Text", "NOTES", 48, LayerKind::Texts, -1, 0, ""},
};

TEST(LayerMap, ReadsEveryColumnOfARule)
{
    for (const auto& c : kRules) {
        SCOPED_TRACE(c.line);
        auto parsed = ParseLayerMap(c.line, "plan.map");
        ASSERT_TRUE(std::holds_alternative<LayerMap>(parsed)) << std::get<std::string>(parsed);
        const auto& rules = std::get<LayerMap>(parsed).rules;
        ASSERT_EQ(rules.size(), 1u);
        EXPECT_EQ(rules[0].pattern, c.pattern);
        EXPECT_EQ(rules[0].eagleLayer.value_or(0), c.eagleLayer);
        EXPECT_EQ(rules[0].kind, c.kind);
        EXPECT_EQ(rules[0].drills.has_value(), c.drillMin >= 0);
        if (rules[0].drills) {
            EXPECT_EQ(*rules[0].drills, (DrillRange{c.drillMin, c.drillMax}));
        }
        EXPECT_EQ(rules[0].width, c.width);
    }
}

struct ErrorCase
{
    const char* text;
    const char* message;
};

const ErrorCase kErrors[] = {
    {"# header\n\nA 20 kontour", "Layer-Zuordnung plan.map, Zeile 3: unbekannte Art \"kontour\""},
    {"A 256", "Zeile 1: Eagle-Layer 256 liegt nicht zwischen 1 und 255"},
    {"A 0", "Eagle-Layer 0 liegt nicht zwischen 1 und 255"},
    {"A 99999999999999", "Eagle-Layer 99999999999999 liegt nicht zwischen 1 und 255"},
    {"A top", "Eagle-Layer \"top\" ist weder eine Zahl von 1 bis 255 noch \"aus\""},
    {"A 20.5", "Eagle-Layer \"20.5\" ist weder"},
    {"A 21 linien 0.1.2", "Breite \"0.1.2\" ist keine Breite in mm"},
    {"A 21 linien -0.1", "Breite \"-0.1\""},
    {"A 21 -0.1", "Breite \"-0.1\""},
    {"A 21 linien 1e-3", "Breite \"1e-3\""},
    {"A 20 bohrung:8-0.5", "Bohrbereich \"8-0.5\": MIN ist größer als MAX"},
    {"A 20 bohrung:3", "Bohrbereich \"3\" ist nicht MIN-MAX"},
    {"A 20 bohrung:-1-3", "Bohrbereich \"-1-3\" ist nicht MIN-MAX"},
    {"A 20 bohrung:", "Bohrbereich \"\" ist nicht MIN-MAX"},
    {"\"Board Cutouts 20", "Zeile 1: Anführungszeichen nicht geschlossen"},
    {"\"A\"20", "nach dem schließenden Anführungszeichen fehlt ein Leerzeichen"},
    {"OUTLINE   # no layer", "nach dem DXF-Layer fehlt der Eagle-Layer"},
    {"A 20 kontur 0 extra", "zu viele Spalten ab \"extra\""},
    {"A 21 0.1 0.2", "zu viele Spalten ab \"0.2\""},
    {"\"\" 20", "leerer DXF-Layername"},
};

TEST(LayerMap, NamesFileLineAndFaultOfABadRule)
{
    for (const auto& c : kErrors) {
        SCOPED_TRACE(c.text);
        auto parsed = ParseLayerMap(c.text, "plan.map");
        ASSERT_TRUE(std::holds_alternative<std::string>(parsed));
        const std::string& message = std::get<std::string>(parsed);
        EXPECT_TRUE(message.starts_with("Layer-Zuordnung plan.map, Zeile ")) << message;
        EXPECT_NE(message.find(c.message), std::string::npos) << message;
    }
}

TEST(LayerMap, SkipsCommentsBlankLinesAndByteOrderMark)
{
    auto parsed = ParseLayerMap("\xEF\xBB\xBF# head\r\n\r\n  \t\r\nA 1\r\n# B 2\nC 3", "m");
    ASSERT_TRUE(std::holds_alternative<LayerMap>(parsed));
    const auto& rules = std::get<LayerMap>(parsed).rules;
    ASSERT_EQ(rules.size(), 2u);
    EXPECT_EQ(rules[0].pattern, "A");
    EXPECT_EQ(rules[0].line, 4u);
    EXPECT_EQ(rules[1].pattern, "C");
    EXPECT_EQ(rules[1].line, 6u);
    EXPECT_EQ(rules[1].origin, "m");
}

TEST(LayerMap, TriesMapOptionsBeforeTheFileAndNamesABadOne)
{
    const std::vector<std::string> options = {"OUT* 46 kontur", "* aus"};
    auto fromOptions = ParseMapOptions(options);
    auto fromFile = ParseLayerMap("OUTLINE 20 kontur\n* 48", "plan.map");
    ASSERT_TRUE(std::holds_alternative<LayerMap>(fromOptions));
    ASSERT_TRUE(std::holds_alternative<LayerMap>(fromFile));
    const LayerMap map =
        JoinMaps(std::get<LayerMap>(std::move(fromOptions)), std::get<LayerMap>(fromFile));
    ASSERT_NE(map.Match("outline"), nullptr);
    EXPECT_EQ(map.Match("outline")->eagleLayer, 46);
    EXPECT_EQ(map.Match("outline")->origin, "--map");
    EXPECT_FALSE(map.Match("anything")->eagleLayer.has_value());
    EXPECT_EQ(map.Match("anything")->line, 2u);

    const std::vector<std::string> bad = {"A 1", "B 300"};
    auto parsed = ParseMapOptions(bad);
    ASSERT_TRUE(std::holds_alternative<std::string>(parsed));
    EXPECT_EQ(std::get<std::string>(parsed),
              "Layer-Zuordnung --map \"B 300\": Eagle-Layer 300 liegt nicht zwischen 1 und 255");
    const std::vector<std::string> empty = {"  # nothing"};
    EXPECT_TRUE(std::holds_alternative<std::string>(ParseMapOptions(empty)));
}

TEST(LayerMap, WrittenMapReadsBackEqual)
{
    const char* text = "OUTLINE 20 kontur 0\n"
                       "\"Board Cutouts\" 20 kontur\n"
                       "\"#tag\" 20 bohrung:0.5-8\n"
                       "TINY 20 bohrung:0.00001-123456789012345678901234\n"
                       "\"say \"\"hi\"\"\" 21 linien 0,15\n"
                       "\"\"\"lead\" 21\n"
                       "TITLE* aus\n"
                       "KEEP aus kontur 1\n"
                       "Maße 47\n"
                       "* 48\n";
    auto first = ParseLayerMap(text, "a.map");
    ASSERT_TRUE(std::holds_alternative<LayerMap>(first));
    const auto& original = std::get<LayerMap>(first).rules;
    const std::vector<std::string> comments = {"3 Linien\nzweite Zeile", "", "Kreise: 4"};
    const std::string written = WriteLayerMap(std::get<LayerMap>(first), comments);
    auto second = ParseLayerMap(written, "b.map");
    ASSERT_TRUE(std::holds_alternative<LayerMap>(second)) << std::get<std::string>(second);
    const auto& again = std::get<LayerMap>(second).rules;
    ASSERT_EQ(again.size(), original.size()) << written;
    for (std::size_t i = 0; i < original.size(); ++i) {
        SCOPED_TRACE(original[i].pattern);
        EXPECT_EQ(again[i].pattern, original[i].pattern);
        EXPECT_EQ(again[i].eagleLayer, original[i].eagleLayer);
        EXPECT_EQ(again[i].kind, original[i].kind);
        EXPECT_EQ(again[i].drills, original[i].drills);
        EXPECT_EQ(again[i].width, original[i].width);
    }
    EXPECT_NE(written.find("OUTLINE            20           kontur            0  # 3 Linien "
                           "zweite Zeile\n"),
              std::string::npos)
        << written;
    EXPECT_NE(written.find("\nMaße               47 "), std::string::npos) << written;
}

TEST(LayerMap, ListingOfLayersWithLineBreaksParsesBack)
{
    // A lone LF or CR inside a CR LF drawing ends up in a layer name, and a file
    // name may hold one too: neither may break a line of the map.
    LayerListing listing;
    for (const char* name : {"7 R\n0", "CUT\rOUT", "\n", "plain"}) {
        listing.layers.emplace_back();
        listing.layers.back().name = name;
    }
    const std::string text = LayerListingMap(listing, "a\nOUTLINE 300.dxf");
    const auto parsed = ParseLayerMap(text, "liste");
    ASSERT_TRUE(std::holds_alternative<LayerMap>(parsed)) << std::get<std::string>(parsed);
    const auto& rules = std::get<LayerMap>(parsed).rules;
    ASSERT_EQ(rules.size(), listing.layers.size()) << text;
    for (std::size_t i = 0; i < rules.size(); ++i) {
        SCOPED_TRACE(listing.layers[i].name);
        EXPECT_TRUE(WildcardMatch(rules[i].pattern, listing.layers[i].name)) << rules[i].pattern;
    }
}

struct MatchCase
{
    const char* pattern;
    const char* name;
    bool matches;
};

const MatchCase kMatches[] = {
    {"outline", "OUTLINE", true},
    {"OUT*", "out", true},
    {"OUT*", "xOUT", false},
    {"*HOLE*", "Holes_3mm", true},
    {"*HOLE*", "HOL", false},
    {"?", "ä", true},
    {"a?c", "aäc", true},
    {"a?c", "ac", false},
    {"*.*", "a.b.c", true},
    {"*", "", true},
    {"?", "", false},
    {"a*b*c", "aXbYbZc", true},
    {"a*b*c", "aXbYcZ", false},
    {"Maße", "MAßE", true},
    {"**a", "ba", true},
    {"*a*a*b", "aaaaaab", true},
    {"*a*a*b", "aaaaaaa", false},
};

TEST(LayerMap, MatchesWildcardsWithoutRegardToCase)
{
    for (const auto& c : kMatches) {
        SCOPED_TRACE(std::string(c.pattern) + " / " + c.name);
        EXPECT_EQ(WildcardMatch(c.pattern, c.name), c.matches);
    }
}

TEST(LayerMap, HostilePatternFinishesWithTheRightAnswer)
{
    std::string pattern;
    for (int i = 0; i < 2000; ++i)
        pattern += "*a";
    const std::string name(100000, 'a');
    // Exponential backtracking would never come back from these.
    EXPECT_FALSE(WildcardMatch(pattern + "*b", name));
    EXPECT_TRUE(WildcardMatch(pattern + "*", name));
}

TEST(LayerMap, ReportsRulesThatMatchNoLayerOfTheDrawing)
{
    auto parsed = ParseLayerMap("OUTLINE 20 kontur\nHOLE* 20 bohrung\nOUT* 46\nGONE 21", "m");
    ASSERT_TRUE(std::holds_alternative<LayerMap>(parsed));
    const std::vector<std::string> layers = {"0", "outline", "Holes"};
    const auto unmatched = UnmatchedRules(std::get<LayerMap>(parsed), layers);
    ASSERT_EQ(unmatched.size(), 1u);
    EXPECT_EQ(unmatched[0]->pattern, "GONE");
}

TEST(LayerMap, DrillRangeHoldsBothEnds)
{
    const DrillRange range{0.5, 8};
    EXPECT_TRUE(range.Contains(0.5));
    EXPECT_TRUE(range.Contains(8));
    EXPECT_TRUE(range.Contains(0.49999999999));
    EXPECT_FALSE(range.Contains(0.49));
    EXPECT_FALSE(range.Contains(8.01));
}

} // namespace
} // namespace vektrano
