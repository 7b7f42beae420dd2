#pragma once

#include "dxf/code_page.h"
#include "layer_map.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vektrano {

// Where the primitives of one DXF layer go. rule is null for a layer no rule
// matches: it goes to the layer field as lines.
struct LayerRoute
{
    const LayerRule* rule = nullptr;
    std::size_t index = 0; // of the DXF layer, in the order the drawing first names it
    bool Off() const { return rule && !rule->eagleLayer; }
    LayerKind Kind() const { return rule ? rule->kind : LayerKind::Lines; }
};

// The map's answer for each DXF layer, found once per layer: a drawing has few
// layers and millions of primitives, and consecutive primitives mostly share one.
class LayerRoutes
{
public:
    LayerRoutes(const LayerMap& map, DxfCodePage page)
        : map_(map)
        , page_(page)
    {}

    const LayerRoute& Of(std::string_view layer);
    // The DXF layers met so far, UTF-8, in their index order.
    const std::vector<std::string>& Names() const { return names_; }
    // The same layers as the drawing's tables key them.
    const std::vector<std::string>& Keys() const { return keys_; }

private:
    const LayerMap& map_;
    DxfCodePage page_;
    std::unordered_map<std::string, LayerRoute> routes_;
    std::vector<std::string> names_;
    std::vector<std::string> keys_;
    std::string key_;
    std::string_view lastLayer_;
    const LayerRoute* last_ = nullptr;
};

} // namespace vektrano
