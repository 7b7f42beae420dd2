#include "window/qt_german.h"

#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // ctest sets the offscreen platform; the test listing at build time does not.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The window keeps its menu state and the preview its place in QSettings; the
    // tests' settings go to a folder of their own, never to the user's.
    QTemporaryDir settings;
    if (!settings.isValid())
        return 1;
    qputenv("XDG_CONFIG_HOME", settings.path().toLocal8Bit());
    QApplication app(argc, argv);
    // As the program does at start, so the tests meet the texts a user sees.
    vektrano::InstallQtGermanTexts(app);
    // A window closed by a test must not end the application under the next one.
    QApplication::setQuitOnLastWindowClosed(false);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
