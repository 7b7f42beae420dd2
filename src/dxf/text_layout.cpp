#include "text_layout.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vektrano {

TextPlacement TextAlignment(int horizontal, int vertical)
{
    switch (horizontal) {
    case 3: // aligned
    case 5: // fit
        return {{HorizontalAlign::Center, VerticalAlign::Bottom}, TextAnchor::Between};
    case 4: // middle
        return {{HorizontalAlign::Center, VerticalAlign::Center}, TextAnchor::Second};
    default: break;
    }
    const HorizontalAlign across = horizontal == 1   ? HorizontalAlign::Center
                                   : horizontal == 2 ? HorizontalAlign::Right
                                                     : HorizontalAlign::Left;
    const VerticalAlign up = vertical == 2   ? VerticalAlign::Center
                             : vertical == 3 ? VerticalAlign::Top
                                             : VerticalAlign::Bottom;
    // Only a left, baseline text is placed at its first point; every other
    // justification puts the point that counts in 11/21.
    const bool plain = (horizontal < 1 || horizontal > 2) && (vertical < 1 || vertical > 3);
    return {{across, up}, plain ? TextAnchor::First : TextAnchor::Second};
}

TextAlign MTextAlignment(int attachment)
{
    if (attachment < 1 || attachment > 9)
        attachment = 1;
    constexpr VerticalAlign kRows[] = {VerticalAlign::Top, VerticalAlign::Center,
                                       VerticalAlign::Bottom};
    constexpr HorizontalAlign kColumns[] = {HorizontalAlign::Left, HorizontalAlign::Center,
                                            HorizontalAlign::Right};
    return {kColumns[(attachment - 1) % 3], kRows[(attachment - 1) / 3]};
}

TextOrientation TextMirrorFlags(double angleDegrees, bool backward, bool upsideDown)
{
    return {upsideDown ? angleDegrees + 180 : angleDegrees, backward != upsideDown};
}

double MTextLineSpacing(double height, double spacingFactor)
{
    const double factor = std::isfinite(spacingFactor) && spacingFactor > 0
                              ? std::clamp(spacingFactor, 0.25, 4.0)
                              : 1.0;
    return factor * 5.0 / 3.0 * height;
}

Point TextLineAnchor(Point anchor, double angleDegrees, double lineSpacing,
                     VerticalAlign attachment, std::size_t index, std::size_t count)
{
    const double last = count > 0 ? static_cast<double>(count - 1) : 0.0;
    const double step =
        static_cast<double>(index) - (attachment == VerticalAlign::Top      ? 0.0
                                      : attachment == VerticalAlign::Center ? last / 2
                                                                            : last);
    const double angle = angleDegrees * std::numbers::pi / 180;
    // The text's "down": its baseline direction turned a quarter clockwise.
    const Point down{std::sin(angle), -std::cos(angle)};
    return anchor + (step * lineSpacing) * down;
}

Point LineAnchor(const PlacedText& text, std::size_t index)
{
    return TextLineAnchor(text.anchor, text.angle, text.lineSpacing, VerticalAlign::Top, index,
                          text.lines.size());
}

} // namespace vektrano
