#pragma once

namespace vektrano {

// SIGINT and SIGTERM end a run the way closing the window does: the handler only
// notes the signal, and the run sees it at its next yield or its end. A second
// signal of either kind ends the process at once, as a repeated Ctrl+C should.
void CatchStopSignals();

// The signal caught since CatchStopSignals, or 0.
int StopSignal();

} // namespace vektrano
