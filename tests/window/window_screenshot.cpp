// Converts a drawing in the real window and saves a picture of the window:
//   vektrano_window_screenshot DRAWING.dxf PICTURE.png
// tools/screenshot-window.sh runs it under Xvfb.
#include "window/main_window.h"

#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() != 3) {
        std::fputs("usage: vektrano_window_screenshot DRAWING.dxf PICTURE.png\n", stderr);
        return 2;
    }
    vektrano::Variablen state;
    vektrano::MainWindow window(state);
    window.OpenInitialPath(arguments[1]);
    window.show();
    int status = 1;
    QTimer::singleShot(300, &window, [&] {
        window.findChild<QPushButton*>(QStringLiteral("Btn_Start"))->click();
        QTimer::singleShot(300, &window, [&] {
            status = window.grab().save(arguments[2]) ? 0 : 1;
            QApplication::quit();
        });
    });
    QApplication::exec();
    return status;
}
