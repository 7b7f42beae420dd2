#pragma once

#include "conversion_options.h"
#include "state/variablen.h"
#include "window_operations.h"

namespace vektrano {

enum class RunOutcome {
    NotStarted, // a path field was empty: nothing happened at all
    Completed,  // the report was written and the script closed
    Stopped,    // ended early: unknown format, missing end, or a stop with a message
    Cancelled,  // the window asked the run to end (it is closing); no unfinished script stays
};

// What START does: reads the DXF file named in the window, writes the script
// named there, and reports in the window's log. Never throws.
RunOutcome RunConversion(WindowOperations& window, Variablen& state,
                         const ConversionOptions& options = {});

} // namespace vektrano
