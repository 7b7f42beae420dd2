#pragma once

#include "layer_map.h"

#include <optional>
#include <string_view>

namespace vektrano {

struct LayerSuggestion
{
    std::optional<int> eagleLayer; // nullopt: not drawn ("aus")
    LayerKind kind = LayerKind::Lines;
};

// The Eagle layer and kind a layer's name suggests, from words in it in any case:
// English and German, umlauts in UTF-8 or Windows-1252 or written "ae", "oe",
// "ue", "ss". Where a name holds words of several groups, the group whose wrong
// guess costs least wins: dimensions, then the title block, then silkscreen,
// then holes, then milling, and the board outline last, so that "BOARD_DIM" or
// "SILK_OUTLINE" never become board edges.
LayerSuggestion SuggestLayer(std::string_view dxfLayer);

} // namespace vektrano
