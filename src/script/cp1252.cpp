#include "cp1252.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace vektrano {

namespace {

// Code points of the bytes 0x80 to 0x9F; the unassigned ones keep their own value.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t CodePointOf(unsigned char byte)
{
    if (byte >= 0x80 && byte <= 0x9F)
        return kHighControls[byte - 0x80];
    return byte;
}

void AppendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

char ByteOf(char32_t cp)
{
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
        return static_cast<char>(cp);
    for (std::size_t i = 0; i < kHighControls.size(); ++i)
        if (kHighControls[i] == cp)
            return static_cast<char>(0x80 + i);
    return '?';
}

} // namespace

void AppendCp1252AsUtf8(std::string& out, std::string_view bytes)
{
    // DXF names are nearly always ASCII, which UTF-8 keeps byte for byte; the
    // report converts every tallied name, millions on a hostile drawing.
    if (std::all_of(bytes.begin(), bytes.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        out.append(bytes);
        return;
    }
    for (unsigned char byte : bytes)
        AppendUtf8(out, CodePointOf(byte));
}

std::string Cp1252ToUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    AppendCp1252AsUtf8(out, bytes);
    return out;
}

std::string Utf8ToCp1252(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = lead < 0x80                   ? 1
                             : lead >= 0xF0 && lead < 0xF8 ? 4
                             : lead >= 0xE0                ? 3
                             : lead >= 0xC2                ? 2
                                                           : 0;
        if (length == 0 || i + length > text.size()) {
            out += '?';
            ++i;
            continue;
        }
        char32_t cp = length == 1 ? lead : lead & (0x7F >> length);
        bool valid = true;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                valid = false;
                break;
            }
            cp = (cp << 6) | (next & 0x3F);
        }
        // An overlong form would smuggle in a byte its plain form is checked for
        // ("\xE0\x80\x8A" is a line feed); surrogates and code points past
        // U+10FFFF are no characters at all.
        constexpr char32_t kShortest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (!valid || cp < kShortest[length] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) {
            out += '?';
            ++i;
            continue;
        }
        out += ByteOf(cp);
        i += length;
    }
    return out;
}

} // namespace vektrano
