#pragma once

#include "memory_window.h"
#include "run/conversion_options.h"

#include <optional>
#include <string>
#include <string_view>

namespace vektrano {

// What the command line asks for. A field left unset keeps the window's default,
// so the defaults live in one place: the in-memory window.
struct CliOptions
{
    std::string dxf;
    std::string scr; // already derived from dxf when not given
    std::optional<std::string> layer;
    std::optional<std::string> width; // commas already turned into full stops
    std::optional<std::string> offsetX;
    std::optional<std::string> offsetY;
    bool autoOffset = false;
    bool noLine = false;
    bool noArc = false;
    bool noCircle = false;
    bool noPolyline = false;
    std::optional<std::string> logFile;
    std::optional<std::string> svgFile;
    bool quiet = false;
    // Writes a layer map for the drawing to standard output instead of a script.
    bool listLayers = false;
    ConversionOptions conversion;
};

struct ParsedArguments
{
    enum class Action { Run, Help, Version, UsageError };
    Action action = Action::UsageError;
    CliOptions options;
    std::string error; // one line saying what was wrong, for UsageError
};

ParsedArguments ParseArguments(int argc, const char* const argv[]);

void ApplyOptions(const CliOptions& options, MemoryWindow& window);

} // namespace vektrano
