// The language dialog and the cell editor, as real widgets.
#include "editor/AddLang.h"
#include "editor/EditCell.h"
#include "EditorTestHelpers.h"
#include "RecordingPrompter.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;
using editortest::onNextDialog;

namespace {

template <class T>
T* child(QDialog* dialog, const char* name)
{
    T* widget = dialog->findChild<T*>(QString::fromLatin1(name));
    if (!widget)
        qFatal("no %s", name);
    return widget;
}

QComboBox* identifierBox(QDialog* d) { return child<QComboBox>(d, "cbxLangID"); }
QLineEdit* displayBox(QDialog* d) { return child<QLineEdit>(d, "edtLangDisplay"); }
QComboBox* charsetList(QDialog* d) { return child<QComboBox>(d, "cbxLangCharset"); }
QPlainTextEdit* charsetHelp(QDialog* d) { return child<QPlainTextEdit>(d, "mmCharsetHelp"); }
QPlainTextEdit* memo(QDialog* d) { return child<QPlainTextEdit>(d, "mmMemo"); }
void click(QDialog* d, const char* button) { QTest::mouseClick(child<QPushButton>(d, button), Qt::LeftButton); }

// Types each character as its own key press; QTest's own typing knows ASCII only.
void typeText(QWidget* widget, const QString& text)
{
    for (QChar c : text) {
        const int key = c.unicode() < 128 ? QChar(c).toUpper().unicode() : int(Qt::Key_unknown);
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QApplication::sendEvent(widget, &release);
    }
}

int lineHeight(QDialog* dialog) { return QFontMetrics(dialog->font()).height(); }

} // namespace

class TestEditorDialogs : public QObject
{
    Q_OBJECT

private slots:
    void newLanguageDefaults()
    {
        orb::RecordingPrompter prompter;
        bool seen = false;
        onNextDialog([&](QDialog* dialog) {
            seen = true;
            QCOMPARE(dialog->windowTitle(), u"Добавить язык"_s);
            // The designed size, or more where the texts need it.
            QVERIFY(dialog->width() >= 235 && dialog->height() >= 258);
            QCOMPARE(identifierBox(dialog)->currentText(), u"Russian"_s);
            QCOMPARE(identifierBox(dialog)->count(), 3);
            QCOMPARE(identifierBox(dialog)->itemText(2), u"German"_s);
            QCOMPARE(displayBox(dialog)->text(), u"Русский"_s);
            QCOMPARE(charsetList(dialog)->count(), 19);
            QCOMPARE(charsetList(dialog)->maxVisibleItems(), 19);
            QCOMPARE(charsetList(dialog)->currentText(), u"DEFAULT_CHARSET"_s);
            QCOMPARE(charsetList(dialog)->toolTip(), u"DEFAULT_CHARSET"_s);
            QCOMPARE(charsetHelp(dialog)->toPlainText(), u" "_s);
            QVERIFY(charsetHelp(dialog)->isReadOnly());
            QVERIFY(child<QListWidget>(dialog, "lbxCharsetHelp")->isHidden());
            click(dialog, "btnOK");
        });
        TLang lang;
        QVERIFY(AddLanguageDialog(lang));
        QVERIFY(seen);
        QCOMPARE(lang.LangID, u"Russian"_s);
        QCOMPARE(lang.LangDisplay, u"Русский"_s);
        QCOMPARE(lang.LangCharset, u"DEFAULT_CHARSET"_s);
        QVERIFY(prompter.messages.isEmpty());
    }

    void charsetHelpFollowsTheSelection()
    {
        onNextDialog([&](QDialog* dialog) {
            charsetList(dialog)->setCurrentIndex(15);
            QCOMPARE(charsetList(dialog)->toolTip(), u"RUSSIAN_CHARSET"_s);
            QCOMPARE(charsetHelp(dialog)->toPlainText(), u"Cyrillic Russia, Belarus, Ukraine and some other slavic countries"_s);
            click(dialog, "btnOK");
        });
        TLang lang;
        QVERIFY(AddLanguageDialog(lang));
        QCOMPARE(lang.LangCharset, u"RUSSIAN_CHARSET"_s);
    }

