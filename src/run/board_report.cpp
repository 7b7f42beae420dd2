#include "board_report.h"

#include "run_log.h"
#include "run_report.h"

#include <algorithm>
#include <cmath>

namespace vektrano {

namespace {

// Eagle's free and light editions place nothing outside a board of this size.
constexpr double kSmallBoardWidth = 100;
constexpr double kSmallBoardHeight = 80;
constexpr std::size_t kDiametersListed = 20;

std::string Millimetres(double value) { return LogNumber(std::round(value * 1000) / 1000); }

std::string PointText(Point p)
{
    // Built by appending: g++ 12 warns falsely about "(" + a temporary.
    std::string text(1, '(');
    text += Millimetres(p.x);
    text += ' ';
    text += Millimetres(p.y);
    text += ')';
    return text;
}

std::string Size(const Box& box)
{
    return Millimetres(box.max.x - box.min.x) + " x " + Millimetres(box.max.y - box.min.y) + " mm";
}

std::string LayerName(double layer) { return "Layer " + LogNumber(layer); }

std::string Tally(const EagleLayerTally& tally)
{
    return LayerName(tally.layer) + ": " + std::to_string(tally.wires) + " Linien, " +
           std::to_string(tally.arcs) + " Bögen, " + std::to_string(tally.circles) + " Kreise, " +
           std::to_string(tally.holes) + " Bohrungen" + std::string(CRLF);
}

std::string Contours(const ContourReport& contour)
{
    const std::string layer = LayerName(contour.layer);
    std::string text =
        "Kontur auf " + layer + ": " + std::to_string(contour.closed) + " geschlossen";
    if (contour.board)
        text += ", die größte " + Size(*contour.board) +
                " (die Platine), Ausschnitte darin: " + std::to_string(contour.cutOuts);
    text += "; größte geschlossene Lücke " + Millimetres(contour.largestGap) + " mm" +
            std::string(CRLF);
    if (contour.open != 0) {
        text += "ACHTUNG: Kontur auf " + layer +
                " nicht geschlossen: " + std::to_string(contour.open) +
                " offene Ketten. Eagle braucht einen geschlossenen Umriss." + std::string(CRLF);
        for (const auto& [from, to] : contour.openEnds)
            text += "  offen von " + PointText(from) + " bis " + PointText(to) + std::string(CRLF);
        if (contour.open > contour.openEnds.size())
            text += "  und " + std::to_string(contour.open - contour.openEnds.size()) +
                    " weitere offene Ketten" + std::string(CRLF);
    }
    if (contour.crossings != 0)
        text += "Kontur auf " + layer + ": Ketten kreuzen oder überlappen sich (" +
                (contour.crossingsComplete ? "" : "mindestens ") +
                std::to_string(contour.crossings) + " Stellen), gezeichnet wie sie sind." +
                std::string(CRLF);
    else if (!contour.crossingsComplete)
        text += "Kontur auf " + layer + ": zu groß, um sie ganz auf Kreuzungen zu prüfen." +
                std::string(CRLF);
    return text;
}

std::string_view WhyText(UndrawnLayer::Why why)
{
    switch (why) {
    case UndrawnLayer::Why::Map: return "aus laut Layer-Zuordnung";
    case UndrawnLayer::Why::Off: return "Layer aus";
    case UndrawnLayer::Why::Frozen: return "Layer gefroren";
    }
    return {};
}

} // namespace

std::string BoardReportText(const BoardReport& report)
{
    std::string text;
    for (const EagleLayerTally& tally : report.layers)
        text += Tally(tally);
    for (const ContourReport& contour : report.contours)
        text += Contours(contour);
    if (!report.holes.empty()) {
        text += "Bohrungen:";
        const char* separator = " ";
        // A drawing of thousands of sizes is no drill table: the first ones, then a count.
        const std::size_t listed = std::min(report.holes.size(), kDiametersListed);
        for (std::size_t i = 0; i < listed; ++i) {
            const DiameterCount& holes = report.holes[i];
            text += separator + std::to_string(holes.count) + "x " + Millimetres(holes.diameter) +
                    " mm";
            separator = ", ";
        }
        if (report.holes.size() > listed)
            text += " und " + std::to_string(report.holes.size() - listed) + " weitere Durchmesser";
        text += CRLF;
    }
    const TextAreaTally& written = report.written;
    if (written.texts != 0 || written.heightOutOfRange != 0)
        text += "Texte: " + std::to_string(written.texts) + " in " +
                std::to_string(written.textLines) + " Zeilen" + std::string(CRLF);
    if (written.heightOutOfRange != 0)
        text += "Texte nicht gezeichnet: " + std::to_string(written.heightOutOfRange) +
                "x Höhe außerhalb von 0,0001 bis 50,8 mm" + std::string(CRLF);
    if (written.characters.replaced + written.characters.controls != 0)
        text += "Zeichen in Texten durch \"?\" oder Leerzeichen ersetzt: " +
                std::to_string(written.characters.replaced + written.characters.controls) +
                std::string(CRLF);
    if (written.polygons != 0)
        text += "Gefüllte Flächen: " + std::to_string(written.polygons) + " Polygone" +
                std::string(CRLF);
    if (report.patterns != 0)
        text +=
            "Schraffurmuster nicht gezeichnet, nur ihr Rand: " + std::to_string(report.patterns) +
            "x" + std::string(CRLF);
    const auto lines = [](const std::vector<std::size_t>& listed, std::size_t count) {
        std::string out;
        for (const std::size_t line : listed)
            out += (out.empty() ? " " : ", ") + std::to_string(line);
        if (count > listed.size())
            out += " und " + std::to_string(count - listed.size()) + " weitere";
        return out;
    };
    if (report.repairedCount != 0)
        text += "Fläche mit sich selbst kreuzendem Rand, repariert: Zeile" +
                lines(report.repairedAreas, report.repairedCount) + std::string(CRLF);
    if (report.unusableCount != 0)
        text += "Fläche ohne gültiges Polygon, nicht gezeichnet: Zeile" +
                lines(report.unusableAreas, report.unusableCount) + std::string(CRLF);
    if (report.linesNotDrawn + report.textsNotDrawn + report.areasNotDrawn != 0)
        text +=
            "Nicht übernommen nach der Art ihres Layers: " + std::to_string(report.linesNotDrawn) +
            " Linien, " + std::to_string(report.textsNotDrawn) + " Texte, " +
            std::to_string(report.areasNotDrawn) + " Flächen" + std::string(CRLF);
    const Box& extent = report.extent;
    if (!extent.Empty() && (extent.max.x - extent.min.x > kSmallBoardWidth ||
                            extent.max.y - extent.min.y > kSmallBoardHeight))
        text += "Hinweis: die Zeichnung ist " + Size(extent) +
                " groß; Eagle Free und Light erlauben Platinen bis 100 x 80 mm." +
                std::string(CRLF);
    for (const UndrawnLayer& layer : report.undrawn)
        text += "Nicht übernommen: \t" + std::to_string(layer.entities) + "x\tLayer " + layer.name +
                " (" + std::string(WhyText(layer.why)) + ")" + std::string(CRLF);
    for (const LayerRule* rule : report.unmatched)
        text += "Regel ohne passenden Layer in der Zeichnung: " + rule->pattern + " (" +
                rule->origin + ", Zeile " + std::to_string(rule->line) + ")" + std::string(CRLF);
    return text;
}

} // namespace vektrano
