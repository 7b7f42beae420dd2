#include "layer_suggestion.h"

#include <array>
#include <string>

namespace vektrano {

namespace {

struct SuggestionGroup
{
    std::array<std::string_view, 6> words; // as FoldedName writes them; the rest empty
    LayerSuggestion suggestion;
};

// Tried in this order; the first group with a word in the name wins. Holes go on
// 20 like the board edge: Eagle's HOLE draws its own circle there.
constexpr std::array<SuggestionGroup, 8> kGroups = {{
    {{"dim", "bemass", "measure"}, {47, LayerKind::Lines}},
    {{"title", "frame", "rahmen", "border", "schriftfeld", "defpoints"}, {std::nullopt, {}}},
    {{"silk", "place", "bestueck", "druck", "logo"}, {21, LayerKind::All}},
    {{"beschrift"}, {21, LayerKind::Texts}},
    {{"text"}, {48, LayerKind::Texts}},
    {{"hole", "drill", "bohr"}, {20, LayerKind::Holes}},
    {{"mill", "fraes", "slot"}, {46, LayerKind::Contour}},
    {{"outline", "board", "edge", "umriss", "kontur", "cut"}, {20, LayerKind::Contour}},
}};

constexpr LayerSuggestion kOtherwise{48, LayerKind::Lines};

// The German letters the words above spell out, by code point: both encodings
// a layer name can come in decode to these.
std::string_view Spelled(unsigned codePoint)
{
    switch (codePoint) {
    case 0xC4:
    case 0xE4: return "ae";
    case 0xD6:
    case 0xF6: return "oe";
    case 0xDC:
    case 0xFC: return "ue";
    case 0xDF:
    case 0x1E9E: return "ss";
    default: return {};
    }
}

// The name in lower case ASCII with umlauts and sharp s spelled out. A valid
// UTF-8 sequence is read as one; any other byte as Windows-1252, where the
// letters above have the same values as their code points.
std::string FoldedName(std::string_view name)
{
    std::string folded;
    for (std::size_t at = 0; at < name.size();) {
        const auto byte = static_cast<unsigned char>(name[at]);
        unsigned codePoint = byte;
        std::size_t length = 1;
        const auto continuation = [&](std::size_t k) {
            return at + k < name.size() &&
                   (static_cast<unsigned char>(name[at + k]) & 0xC0) == 0x80;
        };
        if (byte >= 0xC2 && byte < 0xE0 && continuation(1)) {
            codePoint = (byte & 0x1Fu) << 6 | (static_cast<unsigned char>(name[at + 1]) & 0x3Fu);
            length = 2;
        } else if (byte >= 0xE0 && byte < 0xF0 && continuation(1) && continuation(2)) {
            codePoint = (byte & 0x0Fu) << 12 |
                        (static_cast<unsigned char>(name[at + 1]) & 0x3Fu) << 6 |
                        (static_cast<unsigned char>(name[at + 2]) & 0x3Fu);
            length = 3;
        }
        if (const std::string_view spelled = Spelled(codePoint); !spelled.empty())
            folded += spelled;
        else if (byte >= 'A' && byte <= 'Z')
            folded += static_cast<char>(byte - 'A' + 'a');
        else
            folded.append(name.substr(at, length));
        at += length;
    }
    return folded;
}

} // namespace

LayerSuggestion SuggestLayer(std::string_view dxfLayer)
{
    const std::string folded = FoldedName(dxfLayer);
    for (const SuggestionGroup& group : kGroups)
        for (std::string_view word : group.words)
            if (!word.empty() && folded.find(word) != std::string::npos)
                return group.suggestion;
    return kOtherwise;
}

} // namespace vektrano
