#pragma once

#include "board/layer_listing.h"

#include <functional>
#include <string>
#include <variant>

namespace vektrano {

// Reads the DXF file at path on its own (the window's run state is left alone) and
// lists its layers, as --list-layers and the window's layer dialog show them.
// Gives a German message when the file cannot be read or drawn.
std::variant<LayerListing, std::string> ReadLayerListing(const std::string& path,
                                                         const std::function<void()>& pause = {});

} // namespace vektrano
