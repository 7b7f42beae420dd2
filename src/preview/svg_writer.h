#pragma once

#include "script_picture.h"

#include <functional>
#include <string>
#include <string_view>

namespace vektrano {

// Colours of the shape kinds, shared by the SVG and the window's preview, as
// "#rrggbb".
std::string_view ShapeColour(ShapeKind kind);

// The picture as an SVG 1.1 document: millimetres in the viewBox, y upwards, one
// element per script line (or per command, when a line holds several), arcs as
// arc commands, the lines not shown in a comment. Written in pieces of a few
// kilobytes to sink.
void WriteSvg(const ScriptPicture& picture, const std::function<void(std::string_view)>& sink);

// Writes the SVG to a file; 0, or the errno of the failure.
int WriteSvgFile(const ScriptPicture& picture, const std::string& path);

} // namespace vektrano
