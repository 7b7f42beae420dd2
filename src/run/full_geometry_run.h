#pragma once

#include "conversion_options.h"
#include "run_log.h"
#include "script/script_file.h"
#include "script/stop.h"
#include "state/variablen.h"
#include "window_operations.h"

namespace vektrano {

// Full geometry after the run frame: reads the drawing's structure from the shifted
// table, writes the header and every drawn element into the open script, closes
// it and appends the report. A stop leaves the script open for the caller, who
// removes it: a script of this mode is complete or absent.
[[nodiscard]] StopOr RunFullGeometry(WindowOperations& window, Variablen& state,
                                     const ConversionOptions& options, ScriptFile& script,
                                     RunLog& log, const std::string& scrPath);

} // namespace vektrano
