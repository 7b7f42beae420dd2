#include "full_geometry_run.h"

#include "auto_offset.h"
#include "script/converters.h"
#include "script/cp1252.h"
#include "script/full_geometry.h"
#include "script/number_rules.h"
#include "window_settings.h"

#include <cmath>

namespace vektrano {

namespace {

// A factor as the log shows it: German decimal comma.
std::string LogNumber(double value)
{
    std::string text = NumberText(value);
    for (char& c : text)
        if (c == '.')
            c = ',';
    return text;
}

std::string ModeLine(const FullGeometryReport& report)
{
    std::string line = "Vollständige Geometrie, ";
    if (!report.unitNamed)
        return line + "die Zeichnung nennt keine Einheit: Millimeter angenommen" +
               std::string(CRLF);
    line += report.unitGiven ? "Einheit vorgegeben: " : "Einheit der Zeichnung: ";
    line += report.unit.name;
    if (report.unit.millimetres != 1)
        line += " (× " + LogNumber(report.unit.millimetres) + " mm)";
    return line + std::string(CRLF);
}

void AppendRows(const UnknownTally& tally, std::string_view label, RunLog& log)
{
    std::string rows;
    for (const auto& row : tally.Rows()) {
        rows += label;
        rows += ": \t";
        rows += std::to_string(row.count);
        rows += "x\t";
        AppendCp1252AsUtf8(rows, row.name);
        rows += CRLF;
        if (rows.size() >= (std::size_t{1} << 20)) {
            log.Append(rows);
            rows.clear();
        }
    }
    log.Append(rows);
}

std::string Statistics(const FullGeometryReport& report)
{
    static constexpr std::pair<const char*, const char*> kLabels[kDxfKinds] = {
        {"Anzahl Linien: ", "\t\t"},   {"Anzahl Kreise: ", "\t\t"},
        {"Anzahl Halbkreise: ", "\t"}, {"Anzahl Polyline: ", "\t\t"},
        {"Anzahl LWPolyline: ", "\t"}, {"Anzahl Ellipsen: ", "\t\t"},
        {"Anzahl Splines: ", "\t\t"},  {"Anzahl Blockreferenzen: ", "\t"},
    };
    std::string text;
    for (std::size_t i = 0; i < kDxfKinds; ++i) {
        text += kLabels[i].first;
        text += std::to_string(report.kinds[i].met);
        text += kLabels[i].second;
        text += " davon konvertiert: ";
        text += std::to_string(report.kinds[i].drawn);
        text += CRLF;
    }
    return text;
}

Stop WriteFailure(const std::string& scrPath, int error)
{
    return ErrorStop("Fehler beim Schreiben der SCR Datei: " + scrPath + " (" +
                     SystemReason(error) + ")");
}

} // namespace

StopOr RunFullGeometry(WindowOperations& window, Variablen& state, const ConversionOptions& options,
                       ScriptFile& script, RunLog& log, const std::string& scrPath)
{
    const auto repaint = [&window] { window.Repaint(); };
    Drawing drawing;
    if (const auto badCode = ReadDrawing(state.Lines, drawing, repaint))
        return InvalidNumberStop(state.Lines, *badCode);

    // The classic conversion's own reading of the fields: a width with a line break
    // is refused, not written into the script.
    WindowSettings fields(window);
    FullGeometrySettings settings;
    std::string_view width;
    if (auto stop = fields.Width(width))
        return stop;
    settings.widthBytes = width;
    settings.line = window.ReadCheckBox(CheckBox::Chk_Line) != 0;
    settings.arc = window.ReadCheckBox(CheckBox::Chk_Arc) != 0;
    settings.circle = window.ReadCheckBox(CheckBox::Chk_Circle) != 0;
    settings.polyline = window.ReadCheckBox(CheckBox::Chk_Polyline) != 0;
    settings.unit = options.drawingUnit;
    settings.tolerance = options.tolerance;

    FullGeometry geometry(state.Lines, drawing, settings);
    geometry.onPause = repaint;
    if (auto stop = geometry.Prepare())
        return stop;
    const FullGeometryReport& report = geometry.Report();
    std::string intro = ModeLine(report);
    if (report.paperSpace)
        intro += "Der Modellbereich ist leer: der Papierbereich wird gezeichnet.\r\n";
    intro += "\r\nFehlermeldungen / nicht gezeichnete Objekte der DXF Datei: \r\n";
    intro += std::string(76, '-') + std::string(CRLF);
    log.Append(intro);

    const std::string layerText = window.ReadField(Field::Txt_Layer);
    const double layer = ReadLayerNumber(layerText);
    if (!std::isfinite(layer))
        return ErrorStop("Ungültiger Layer: \"" + layerText + "\"");
    WriteScriptHeader(script, layer);

    ProgressSteps progress(window);
    window.SetProgress(0);
    geometry.onProgress = [&progress](double value) { progress.Set(value); };
    if (window.ReadCheckBox(CheckBox::Chk_Auto_Offset) == 1) {
        Box extent;
        if (auto stop = geometry.Measure(extent))
            return stop;
        // Nothing drawn: nothing to move.
        const Point minimum = extent.Empty() ? Point{} : extent.min;
        window.WriteField(Field::Txt_Offset_X,
                          OffsetFieldText(minimum.x, window.DecimalSeparator()));
        window.WriteField(Field::Txt_Offset_Y,
                          OffsetFieldText(minimum.y, window.DecimalSeparator()));
    }
    Point offset;
    if (auto stop = fields.Offset(Axis::X, offset.x))
        return stop;
    if (auto stop = fields.Offset(Axis::Y, offset.y))
        return stop;
    if (auto stop = geometry.Write(script, offset))
        return stop;
    if (script.Failed() || !script.Close(repaint))
        return WriteFailure(scrPath, script.Error());

    AppendRows(drawing.notDrawn, "Nicht gezeichnet", log);
    AppendRows(report.skipped, "Nicht gezeichnet", log);
    AppendRows(report.missingBlocks, "Block fehlt", log);
    std::string tail;
    for (const std::string& line : report.badSplines)
        tail += line + std::string(CRLF);
    if (report.loosened)
        tail += "Toleranz gelockert: eine Kurve bräuchte mehr als 100000 Segmente.\r\n";
    for (std::string_view name : report.cyclicBlocks) {
        tail += "Block fügt sich selbst ein, nicht weiter verfolgt: ";
        AppendCp1252AsUtf8(tail, name);
        tail += CRLF;
    }
    tail += std::string(66, '=') + "\r\n\r\n";
    tail += Statistics(report);
    log.Append(tail);
    return std::nullopt;
}

} // namespace vektrano
