#pragma once

#include "state/variablen.h"
#include "window_operations.h"

namespace vektrano {

enum class ScanOutcome {
    ReachedEof,
    ReachedTop, // no "EOF" line: every position up to the table's top was scanned
    MissingEnd, // an entity name with no later "0" code line
    Cancelled,  // the window asked the run to end
};

// One pass from position LineIndex to "EOF": records every entity name found on a
// value line with its range, and tallies every other name after a "0" code.
// Yields to the window once per line.
ScanOutcome ScanEntities(Variablen& state, WindowOperations& window);

} // namespace vektrano
