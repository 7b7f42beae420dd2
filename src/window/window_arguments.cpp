#include "window_arguments.h"

#include "run/version.h"
#include "window/help_text.h"

#include <cstdio>

namespace vektrano {

WindowArguments ParseWindowArguments(const QStringList& arguments)
{
    WindowArguments result;
    QStringList paths;
    bool optionsEnded = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (optionsEnded || argument == QLatin1String("-") ||
            !argument.startsWith(QLatin1Char('-'))) {
            paths.append(argument);
        } else if (argument == QLatin1String("--")) {
            optionsEnded = true;
        } else if (argument == QLatin1String("-h") || argument == QLatin1String("--help")) {
            result.action = WindowArguments::Action::Help;
            return result;
        } else if (argument == QLatin1String("--version")) {
            result.action = WindowArguments::Action::Version;
            return result;
        } else if (result.error.isEmpty()) {
            result.error = QStringLiteral("unknown option: ") + argument;
        }
    }
    if (result.error.isEmpty() && paths.size() > 1)
        result.error = QStringLiteral("extra argument: ") + paths[1];
    if (!result.error.isEmpty()) {
        result.action = WindowArguments::Action::UsageError;
        return result;
    }
    result.dxfGiven = !paths.isEmpty();
    if (result.dxfGiven)
        result.dxf = paths.front();
    return result;
}

int AnswerWithoutWindow(const WindowArguments& arguments)
{
    switch (arguments.action) {
    case WindowArguments::Action::Help:
        std::fwrite(kHelpText.data(), 1, kHelpText.size(), stdout);
        return 0;
    case WindowArguments::Action::Version:
        std::puts(WindowTitle("Vektrano Converter").c_str());
        return 0;
    case WindowArguments::Action::UsageError:
        std::fprintf(stderr, "vektrano: %s\n%.*s\nTry 'vektrano --help' for more.\n",
                     arguments.error.toLocal8Bit().constData(), static_cast<int>(kUsageLine.size()),
                     kUsageLine.data());
        return 2;
    case WindowArguments::Action::Open: break;
    }
    return 0;
}

} // namespace vektrano
