#pragma once

#include "geometry/point.h"

#include <cstddef>
#include <string>
#include <vector>

namespace vektrano {

// Eagle's nine text alignments, as `Change Align` sets them.
enum class HorizontalAlign : unsigned char {
    Left,
    Center,
    Right,
};
enum class VerticalAlign : unsigned char {
    Bottom,
    Center,
    Top,
};

struct TextAlign
{
    HorizontalAlign horizontal = HorizontalAlign::Left;
    VerticalAlign vertical = VerticalAlign::Bottom;

    friend constexpr bool operator==(TextAlign, TextAlign) = default;
};

// Which of a TEXT's points the Eagle text is placed at.
enum class TextAnchor : unsigned char {
    First,   // 10/20
    Second,  // 11/21
    Between, // midway between the two: "aligned" and "fit" texts
};

struct TextPlacement
{
    TextAlign align;
    TextAnchor anchor = TextAnchor::First;

    friend constexpr bool operator==(TextPlacement, TextPlacement) = default;
};

// A TEXT's or ATTRIB's alignment from its horizontal (72) and vertical code (73 in
// TEXT, 74 in ATTRIB). Eagle has no baseline, so baseline and bottom both become
// bottom; "middle" (72 = 4) is centred both ways; "aligned" and "fit" (3, 5) stretch
// the text between the two points, which Eagle cannot, so the text is centred on the
// baseline midway between them. Codes out of range count as 0.
TextPlacement TextAlignment(int horizontal, int vertical);

// An MTEXT's alignment from its attachment point (71): 1 to 9 run top, middle,
// bottom by left, center, right. Out of range counts as 1 (top left).
TextAlign MTextAlignment(int attachment);

// The Eagle orientation of a text: the angle to write and whether to write M.
// DXF mirrors a TEXT in its own frame before turning it (71: 2 backward, 4
// upside down); this assumes Eagle's M does the same, so upside down is M with a
// half turn more, and both together are a half turn.
struct TextOrientation
{
    double angle = 0; // degrees, counter-clockwise
    bool mirrored = false;
};
TextOrientation TextMirrorFlags(double angleDegrees, bool backward, bool upsideDown);

// The distance between two lines of an MTEXT: 5/3 of the height times its line
// spacing factor (44). A factor outside AutoCAD's 0.25 to 4 is clamped to it; a
// missing or unreadable one (pass 0 or a non-finite value) counts as 1.
double MTextLineSpacing(double height, double spacingFactor);

// Where line `index` of `count` lines goes when the whole block is anchored at
// `anchor` with the given vertical attachment: the lines stack down the text's
// turned "down" direction from the anchor (top), around it (center), or up to it
// (bottom). Each line then keeps the block's alignment at its own anchor.
Point TextLineAnchor(Point anchor, double angleDegrees, double lineSpacing,
                     VerticalAlign attachment, std::size_t index, std::size_t count);

// A text as it lands on the board: its lines in UTF-8 from the top, each to be
// written with the same height, angle and alignment. Eagle's angle and mirror
// flag describe the text's frame: M mirrors the text in its own frame, then the
// angle turns it, so every later line lies further down that frame.
struct PlacedText
{
    std::vector<std::string> lines; // "" keeps the place of a blank line
    Point anchor;                   // of the first line, mm
    double height = 0;              // mm
    double angle = 0;               // degrees, counter-clockwise
    bool mirrored = false;
    TextAlign align;
    double lineSpacing = 0; // mm from one line's anchor to the next
};

// The anchor of line `index`: the first line's moved down the text's frame.
Point LineAnchor(const PlacedText& text, std::size_t index);

} // namespace vektrano
