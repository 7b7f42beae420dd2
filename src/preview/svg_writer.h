#pragma once

#include "picture_colours.h"
#include "script_picture.h"

#include <functional>
#include <string>
#include <string_view>

namespace vektrano {

// The picture as an SVG 1.1 document: millimetres in the viewBox, y upwards, one
// element per script line (or per command, when a line holds several), arcs as
// arc commands, the lines not shown in a comment. A picture of several layers
// has a group per layer, <g id="layer-20">, in the layer's colour; open contour
// ends are red rings in a group of their own. Written in pieces of a few
// kilobytes to sink.
void WriteSvg(const ScriptPicture& picture, const std::function<void(std::string_view)>& sink);

// Writes the SVG to a file; 0, or the errno of the failure.
int WriteSvgFile(const ScriptPicture& picture, const std::string& path);

} // namespace vektrano
