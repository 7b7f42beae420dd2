#pragma once

class QCoreApplication;

namespace vektrano {

// Qt's own texts (the file dialog, the text fields' context menus, the buttons of
// message boxes) in German, whatever the desktop's language: the program speaks
// German throughout. The numbers' locale is left alone. Returns false when Qt's
// German catalogue is not installed; the texts then stay English.
bool InstallQtGermanTexts(QCoreApplication& application);

} // namespace vektrano
