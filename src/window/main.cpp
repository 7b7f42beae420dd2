#include "main_window.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    vektrano::Variablen state;
    vektrano::MainWindow window(state);
    if (const QStringList arguments = QApplication::arguments(); arguments.size() == 2)
        window.OpenInitialPath(arguments[1]);
    window.show();
    return QApplication::exec();
}
