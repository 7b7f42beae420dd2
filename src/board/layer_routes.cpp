#include "layer_routes.h"

#include "dxf/drawing.h"

namespace vektrano {

const LayerRoute& LayerRoutes::Of(std::string_view layer)
{
    // The name views the drawing's own text, so an equal view is the same layer.
    if (last_ && layer.data() == lastLayer_.data() && layer.size() == lastLayer_.size())
        return *last_;
    key_ = LayerKey(layer);
    auto found = routes_.find(key_);
    if (found == routes_.end()) {
        std::string name = DxfTextToUtf8(layer, page_);
        LayerRoute route{map_.Match(name), names_.size()};
        names_.push_back(std::move(name));
        keys_.push_back(key_);
        found = routes_.emplace(key_, route).first;
    }
    lastLayer_ = layer;
    last_ = &found->second;
    return *last_;
}

} // namespace vektrano
