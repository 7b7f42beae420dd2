#include "layer_listing_run.h"

#include "line_loading.h"
#include "run_log.h"
#include "script/converters.h"

namespace vektrano {

std::variant<LayerListing, std::string> ReadLayerListing(const std::string& path,
                                                         const std::function<void()>& pause)
{
    std::string text;
    if (const int error = LoadDxfFile(path, text, pause))
        return "DXF Datei kann nicht gelesen werden: " + path + " (" + SystemReason(error) + ")";
    // The run tries the same separators in this order.
    LineTable lines;
    for (const std::string_view separator : {"\r\n", "\r", "\n"}) {
        lines.Cut(text, separator, pause);
        if (lines.SeparatorCount() != 0)
            break;
    }
    if (lines.SeparatorCount() == 0)
        return "DXF Datei hat ein unbekanntes Format: " + path;
    lines.Shift();
    Drawing drawing;
    if (const auto badCode = ReadDrawing(lines, drawing, pause))
        return InvalidNumberStop(lines, *badCode).text;
    const ExpandSettings settings;
    ExpansionPlan plan;
    LayerListing listing;
    auto stop = PlanExpansion(lines, drawing, settings, plan, pause);
    if (!stop)
        stop = ListLayers(lines, drawing, settings, plan, listing, pause);
    if (stop) {
        if (stop->fault == ExpandFault::BadNumber)
            return InvalidNumberStop(lines, stop->line).text;
        // Too large to draw: what the table and the entities name is still worth listing.
        return "DXF Datei zu groß für eine Übersicht der Layer: " + path;
    }
    return listing;
}

} // namespace vektrano
