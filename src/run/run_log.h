#pragma once

#include "window_operations.h"

#include <string>
#include <string_view>

namespace vektrano {

inline constexpr std::string_view CRLF = "\r\n";

// The run's side of the log: every text goes to the window as it is, and the run
// remembers whether the log ends with a line break, so a stop message always
// starts on a line of its own.
class RunLog
{
public:
    explicit RunLog(WindowOperations& window)
        : window_(window)
    {}

    void Set(std::string_view text);
    void Append(std::string_view text);
    // A stop message on a line of its own, followed by CR LF.
    void AppendOwnLine(std::string_view text);

private:
    WindowOperations& window_;
    bool endsWithLineBreak_ = true;
};

// The system's reason for a failed file operation, in German.
std::string SystemReason(int error);

// Forwards progress only when the bar would show a different whole percent, so a
// pass over millions of records does not call into the window millions of times;
// it lets the window repaint as the records go by.
class ProgressSteps
{
public:
    explicit ProgressSteps(WindowOperations& window)
        : window_(window)
    {}
    void Set(double value);

private:
    WindowOperations& window_;
    int lastWhole_ = -1;
    double last_ = -1;
    unsigned calls_ = 0;
};

} // namespace vektrano
