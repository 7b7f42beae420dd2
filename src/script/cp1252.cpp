#include "cp1252.h"

#include "dxf/code_page.h"

#include <algorithm>

namespace vektrano {

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
        AppendUtf8(out, Cp1252CodePoint(byte));
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
        out += Cp1252Byte(cp).value_or('?');
        i += length;
    }
    return out;
}

} // namespace vektrano
