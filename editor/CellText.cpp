#include "editor/CellText.h"

namespace orb {

QStringList memoLines(const QString& memoText)
{
    if (memoText.isEmpty())
        return {};
    QStringList lines = memoText.split(u'\n');
    if (memoText.endsWith(u'\n'))
        lines.removeLast();
    return lines;
}

QString memoText(const QString& rawDocumentText)
{
    QString text = rawDocumentText;
    text.replace(QChar::ParagraphSeparator, u'\n');
    return text;
}

} // namespace orb
