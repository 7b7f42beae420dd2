#pragma once

#include "run_log.h"
#include "script/script_file.h"
#include "script/stop.h"
#include "state/unknown_tally.h"
#include "window_operations.h"

#include <span>
#include <string>
#include <string_view>

namespace vektrano {

// The pieces of a run's log and script that do not depend on how the drawing is
// converted: both modes call these, so their logs cannot drift apart.

// A number as the log shows it: German decimal comma.
std::string LogNumber(double value);

// "Fehlermeldungen / WHAT der DXF Datei:" and the dashes under it.
std::string ListHeading(std::string_view what);

// One row "LABEL: \tNx\tNAME" per name of the tally, names taken as Windows-1252.
// skip, when given, leaves out the names it answers true for.
void AppendTallyRows(const UnknownTally& tally, std::string_view label, RunLog& log,
                     bool (*skip)(std::string_view name) = nullptr);

struct KindCount
{
    long long met = 0;
    long long drawn = 0;
};

// The rule of equals signs and one statistics row per kind, in this order: lines,
// circles, arcs, polylines (all the classic mode counts), then LWPOLYLINE, ELLIPSE,
// SPLINE and INSERT.
std::string ReportEnd(std::span<const KindCount> kinds);

// Reads the layer field and writes the five lines every script begins with; a
// layer that is no number stops the run.
[[nodiscard]] StopOr WriteHeader(WindowOperations& window, ScriptFile& script);

// The stops of a script that cannot be opened or written, naming the path as the
// user gave it. inFolder: the old script is writable, its folder is not.
Stop OpenFailure(const std::string& scrPath, int error, bool inFolder = false);
Stop WriteFailure(const std::string& scrPath, int error);

} // namespace vektrano
