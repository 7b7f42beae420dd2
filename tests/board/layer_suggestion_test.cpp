#include "board/layer_suggestion.h"

#include <gtest/gtest.h>

namespace vektrano {
namespace {

struct SuggestionCase
{
    const char* name;
    int eagleLayer; // 0 for "aus"
    LayerKind kind;
};

// Names from real exports, in both encodings a name can arrive in, and names that
// hold words of two groups.
const SuggestionCase kCases[] = {
    {"OUTLINE", 20, LayerKind::Contour},
    {"Edge.Cuts", 20, LayerKind::Contour},
    {"Platinenumriss", 20, LayerKind::Contour},
    {"Umriß", 20, LayerKind::Contour},
    {"Umri\xDF", 20, LayerKind::Contour}, // Windows-1252
    {"BOHRUNGEN", 20, LayerKind::Holes},
    {"Drill_1", 20, LayerKind::Holes},
    {"MountingHoles", 20, LayerKind::Holes},
    {"FRÄSUNG", 46, LayerKind::Contour},
    {"fr\xE4sen", 46, LayerKind::Contour},
    {"Fraeskontur", 46, LayerKind::Contour},
    {"Slots", 46, LayerKind::Contour},
    {"SILKSCREEN", 21, LayerKind::All},
    {"Bestückung", 21, LayerKind::All},
    {"Best\xFC"
     "ckungsdruck",
     21, LayerKind::All},
    {"Bestueckung", 21, LayerKind::All},
    {"LOGO", 21, LayerKind::All},
    {"DIMENSIONS", 47, LayerKind::Lines},
    {"Bemaßung", 47, LayerKind::Lines},
    {"BEMA\xDFUNG", 47, LayerKind::Lines},
    {"Bemassung", 47, LayerKind::Lines},
    {"TITLEBLOCK", 0, LayerKind::Lines},
    {"Schriftfeld", 0, LayerKind::Lines},
    {"Defpoints", 0, LayerKind::Lines},
    {"0", 48, LayerKind::Lines},
    {"Hilfslinien", 48, LayerKind::Lines},
    {"", 48, LayerKind::Lines},
    {"Beschriftung", 21, LayerKind::Texts},
    {"NOTES_TEXT", 48, LayerKind::Texts},
    // Several groups: dimension and title block before anything that makes a board edge.
    {"BOARD_DIM", 47, LayerKind::Lines},
    {"BOARD_FRAME", 0, LayerKind::Lines},
    {"SILK_OUTLINE", 21, LayerKind::All},
    {"BOARD_HOLES", 20, LayerKind::Holes},
    {"MILL_OUTLINE", 46, LayerKind::Contour},
};

TEST(LayerSuggestion, FollowsTheWordsInTheName)
{
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        const LayerSuggestion suggestion = SuggestLayer(c.name);
        EXPECT_EQ(suggestion.eagleLayer.value_or(0), c.eagleLayer);
        EXPECT_EQ(suggestion.kind, c.kind);
    }
}

} // namespace
} // namespace vektrano
