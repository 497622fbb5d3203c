#pragma once

#include "wizard/EditedText.h"
#include "wizard/Harvest.h"

#include <QSet>

namespace orb {

// Where the C++ harvest may put Translate(...), which returns a QString, in place of a string
// literal: an allow-list read from the code around the literal, no compiler asked. A context
// not known to take a QString is never rewritten.

// A call whose string arguments are all QStrings: a text setter or constructor of Qt's
// widgets, QMessageBox's, QInputDialog's and QFileDialog's static functions and the like.
// qualified is the name with its qualifiers ("QMessageBox::warning"), last its last component.
bool takesQStringArguments(QStringView qualified, QStringView last);
// A type constructed from QString texts, as in `QLabel label("Name")` or `new QLabel("Name")`.
bool constructedFromQString(QStringView type);
// A call that makes a QString of the literal it is given alone ("QString::fromUtf8"), which a
// rewrite encloses whole, as it does QStringLiteral(...).
bool isQStringMaker(QStringView qualified);

// The expression from unit.start to unit.end() stands as an operand of its own: between
// "(", ",", "{", "=", "?", ":", "+" or "<<" and ")", ",", "}", ";", "+", ":", "?" or "<<", so
// that no cast, subscript or pointer arithmetic applies to it alone.
bool standsAsOperand(const EditedText& text, Selection unit);

// The identifier that ends at end, ignoring the blanks before end; its start, or -1.
qsizetype identifierEndingAt(const EditedText& text, qsizetype end);
// The last position before pos that is not a blank, or -1.
qsizetype lastNonBlankBefore(const EditedText& text, qsizetype pos);

// The text from pos (a blank, "=", "(" or "{" before the expression) back initialises a QString
// declared there: `QString name = `, `const QString& name = `, `QString name{`.
bool declaresQStringBefore(const EditedText& text, qsizetype pos);

// The file declares name as a QString (`QString name`) and as nothing else, so that
// `name = "..."` assigns a QString. The file is read once, when first asked.
class QStringNames
{
public:
    explicit QStringNames(const EditedText& text) : m_text(text) {}
    bool isQString(const QString& name);

private:
    void read();

    const EditedText& m_text;
    bool m_read = false;
    QSet<QString> m_declared;  // after "QString"
    QSet<QString> m_otherwise; // after another type, "*", or a reference to another type
};

} // namespace orb
