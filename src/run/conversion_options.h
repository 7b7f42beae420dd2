#pragma once

#include "board/layer_map.h"
#include "expand/limits.h"
#include "geometry/units.h"

#include <optional>
#include <string>

namespace vektrano {

// How START converts, beside what the form's fields say: the window fills it from
// its menu, the command line from its options, so both give the same script.
struct ConversionOptions
{
    // Off: the classic conversion, byte for byte as it always was.
    bool fullGeometry = false;
    // Overrides the drawing's own unit in full geometry.
    std::optional<DrawingUnit> drawingUnit;
    // How far a flattened curve may stray from the true one, in millimetres.
    double tolerance = kDefaultTolerance;
    // DXF layers onto Eagle layers; given, the run is full geometry grouped by
    // Eagle layer. layerMapOrigin names it in the log (a file, or the window).
    std::optional<LayerMap> layerMap;
    std::string layerMapOrigin;
    // The largest gap between two ends that contour welding closes, in millimetres.
    double weldTolerance = 0.01;
    // The stroke of a text in percent of its height (Eagle's ratio, 0 to 31).
    int textRatio = 8;
};

} // namespace vektrano
