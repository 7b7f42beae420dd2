#include "main_window.h"
#include "qt_german.h"
#include "window_arguments.h"

#include <QApplication>

using namespace vektrano;

int main(int argc, char** argv)
{
    QStringList raw;
    for (int i = 0; i < argc; ++i)
        raw.append(QString::fromLocal8Bit(argv[i]));
    if (const WindowArguments early = ParseWindowArguments(raw);
        early.action == WindowArguments::Action::Help ||
        early.action == WindowArguments::Action::Version)
        return AnswerWithoutWindow(early);

    QApplication app(argc, argv);
    InstallQtGermanTexts(app);
    const WindowArguments parsed = ParseWindowArguments(QApplication::arguments());
    if (parsed.action != WindowArguments::Action::Open)
        return AnswerWithoutWindow(parsed);
    Variablen state;
    MainWindow window(state);
    if (parsed.dxfGiven)
        window.OpenInitialPath(parsed.dxf);
    window.show();
    return QApplication::exec();
}
