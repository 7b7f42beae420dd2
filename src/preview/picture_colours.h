#pragma once

#include "script_picture.h"

#include <string_view>

// The colours the SVG and the window's preview share, as "#rrggbb".
namespace vektrano {

// A picture of one layer is drawn in the colours of its shape kinds.
std::string_view ShapeColour(ShapeKind kind);

// A picture of several layers is drawn in the colours of its layers: fixed,
// distinct ones for the layers a board drawing uses most, for every other
// number a hue of its own, the same on every run.
std::string_view LayerColour(int layer);

// The colour of one shape of the picture, by kind or by layer.
inline std::string_view ColourOf(const ScriptPicture& picture, const Shape& shape)
{
    return picture.ColourByLayer() ? LayerColour(shape.layer) : ShapeColour(shape.kind);
}

// The rings that mark an open contour's ends.
constexpr std::string_view kOpenEndColour = "#ff0000";

} // namespace vektrano
