// Opens "Optionen → Layer-Zuordnung…" on a drawing in the real window and saves a
// picture of the dialog:
//   vektrano_layer_map_screenshot DRAWING.dxf PICTURE.png
// tools/screenshot-layer-map.sh runs it under Xvfb.
#include "window/layer_map_dialog.h"
#include "window/main_window.h"

#include <QAction>
#include <QApplication>
#include <QTimer>
#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() != 3) {
        std::fputs("usage: vektrano_layer_map_screenshot DRAWING.dxf PICTURE.png\n", stderr);
        return 2;
    }
    vektrano::Variablen state;
    vektrano::MainWindow window(state);
    window.OpenInitialPath(arguments[1]);
    window.show();
    int status = 1;
    QTimer::singleShot(300, &window, [&] {
        // Runs once the dialog's own event loop has shown it.
        QTimer::singleShot(500, &window, [&] {
            auto* dialog =
                dynamic_cast<vektrano::LayerMapDialog*>(QApplication::activeModalWidget());
            if (dialog) {
                status = dialog->grab().save(arguments[2]) ? 0 : 1;
                dialog->reject();
            }
            QApplication::quit();
        });
        window.findChild<QAction*>(QStringLiteral("Menue_Layer_Zuordnung"))->trigger();
    });
    QApplication::exec();
    return status;
}