    void identifierTakesAsciiLettersOnly()
    {
        QString typed;
        onNextDialog([&](QDialog* dialog) {
            QLineEdit* line = identifierBox(dialog)->lineEdit();
            line->setFocus();
            line->clear();
            typeText(line, u"en-G B_1é"_s);
            typed = line->text();
            QTest::keyClick(line, Qt::Key_Backspace);
            QCOMPARE(line->text(), u"enGB"_s);
            QTest::keyClick(line, Qt::Key_Home);
            // Delete as X11 and Wayland deliver it, with the character U+007F.
            QKeyEvent deleteKey(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier, QString(QChar(0x7f)));
            QApplication::sendEvent(line, &deleteKey);
            QCOMPARE(line->text(), u"nGB"_s);
            // The display name takes any text.
            typeText(displayBox(dialog), u"-1 é"_s);
            QCOMPARE(displayBox(dialog)->text(), u"Русский-1 é"_s);
        });
        TLang lang;
        QVERIFY(!AddLanguageDialog(lang));
        QCOMPARE(typed, u"enGB"_s);
    }

    void enterChecksAsOkDoes()
    {
        orb::RecordingPrompter prompter;
        onNextDialog([&](QDialog* dialog) {
            identifierBox(dialog)->setEditText(QString());
            QTest::keyClick(displayBox(dialog), Qt::Key_Return);
            QVERIFY(dialog->isVisible());
            identifierBox(dialog)->setEditText(u"en"_s);
            QTest::keyClick(displayBox(dialog), Qt::Key_Return);
            QVERIFY(!dialog->isVisible());
        });
        TLang lang;
        QVERIFY(AddLanguageDialog(lang));
        QCOMPARE(lang.LangID, u"en"_s);
        QCOMPARE(prompter.texts(), QStringList{u"Введите идентификатор языка"_s});
    }

    void refusesIdentifiersNoSaveWouldTake_data()
    {
        QTest::addColumn<QString>("identifier");
        QTest::addColumn<bool>("byEnter");
        QTest::addColumn<QString>("message");
        const QString notXml = u"Идентификатор языка должен начинаться с латинской буквы и состоять из латинских букв"_s;
        QTest::newRow("empty, OK") << QString() << false << u"Введите идентификатор языка"_s;
        QTest::newRow("empty, Enter") << QString() << true << u"Введите идентификатор языка"_s;
        QTest::newRow("digit first") << u"1de"_s << false << notXml;
        QTest::newRow("blank inside") << u"1 de"_s << true << notXml;
        QTest::newRow("blanks only") << u"  "_s << false << notXml;
        QTest::newRow("another language's") << u"German"_s << true << u"Этот идентификатор уже есть у другого языка словаря"_s;
    }
    void refusesIdentifiersNoSaveWouldTake()
    {
        QFETCH(QString, identifier);
        QFETCH(bool, byEnter);
        QFETCH(QString, message);
        orb::RecordingPrompter prompter;
        onNextDialog([&](QDialog* dialog) {
            identifierBox(dialog)->setEditText(identifier);
            displayBox(dialog)->setFocus();
            if (byEnter)
                QTest::keyClick(displayBox(dialog), Qt::Key_Return);
            else
                click(dialog, "btnOK");
            QVERIFY(dialog->isVisible());
            QCOMPARE(dialog->focusWidget(), identifierBox(dialog));
            QCOMPARE(prompter.messages.size(), 1);
            QCOMPARE(prompter.messages[0].owner, dialog);
        });
        TLang lang;
        QVERIFY(!AddLanguageDialog(lang, nullptr, {u"English"_s, u"German"_s}));
        QCOMPARE(prompter.texts(), QStringList{message});
        QCOMPARE(prompter.messages[0].caption, u"Varnok Translation Toolkit"_s);
        QCOMPARE(prompter.messages[0].icon, orb::Prompter::Icon::Warning);
        QCOMPARE(prompter.messages[0].buttons, int(orb::Prompter::Ok));
    }

    void propertiesKeepTheirOwnIdentifier()
    {
        orb::RecordingPrompter prompter;
        onNextDialog([&](QDialog* dialog) { click(dialog, "btnOK"); });
        TLang lang{u"German"_s, u"Deutsch"_s, u"ANSI_CHARSET"_s};
        QVERIFY(LangPropertyDialog(lang, nullptr, {u"English"_s}));
        QCOMPARE(lang.LangID, u"German"_s);
        QVERIFY(prompter.messages.isEmpty());
    }

