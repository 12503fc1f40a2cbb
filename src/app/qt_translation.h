#pragma once
// Qt's own texts (the buttons of message boxes, the file dialogs) in Japanese, the language
// of the editor, whatever the system's locale says.

class QCoreApplication;

namespace pdt::app {

// Installs Qt's Japanese translation of its base module into the application. False when
// the translation is not installed on this machine; Qt's texts then stay English.
bool installQtJapanese(QCoreApplication& application);

} // namespace pdt::app
