#pragma once

#include "script_picture.h"

#include <vector>

namespace vektrano {

// The preview cannot tell which layers hold board contours; on Eagle's
// Dimension and Milling layers every wire is part of one.
constexpr std::uint8_t kContourLayers[] = {20, 46};

// The ends of wires and arcs on the contour layers that no other end on the same
// layer meets: first layer 20's, then 46's, each in the order of the shapes.
// Ends meet when they lie within 1e-9 of the layer's largest coordinate (at least
// 1e-9 mm) of each other; the writer gives welded ends the same text, so only
// rounding separates them. Linear in the number of shapes.
std::vector<OpenEnd> FindOpenEnds(const std::vector<Shape>& shapes);

} // namespace vektrano
