#pragma once

#include <optional>
#include <string>

namespace vektrano {

// Why a run ends early. A stop carries the message box to show; when logText is
// set the text also goes into the log on a line of its own.
struct Stop
{
    std::string title;
    std::string text;
    bool logText = true;
};

using StopOr = std::optional<Stop>;

// The stop used for every failure the run reports with title "Fehler".
inline Stop ErrorStop(std::string text) { return Stop{"Fehler", std::move(text), true}; }

} // namespace vektrano
