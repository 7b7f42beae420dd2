#include "run_report.h"

#include "script/cp1252.h"
#include "script/number_rules.h"

#include <cmath>
#include <utility>

namespace vektrano {

std::string LogNumber(double value)
{
    std::string text = NumberText(value);
    for (char& c : text)
        if (c == '.')
            c = ',';
    return text;
}

std::string ListHeading(std::string_view what)
{
    std::string text = "Fehlermeldungen / ";
    text += what;
    text += " der DXF Datei: \r\n";
    text += std::string(76, '-');
    text += CRLF;
    return text;
}

// The rows go to the log in pieces of about a megabyte: a hostile drawing's tally
// of millions of names must not stand in memory once more as one text.
void AppendTallyRows(const UnknownTally& tally, std::string_view label, RunLog& log,
                     bool (*skip)(std::string_view name))
{
    constexpr std::size_t kPiece = std::size_t{1} << 20;
    std::string rows;
    rows.reserve(kPiece + 256);
    for (const auto& row : tally.Rows()) {
        if (skip && skip(row.name))
            continue;
        rows += label;
        rows += ": \t";
        rows += std::to_string(row.count);
        rows += "x\t";
        AppendCp1252AsUtf8(rows, row.name);
        rows += CRLF;
        if (rows.size() >= kPiece) {
            log.Append(rows);
            rows.clear();
        }
    }
    log.Append(rows);
}

std::string ReportEnd(std::span<const KindCount> kinds)
{
    static constexpr std::pair<const char*, const char*> kLabels[] = {
        {"Anzahl Linien: ", "\t\t"},   {"Anzahl Kreise: ", "\t\t"},
        {"Anzahl Halbkreise: ", "\t"}, {"Anzahl Polyline: ", "\t\t"},
        {"Anzahl LWPolyline: ", "\t"}, {"Anzahl Ellipsen: ", "\t\t"},
        {"Anzahl Splines: ", "\t\t"},  {"Anzahl Blockreferenzen: ", "\t"},
    };
    std::string text = std::string(66, '=') + "\r\n\r\n";
    for (std::size_t i = 0; i < kinds.size() && i < std::size(kLabels); ++i) {
        text += kLabels[i].first;
        text += std::to_string(kinds[i].met);
        text += kLabels[i].second;
        text += " davon konvertiert: ";
        text += std::to_string(kinds[i].drawn);
        text += CRLF;
    }
    return text;
}

StopOr WriteHeader(WindowOperations& window, ScriptFile& script)
{
    const std::string layerText = window.ReadField(Field::Txt_Layer);
    const double layer = ReadLayerNumber(layerText);
    if (!std::isfinite(layer))
        return ErrorStop("Ungültiger Layer: \"" + layerText + "\"");
    WriteScriptHeader(script, layer);
    return std::nullopt;
}

Stop OpenFailure(const std::string& scrPath, int error, bool inFolder)
{
    // A user who may write the old script would not look at its folder unasked.
    return ErrorStop("SCR Datei kann nicht geschrieben werden: " + scrPath + " (" +
                     (inFolder ? "im Ordner kann keine Datei angelegt werden: " : "") +
                     SystemReason(error) + ")");
}

Stop WriteFailure(const std::string& scrPath, int error)
{
    return ErrorStop("Fehler beim Schreiben der SCR Datei: " + scrPath + " (" +
                     SystemReason(error) + ")");
}

} // namespace vektrano
