#include "full_geometry_run.h"

#include "auto_offset.h"
#include "run_report.h"
#include "script/converters.h"
#include "script/cp1252.h"
#include "script/full_geometry.h"
#include "script/number_rules.h"
#include "window_settings.h"

#include <array>

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

} // namespace

StopOr RunFullGeometry(WindowOperations& window, Variablen& state, const ConversionOptions& options,
                       ScriptTarget& target, RunLog& log, const std::string& scrPath)
{
    ScriptFile& script = target.Script();
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
    intro += "\r\n" + ListHeading("nicht gezeichnete Objekte");
    log.Append(intro);

    if (auto stop = WriteHeader(window, script))
        return stop;

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
    if (const int error = target.Finish(repaint))
        return WriteFailure(scrPath, error);

    AppendTallyRows(drawing.notDrawn, "Nicht gezeichnet", log);
    AppendTallyRows(report.skipped, "Nicht gezeichnet", log);
    AppendTallyRows(report.missingBlocks, "Block fehlt", log);
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
    std::array<KindCount, kDxfKinds> kinds;
    for (std::size_t i = 0; i < kDxfKinds; ++i)
        kinds[i] = {report.kinds[i].met, report.kinds[i].drawn};
    tail += ReportEnd(kinds);
    log.Append(tail);
    return std::nullopt;
}

} // namespace vektrano
