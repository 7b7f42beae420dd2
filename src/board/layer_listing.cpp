#include "layer_listing.h"

#include "dxf/code_page.h"
#include "expand/expansion.h"
#include "layer_map.h"
#include "layer_suggestion.h"
#include "script/number_rules.h"

#include <cmath>
#include <unordered_map>

namespace vektrano {

namespace {

// Finds each primitive's layer row; a drawing names few layers, so the last one
// found is remembered and most primitives cost one comparison.
class ListingSink final : public PrimitiveSink
{
public:
    ListingSink(const Drawing& drawing, DxfCodePage page, LayerListing& listing)
        : page_(page)
        , listing_(listing)
    {
        for (const std::string& name : drawing.layerNames) {
            LayerContent layer;
            layer.name = DxfTextToUtf8(name, page);
            layer.inTable = true;
            const DxfLayer& state = drawing.layers.at(LayerKey(name));
            layer.off = state.off;
            layer.frozen = state.frozen;
            rows_.emplace(LayerKey(name), listing_.layers.size());
            listing_.layers.push_back(std::move(layer));
        }
    }

    void Entity(const PrimitiveSource& source, bool) override
    {
        ++Row(source.layer).entities[static_cast<std::size_t>(source.kind)];
    }
    void Segment(const PrimitiveSource& source, Point from, Point to) override
    {
        Box& box = Row(source.layer).extent;
        box.Add(from);
        box.Add(to);
    }
    void Arc(const PrimitiveSource& source, Point from, Point to, double sweepDegrees) override
    {
        AddArcExtent(Row(source.layer).extent, from, to, sweepDegrees);
    }
    void Circle(const PrimitiveSource& source, Point centre, double radius) override
    {
        AddCircleExtent(Row(source.layer).extent, {centre, radius});
    }
    void Chain(const PrimitiveSource& source, std::span<const Point> points) override
    {
        Box& box = Row(source.layer).extent;
        for (const Point p : points)
            box.Add(p);
    }

    void Text(const PrimitiveSource& source, const PlacedText& text) override
    {
        Row(source.layer).extent.Add(text.anchor);
    }
    void Area(const PrimitiveSource& source, const PlacedArea& area) override
    {
        Box& box = Row(source.layer).extent;
        for (const auto& ring : area.rings)
            for (const Point p : ring)
                box.Add(p);
    }

private:
    LayerContent& Row(std::string_view layer)
    {
        if (last_ && layer == lastName_)
            return listing_.layers[lastRow_];
        key_ = LayerKey(layer);
        auto found = rows_.find(key_);
        if (found == rows_.end()) {
            LayerContent row;
            row.name = DxfTextToUtf8(layer, page_);
            found = rows_.emplace(key_, listing_.layers.size()).first;
            listing_.layers.push_back(std::move(row));
        }
        last_ = true;
        lastName_ = layer;
        lastRow_ = found->second;
        return listing_.layers[lastRow_];
    }

    DxfCodePage page_;
    LayerListing& listing_;
    std::unordered_map<std::string, std::size_t> rows_;
    std::string key_;
    bool last_ = false;
    std::string_view lastName_;
    std::size_t lastRow_ = 0;
};

std::string Millimetres(double value)
{
    // A tenth of a millimetre is what a user checks an extent against.
    std::string text = NumberText(std::round(value * 10) / 10);
    for (char& c : text)
        if (c == '.')
            c = ',';
    return text;
}

} // namespace

ExpandStopOr ListLayers(const LineTable& lines, const Drawing& drawing,
                        const ExpandSettings& settings, const ExpansionPlan& plan,
                        LayerListing& listing, const std::function<void()>& pause)
{
    listing = {};
    ExpandSettings all = settings;
    all.drawHiddenLayers = true;
    all.texts = all.areas = true;
    ListingSink sink(drawing, CodePageOfDrawing(lines, drawing.acadver), listing);
    ExpansionReport report;
    ExpansionHooks hooks;
    hooks.onPause = pause;
    return Expand(lines, drawing, all, plan, {}, sink, report, hooks);
}

std::string LayerContentSummary(const LayerContent& layer)
{
    std::string text;
    for (std::size_t i = 0; i < kDxfKinds; ++i) {
        if (layer.entities[i] == 0)
            continue;
        if (!text.empty())
            text += ", ";
        text += std::to_string(layer.entities[i]);
        text += ' ';
        text += DxfKindName(static_cast<DxfKind>(i));
    }
    if (text.empty())
        text = "leer";
    if (layer.frozen)
        text += "; gefroren";
    else if (layer.off)
        text += "; aus";
    if (!layer.inTable)
        text += "; nicht in der Layer-Tabelle";
    if (!layer.extent.Empty())
        text += "; " + Millimetres(layer.extent.max.x - layer.extent.min.x) + " x " +
                Millimetres(layer.extent.max.y - layer.extent.min.y) + " mm";
    return text;
}

std::string LayerListingMap(const LayerListing& listing, std::string_view drawingName)
{
    LayerMap map;
    std::vector<std::string> comments;
    for (const LayerContent& layer : listing.layers) {
        const LayerSuggestion suggestion = SuggestLayer(layer.name);
        LayerRule rule;
        rule.pattern = layer.name;
        rule.eagleLayer = suggestion.eagleLayer;
        rule.kind = suggestion.kind;
        // A layer that holds texts or fills would lose them as lines only.
        bool textsOrAreas = false;
        for (std::size_t i = 0; i < kDxfKinds; ++i)
            textsOrAreas = textsOrAreas ||
                           (IsTextOrAreaKind(static_cast<DxfKind>(i)) && layer.entities[i] != 0);
        if (rule.kind == LayerKind::Lines && textsOrAreas)
            rule.kind = LayerKind::All;
        map.rules.push_back(std::move(rule));
        comments.push_back(LayerContentSummary(layer));
    }
    std::string text = "# Layer-Zuordnung für ";
    // A line break in the file name would end the comment and start a rule.
    for (char c : drawingName)
        text += c == '\n' || c == '\r' ? ' ' : c;
    text += "\n# Eagle-Layer und Art sind Vorschläge nach dem Namen des Layers: bitte prüfen.\n"
            "# Art: linien, kontur (Umriss, geschlossen geprüft), bohrung[:MIN-MAX] (Kreise als "
            "Bohrungen),\n# text, flaechen (gefüllte Flächen), alles (Linien, Texte und Flächen); "
            "aus: nicht übernehmen.\n";
    return text + WriteLayerMap(map, comments);
}

} // namespace vektrano
