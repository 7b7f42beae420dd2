#include "cli_process.h"
#include "run/version.h"
#include "window/help_text.h"
#include "window/window_arguments.h"

#include <QByteArray>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace vektrano::test {
namespace {

// A window would wait for its user; RunProgram ends it after a minute and the
// exit code then fails the row.
TEST(WindowCommandLine, HelpVersionAndUsageErrorsAnswerWithoutAWindow)
{
    const std::string version = WindowTitle("Vektrano Converter") + "\n";
    struct Case
    {
        std::vector<std::string> args;
        int exitCode;
        std::string out;
        std::string errPart;
        bool withoutDisplay; // Qt could not start at all
    };
    const Case cases[] = {
        {{"--help"}, 0, std::string(kHelpText), "", true},
        {{"plan.dxf", "--version"}, 0, version, "", true},
        {{"--bogus"}, 2, "", "vektrano: unknown option: --bogus\nUsage: vektrano", false},
        {{"a.dxf", "b.dxf"}, 2, "", "vektrano: extra argument: b.dxf\n", false},
    };
    QTemporaryDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.front());
        const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
        const QByteArray display = qgetenv("DISPLAY");
        if (c.withoutDisplay) {
            qputenv("QT_QPA_PLATFORM", "xcb");
            qunsetenv("DISPLAY");
        }
        const ProcessResult result =
            RunProgram(VEKTRANO_WINDOW_PATH, c.args, dir.path().toStdString());
        qputenv("QT_QPA_PLATFORM", platform);
        if (!display.isEmpty())
            qputenv("DISPLAY", display);
        EXPECT_EQ(result.exitCode, c.exitCode);
        EXPECT_EQ(result.out, c.out);
        if (c.errPart.empty())
            EXPECT_EQ(result.err, "");
        else
            EXPECT_NE(result.err.find(c.errPart), std::string::npos) << result.err;
    }
}

TEST(WindowCommandLine, OneArgumentIsTheDrawingEvenAfterDoubleDash)
{
    struct Case
    {
        QStringList arguments;
        bool given;
        QString dxf;
    };
    const Case cases[] = {
        {{QStringLiteral("vektrano")}, false, QString()},
        {{QStringLiteral("vektrano"), QStringLiteral("plan.dxf")},
         true,
         QStringLiteral("plan.dxf")},
        {{QStringLiteral("vektrano"), QStringLiteral("--"), QStringLiteral("-x.dxf")},
         true,
         QStringLiteral("-x.dxf")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(QLatin1Char(' ')).toStdString());
        const WindowArguments parsed = ParseWindowArguments(c.arguments);
        EXPECT_EQ(parsed.action, WindowArguments::Action::Open);
        EXPECT_EQ(parsed.dxfGiven, c.given);
        EXPECT_EQ(parsed.dxf, c.dxf);
    }
}

} // namespace
} // namespace vektrano::test
