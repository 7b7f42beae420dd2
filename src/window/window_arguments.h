#pragma once

#include <QString>
#include <QStringList>

namespace vektrano {

// What the window program's command line asks for. main() reads it twice: from the
// raw arguments before Qt starts, which needs a display, so that --help and
// --version answer in any terminal; and once Qt has taken its own options (such as
// -style), for the drawing to open or a usage error.
struct WindowArguments
{
    enum class Action { Open, Help, Version, UsageError };
    Action action = Action::Open;
    bool dxfGiven = false;
    QString dxf;   // for Open, when given
    QString error; // one line saying what was wrong, for UsageError
};

// arguments[0] is the program. "--" ends the options, so a drawing whose name
// starts with "-" can still be given.
WindowArguments ParseWindowArguments(const QStringList& arguments);

// Prints what Help, Version and UsageError ask for; returns the exit status.
int AnswerWithoutWindow(const WindowArguments& arguments);

} // namespace vektrano
