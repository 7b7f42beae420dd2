#pragma once

#include "dxf/drawing.h"
#include "expand/expansion_plan.h"
#include "geometry/arc.h"

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace vektrano {

// What one DXF layer holds in the drawn space, blocks expanded, whether or not the
// layer is shown: the table a user edits a layer map from.
struct LayerContent
{
    std::string name;     // UTF-8, as the file spells it
    bool inTable = false; // named in the LAYER table, not only by entities
    bool off = false;
    bool frozen = false;
    std::array<long long, kDxfKinds> entities{}; // per kind; INSERTs are not counted
    Box extent;                                  // millimetres, of what it draws
};

struct LayerListing
{
    // The LAYER table's order, then layers that only entities name, in the order
    // they are met.
    std::vector<LayerContent> layers;
};

// Lists every layer of a read and planned drawing. Stops only where drawing it
// would stop (a value that is no number).
[[nodiscard]] ExpandStopOr ListLayers(const LineTable& lines, const Drawing& drawing,
                                      const ExpandSettings& settings, const ExpansionPlan& plan,
                                      LayerListing& listing,
                                      const std::function<void()>& pause = {});

// A layer map for the listing, ready to edit: one rule per layer with the
// suggested Eagle layer and kind, and a comment with what the layer holds.
std::string LayerListingMap(const LayerListing& listing, std::string_view drawingName);

// "3 LINE, 1 CIRCLE; aus; 100 x 80 mm": the comment a listed layer gets.
std::string LayerContentSummary(const LayerContent& layer);

} // namespace vektrano
