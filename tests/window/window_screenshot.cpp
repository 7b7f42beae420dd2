// Converts a drawing in the real window and saves a picture of the window, and
// with a third argument one of the preview "Vorschau" opens after the run:
//   vektrano_window_screenshot DRAWING.dxf PICTURE.png [PREVIEW.png]
// Given a script instead, it shows that script in the preview alone:
//   vektrano_window_screenshot SCRIPT.scr PREVIEW.png
// tools/screenshot-window.sh and tools/screenshot-preview.sh run it under Xvfb.
#include "window/main_window.h"
#include "window/preview_window.h"

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() != 3 && arguments.size() != 4) {
        std::fputs("usage: vektrano_window_screenshot DRAWING.dxf PICTURE.png [PREVIEW.png]\n"
                   "       vektrano_window_screenshot SCRIPT.scr PREVIEW.png\n",
                   stderr);
        return 2;
    }
    if (arguments[1].endsWith(QStringLiteral(".scr"), Qt::CaseInsensitive)) {
        vektrano::PreviewWindow preview;
        preview.resize(760, 560);
        preview.show();
        preview.ShowScript(arguments[1]);
        int status = 1;
        QTimer::singleShot(300, &preview, [&] {
            preview.Fit();
            QTimer::singleShot(200, &preview, [&] {
                status = preview.grab().save(arguments[2]) ? 0 : 1;
                QApplication::quit();
            });
        });
        QApplication::exec();
        return status;
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
            if (arguments.size() == 3) {
                QApplication::quit();
                return;
            }
            window.findChild<QAction*>(QStringLiteral("Menue_Vorschau"))->trigger();
            window.Preview()->resize(760, 560);
            QTimer::singleShot(300, &window, [&] {
                window.Preview()->Fit();
                QTimer::singleShot(200, &window, [&] {
                    if (!window.Preview()->grab().save(arguments[3]))
                        status = 1;
                    QApplication::quit();
                });
            });
        });
    });
    QApplication::exec();
    return status;
}
