#pragma once

#include <QString>
#include <QStringList>

namespace orb {

// Whether a text can name a language column: the identifier becomes the language's element
// name in the file, and cells are read back by it, so a file written with it must load.
enum class LangIdCheck {
    Valid,
    Empty,
    NotXmlName, // blanks, a leading digit and the like
    Taken,      // another column already has it (compared case-sensitively, as XML does)
};

LangIdCheck checkLangId(const QString& langId, const QStringList& takenIds);

} // namespace orb
