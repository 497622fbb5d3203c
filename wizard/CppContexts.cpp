#include "wizard/CppContexts.h"

#include <QHash>

#include <algorithm>

namespace orb {

namespace {

template<typename Words>
bool isOneOf(QStringView name, const Words& words)
{
    return std::any_of(std::begin(words), std::end(words), [&](QStringView word) { return word == name; });
}

// By the last component of their name: Qt's text setters and the functions that add a text
// to a widget, every string parameter of which is a QString.
const QStringView kTextSetters[] = {
    u"setText", u"setWindowTitle", u"setToolTip", u"setStatusTip", u"setWhatsThis",
    u"setPlaceholderText", u"setTitle", u"setSubTitle", u"setLabelText", u"setPlainText",
    u"setHtml", u"setMarkdown", u"setPrefix", u"setSuffix", u"setSpecialValueText",
    u"setAccessibleName", u"setAccessibleDescription", u"setTabText", u"setTabToolTip",
    u"setTabWhatsThis", u"setItemText", u"setItemToolTip", u"setWindowIconText", u"setButtonText",
    u"setInformativeText", u"setDetailedText", u"setCancelButtonText", u"setOkButtonText",
    u"setHeaderLabel", u"setHeaderLabels", u"setHorizontalHeaderLabels", u"setVerticalHeaderLabels",
    u"setApplicationDescription", u"setNameFilter", u"setNameFilters", u"setTextValue",
    u"showMessage", u"addItem", u"addItems", u"insertItem", u"insertItems", u"addTab", u"insertTab",
    u"addAction", u"addMenu", u"addSection", u"addRow", u"appendPlainText", u"appendHtml",
    u"insertPlainText", u"insertHtml",
};
// By their qualified name: the static functions of Qt's standard dialogs and tips.
const QStringView kStaticCalls[] = {
    u"QMessageBox::information", u"QMessageBox::warning", u"QMessageBox::critical",
    u"QMessageBox::question", u"QMessageBox::about",
    u"QInputDialog::getText", u"QInputDialog::getMultiLineText", u"QInputDialog::getInt",
    u"QInputDialog::getDouble", u"QInputDialog::getItem",
    u"QFileDialog::getOpenFileName", u"QFileDialog::getOpenFileNames", u"QFileDialog::getSaveFileName",
    u"QFileDialog::getExistingDirectory", u"QToolTip::showText", u"QWhatsThis::showText",
};
// Classes whose constructors take texts as QStrings.
const QStringView kTextClasses[] = {
    u"QString", u"QStringList", u"QLabel", u"QPushButton", u"QCheckBox", u"QRadioButton",
    u"QGroupBox", u"QAction", u"QMenu", u"QDockWidget", u"QCommandLinkButton", u"QToolBar",
    u"QListWidgetItem", u"QTableWidgetItem", u"QStandardItem", u"QMessageBox", u"QProgressDialog",
    u"QLineEdit", u"QTextEdit", u"QPlainTextEdit", u"QTextBrowser",
};
const QStringView kQStringMakers[] = {u"QString::fromUtf8", u"QString::fromLatin1", u"QString::fromLocal8Bit"};

bool isBlank(QChar ch)
{
    return ch == u' ' || ch == u'\t' || ch == u'\n' || ch == u'\r' || ch == u'\f' || ch == u'\v';
}

bool isIdentifierChar(QChar ch)
{
    return ch.isLetterOrNumber() || ch == u'_';
}

qsizetype nextNonBlank(const EditedText& text, qsizetype pos)
{
    while (pos < text.size() && isBlank(text.at(pos)))
        ++pos;
    return pos;
}

// The word of code that ends at end (after blanks), as text: an identifier, or one character.
QString tokenEndingAt(const EditedText& text, qsizetype end, qsizetype* start)
{
    const qsizetype last = lastNonBlankBefore(text, end);
    if (last < 0) {
        *start = -1;
        return QString();
    }
    qsizetype first = last;
    while (first > 0 && isIdentifierChar(text.at(first - 1)) && isIdentifierChar(text.at(last)))
        --first;
    *start = first;
    return text.mid(first, last - first + 1);
}

} // namespace

bool takesQStringArguments(QStringView qualified, QStringView last)
{
    return isOneOf(last, kTextSetters) || isOneOf(qualified, kStaticCalls);
}

bool constructedFromQString(QStringView type)
{
    return isOneOf(type, kTextClasses);
}

bool isQStringMaker(QStringView qualified)
{
    return isOneOf(qualified, kQStringMakers);
}

qsizetype lastNonBlankBefore(const EditedText& text, qsizetype pos)
{
    --pos;
    while (pos >= 0 && isBlank(text.at(pos)))
        --pos;
    return pos;
}

qsizetype identifierEndingAt(const EditedText& text, qsizetype end)
{
    qsizetype start = -1;
    const QString token = tokenEndingAt(text, end, &start);
    return !token.isEmpty() && isIdentifierChar(token.front()) && !token.front().isDigit() ? start : -1;
}

bool standsAsOperand(const EditedText& text, Selection unit)
{
    const qsizetype before = lastNonBlankBefore(text, unit.start);
    const qsizetype after = nextNonBlank(text, unit.end());
    if (before < 0)
        return false;
    const QChar b = text.at(before);
    const QChar a = text.at(after);
    const bool openedWell = QStringView(u"(,{?").contains(b)
        || (b == u'=' && !QStringView(u"=!<>").contains(text.at(before - 1)))
        || (b == u':' && text.at(before - 1) != u':') || (b == u'+' && text.at(before - 1) != u'+')
        || (b == u'<' && text.at(before - 1) == u'<');
    const bool closedWell = QStringView(u"),};?").contains(a) || (a == u':' && text.at(after + 1) != u':')
        || (a == u'+' && text.at(after + 1) != u'+') || (a == u'<' && text.at(after + 1) == u'<');
    return openedWell && closedWell;
}

bool declaresQStringBefore(const EditedText& text, qsizetype pos)
{
    // pos is the "=" or "{" after the name, or a blank before one.
    qsizetype at = text.at(pos) == u'=' || text.at(pos) == u'{' ? pos : lastNonBlankBefore(text, pos);
    if (at < 0 || (text.at(at) != u'=' && text.at(at) != u'{'))
        return false;
    const qsizetype name = identifierEndingAt(text, at);
    if (name < 0)
        return false;
    qsizetype typeStart = -1;
    QString type = tokenEndingAt(text, name, &typeStart);
    if (type == u"&")
        type = tokenEndingAt(text, typeStart, &typeStart);
    return type == u"QString";
}

bool QStringNames::isQString(const QString& name)
{
    if (!m_read)
        read();
    return m_declared.contains(name) && !m_otherwise.contains(name);
}

void QStringNames::read()
{
    m_read = true;
    static const QStringView kNotTypes[] = {u"return", u"else", u"case", u"do", u"new", u"delete", u"throw",
                                            u"co_return", u"co_yield", u"goto", u"sizeof", u"emit", u"Q_EMIT"};
    // Every identifier, with the token before it; strings and comments are not told apart,
    // which only ever finds a name declared otherwise.
    QString previous; // the last token: an identifier, or one character
    QString beforePrevious;
    for (qsizetype pos = 0; pos < m_text.size();) {
        const QChar ch = m_text.at(pos);
        if (isBlank(ch)) {
            ++pos;
            continue;
        }
        QString token;
        if (isIdentifierChar(ch)) {
            const qsizetype start = pos;
            while (pos < m_text.size() && isIdentifierChar(m_text.at(pos)))
                ++pos;
            token = m_text.mid(start, pos - start);
            if (!token.front().isDigit()) {
                const bool reference = previous == u"&";
                const QString type = reference ? beforePrevious : previous;
                if (type == u"QString") {
                    if (!reference)
                        m_declared.insert(token);
                } else if (previous == u"*" || previous == u">"
                           || (!type.isEmpty() && isIdentifierChar(type.front()) && !isOneOf(QStringView(type), kNotTypes))) {
                    m_otherwise.insert(token);
                }
            }
        } else {
            token = QString(ch);
            ++pos;
        }
        beforePrevious = std::move(previous);
        previous = std::move(token);
    }
}

} // namespace orb
