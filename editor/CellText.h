#pragma once

#include <QString>
#include <QStringList>

// The lines of a multi-line edit's text: separated by line feeds; a break at the very end
// opens no further line, and an empty text has no line at all.
QStringList MemoLines(const QString& memoText);

// A multi-line edit's document text as typed: its blocks separated by line feeds, every other
// character kept. (QPlainTextEdit::toPlainText also turns no-break spaces into blanks and
// line separators into line feeds, which would change texts nobody touched.)
QString MemoText(const QString& rawDocumentText);
