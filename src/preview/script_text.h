#pragma once

#include "script_picture.h"

#include <optional>
#include <string>
#include <string_view>

// What the preview needs to read and place a script's Text: its string, its
// orientation and the box it covers.
namespace vektrano {

// A Text's string as the script holds it (between its quotes, or one bare word)
// in UTF-8: "''" inside quotes is one quote, "\\" a backslash, "\!" an
// exclamation mark; the bytes are Windows-1252, as the writer's code page is.
// Control characters become "?", so the SVG stays well formed.
std::string DecodeScriptText(std::string_view raw, bool quoted);

// [S][M]R<angle>, e.g. "R90", "MR0", "SMR33.3"; the angle brought into [0, 360).
struct Orientation
{
    double angle = 0;
    bool mirror = false;
    bool spin = false;
};
std::optional<Orientation> ReadOrientation(std::string_view word);

// Where a text's strokes lie, estimated from its height and the number of its
// characters (each 0.8 of the height wide), turned and mirrored as it is shown.
Box TextBox(Point anchor, const TextShape& text);

// How Eagle shows a text: without the spin flag, a text turned beyond a quarter
// and up to three quarters is turned upright by half a turn, its anchor now at
// the opposite corner, so it reads from the front or the right.
struct TextPlacement
{
    double angle = 0;
    TextHorizontal align = TextHorizontal::Left;
    TextBaseline baseline = TextBaseline::Bottom;
};
TextPlacement ShownPlacement(const TextShape& text);

// The fraction of a text's width left of its anchor, and of its height below it.
double AlignFraction(TextHorizontal align);
double BaselineFraction(TextBaseline baseline);

} // namespace vektrano
