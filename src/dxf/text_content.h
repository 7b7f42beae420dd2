#pragma once

#include "code_page.h"

#include <string>
#include <string_view>
#include <vector>

namespace vektrano {

// What a DXF text string shows, as UTF-8: caret notation ("^J", "^ ") decoded,
// %%c %%d %%p %%% and %%nnn replaced by their characters (nnn read as a
// Windows-1252 byte in any drawing), %%u %%o %%k dropped, \U+XXXX and \M+nXXXX
// decoded (a multibyte character outside ASCII becomes "?"). Control characters
// become blanks, so no result holds a line break.

// A TEXT or ATTRIB string (group 1) as its one line; "" when it shows only blanks.
std::string PlainTextLine(std::string_view bytes, DxfCodePage codePage);

// An MTEXT string (its 3 pieces in order, then its 1 piece, joined) as its lines,
// formatting codes removed: \P, \N, \X and "^J" end a line, \~ is a blank, a
// stacked \Sa^b; \Sa/b; or \Sa#b; reads "a/b". A blank line between others stays
// as "" so the lines after it keep their place; blank lines at the end are dropped,
// and a text showing nothing gives no line at all.
std::vector<std::string> PlainMTextLines(std::string_view bytes, DxfCodePage codePage);

} // namespace vektrano
