#pragma once

#include "conversion_options.h"
#include "run_log.h"
#include "script/stop.h"
#include "script_target.h"
#include "state/variablen.h"
#include "window_operations.h"

namespace vektrano {

// Full geometry after the run frame: reads the drawing's structure from the shifted
// table, writes the header and every drawn element into the open script, puts it
// in place and appends the report. A stop leaves the target to the caller, who
// drops it: the path keeps what it held.
[[nodiscard]] StopOr RunFullGeometry(WindowOperations& window, Variablen& state,
                                     const ConversionOptions& options, ScriptTarget& target,
                                     RunLog& log, const std::string& scrPath);

} // namespace vektrano
