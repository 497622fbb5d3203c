#pragma once

#include <QString>
#include <QStringList>

namespace orb {

// The lines of a multi-line edit's text: separated by line feeds; a break at the very end
// opens no further line, and an empty text has no line at all.
QStringList memoLines(const QString& memoText);

// A multi-line edit's document text as typed: its blocks separated by line feeds, every other
// character kept. (QPlainTextEdit::toPlainText also turns no-break spaces into blanks and
// line separators into line feeds, which would change texts nobody touched.)
QString memoText(const QString& rawDocumentText);

} // namespace orb