    void enterInTheCharsetListAccepts()
    {
        onNextDialog([&](QDialog* dialog) {
            charsetList(dialog)->setFocus();
            QTest::keyClick(charsetList(dialog), Qt::Key_Enter, Qt::ShiftModifier);
        });
        TLang lang;
        QVERIFY(AddLanguageDialog(lang));
    }

    void okChecksForEmptyTexts()
    {
        orb::RecordingPrompter prompter;
        onNextDialog([&](QDialog* dialog) {
            identifierBox(dialog)->setEditText(QString());
            click(dialog, "btnOK");
            QVERIFY(dialog->isVisible());
            identifierBox(dialog)->setEditText(u"xx"_s);
            displayBox(dialog)->clear();
            click(dialog, "btnOK");
            QVERIFY(dialog->isVisible());
            QCOMPARE(dialog->focusWidget(), displayBox(dialog));
            QCOMPARE(prompter.messages.size(), 2);
            QCOMPARE(prompter.messages[0].owner, dialog);
            displayBox(dialog)->setText(u"  "_s);
            click(dialog, "btnOK");
            QVERIFY(!dialog->isVisible());
        });
        TLang lang;
        QVERIFY(AddLanguageDialog(lang));
        // A display name of blanks is a name all the same.
        QCOMPARE(lang.LangDisplay, u"  "_s);
        QCOMPARE(prompter.texts(), (QStringList{u"Введите идентификатор языка"_s, u"Введите название языка"_s}));
        for (const auto& message : prompter.messages) {
            QCOMPARE(message.caption, u"Varnok Translation Toolkit"_s);
            QCOMPARE(message.icon, orb::Prompter::Icon::Warning);
            QCOMPARE(message.buttons, int(orb::Prompter::Ok));
        }
    }

    void cancelAndEscapeChangeNothing()
    {
        onNextDialog([&](QDialog* dialog) {
            displayBox(dialog)->setText(u"changed"_s);
            QTest::keyClick(displayBox(dialog), Qt::Key_Escape);
            QVERIFY(dialog->isVisible());
            click(dialog, "btnCancel");
            QVERIFY(!dialog->isVisible());
        });
        TLang lang{u"a"_s, u"b"_s, u"c"_s};
        QVERIFY(!AddLanguageDialog(lang));
        QCOMPARE(lang.LangDisplay, u"b"_s);
        // A fresh dialog each time: nothing of the last one survives.
        onNextDialog([&](QDialog* dialog) { QCOMPARE(displayBox(dialog)->text(), u"Русский"_s); click(dialog, "btnOK"); });
        QVERIFY(AddLanguageDialog(lang));
        QCOMPARE(lang.LangDisplay, u"Русский"_s);
    }

    void propertiesShowTheLanguage()
    {
        onNextDialog([&](QDialog* dialog) {
            QCOMPARE(dialog->windowTitle(), u"Свойства языка"_s);
            QCOMPARE(identifierBox(dialog)->currentText(), u"Russian"_s);
            QCOMPARE(displayBox(dialog)->text(), u"Рус(ский"_s);
            QCOMPARE(charsetList(dialog)->currentText(), u"RUSSIAN_CHARSET"_s);
            QCOMPARE(charsetList(dialog)->toolTip(), u"RUSSIAN_CHARSET"_s);
            QCOMPARE(charsetHelp(dialog)->toPlainText(), u"Cyrillic Russia, Belarus, Ukraine and some other slavic countries"_s);
            identifierBox(dialog)->setEditText(u"Ukrainian"_s);
            click(dialog, "btnOK");
        });
        TLang lang{u"Russian"_s, u"Рус(ский"_s, u"RUSSIAN_CHARSET"_s};
        QVERIFY(LangPropertyDialog(lang));
        QCOMPARE(lang.LangID, u"Ukrainian"_s);
        QCOMPARE(lang.LangDisplay, u"Рус(ский"_s);
        QCOMPARE(lang.LangCharset, u"RUSSIAN_CHARSET"_s);
    }

    void propertiesWithAnUnknownCharsetShowTheDefault()
    {
        onNextDialog([&](QDialog* dialog) {
            QCOMPARE(charsetList(dialog)->currentText(), u"DEFAULT_CHARSET"_s);
            click(dialog, "btnOK");
        });
        TLang lang{u"X"_s, u"x"_s, u"russian_charset"_s};
        QVERIFY(LangPropertyDialog(lang));
        QCOMPARE(lang.LangCharset, u"DEFAULT_CHARSET"_s);
    }

