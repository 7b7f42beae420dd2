// Stand-in for the run's layer listing while it is written on another branch:
// the layer dialog needs something to link against. Drop this file and its line
// in CMakeLists.txt when src/run/layer_listing_run.cpp and
// src/board/layer_listing.cpp arrive; the dialog codes against their headers.
// It counts the ENTITIES section's entities per layer and reads the LAYER table;
// no blocks, no extent.
#include "board/layer_listing.h"
#include "run/layer_listing_run.h"

#include <QFile>
#include <charconv>
#include <unordered_map>

namespace vektrano {

namespace {

constexpr const char* kKindNames[kDxfKinds] = {"LINE",       "CIRCLE",  "ARC",    "POLYLINE",
                                               "LWPOLYLINE", "ELLIPSE", "SPLINE", "INSERT"};

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

} // namespace

std::variant<LayerListing, std::string> ReadLayerListing(const std::string& path,
                                                         const std::function<void()>& pause)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly))
        return "Die DXF Datei " + path + " kann nicht gelesen werden.";
    const QByteArray bytes = file.readAll();
    const std::string_view text(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    std::vector<std::string_view> lines;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = text.find('\n', at);
        lines.push_back(Trimmed(text.substr(at, end == std::string_view::npos ? end : end - at)));
        at = end == std::string_view::npos ? text.size() : end + 1;
    }
    LayerListing listing;
    std::unordered_map<std::string, std::size_t> index;
    auto layerAt = [&](std::string_view name) -> LayerContent& {
        const auto [place, added] = index.emplace(LayerKey(name), listing.layers.size());
        if (added) {
            listing.layers.emplace_back();
            listing.layers.back().name = name;
        }
        return listing.layers[place->second];
    };
    std::string_view section;
    std::string_view record;
    bool inLayerTable = false;
    LayerContent* layer = nullptr;
    int kind = -1;
    for (std::size_t i = 0; i + 1 < lines.size(); i += 2) {
        if (pause && i % 65536 == 0)
            pause();
        int code = 0;
        const std::string_view codeText = lines[i];
        if (std::from_chars(codeText.data(), codeText.data() + codeText.size(), code).ec !=
            std::errc())
            return "Die DXF Datei " + path + " ist keine lesbare DXF Datei.";
        const std::string_view value = lines[i + 1];
        if (code == 0) {
            record = value;
            layer = nullptr;
            kind = -1;
            for (std::size_t k = 0; k + 1 < kDxfKinds; ++k)
                if (value == kKindNames[k])
                    kind = static_cast<int>(k);
            if (value == "ENDTAB")
                inLayerTable = false;
        } else if (code == 2 && record == "SECTION") {
            section = value;
        } else if (code == 2 && record == "TABLE") {
            inLayerTable = value == "LAYER";
        } else if (code == 2 && record == "LAYER" && inLayerTable) {
            layer = &layerAt(value);
            layer->inTable = true;
        } else if (code == 62 && layer && !value.empty() && value.front() == '-') {
            layer->off = true;
        } else if (code == 70 && layer) {
            int flags = 0;
            std::from_chars(value.data(), value.data() + value.size(), flags);
            layer->frozen = (flags & 1) != 0;
        } else if (code == 8 && section == "ENTITIES" && kind >= 0) {
            ++layerAt(value).entities[static_cast<std::size_t>(kind)];
            kind = -1;
        }
    }
    return listing;
}

std::string LayerContentSummary(const LayerContent& layer)
{
    std::string text;
    for (std::size_t k = 0; k < kDxfKinds; ++k) {
        if (layer.entities[k] == 0)
            continue;
        if (!text.empty())
            text += ", ";
        text += std::to_string(layer.entities[k]) + ' ' + kKindNames[k];
    }
    if (text.empty())
        text = "leer";
    if (layer.off)
        text += "; aus";
    if (layer.frozen)
        text += "; gefroren";
    return text;
}

} // namespace vektrano
