#pragma once

#include "cli_arguments.h"
#include "memory_window.h"
#include "run/conversion_run.h"

#include <cstdio>
#include <string>
#include <string_view>

namespace vektrano {

// The log as a terminal wants it: each CR LF pair becomes LF; a lone CR or LF
// stays, since the log holds exactly what the run wrote.
std::string LogForStdout(std::string_view log);

// The "Offset X: " and "Offset Y: " lines, from the fields after the run.
std::string OffsetLines(const MemoryWindow& window);

// How a message box reads on standard error.
std::string MessageLine(const MemoryWindow::Message& message);

// The one line on standard error after SIGINT or SIGTERM: whether the script was
// already complete or the run ended without one.
std::string SignalLine(int signal, RunOutcome outcome);

// 0 when the run reached its end, 1 for every early end.
int ExitCode(RunOutcome outcome);

// Writes the log byte for byte; returns an error text for standard error, or an
// empty text when it worked.
std::string WriteLogFile(const std::string& path, std::string_view log);

// Progress as a whole percent on a terminal line of its own, rewritten in place.
// Does nothing at all when the stream is not a terminal, so redirected standard
// error stays free of control characters.
class TerminalProgress
{
public:
    explicit TerminalProgress(std::FILE* stream);
    ~TerminalProgress() { Clear(); }
    TerminalProgress(const TerminalProgress&) = delete;
    TerminalProgress& operator=(const TerminalProgress&) = delete;

    void Show(float value);
    // Removes the progress line, so a message or the log starts on a clean line.
    void Clear();

private:
    std::FILE* stream_;
    bool terminal_;
    bool shown_ = false;
    int lastWhole_ = -1;
};

// Reads the written script back from its file, as Eagle will, and draws it as an
// SVG; returns an error text for standard error, or an empty text when it worked.
std::string WriteSvgPreview(const std::string& scriptPath, const std::string& svgPath);

// Everything after the run: the log on standard output (unless quiet), the offset
// lines, the log file, the SVG after a conversion that reached its end. Returns the exit status.
int FinishRun(const CliOptions& options, const MemoryWindow& window, RunOutcome outcome);

} // namespace vektrano
