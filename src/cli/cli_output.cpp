#include "cli_output.h"

#include "preview/script_reader.h"
#include "preview/svg_writer.h"
#include "run/run_log.h"

#include <cerrno>
#include <cmath>
#include <csignal>
#include <unistd.h>

namespace vektrano {

std::string LogForStdout(std::string_view log)
{
    std::string text;
    text.reserve(log.size());
    for (std::size_t i = 0; i < log.size(); ++i) {
        if (log[i] == '\r' && i + 1 < log.size() && log[i + 1] == '\n')
            continue;
        text += log[i];
    }
    return text;
}

std::string OffsetLines(const MemoryWindow& window)
{
    return "Offset X: " + window.ReadField(Field::Txt_Offset_X) + "\n" +
           "Offset Y: " + window.ReadField(Field::Txt_Offset_Y) + "\n";
}

std::string MessageLine(const MemoryWindow::Message& message)
{
    return message.title + ": " + message.text + "\n";
}

std::string SignalLine(int signal, RunOutcome outcome)
{
    const std::string name = signal == SIGINT    ? "SIGINT"
                             : signal == SIGTERM ? "SIGTERM"
                                                 : std::to_string(signal);
    if (outcome == RunOutcome::Completed)
        return "vektrano-cli: Abbruch durch " + name + " nach dem Schreiben der SCR Datei.\n";
    return "vektrano-cli: Abbruch durch " + name + ", keine SCR Datei geschrieben.\n";
}

int ExitCode(RunOutcome outcome) { return outcome == RunOutcome::Completed ? 0 : 1; }

std::string WriteLogFile(const std::string& path, std::string_view log)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return "Log Datei kann nicht geschrieben werden: " + path + " (" + SystemReason(errno) +
               ")";
    const bool written = std::fwrite(log.data(), 1, log.size(), file) == log.size();
    int error = errno;
    if (std::fclose(file) != 0 && written)
        error = errno;
    else if (written)
        return {};
    return "Fehler beim Schreiben der Log Datei: " + path + " (" + SystemReason(error) + ")";
}

std::string WriteSvgPreview(const std::string& scriptPath, const std::string& svgPath)
{
    const ScriptFileRead read = ReadScriptFile(scriptPath);
    if (!read.picture)
        return "Skript Datei kann nicht gelesen werden: " + scriptPath + " (" +
               SystemReason(read.error) + ")";
    if (const int error = WriteSvgFile(*read.picture, svgPath); error != 0)
        return "SVG Datei kann nicht geschrieben werden: " + svgPath + " (" + SystemReason(error) +
               ")";
    return {};
}

TerminalProgress::TerminalProgress(std::FILE* stream)
    : stream_(stream)
    , terminal_(::isatty(::fileno(stream)) == 1)
{}

void TerminalProgress::Show(float value)
{
    if (!terminal_ || !std::isfinite(value))
        return;
    const int whole = static_cast<int>(value);
    if (whole == lastWhole_)
        return;
    lastWhole_ = whole;
    std::fprintf(stream_, "\r%3d %%", whole);
    std::fflush(stream_);
    shown_ = true;
}

void TerminalProgress::Clear()
{
    if (!shown_)
        return;
    std::fputs("\r     \r", stream_);
    std::fflush(stream_);
    shown_ = false;
    lastWhole_ = -1;
}

int FinishRun(const CliOptions& options, const MemoryWindow& window, RunOutcome outcome)
{
    int status = ExitCode(outcome);
    std::string out;
    if (!options.quiet)
        out = LogForStdout(window.Log());
    if (options.autoOffset && outcome == RunOutcome::Completed)
        out += OffsetLines(window);
    std::fwrite(out.data(), 1, out.size(), stdout);
    // A full disk behind a redirected stdout must not pass for success.
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "Fehler beim Schreiben der Standardausgabe (%s)\n",
                     SystemReason(errno).c_str());
        status = 1;
    }
    if (options.logFile) {
        const std::string error = WriteLogFile(*options.logFile, window.Log());
        if (!error.empty()) {
            std::fprintf(stderr, "%s\n", error.c_str());
            status = 1;
        }
    }
    // The script stays as written when its picture cannot be.
    if (options.svgFile && outcome == RunOutcome::Completed) {
        const std::string error = WriteSvgPreview(options.scr, *options.svgFile);
        if (!error.empty()) {
            std::fprintf(stderr, "%s\n", error.c_str());
            status = 1;
        }
    }
    return status;
}

} // namespace vektrano
