#include "code_page.h"

#include <array>
#include <charconv>

namespace vektrano {

namespace {

// Code points of the bytes 0x80 to 0x9F; the unassigned ones keep their own value.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

std::string_view TrimBlanks(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

} // namespace

DxfCodePage CodePageOfVersion(std::string_view acadver)
{
    const std::string_view version = TrimBlanks(acadver);
    if (version.size() < 3 || (version[0] != 'A' && version[0] != 'a') ||
        (version[1] != 'C' && version[1] != 'c'))
        return DxfCodePage::Windows1252;
    int number = 0;
    const auto [end, error] =
        std::from_chars(version.data() + 2, version.data() + version.size(), number);
    if (error != std::errc{} || end != version.data() + version.size())
        return DxfCodePage::Windows1252;
    return number >= 1021 ? DxfCodePage::Utf8 : DxfCodePage::Windows1252;
}

char32_t Cp1252CodePoint(unsigned char byte)
{
    if (byte >= 0x80 && byte <= 0x9F)
        return kHighControls[byte - 0x80];
    return byte;
}

std::optional<char> Cp1252Byte(char32_t codePoint)
{
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF))
        return static_cast<char>(codePoint);
    for (std::size_t i = 0; i < kHighControls.size(); ++i)
        if (kHighControls[i] == codePoint)
            return static_cast<char>(0x80 + i);
    return std::nullopt;
}

void AppendUtf8(std::string& out, char32_t codePoint)
{
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x110000) {
        out += static_cast<char>(0xF0 | (codePoint >> 18));
        out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += '?';
    }
}

std::optional<char32_t> DecodeUtf8(std::string_view text, std::size_t& pos)
{
    const auto lead = static_cast<unsigned char>(text[pos]);
    const std::size_t length = lead < 0x80                   ? 1
                               : lead >= 0xF0 && lead < 0xF8 ? 4
                               : lead >= 0xE0 && lead < 0xF0 ? 3
                               : lead >= 0xC2 && lead < 0xE0 ? 2
                                                             : 0;
    if (length == 0 || pos + length > text.size()) {
        ++pos;
        return std::nullopt;
    }
    char32_t codePoint = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[pos + k]);
        if ((next & 0xC0) != 0x80) {
            ++pos;
            return std::nullopt;
        }
        codePoint = (codePoint << 6) | (next & 0x3F);
    }
    // An overlong form would smuggle in a byte its plain form is checked for
    // ("\xE0\x80\x8A" is a line feed); surrogates and code points past
    // U+10FFFF are no characters at all.
    constexpr char32_t kShortest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (codePoint < kShortest[length] || (codePoint >= 0xD800 && codePoint <= 0xDFFF) ||
        codePoint > 0x10FFFF) {
        ++pos;
        return std::nullopt;
    }
    pos += length;
    return codePoint;
}

} // namespace vektrano

namespace vektrano {

std::string DxfTextToUtf8(std::string_view bytes, DxfCodePage page)
{
    if (page == DxfCodePage::Utf8)
        return std::string(bytes);
    std::string text;
    text.reserve(bytes.size());
    for (const char c : bytes)
        AppendUtf8(text, Cp1252CodePoint(static_cast<unsigned char>(c)));
    return text;
}

DxfCodePage CodePageOfDrawing(const LineTable& lines, std::size_t acadverLine)
{
    return acadverLine == 0 ? DxfCodePage::Windows1252 : CodePageOfVersion(lines[acadverLine]);
}

} // namespace vektrano
