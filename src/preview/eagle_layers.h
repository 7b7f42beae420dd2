#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace vektrano {

// The names a new Eagle board gives its predefined layers; a number with none
// (0, 50, anything above 52) gives an empty name.
inline std::string_view EagleLayerName(int layer)
{
    // 2 to 15 are the inner copper layers, named by their number.
    static constexpr std::array<std::string_view, 14> kInner = {
        "Route2", "Route3",  "Route4",  "Route5",  "Route6",  "Route7",  "Route8",
        "Route9", "Route10", "Route11", "Route12", "Route13", "Route14", "Route15"};
    static constexpr std::array<std::string_view, 37> kFrom16 = {
        "Bottom",   "Pads",     "Vias",     "Unrouted", "Dimension", "tPlace",    "bPlace",
        "tOrigins", "bOrigins", "tNames",   "bNames",   "tValues",   "bValues",   "tStop",
        "bStop",    "tCream",   "bCream",   "tFinish",  "bFinish",   "tGlue",     "bGlue",
        "tTest",    "bTest",    "tKeepout", "bKeepout", "tRestrict", "bRestrict", "vRestrict",
        "Drills",   "Holes",    "Milling",  "Measures", "Document",  "Reference", "",
        "tDocu",    "bDocu"};
    if (layer == 1)
        return "Top";
    if (layer >= 2 && layer <= 15)
        return kInner[static_cast<std::size_t>(layer - 2)];
    if (layer >= 16 && layer <= 52)
        return kFrom16[static_cast<std::size_t>(layer - 16)];
    return {};
}

} // namespace vektrano