    void cellEditorShowsLinesAndGivesBackLineFeeds_data()
    {
        QTest::addColumn<QString>("cell");
        QTest::addColumn<int>("lines");
        QTest::addColumn<QString>("accepted");
        QTest::newRow("line feed") << u"first\nsecond"_s << 2 << u"first\nsecond"_s;
        QTest::newRow("carriage return and line feed") << u"first\r\nsecond"_s << 2 << u"first\nsecond"_s;
        QTest::newRow("leading line feed") << u"\nsecond"_s << 2 << u"\nsecond"_s;
        QTest::newRow("one line") << u"one"_s << 1 << u"one"_s;
        // Characters that QPlainTextEdit::toPlainText would change.
        QTest::newRow("no-break spaces") << u"«\u00A0oui\u00A0»"_s << 1 << u"«\u00A0oui\u00A0»"_s;
        QTest::newRow("tab and trailing space") << u"a\tb "_s << 1 << u"a\tb "_s;
        QTest::newRow("line separator") << u"a\u2028b\nc"_s << 2 << u"a\u2028b\nc"_s;
    }
    void cellEditorShowsLinesAndGivesBackLineFeeds()
    {
        QFETCH(QString, cell);
        QFETCH(int, lines);
        QFETCH(QString, accepted);
        onNextDialog([&](QDialog* dialog) {
            QCOMPARE(dialog->windowTitle(), u"Редактирование ячейки"_s);
            QCOMPARE(memo(dialog)->document()->blockCount(), lines);
            click(dialog, "btnOK");
        });
        QString text = cell;
        ExecuteEditCell(text);
        QCOMPARE(text, accepted);
    }

    void cellEditorSizes()
    {
        TfrmEditCell dialog;
        auto* width = child<QLabel>(&dialog, "lblWidth");
        auto* height = child<QLabel>(&dialog, "lblHeight");
        const QFontMetrics metrics(dialog.font());
        dialog.SetCellText(QString());
        QCOMPARE(width->text(), u"Ширина:0"_s);
        QCOMPARE(height->text(), u"Высота:0"_s);
        dialog.SetCellText(u"short\na much longer line"_s);
        QCOMPARE(width->text(), u"Ширина:"_s + QString::number(metrics.horizontalAdvance(u"a much longer line"_s)));
        QCOMPARE(height->text(), u"Высота:"_s + QString::number(2 * lineHeight(&dialog)));
        dialog.SetCellText(u"one"_s);
        QCOMPARE(height->text(), u"Высота:"_s + QString::number(lineHeight(&dialog)));
        dialog.SetCellText(u"one\ntwo\nthree"_s);
        QCOMPARE(height->text(), u"Высота:"_s + QString::number(3 * lineHeight(&dialog)));
        // Typing updates the figures too.
        memo(&dialog)->appendPlainText(u"four"_s);
        QCOMPARE(height->text(), u"Высота:"_s + QString::number(4 * lineHeight(&dialog)));
    }

    void enterInTheMemoAddsALine()
    {
        onNextDialog([&](QDialog* dialog) {
            QPlainTextEdit* edit = memo(dialog);
            edit->setFocus();
            edit->moveCursor(QTextCursor::End);
            QTest::keyClick(edit, Qt::Key_Return);
            QTest::keyClicks(edit, u"b"_s);
            QVERIFY(dialog->isVisible());
            QTest::keyClick(edit, Qt::Key_Escape);
            QVERIFY(dialog->isVisible());
            click(dialog, "btnOK");
        });
        QString text = u"a"_s;
        ExecuteEditCell(text);
        QCOMPARE(text, u"a\nb"_s);
    }

    void cancelledCellEditLeavesTheText()
    {
        onNextDialog([&](QDialog* dialog) {
            memo(dialog)->setPlainText(u"other"_s);
            click(dialog, "btnCancel");
        });
        QString text = u"a\r\nb"_s;
        ExecuteEditCell(text);
        QCOMPARE(text, u"a\r\nb"_s);
    }
};

QTEST_MAIN(TestEditorDialogs)
#include "tst_editor_dialogs.moc"
