#pragma once

#include "state/line_table.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vektrano {

// How a drawing's strings are encoded. Files before AutoCAD 2007 write their
// strings in the drawing's code page, which this program takes as Windows-1252;
// from AC1021 on, DXF files are UTF-8.
enum class DxfCodePage : unsigned char {
    Windows1252,
    Utf8,
};

// The code page of a drawing by its $ACADVER value ("AC1015", blanks allowed);
// an absent or unreadable version counts as an old one.
DxfCodePage CodePageOfVersion(std::string_view acadver);

// The character a Windows-1252 byte stands for. The five unassigned bytes map to
// the code points of the same value, as Windows does, so every byte survives the
// round trip.
char32_t Cp1252CodePoint(unsigned char byte);
// The Windows-1252 byte of a character, if the code page holds it.
std::optional<char> Cp1252Byte(char32_t codePoint);

// Appends a code point below U+110000 as UTF-8; anything else as "?".
void AppendUtf8(std::string& out, char32_t codePoint);

// Reads the UTF-8 sequence at text[pos] and moves pos past it. A malformed
// sequence (overlong, a surrogate, past U+10FFFF, cut short) gives nullopt and
// moves pos by one byte, so a caller can put one "?" per bad byte.
std::optional<char32_t> DecodeUtf8(std::string_view text, std::size_t& pos);

} // namespace vektrano

namespace vektrano {

// A name or text from the file as UTF-8: taken as it is from a UTF-8 drawing,
// converted byte by byte from an older one.
std::string DxfTextToUtf8(std::string_view bytes, DxfCodePage page);

// The code page of a read drawing's strings, by its $ACADVER value line (0: none).
DxfCodePage CodePageOfDrawing(const LineTable& lines, std::size_t acadverLine);

} // namespace vektrano
