#include "full_geometry_run.h"

#include "auto_offset.h"
#include "board/board_writer.h"
#include "board/script_sinks.h"
#include "board_report.h"
#include "dxf/code_page.h"
#include "expand/expansion.h"
#include "run_report.h"
#include "script/converters.h"
#include "script/cp1252.h"
#include "script/number_rules.h"
#include "window_settings.h"

#include <array>
#include <cmath>
#include <optional>

namespace vektrano {

namespace {

std::string ModeLine(const ExpansionPlan& plan)
{
    std::string line = "Vollständige Geometrie, ";
    if (!plan.unitNamed)
        return line + "die Zeichnung nennt keine Einheit: Millimeter angenommen" +
               std::string(CRLF);
    line += plan.unitGiven ? "Einheit vorgegeben: " : "Einheit der Zeichnung: ";
    line += plan.unit.name;
    if (plan.unit.millimetres != 1)
        line += " (× " + LogNumber(plan.unit.millimetres) + " mm)";
    return line + std::string(CRLF);
}

std::string_view KindName(DxfKind kind) { return DxfKindName(kind); }

std::string_view ReasonText(SkipReason reason)
{
    switch (reason) {
    case SkipReason::PaperSpace: return "Papierbereich";
    case SkipReason::LayerOffOrFrozen: return "Layer aus oder gefroren";
    case SkipReason::LayerFrozen: return "Layer gefroren";
    case SkipReason::RadiusNotPositive: return "Radius nicht positiv";
    case SkipReason::Mesh: return "Netz";
    case SkipReason::RatioNotPositive: return "Achsenverhältnis nicht positiv";
    case SkipReason::Invisible: return "unsichtbar";
    case SkipReason::HeightNotPositive: return "Höhe nicht positiv";
    }
    return {};
}

std::string_view FaultText(NurbsFault fault)
{
    switch (fault) {
    case NurbsFault::DegreeOutOfRange: return "Grad nicht zwischen 1 und 10";
    case NurbsFault::TooFewControlPoints: return "zu wenige Kontrollpunkte";
    case NurbsFault::KnotCountWrong: return "falsche Anzahl Knoten";
    case NurbsFault::KnotsDecreasing: return "fallende Knoten";
    case NurbsFault::WeightNotPositive: return "Gewicht nicht positiv";
    case NurbsFault::WeightCountWrong: return "falsche Anzahl Gewichte";
    case NurbsFault::NotFinite: return "Zahl außerhalb des Bereichs";
    case NurbsFault::EmptyDomain: return "leerer Parameterbereich";
    case NurbsFault::None: break;
    }
    return {};
}

Stop StopOf(const ExpandStop& stop, const LineTable& lines)
{
    if (stop.fault == ExpandFault::BadNumber)
        return InvalidNumberStop(lines, stop.line);
    const bool scriptLines = stop.fault == ExpandFault::TooManyLines;
    const std::uint64_t limit = scriptLines ? kMaxScriptLines : kMaxInsertions;
    return ErrorStop("Mehr als " + std::to_string(limit) +
                     (scriptLines ? " Skriptzeilen" : " Blockeinfügungen") + " ab Zeile " +
                     std::to_string(stop.line) + " der DXF Datei (" +
                     std::string(KindName(stop.kind)) +
                     "): " + (stop.whileDrawing ? "Abbruch." : "nichts geschrieben."));
}

void AppendSkipRows(const SkipTally& tally, RunLog& log)
{
    std::string rows;
    for (const auto& row : tally.Rows()) {
        rows += "Nicht gezeichnet: \t";
        rows += std::to_string(row.count);
        rows += "x\t";
        // Our own text, UTF-8 already: only names from the file need converting.
        rows += KindName(row.kind);
        rows += " (";
        rows += ReasonText(row.reason);
        rows += ")";
        rows += CRLF;
    }
    log.Append(rows);
}

ExpandSettings ReadSettings(WindowOperations& window, const ConversionOptions& options)
{
    ExpandSettings settings;
    settings.line = window.ReadCheckBox(CheckBox::Chk_Line) != 0;
    settings.arc = window.ReadCheckBox(CheckBox::Chk_Arc) != 0;
    settings.circle = window.ReadCheckBox(CheckBox::Chk_Circle) != 0;
    settings.polyline = window.ReadCheckBox(CheckBox::Chk_Polyline) != 0;
    settings.unit = options.drawingUnit;
    settings.tolerance = options.tolerance;
    // Texts and areas are walked only when a layer map draws them somewhere, so a
    // run without one writes and costs what it always did.
    if (options.layerMap)
        for (const LayerRule& rule : options.layerMap->rules) {
            settings.texts = settings.texts || DrawsTexts(rule.kind);
            settings.areas = settings.areas || DrawsAreas(rule.kind);
        }
    return settings;
}

void AppendIntro(const ExpansionPlan& plan, const ConversionOptions& options, RunLog& log)
{
    std::string intro = ModeLine(plan);
    intro += options.layerMap ? "Layer-Zuordnung: " + options.layerMapOrigin
                              : std::string("keine Layer-Zuordnung");
    intro += CRLF;
    if (plan.paperSpace)
        intro += "Der Modellbereich ist leer: der Papierbereich wird gezeichnet.\r\n";
    intro += "\r\n" + ListHeading("nicht gezeichnete Objekte");
    log.Append(intro);
}

// A name the structure pass counts as never drawn that a layer map may draw.
bool TextOrAreaName(std::string_view name)
{
    for (const DxfKind kind : {DxfKind::Text, DxfKind::MText, DxfKind::Attrib, DxfKind::Hatch,
                               DxfKind::Solid, DxfKind::Trace})
        if (name == DxfKindName(kind))
            return true;
    return false;
}

std::string_view AreaFaultText(AreaFault fault)
{
    switch (fault) {
    case AreaFault::CountWrong: return "Anzahl passt nicht zu den Daten";
    case AreaFault::DegenerateEdge: return "entartete Kante";
    case AreaFault::NotClosed: return "Rand nicht geschlossen";
    case AreaFault::None: break;
    }
    return {};
}

void AppendReport(const Drawing& drawing, const ExpansionPlan& plan, const ExpansionReport& report,
                  const ExpandSettings& settings, const BoardReport* board, RunLog& log)
{
    // When texts and areas are walked, the board report says what became of them.
    AppendTallyRows(drawing.notDrawn, "Nicht gezeichnet", log,
                    settings.texts || settings.areas ? TextOrAreaName : nullptr);
    AppendSkipRows(report.skipped, log);
    AppendTallyRows(plan.missingBlocks, "Block fehlt", log);
    std::string tail;
    for (const BadSpline& spline : report.badSplines) {
        tail += "SPLINE in Zeile " + std::to_string(spline.line) + " nicht gezeichnet: ";
        tail += FaultText(spline.fault);
        tail += CRLF;
    }
    for (const BadArea& area : report.badAreas) {
        tail += std::string(DxfKindName(DxfKind::Hatch)) + " in Zeile " +
                std::to_string(area.line) +
                " nicht gezeichnet: " + std::string(AreaFaultText(area.fault)) + " (Zeile " +
                std::to_string(area.valueLine) + ")";
        tail += CRLF;
    }
    if (report.loosened)
        tail += "Toleranz gelockert: eine Kurve bräuchte mehr als " +
                std::to_string(kMaxCurveSegments) + " Segmente.\r\n";
    for (std::string_view name : plan.cyclicBlocks) {
        tail += "Block fügt sich selbst ein, nicht weiter verfolgt: ";
        AppendCp1252AsUtf8(tail, name);
        tail += CRLF;
    }
    if (board)
        tail += BoardReportText(*board);
    std::array<KindCount, kDxfKinds> kinds;
    for (std::size_t i = 0; i < kDxfKinds; ++i)
        kinds[i] = {report.kinds[i].met, report.kinds[i].drawn};
    tail += ReportEnd(kinds);
    log.Append(tail);
}

} // namespace

StopOr RunFullGeometry(WindowOperations& window, Variablen& state, const ConversionOptions& options,
                       ScriptTarget& target, RunLog& log, const std::string& scrPath)
{
    ScriptFile& script = target.Script();
    const auto repaint = [&window] { window.Repaint(); };
    const LineTable& lines = state.Lines;
    Drawing drawing;
    if (const auto badCode = ReadDrawing(lines, drawing, repaint))
        return InvalidNumberStop(lines, *badCode);

    // The classic conversion's own reading of the fields: a width with a line break
    // is refused, not written into the script.
    WindowSettings fields(window);
    std::string_view width;
    if (auto stop = fields.Width(width))
        return stop;
    const std::string widthBytes(width);
    const ExpandSettings settings = ReadSettings(window, options);

    ExpansionPlan plan;
    if (auto stop = PlanExpansion(lines, drawing, settings, plan, repaint))
        return StopOf(*stop, lines);
    AppendIntro(plan, options, log);

    if (auto stop = WriteHeader(window, script))
        return stop;

    ProgressSteps progress(window);
    window.SetProgress(0);
    ExpansionHooks hooks;
    hooks.onPause = repaint;
    hooks.onProgress = [&progress](double value) { progress.Set(value); };
    ExpansionReport report;
    const DxfCodePage page = CodePageOfDrawing(lines, drawing.acadver);
    if (window.ReadCheckBox(CheckBox::Chk_Auto_Offset) == 1) {
        Box extent;
        ExtentSink measure(extent);
        std::optional<LayerRoutes> routes;
        std::optional<MappedSink> mapped;
        if (options.layerMap) {
            routes.emplace(*options.layerMap, page);
            mapped.emplace(*routes, measure);
        }
        PrimitiveSink& sink = mapped ? static_cast<PrimitiveSink&>(*mapped) : measure;
        if (auto stop = Expand(lines, drawing, settings, plan, {}, sink, report, hooks))
            return StopOf(*stop, lines);
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
    if (!options.layerMap) {
        ScriptWriter writer(script, widthBytes);
        ScriptSink sink(writer);
        if (auto stop = Expand(lines, drawing, settings, plan, offset, sink, report, hooks))
            return StopOf(*stop, lines);
        if (const int error = target.Finish(repaint))
            return WriteFailure(scrPath, error);
        AppendReport(drawing, plan, report, settings, nullptr, log);
        return std::nullopt;
    }
    BoardSettings board;
    board.map = &*options.layerMap;
    board.fieldLayer = ReadLayerNumber(window.ReadField(Field::Txt_Layer));
    board.fieldWidth = widthBytes;
    board.weldTolerance = options.weldTolerance;
    board.page = page;
    board.textRatio = options.textRatio;
    BoardWriter writer(board, drawing);
    if (auto stop = Expand(lines, drawing, settings, plan, offset, writer, report, hooks))
        return StopOf(*stop, lines);
    BoardReport boardReport;
    if (const int error =
            writer.Failed() ? writer.Error() : writer.Finish(script, repaint, boardReport))
        return ErrorStop("Zwischenspeicher für die Layer kann nicht geschrieben werden (" +
                         SystemReason(error) + ")");
    if (const int error = target.Finish(repaint))
        return WriteFailure(scrPath, error);
    AppendReport(drawing, plan, report, settings, &boardReport, log);
    return std::nullopt;
}

} // namespace vektrano
