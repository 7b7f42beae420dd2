#include "script_text.h"

#include "script_commands.h"
#include "script_tokens.h"

#include <cmath>
#include <cstdint>
#include <numbers>
#include <optional>

namespace vektrano {

namespace {

// What Windows-1252 puts where Latin-1 has control characters; 0 where it
// leaves a code unassigned.
constexpr std::uint16_t kFrom0x80[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void AppendUtf8(std::string& out, std::uint32_t code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

void AppendCp1252(std::string& out, unsigned char byte)
{
    if (byte < 0x20 || byte == 0x7F)
        out += '?';
    else if (byte >= 0x80 && byte < 0xA0)
        AppendUtf8(out, kFrom0x80[byte - 0x80] != 0 ? kFrom0x80[byte - 0x80] : 0xFFFD);
    else
        AppendUtf8(out, byte);
}

std::size_t Utf8Length(std::string_view text)
{
    std::size_t count = 0;
    for (const char c : text)
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return count;
}

} // namespace

std::string DecodeScriptText(std::string_view raw, bool quoted)
{
    std::string text;
    text.reserve(raw.size() + raw.size() / 4);
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        const char next = i + 1 < raw.size() ? raw[i + 1] : '\0';
        // Any other backslash is kept: Eagle gives it no meaning the preview shows.
        if ((quoted && c == '\'' && next == '\'') || (c == '\\' && (next == '\\' || next == '!')))
            ++i;
        AppendCp1252(text, static_cast<unsigned char>(raw[i]));
    }
    return text;
}

std::optional<Orientation> ReadOrientation(std::string_view word)
{
    Orientation orientation;
    while (!word.empty() && (word.front() == 'S' || word.front() == 's' || word.front() == 'M' ||
                             word.front() == 'm')) {
        bool& flag =
            word.front() == 'S' || word.front() == 's' ? orientation.spin : orientation.mirror;
        if (flag)
            return std::nullopt;
        flag = true;
        word.remove_prefix(1);
    }
    if (word.empty() || (word.front() != 'R' && word.front() != 'r'))
        return std::nullopt;
    const auto angle = ReadNumber(word.substr(1));
    if (!angle)
        return std::nullopt;
    orientation.angle = std::fmod(*angle, 360.0);
    if (orientation.angle < 0)
        orientation.angle += 360;
    if (orientation.angle >= 360) // -1e-20 + 360 rounds up to it
        orientation.angle = 0;
    return orientation;
}

double AlignFraction(TextHorizontal align)
{
    return align == TextHorizontal::Left ? 0 : align == TextHorizontal::Centre ? 0.5 : 1;
}

double BaselineFraction(TextBaseline baseline)
{
    return baseline == TextBaseline::Bottom ? 0 : baseline == TextBaseline::Centre ? 0.5 : 1;
}

Box TextBox(Point anchor, const TextShape& text)
{
    const double width = 0.8 * text.height * static_cast<double>(Utf8Length(text.text));
    const double left = -width * AlignFraction(text.align);
    const double bottom = -text.height * BaselineFraction(text.baseline);
    const double turn = text.angle * (std::numbers::pi / 180);
    const double c = std::cos(turn);
    const double s = std::sin(turn);
    Box box;
    box.Add(anchor);
    // Turned upright or not, the text covers the same box.
    for (const Point corner :
         {Point{left, bottom}, Point{left + width, bottom}, Point{left, bottom + text.height},
          Point{left + width, bottom + text.height}}) {
        const double x = text.mirror ? -corner.x : corner.x;
        box.Add({anchor.x + c * x - s * corner.y, anchor.y + s * x + c * corner.y});
    }
    return box;
}

TextPlacement ShownPlacement(const TextShape& text)
{
    TextPlacement placement{text.angle, text.align, text.baseline};
    if (text.spin || text.angle <= 90 || text.angle > 270)
        return placement;
    placement.angle = text.angle - 180;
    if (text.align != TextHorizontal::Centre)
        placement.align =
            text.align == TextHorizontal::Left ? TextHorizontal::Right : TextHorizontal::Left;
    if (text.baseline != TextBaseline::Centre)
        placement.baseline =
            text.baseline == TextBaseline::Bottom ? TextBaseline::Top : TextBaseline::Bottom;
    return placement;
}

// Keywords in any order: the last of left and right counts, the last of top and
// bottom; center for a direction neither names; left and bottom without it.
bool CommandReader::ReadAlign(Tokens& tokens)
{
    std::optional<TextHorizontal> align;
    std::optional<TextBaseline> baseline;
    bool centre = false;
    bool any = false;
    while (!tokens.AtEnd() && tokens.Peek() != '(') {
        const std::string_view word = tokens.Word();
        if (SameWord(word, "left") || SameWord(word, "right"))
            align = SameWord(word, "left") ? TextHorizontal::Left : TextHorizontal::Right;
        else if (SameWord(word, "bottom") || SameWord(word, "top"))
            baseline = SameWord(word, "bottom") ? TextBaseline::Bottom : TextBaseline::Top;
        else if (SameWord(word, "center"))
            centre = true;
        else
            return false;
        any = true;
    }
    if (!any)
        return false;
    text_.align = align.value_or(centre ? TextHorizontal::Centre : TextHorizontal::Left);
    text_.baseline = baseline.value_or(centre ? TextBaseline::Centre : TextBaseline::Bottom);
    return true;
}

// Text 'STRING' [orientation] point ..., or one bare word for the string; one
// text at each point, in the Change values in force.
bool CommandReader::ReadText(Tokens& tokens, std::size_t line, LineShapes& out)
{
    TextShape text = text_;
    if (tokens.Peek() == '\'') {
        const auto quoted = tokens.Quoted();
        if (!quoted)
            return false;
        text.text = DecodeScriptText(*quoted, true);
    } else {
        text.text = DecodeScriptText(tokens.Word(), false);
    }
    if (text.text.empty())
        return false;
    bool anyPoint = false;
    bool anyOrientation = false;
    while (!tokens.AtEnd()) {
        if (tokens.Peek() != '(') {
            const auto orientation = ReadOrientation(tokens.Word());
            if (!orientation || anyPoint || anyOrientation)
                return false;
            text.angle = orientation->angle;
            text.mirror = orientation->mirror;
            text.spin = orientation->spin;
            anyOrientation = true;
            continue;
        }
        const auto point = tokens.PointInParentheses();
        if (!point)
            return false;
        const Point anchor{point->x * unit_, point->y * unit_};
        if (!std::isfinite(anchor.x) || !std::isfinite(anchor.y))
            return false;
        text.box = TextBox(anchor, text);
        Shape shape;
        shape.kind = ShapeKind::Text;
        shape.layer = layer_;
        shape.detail = static_cast<std::uint32_t>(out.texts.size());
        shape.start = shape.end = anchor;
        shape.width = text.height * text.ratio / 100;
        shape.line = line;
        out.texts.push_back(text);
        out.shapes.push_back(shape);
        anyPoint = true;
    }
    return anyPoint;
}

} // namespace vektrano
