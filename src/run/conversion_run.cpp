#include "conversion_run.h"

#include "auto_offset.h"
#include "entity_scan.h"
#include "full_geometry_run.h"
#include "line_loading.h"
#include "run_log.h"
#include "run_report.h"
#include "script/converters.h"
#include "script_target.h"
#include "window_settings.h"

#include <array>
#include <exception>
#include <filesystem>
#include <new>

namespace vektrano {

namespace {

// Puts the arrow back on every way out of the run.
class BusyCursor
{
public:
    explicit BusyCursor(WindowOperations& window)
        : window_(window)
    {
        window_.SetBusyCursor(true);
    }
    ~BusyCursor() { window_.SetBusyCursor(false); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    WindowOperations& window_;
};

std::string WithReason(std::string text, int error)
{
    return text + " (" + SystemReason(error) + ")";
}

// True when both paths name one file, through links or spelt differently. A path
// that names no file yet is not the drawing, so the error overload: it reports
// instead of throwing.
bool SameFile(const std::string& a, const std::string& b)
{
    std::error_code error;
    return std::filesystem::equivalent(a, b, error) && !error;
}

void ResetForScan(Variablen& state)
{
    state.LineIndex = 1;
    state.Entities.assign(1, EntityRecord{});
    state.UnknownList.Clear();
    state.CountLine = state.CountCircle = state.CountArc = state.CountPolyline = 0;
    state.ConvLine = state.ConvCircle = state.ConvArc = state.ConvPolyline = 0;
}

StopOr OutputPass(ConverterContext& context, WindowOperations& window)
{
    Variablen& state = context.state;
    const std::size_t n = state.Entities.size() - 1;
    ProgressSteps progress(window);
    for (std::size_t i = 0; i < n; ++i) {
        progress.Set(static_cast<double>(i) * 100 / static_cast<double>(n));
        // Met is counted whether or not the kind's box lets it be written.
        switch (state.Entities[i].Name) {
        case EntityName::Line: ++state.CountLine; break;
        case EntityName::Arc: ++state.CountArc; break;
        case EntityName::Circle: ++state.CountCircle; break;
        case EntityName::Polyline: ++state.CountPolyline; break;
        default: break;
        }
        if (auto stop = ConvertEntity(context, i, false))
            return stop;
        if (context.script.Failed())
            return std::nullopt; // reported by the caller with the path
    }
    return std::nullopt;
}

// The classic mode counts the first four kinds of the report.
std::array<KindCount, 4> KindCounts(const Variablen& s)
{
    return {KindCount{s.CountLine, s.ConvLine}, KindCount{s.CountCircle, s.ConvCircle},
            KindCount{s.CountArc, s.ConvArc}, KindCount{s.CountPolyline, s.ConvPolyline}};
}

class Run
{
public:
    Run(WindowOperations& window, Variablen& state, const ConversionOptions& options)
        : window_(window)
        , state_(state)
        , options_(options)
        , log_(window)
    {}

    RunOutcome Execute();

private:
    RunOutcome Fail(const Stop& stop)
    {
        target_.Drop();
        if (stop.logText)
            log_.AppendOwnLine(stop.text);
        window_.MessageBox(stop.text, stop.title, Icon::Critical);
        return RunOutcome::Stopped;
    }
    // The window ended the run early: a script it had opened and not completed
    // does not stay behind looking like a result.
    RunOutcome Cancel()
    {
        if (target_.Script().IsOpen())
            target_.Abandon();
        return RunOutcome::Cancelled;
    }
    RunOutcome WriteFailed(const std::string& path, int error)
    {
        return Fail(WriteFailure(path, error));
    }

    RunOutcome FullGeometryPass(const std::string& scrPath)
    {
        if (auto stop = RunFullGeometry(window_, state_, options_, target_, log_, scrPath))
            return Fail(*stop);
        return RunOutcome::Completed;
    }

