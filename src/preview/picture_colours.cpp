#include "picture_colours.h"

#include <array>
#include <cmath>
#include <string>

namespace vektrano {

namespace {

struct FixedColour
{
    int layer;
    std::string_view colour;
};

constexpr FixedColour kFixed[] = {
    {1, "#d62728"},  {16, "#1f77b4"}, {20, "#303030"}, {21, "#9a9a10"}, {22, "#8c564b"},
    {29, "#17becf"}, {39, "#e377c2"}, {41, "#ff7f0e"}, {45, "#9467bd"}, {46, "#2ca02c"},
    {47, "#7f7f7f"}, {48, "#0b5345"}, {51, "#5b2c6f"},
};

// A hue the golden angle on from the last number's, dark enough on white.
std::string SpreadColour(int layer)
{
    const double hue = std::fmod(layer * 137.508, 360.0) / 60;
    constexpr double kChroma = 0.46; // saturation 0.55 at lightness 0.42
    constexpr double kLightness = 0.42;
    const double x = kChroma * (1 - std::fabs(std::fmod(hue, 2.0) - 1));
    const double parts[6][3] = {{kChroma, x, 0}, {x, kChroma, 0}, {0, kChroma, x},
                                {0, x, kChroma}, {x, 0, kChroma}, {kChroma, 0, x}};
    const double* rgb = parts[static_cast<int>(hue) % 6];
    const double lift = kLightness - kChroma / 2;
    constexpr char kHex[] = "0123456789abcdef";
    std::string colour = "#";
    for (int i = 0; i < 3; ++i) {
        const int value = static_cast<int>(std::lround((rgb[i] + lift) * 255));
        colour += kHex[value / 16];
        colour += kHex[value % 16];
    }
    return colour;
}

} // namespace

std::string_view ShapeColour(ShapeKind kind)
{
    switch (kind) {
    case ShapeKind::Wire: return "#1f5fbf";
    case ShapeKind::Arc: return "#c0392b";
    case ShapeKind::RadiusArc: return "#d68910";
    case ShapeKind::Circle: return "#1e8449";
    case ShapeKind::Hole: return "#7d3c98";
    case ShapeKind::Text: return "#2c3e50";
    case ShapeKind::Polygon: return "#17a589";
    }
    return "#000000";
}

std::string_view LayerColour(int layer)
{
    static const std::array<std::string, 256> kColours = [] {
        std::array<std::string, 256> colours;
        for (int n = 0; n < 256; ++n)
            colours[static_cast<std::size_t>(n)] = SpreadColour(n);
        for (const FixedColour& fixed : kFixed)
            colours[static_cast<std::size_t>(fixed.layer)] = fixed.colour;
        return colours;
    }();
    return layer >= 0 && layer < 256 ? std::string_view(kColours[static_cast<std::size_t>(layer)])
                                     : std::string_view("#000000");
}

} // namespace vektrano
