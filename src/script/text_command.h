#pragma once

#include "dxf/text_layout.h"
#include "geometry/point.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vektrano {

// What became of a text's characters on their way into the script.
struct TextCharacterCounts
{
    std::size_t replaced = 0; // not in the script's code page, or malformed UTF-8: "?"
    std::size_t controls = 0; // control characters: a blank

    TextCharacterCounts& operator+=(const TextCharacterCounts& other)
    {
        replaced += other.replaced;
        controls += other.controls;
        return *this;
    }
};

// A UTF-8 line as Eagle's quoted text string in the script's code page
// (Windows-1252): in single quotes, "'" doubled, "\" doubled, a "!" that would
// start an overline written "\!", control characters as blanks, characters the
// code page lacks as "?". The result never holds a line break. nullopt when the
// line shows nothing but blanks.
std::optional<std::string> EagleTextString(std::string_view utf8Line, TextCharacterCounts& counts);

// "S[M]Rangle": the angle in tenths of a degree from 0 to 359.9, a negative one
// turned positive, 359.96 rounding to 0. Spin is always set, so Eagle keeps the
// drawing's angle instead of turning the text upright.
std::string TextOrientationText(double angleDegrees, bool mirrored);

// Appends "Text 'STRING' S[M]Rangle (x y);" and CR LF; false (and nothing
// appended) when the line shows nothing.
bool AppendTextCommand(std::string& out, std::string_view utf8Line, double angleDegrees,
                       bool mirrored, Point at, TextCharacterCounts& counts);

// "Bottom Left", "Center", "Top Right", ...: the keywords of `Change Align`.
std::string_view AlignKeywords(TextAlign align);

// How the next text is to look. Size in mm, finite (the caller keeps it within
// Eagle's limits); ratio is the stroke in percent of the height and is clamped to
// Eagle's 0 to 31.
struct TextStyle
{
    double size = 1;
    int ratio = 8;
    TextAlign align;
};

// The text settings last written to the script. Start with one per script.
struct TextChangeState
{
    bool fontWritten = false;
    std::string size; // as written; empty until the first
    std::optional<int> ratio;
    std::optional<TextAlign> align;
};

// Appends the `Change` lines (each with CR LF) that make the script's settings
// match style: `Change Font Vector;` once, then Size, Ratio and Align each only
// when it differs from what was written last.
void AppendTextChanges(std::string& out, TextChangeState& state, const TextStyle& style);

} // namespace vektrano
