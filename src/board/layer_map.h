#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace vektrano {

// What a mapped layer holds, as column 3 of a rule names it. New kinds join at the
// end, each with its word in kLayerKindWords (layer_map.cpp).
enum class LayerKind : std::uint8_t {
    Lines,   // "linien": drawn as full geometry draws it
    Contour, // "kontur": pieces welded into chains and checked
    Holes,   // "bohrung": circles become drill holes
    Texts,   // "text": only the layer's texts
    Areas,   // "flaechen": only its filled areas
    All,     // "alles": lines, texts and filled areas
};

// Which of a layer's things a kind draws: linien keeps meaning lines only, so
// every map written before texts and areas existed draws what it drew.
constexpr bool DrawsLines(LayerKind kind)
{
    return kind != LayerKind::Texts && kind != LayerKind::Areas;
}
constexpr bool DrawsTexts(LayerKind kind)
{
    return kind == LayerKind::Texts || kind == LayerKind::All;
}
constexpr bool DrawsAreas(LayerKind kind)
{
    return kind == LayerKind::Areas || kind == LayerKind::All;
}

// The word a map file uses for the kind.
std::string_view LayerKindWord(LayerKind kind);

// The diameters in mm a "bohrung:MIN-MAX" rule turns into holes, both ends included.
struct DrillRange
{
    double min = 0;
    double max = 0;

    // A diameter that lands a hair beyond an end through a unit conversion
    // (inches, radius doubled) still counts as inside.
    bool Contains(double diameter) const;
    friend bool operator==(const DrillRange&, const DrillRange&) = default;
};

struct LayerRule
{
    std::string pattern;           // UTF-8, "*" and "?" as wildcards
    std::optional<int> eagleLayer; // 1..255; nullopt for "aus"
    LayerKind kind = LayerKind::Lines;
    std::optional<DrillRange> drills; // only with LayerKind::Holes, when a range is given
    std::string width;                // mm as typed ("," allowed), empty: the width field
    std::size_t line = 0;             // 1-based line of the file, or number of the --map option
    std::string origin;               // the file name as shown, or "--map"
};

struct LayerMap
{
    std::vector<LayerRule> rules;

    // The first rule whose pattern matches the layer name (UTF-8), or nullptr.
    const LayerRule* Match(std::string_view dxfLayer) const;
};

// Column 1 against a layer name: "*" any run of characters, "?" one character
// (one UTF-8 sequence), letters folded like LayerKey folds them (ASCII only).
// Never exponential: at most pattern length times name length steps, whatever
// the pattern ("*a*a*a*b" included).
bool WildcardMatch(std::string_view pattern, std::string_view name);

// A map file's text (UTF-8, LF or CR LF, a byte order mark allowed). The error is
// German text naming origin and line, ready for the log or a message box.
std::variant<LayerMap, std::string> ParseLayerMap(std::string_view text, std::string_view origin);

// The rules of repeated --map options, one rule each, in their order; origin
// "--map" and line the option's number. An error quotes the rule.
std::variant<LayerMap, std::string> ParseMapOptions(std::span<const std::string> rules);

// The rules of first, then those of then: --map rules are tried before the file's.
LayerMap JoinMaps(LayerMap first, LayerMap then);

// One rule in the file's syntax, without line break: pattern quoted when it must
// be, a CR or LF in it written as "?", columns padded to line up with the header
// of WriteLayerMap.
std::string LayerRuleText(const LayerRule& rule);

// A whole map file: a header comment naming the columns, then one line per rule,
// each followed by "  # " and comments[i] when that is given and not empty.
// ParseLayerMap gives back rules equal in every column (but a line break in a
// pattern, which comes back as "?").
std::string WriteLayerMap(const LayerMap& map, std::span<const std::string> comments = {});

// The rules that match none of the layer names, in map order: the log names each
// once. A rule that matches only layers an earlier rule took is not among them.
std::vector<const LayerRule*> UnmatchedRules(const LayerMap& map,
                                             std::span<const std::string> layerNames);

} // namespace vektrano
