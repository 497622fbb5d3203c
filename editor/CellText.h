#pragma once

#include <QString>
#include <QStringList>

// The lines of a multi-line edit's text: separated by line feeds; a break at the very end
// opens no further line, and an empty text has no line at all.
QStringList MemoLines(const QString& memoText);
