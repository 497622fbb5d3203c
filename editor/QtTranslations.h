#pragma once

#include <QLocale>
#include <QString>

namespace orb {

// The locale of an interface language, found by its identifier: a language's English name
// as Qt spells it ("German", "Russian", any case) or a locale code ("de", "pt_BR"). The C
// locale for an identifier that names none.
QLocale interfaceLanguageLocale(const QString& langId);

// Qt's own texts (message box and button box buttons, the file dialog) in the interface
// language, from Qt's translations for it (qtbase_XX.qm in QLibraryInfo's translations
// folder); Qt's English texts where none is installed. The first call installs the
// translator that holds them, later calls load another language into it in its place.
// Qt asks the translator installed last first: called before the window's component
// starts, as at the program's start, Qt's translations answer only what the interface
// dictionary, installed later, does not hold. True when Qt's translations for the language
// were found.
bool loadQtTranslations(const QString& langId);

} // namespace orb
