#pragma once

#include "run_log.h"
#include "state/variablen.h"

#include <functional>
#include <string>

namespace vektrano {

// Reads the whole file into text. Returns 0 or the system's error number; a folder
// is refused with EISDIR. pause, when given, is called between pieces of a MiB.
int LoadDxfFile(const std::string& path, std::string& text,
                const std::function<void()>& pause = {});

// Cuts FileText into Lines, trying CR LF, then CR, then LF, and logs each attempt.
// Returns false when the text holds no line break of any kind. pause as for the load.
bool CutLines(Variablen& state, RunLog& log, const std::function<void()>& pause = {});

// Puts the empty text at position 0 so that group codes stand at odd positions.
// The bar climbs to 100 and returns to 0.
void ShiftLines(Variablen& state, WindowOperations& window);

} // namespace vektrano
