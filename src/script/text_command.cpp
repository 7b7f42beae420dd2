#include "text_command.h"

#include "dxf/code_page.h"
#include "number_rules.h"

#include <algorithm>
#include <cmath>

namespace vektrano {

namespace {

bool IsControl(char32_t codePoint)
{
    return codePoint < 0x20 || (codePoint >= 0x7F && codePoint <= 0x9F);
}

// Eagle's help: a "!" starts an overline unless it is the last character or is
// followed by a blank, "!", a quote or a closing bracket.
bool StartsOverline(std::string_view bytes, std::size_t at)
{
    if (at + 1 >= bytes.size())
        return false;
    switch (bytes[at + 1]) {
    case ' ':
    case '!':
    case '\'':
    case '"':
    case ')':
    case ']':
    case '}': return false;
    default: return true;
    }
}

void AppendNumber(std::string& out, double value)
{
    char buffer[kMaxNumberText];
    out.append(buffer, WriteNumberText(buffer, value));
}

} // namespace

std::optional<std::string> EagleTextString(std::string_view utf8Line, TextCharacterCounts& counts)
{
    std::string bytes;
    bytes.reserve(utf8Line.size());
    for (std::size_t pos = 0; pos < utf8Line.size();) {
        const std::optional<char32_t> codePoint = DecodeUtf8(utf8Line, pos);
        if (!codePoint) {
            bytes += '?';
            ++counts.replaced;
        } else if (IsControl(*codePoint)) {
            // A line break or tab here would end the command and let the rest of
            // the string run as script lines.
            bytes += ' ';
            ++counts.controls;
        } else if (const std::optional<char> byte = Cp1252Byte(*codePoint)) {
            bytes += *byte;
        } else {
            bytes += '?';
            ++counts.replaced;
        }
    }
    if (bytes.find_first_not_of(' ') == std::string::npos)
        return std::nullopt;

    std::string quoted;
    quoted.reserve(bytes.size() + 8);
    quoted += '\'';
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\'')
            quoted += "''";
        else if (c == '\\')
            quoted += "\\\\";
        else if (c == '!' && StartsOverline(bytes, i))
            quoted += "\\!";
        else
            quoted += c;
    }
    quoted += '\'';
    return quoted;
}

std::string TextOrientationText(double angleDegrees, bool mirrored)
{
    double turned = std::isfinite(angleDegrees) ? std::fmod(angleDegrees, 360.0) : 0.0;
    if (turned < 0)
        turned += 360;
    // Whole tenths first, so 359.96 gives 3600 tenths and wraps to R0.
    const long long tenths = std::llround(turned * 10) % 3600;
    std::string text = mirrored ? "SMR" : "SR";
    AppendNumber(text, static_cast<double>(tenths) / 10);
    return text;
}

bool AppendTextCommand(std::string& out, std::string_view utf8Line, double angleDegrees,
                       bool mirrored, Point at, TextCharacterCounts& counts)
{
    const std::optional<std::string> quoted = EagleTextString(utf8Line, counts);
    if (!quoted)
        return false;
    out += "Text ";
    out += *quoted;
    out += ' ';
    out += TextOrientationText(angleDegrees, mirrored);
    out += " (";
    AppendNumber(out, at.x);
    out += ' ';
    AppendNumber(out, at.y);
    out += ");\r\n";
    return true;
}

std::string_view AlignKeywords(TextAlign align)
{
    // Eagle's "center" covers every direction not named otherwise.
    constexpr std::string_view kNames[3][3] = {
        {"Bottom Left", "Bottom Center", "Bottom Right"},
        {"Center Left", "Center", "Center Right"},
        {"Top Left", "Top Center", "Top Right"},
    };
    return kNames[static_cast<int>(align.vertical)][static_cast<int>(align.horizontal)];
}

void AppendTextChanges(std::string& out, TextChangeState& state, const TextStyle& style)
{
    if (!state.fontWritten) {
        out += "Change Font Vector;\r\n";
        state.fontWritten = true;
    }
    std::string size = NumberText(style.size);
    if (size != state.size) {
        out += "Change Size ";
        out += size;
        out += ";\r\n";
        state.size = std::move(size);
    }
    const int ratio = std::clamp(style.ratio, 0, 31);
    if (state.ratio != ratio) {
        out += "Change Ratio ";
        AppendNumber(out, ratio);
        out += ";\r\n";
        state.ratio = ratio;
    }
    if (state.align != style.align) {
        out += "Change Align ";
        out += AlignKeywords(style.align);
        out += ";\r\n";
        state.align = style.align;
    }
}

} // namespace vektrano
