#pragma once

class QCoreApplication;
class QTranslator;

// Qt's own windows (the file dialog, the page set-up, the colour chooser, the standard
// buttons) speak French like the rest of the program, whatever the user's locale. The
// default locale is not changed: numbers keep the formats the program gives them.
// Returns the installed translator (owned by the application), or null when Qt's French
// translations are not installed.
QTranslator* InstallQtFrenchTranslations(QCoreApplication& application);
