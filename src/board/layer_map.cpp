#include "layer_map.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <utility>

namespace vektrano {

namespace {

struct KindWord
{
    LayerKind kind;
    std::string_view word;
};

// In the order of the enum; the parser and the writer both read this table.
constexpr std::array<KindWord, 6> kLayerKindWords = {{
    {LayerKind::Lines, "linien"},
    {LayerKind::Contour, "kontur"},
    {LayerKind::Holes, "bohrung"},
    {LayerKind::Texts, "text"},
    {LayerKind::Areas, "flaechen"},
    {LayerKind::All, "alles"},
}};

constexpr std::string_view kOffWord = "aus";

char FoldCase(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool SameWord(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (FoldCase(a[i]) != FoldCase(b[i]))
            return false;
    return true;
}

// The length of the UTF-8 sequence at text[at], never past the end; a stray
// continuation byte or a broken sequence counts as one character.
std::size_t SequenceLength(std::string_view text, std::size_t at)
{
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    for (std::size_t k = 1; k < length; ++k)
        if (at + k >= text.size() || (static_cast<unsigned char>(text[at + k]) & 0xC0) != 0x80)
            return k;
    return length;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

struct Column
{
    std::string text;
    bool quoted = false;
};

// The columns of one line up to its comment, or the reason they cannot be read.
std::variant<std::vector<Column>, std::string> SplitColumns(std::string_view line)
{
    std::vector<Column> columns;
    std::size_t at = 0;
    while (true) {
        while (at < line.size() && IsBlank(line[at]))
            ++at;
        if (at == line.size() || line[at] == '#')
            return columns;
        Column column;
        if (line[at] == '"') {
            column.quoted = true;
            ++at;
            while (true) {
                if (at == line.size())
                    return std::string("Anführungszeichen nicht geschlossen");
                if (line[at] == '"') {
                    if (at + 1 < line.size() && line[at + 1] == '"') {
                        column.text += '"';
                        at += 2;
                        continue;
                    }
                    ++at;
                    break;
                }
                column.text += line[at++];
            }
            if (at < line.size() && !IsBlank(line[at]) && line[at] != '#')
                return std::string("nach dem schließenden Anführungszeichen fehlt ein Leerzeichen");
        } else {
            const std::size_t begin = at;
            while (at < line.size() && !IsBlank(line[at]) && line[at] != '#')
                ++at;
            column.text = line.substr(begin, at - begin);
        }
        columns.push_back(std::move(column));
    }
}

// A length in mm as a user types it: digits with at most one "." or ",", no sign,
// no exponent.
std::optional<double> ReadMillimetres(std::string_view text)
{
    std::string plain;
    bool digit = false;
    bool point = false;
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            digit = true;
            plain += c;
        } else if ((c == '.' || c == ',') && !point) {
            point = true;
            plain += '.';
        } else {
            return std::nullopt;
        }
    }
    if (!digit)
        return std::nullopt;
    double value = 0;
    const auto [end, error] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (error != std::errc() || end != plain.data() + plain.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::string Quoted(std::string_view text)
{
    std::string quoted;
    quoted.reserve(text.size() + 2);
    quoted += '"';
    quoted += text;
    quoted += '"';
    return quoted;
}

std::optional<std::string> ReadEagleLayer(const Column& column, LayerRule& rule)
{
    if (SameWord(column.text, kOffWord)) {
        rule.eagleLayer.reset();
        return std::nullopt;
    }
    int layer = 0;
    const char* first = column.text.data();
    const char* last = first + column.text.size();
    const auto [end, error] = std::from_chars(first, last, layer);
    if (column.text.empty() || error == std::errc::invalid_argument || end != last)
        return "Eagle-Layer " + Quoted(column.text) + " ist weder eine Zahl von 1 bis 255 noch " +
               Quoted(kOffWord);
    if (error != std::errc() || layer < 1 || layer > 255)
        return "Eagle-Layer " + column.text + " liegt nicht zwischen 1 und 255";
    rule.eagleLayer = layer;
    return std::nullopt;
}

std::optional<std::string> ReadDrillRange(std::string_view text, LayerRule& rule)
{
    const std::string shown = Quoted(text);
    const std::size_t dash = text.find('-');
    if (dash == std::string_view::npos)
        return "Bohrbereich " + shown + " ist nicht MIN-MAX in mm (etwa bohrung:0.5-8)";
    const auto min = ReadMillimetres(text.substr(0, dash));
    const auto max = ReadMillimetres(text.substr(dash + 1));
    if (!min || !max)
        return "Bohrbereich " + shown + " ist nicht MIN-MAX in mm (etwa bohrung:0.5-8)";
    if (*min > *max)
        return "Bohrbereich " + shown + ": MIN ist größer als MAX";
    rule.drills = DrillRange{*min, *max};
    return std::nullopt;
}

std::optional<std::string> ReadKind(std::string_view text, LayerRule& rule)
{
    for (const KindWord& entry : kLayerKindWords) {
        if (SameWord(text, entry.word)) {
            rule.kind = entry.kind;
            return std::nullopt;
        }
    }
    const std::string_view holes = LayerKindWord(LayerKind::Holes);
    if (text.size() > holes.size() && SameWord(text.substr(0, holes.size()), holes) &&
        text[holes.size()] == ':') {
        rule.kind = LayerKind::Holes;
        return ReadDrillRange(text.substr(holes.size() + 1), rule);
    }
    return "unbekannte Art " + Quoted(text) +
           " (linien, kontur, bohrung, bohrung:MIN-MAX, text, flaechen oder alles)";
}

std::optional<std::string> ReadWidth(std::string_view text, LayerRule& rule)
{
    if (!ReadMillimetres(text))
        return "Breite " + Quoted(text) + " ist keine Breite in mm (eine Zahl ab 0, etwa 0.15)";
    rule.width = text;
    return std::nullopt;
}

bool LooksLikeNumber(std::string_view text)
{
    return !text.empty() && ((text[0] >= '0' && text[0] <= '9') || text[0] == '.' ||
                             text[0] == ',' || text[0] == '-' || text[0] == '+');
}

// One line into rule. Returns false for a line without a rule; an error fills error.
bool ParseRuleLine(std::string_view line, LayerRule& rule, std::string& error)
{
    auto split = SplitColumns(line);
    if (auto* reason = std::get_if<std::string>(&split)) {
        error = std::move(*reason);
        return false;
    }
    auto& columns = std::get<std::vector<Column>>(split);
    if (columns.empty())
        return false;
    if (columns[0].text.empty()) {
        error = "leerer DXF-Layername";
        return false;
    }
    rule.pattern = std::move(columns[0].text);
    if (columns.size() < 2) {
        error = "nach dem DXF-Layer fehlt der Eagle-Layer (1 bis 255 oder aus)";
        return false;
    }
    if (auto reason = ReadEagleLayer(columns[1], rule)) {
        error = std::move(*reason);
        return false;
    }
    std::size_t next = 2;
    // "SILK* 21 0.15": a number in the kind's column is the width of a linien rule.
    if (next < columns.size() && !LooksLikeNumber(columns[next].text)) {
        if (auto reason = ReadKind(columns[next].text, rule)) {
            error = std::move(*reason);
            return false;
        }
        ++next;
    }
    if (next < columns.size()) {
        if (auto reason = ReadWidth(columns[next].text, rule)) {
            error = std::move(*reason);
            return false;
        }
        ++next;
    }
    if (next < columns.size()) {
        error = "zu viele Spalten ab " + Quoted(columns[next].text) +
                " (DXF-Layer, Eagle-Layer, Art, Breite)";
        return false;
    }
    return true;
}

// Pads to width characters, not bytes, so "Maße" lines up with "OUTLINE".
void AppendPadded(std::string& out, std::string_view text, std::size_t width)
{
    out += text;
    std::size_t characters = 0;
    for (char c : text)
        characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    out.append(characters < width ? width - characters : 1, ' ');
}

std::string PatternText(std::string_view pattern)
{
    bool quote = pattern.empty() || pattern[0] == '"';
    for (char c : pattern)
        quote = quote || IsBlank(c) || c == '#' || c == '"';
    // A DXF layer name can hold a line break (a lone LF in a CR LF file), which no
    // map line can: "?" stands for it and still matches that one character.
    const auto written = [](char c) { return c == '\n' || c == '\r' ? '?' : c; };
    if (!quote) {
        std::string text(pattern);
        std::transform(text.begin(), text.end(), text.begin(), written);
        return text;
    }
    std::string text = "\"";
    for (char c : pattern) {
        if (c == '"')
            text += '"';
        text += written(c);
    }
    return text + '"';
}

// Plain digits, never an exponent: the parser takes lengths only as typed.
std::string MillimetreText(double value)
{
    std::array<char, 400> buffer{};
    const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                            std::chars_format::fixed);
    return error == std::errc() ? std::string(buffer.data(), end) : std::string("0");
}

} // namespace

std::string_view LayerKindWord(LayerKind kind)
{
    for (const KindWord& entry : kLayerKindWords)
        if (entry.kind == kind)
            return entry.word;
    return kLayerKindWords[0].word;
}

bool DrillRange::Contains(double diameter) const
{
    constexpr double kSlack = 1e-6; // mm
    return diameter >= min - kSlack && diameter <= max + kSlack;
}

bool WildcardMatch(std::string_view pattern, std::string_view name)
{
    // Greedy with one backtrack point: on a mismatch only the last "*" takes one
    // more character and the earlier stars keep what they took, so a hostile
    // pattern costs a product of lengths at worst, never an exponent.
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t star = std::string_view::npos;
    std::size_t starName = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            starName = n;
        } else if (p < pattern.size() && pattern[p] == '?') {
            ++p;
            n += SequenceLength(name, n);
        } else if (p < pattern.size() && FoldCase(pattern[p]) == FoldCase(name[n])) {
            ++p;
            ++n;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            starName += SequenceLength(name, starName);
            n = starName;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

const LayerRule* LayerMap::Match(std::string_view dxfLayer) const
{
    for (const LayerRule& rule : rules)
        if (WildcardMatch(rule.pattern, dxfLayer))
            return &rule;
    return nullptr;
}

std::variant<LayerMap, std::string> ParseLayerMap(std::string_view text, std::string_view origin)
{
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    LayerMap map;
    std::size_t lineNumber = 0;
    while (!text.empty() || lineNumber == 0) {
        ++lineNumber;
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        LayerRule rule;
        std::string error;
        if (ParseRuleLine(line, rule, error)) {
            rule.line = lineNumber;
            rule.origin = origin;
            map.rules.push_back(std::move(rule));
        } else if (!error.empty()) {
            return "Layer-Zuordnung " + std::string(origin) + ", Zeile " +
                   std::to_string(lineNumber) + ": " + error;
        }
    }
    return map;
}

std::variant<LayerMap, std::string> ParseMapOptions(std::span<const std::string> rules)
{
    LayerMap map;
    for (std::size_t i = 0; i < rules.size(); ++i) {
        LayerRule rule;
        std::string error;
        if (rules[i].find_first_of("\r\n") != std::string::npos)
            error = "eine Regel je --map, ohne Zeilenumbruch";
        else if (!ParseRuleLine(rules[i], rule, error) && error.empty())
            error = "leere Regel";
        if (!error.empty())
            return "Layer-Zuordnung --map " + Quoted(rules[i]) + ": " + error;
        rule.line = i + 1;
        rule.origin = "--map";
        map.rules.push_back(std::move(rule));
    }
    return map;
}

LayerMap JoinMaps(LayerMap first, LayerMap then)
{
    for (LayerRule& rule : then.rules)
        first.rules.push_back(std::move(rule));
    return first;
}

std::string LayerRuleText(const LayerRule& rule)
{
    std::string kind(LayerKindWord(rule.kind));
    if (rule.drills)
        kind += ':' + MillimetreText(rule.drills->min) + '-' + MillimetreText(rule.drills->max);
    const bool writeKind = rule.eagleLayer || rule.kind != LayerKind::Lines || !rule.width.empty();
    const std::string layer =
        rule.eagleLayer ? std::to_string(*rule.eagleLayer) : std::string(kOffWord);
    std::string line;
    AppendPadded(line, PatternText(rule.pattern), 19);
    if (!writeKind)
        return line + layer;
    AppendPadded(line, layer, 13);
    if (rule.width.empty())
        return line + kind;
    AppendPadded(line, kind, 18);
    return line + rule.width;
}

std::string WriteLayerMap(const LayerMap& map, std::span<const std::string> comments)
{
    std::string text = "# DXF-Layer        Eagle-Layer  Art               Breite (mm)\n";
    for (std::size_t i = 0; i < map.rules.size(); ++i) {
        text += LayerRuleText(map.rules[i]);
        if (i < comments.size() && !comments[i].empty()) {
            text += "  # ";
            for (char c : comments[i])
                text += c == '\n' || c == '\r' ? ' ' : c;
        }
        text += '\n';
    }
    return text;
}

std::vector<const LayerRule*> UnmatchedRules(const LayerMap& map,
                                             std::span<const std::string> layerNames)
{
    std::vector<const LayerRule*> unmatched;
    for (const LayerRule& rule : map.rules) {
        bool matched = false;
        for (const std::string& name : layerNames)
            if ((matched = WildcardMatch(rule.pattern, name)))
                break;
        if (!matched)
            unmatched.push_back(&rule);
    }
    return unmatched;
}

} // namespace vektrano