    WindowOperations& window_;
    Variablen& state_;
    const ConversionOptions& options_;
    RunLog log_;
    ScriptTarget target_;
};

RunOutcome Run::Execute()
{
    if (window_.ReadField(Field::Txt_DXF).empty() || window_.ReadField(Field::Txt_SCR).empty())
        return RunOutcome::NotStarted;
    BusyCursor busy(window_);
    log_.Set("Hinweis: Bei großen Dateien kann da Laden u.U. mehrere Minuten dauern !\r\n\r\n");
    log_.Append("Lade Datei " + window_.ReadField(Field::Txt_DXF) + "...");
    window_.SetProgress(0);
    if (!window_.Yield())
        return RunOutcome::Cancelled;

    const std::string dxfPath = window_.ReadField(Field::Txt_DXF);
    state_.Lines.Clear(); // it views the text about to be replaced
    // The load and the cut do not yield (no field may change before the scan), but
    // the window may repaint between their pieces.
    const auto repaint = [this] { window_.Repaint(); };
    if (const int error = LoadDxfFile(dxfPath, state_.FileText, repaint))
        return Fail(
            ErrorStop(WithReason("DXF Datei kann nicht gelesen werden: " + dxfPath, error)));
    log_.Append("fertig\r\n\r\n");

    // Opening the script in place empties it, and a replacement would take the
    // drawing's place: when it is the drawing itself, refuse before either.
    const std::string scrPath = window_.ReadField(Field::Txt_SCR);
    if (SameFile(dxfPath, scrPath))
        return Fail(ErrorStop("DXF Datei und SCR Datei sind dieselbe Datei: " + scrPath));
    // Full geometry's script is complete or not there at all; the classic mode's
    // grows in place, as it always has.
    const auto way =
        options_.fullGeometry ? ScriptTarget::Way::Replacing : ScriptTarget::Way::InPlace;
    if (const int error = target_.Open(scrPath, way, repaint))
        return Fail(OpenFailure(scrPath, error, target_.FolderRefused()));

    if (!CutLines(state_, log_, repaint)) {
        log_.Append("unbekanntes Format. BEENDE Konvertierung.\r\n");
        if (const int error = target_.Drop())
            return WriteFailed(scrPath, error);
        return RunOutcome::Stopped;
    }
    log_.Append("Konvertiere Datei...");
    if (!window_.Yield())
        return Cancel();
    ShiftLines(state_, window_);
    log_.Append("fertig\r\n\r\n");
    if (options_.fullGeometry)
        return FullGeometryPass(scrPath);
    log_.Append(ListHeading("Unbekannte Befehle"));
    if (auto stop = WriteHeader(window_, target_.Script()))
        return Fail(*stop);
    window_.SetProgress(0);

    ResetForScan(state_);
    switch (ScanEntities(state_, window_)) {
    case ScanOutcome::MissingEnd:
        return Fail(Stop{"Ende nicht gefunden", "Ende nicht gefunden Abbruch", false});
    case ScanOutcome::Cancelled: return Cancel();
    case ScanOutcome::ReachedEof:
    case ScanOutcome::ReachedTop: break;
    }
    const bool reachedEof = state_.LineIndex <= state_.Lines.Top();

    WindowSettings settings(window_);
    ConverterContext context(state_, settings, target_.Script());
    context.pause = repaint;
    if (window_.ReadCheckBox(CheckBox::Chk_Auto_Offset) == 1)
        if (auto stop = FindOffset(context, window_))
            return Fail(*stop);
    if (auto stop = OutputPass(context, window_))
        return Fail(*stop);
    // The script is complete here; closing it before the report means a full disk
    // can never be followed by statistics that look like success.
    if (const int error = target_.Finish(repaint))
        return WriteFailed(scrPath, error);

    AppendTallyRows(state_.UnknownList, "Unbekannte Befehle", log_);
    std::string report;
    if (!reachedEof)
        report += "Warnung: keine EOF Zeile gefunden, Datei bis zum Ende gelesen.\r\n";
    report += ReportEnd(KindCounts(state_));
    log_.Append(report);
    return RunOutcome::Completed;
}

} // namespace

namespace {

// The last way out: what went wrong goes to the log and a message box like any
// other stop, so a run never ends without a word.
RunOutcome ReportUnexpected(WindowOperations& window, const std::string& text)
{
    try {
        window.AppendLog("\r\n" + text + "\r\n");
        window.MessageBox(text, "Fehler", Icon::Critical);
    } catch (...) {
    }
    return RunOutcome::Stopped;
}

} // namespace

RunOutcome RunConversion(WindowOperations& window, Variablen& state,
                         const ConversionOptions& options)
{
    try {
        Run run(window, state, options);
        return run.Execute();
    } catch (const std::bad_alloc&) {
        // A drawing larger than memory allows: say so instead of crashing.
        return ReportUnexpected(window, "Nicht genug Arbeitsspeicher für die DXF Datei.");
    } catch (const std::exception& error) {
        return ReportUnexpected(window, std::string("Fehler: ") + error.what());
    } catch (...) {
        return ReportUnexpected(window, "Fehler: unbekannter Fehler");
    }
}

} // namespace vektrano
