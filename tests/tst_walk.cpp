#include "OrbTranslate.h"
#include "RecordingPrompter.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHelpEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>
#include <QTreeWidget>
#include <QVBoxLayout>

// Objects whose properties refer to each other, or whose setters fail.
class Node : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QObject* peer MEMBER peer)
    Q_PROPERTY(QString caption MEMBER caption)
    Q_PROPERTY(QStringList lines MEMBER lines)
public:
    using QObject::QObject;
    QObject* peer = nullptr;
    QString caption;
    QStringList lines;
};

class Faulty : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString first READ first WRITE setFirst)
    Q_PROPERTY(QString second MEMBER second)
public:
    using QObject::QObject;
    QString first() const { return QStringLiteral("Press"); }
    void setFirst(const QString&) { throw std::runtime_error("cannot change"); }
    QString second = QStringLiteral("Press");
};

namespace {

const QByteArray kDictionary =
    "<Varnok_translation_toolkit_dictionary_file>"
    "<Languages><en Name=\"English\"/><de Name=\"Deutsch\"/></Languages>"
    "<Charsets><en Charset=\"0\"/><de Charset=\"161\"/></Charsets>"
    "<Item><en Message=\"Window\"/><de Message=\"Fenster\"/></Item>"
    "<Item><en Message=\"Press\"/><de Message=\"Dr\xC3\xBC" "cken\"/></Item>"
    "<Item><en Message=\"Tip\"/><de Message=\"Tipp\"/></Item>"
    "<Item><en Message=\"Caption\"/><de Message=\"Titel\"/></Item>"
    "<Item><en Message=\"One\"/><de Message=\"Eins\"/></Item>"
    "<Item><en Message=\"Two\"/><de Message=\"Zwei\"/></Item>"
    "<Item><en Message=\"Three\"/><de Message=\"Drei\"/></Item>"
    "<Item><en Message=\"Column\"/><de Message=\"Spalte\"/></Item>"
    "</Varnok_translation_toolkit_dictionary_file>";

} // namespace

class WalkTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    RecordingPrompter m_prompter;

    std::unique_ptr<TOrbTranslate> started(const QString& language = QStringLiteral("de"))
    {
        const QString path = m_dir.filePath(QStringLiteral("walk.lng"));
        if (!QFile::exists(path)) {
            QFile file(path);
            file.open(QIODevice::WriteOnly);
            file.write(kDictionary);
        }
        auto translator = std::make_unique<TOrbTranslate>();
        translator->SetDictName(QDir(QCoreApplication::applicationDirPath()).relativeFilePath(path));
        translator->DefineProperties();
        if (!language.isEmpty())
            translator->SetLangID(language);
        return translator;
    }

private slots:
    void windowAndWhatItOwnsFollowTheLanguage()
    {
        auto translator = started(QString());
        QWidget window;
        window.setWindowTitle(QStringLiteral("Window"));
        auto* button = new QPushButton(QStringLiteral("&Press"), &window);
        button->setObjectName(QStringLiteral("Press")); // a name is never translated
        button->setToolTip(QStringLiteral("Tip"));
        auto* list = new QListWidget(&window);
        list->addItems({QStringLiteral("One"), QStringLiteral("Two")});
        auto* tree = new QTreeWidget(&window);
        tree->setHeaderLabels({QStringLiteral("Column")});
        auto* top = new QTreeWidgetItem(tree, {QStringLiteral("One"), QStringLiteral("Two")});
        new QTreeWidgetItem(top, {QStringLiteral("Three")});
        window.show();

        QVERIFY(translator->SetLangID(QStringLiteral("de"))); // every top-level window at once
        QCOMPARE(window.windowTitle(), QStringLiteral("Fenster"));
        QCOMPARE(button->text(), QStringLiteral("Drücken"));
        QCOMPARE(button->toolTip(), QStringLiteral("Tipp"));
        QCOMPARE(button->objectName(), QStringLiteral("Press"));
        QCOMPARE(list->item(1)->text(), QStringLiteral("Zwei"));
        QCOMPARE(tree->headerItem()->text(0), QStringLiteral("Spalte"));
        QCOMPARE(top->text(1), QStringLiteral("Zwei"));
        QCOMPARE(top->child(0)->text(0), QStringLiteral("Drei"));
        QCOMPARE(button->property("charset").toInt(), 161);

        QVERIFY(translator->SetLangID(QStringLiteral("en")));
        QCOMPARE(window.windowTitle(), QStringLiteral("Window"));
        QCOMPARE(button->text(), QStringLiteral("Press"));
        QCOMPARE(top->child(0)->text(0), QStringLiteral("Three"));
        QCOMPARE(button->property("charset").toInt(), 0);
        QCOMPARE(translator->GetDictLang(QStringLiteral("en"))->Phrases.size(), 8); // nothing learned
    }

    void comboBoxKeepsItsSelection()
    {
        auto translator = started();
        QComboBox combo;
        combo.addItems({QStringLiteral("One"), QStringLiteral("Two"), QStringLiteral("Three")});
        combo.setCurrentIndex(2);
        QSignalSpy changes(&combo, &QComboBox::currentIndexChanged);
        translator->TranslateForm(&combo);
        QCOMPARE(combo.currentIndex(), 2);
        QCOMPARE(combo.currentText(), QStringLiteral("Drei"));
        QCOMPARE(changes.count(), 0);
    }

    void excludedObjectsKeepTheirTextsButNotTheirChildren()
    {
        auto translator = started();
        QGroupBox group(QStringLiteral("Caption"));
        auto* inner = new QPushButton(QStringLiteral("Press"), &group);
        translator->AddNotTranslate(&group);
        translator->TranslateAllComponents(&group);
        QCOMPARE(group.title(), QStringLiteral("Caption"));
        QVERIFY(!group.property("charset").isValid());
        QCOMPARE(inner->text(), QStringLiteral("Drücken"));
        QCOMPARE(inner->property("charset").toInt(), 161);
    }

    void valuesAreWrittenOnlyWhenTheyChange()
    {
        auto translator = started();
        QLineEdit edit(QStringLiteral("One"));
        QLineEdit unknown(QStringLiteral("Not in the dictionary"));
        QSignalSpy edited(&edit, &QLineEdit::textChanged);
        QSignalSpy untouched(&unknown, &QLineEdit::textChanged);
        translator->TranslateAllComponents(&edit);
        translator->TranslateAllComponents(&edit);
        translator->TranslateAllComponents(&unknown);
        QCOMPARE(edit.text(), QStringLiteral("Eins"));
        QCOMPARE(edited.count(), 1);
        QCOMPARE(untouched.count(), 0);
    }

    void referencesAreWalkedAndCyclesEnd()
    {
        auto translator = started();
        Node a, b;
        a.caption = QStringLiteral("One");
        a.lines = {QStringLiteral("Two"), QStringLiteral("unknown"), QStringLiteral("Three")};
        b.caption = QStringLiteral("Two");
        a.peer = &b;
        b.peer = &a;
        translator->TranslateComponent(&a);
        QCOMPARE(a.caption, QStringLiteral("Eins"));
        QCOMPARE(b.caption, QStringLiteral("Zwei"));
        QCOMPARE(a.lines, (QStringList{QStringLiteral("Zwei"), QStringLiteral("unknown"), QStringLiteral("Drei")}));
    }

    void failureEndsOnlyThatObject()
    {
        auto translator = started();
        Faulty faulty;
        auto* child = new Node(&faulty);
        child->caption = QStringLiteral("Three");
        Node sibling;
        translator->TranslateAllComponents(&faulty);
        QCOMPARE(faulty.second, QStringLiteral("Press")); // after the failing property
        QCOMPARE(child->caption, QStringLiteral("Drei"));
    }

    void tooltipsAreShownTranslatedAndNotLearned()
    {
        auto translator = started();
        QPushButton known(QStringLiteral("x")), unknown(QStringLiteral("y"));
        known.setToolTip(QStringLiteral("Tip"));
        unknown.setToolTip(QStringLiteral("Never seen"));
        for (QPushButton* b : {&known, &unknown})
            b->show();
        QHelpEvent first(QEvent::ToolTip, QPoint(2, 2), known.mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(&known, &first);
        QCOMPARE(QToolTip::text(), QStringLiteral("Tipp"));
        QToolTip::hideText();
        QHelpEvent second(QEvent::ToolTip, QPoint(2, 2), unknown.mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(&unknown, &second);
        QCOMPARE(QToolTip::text(), QStringLiteral("Never seen"));
        QCOMPARE(translator->GetDictLang(QStringLiteral("de"))->Phrases.size(), 8);

        translator.reset(); // the hooks go with the instance that owns them
        QToolTip::hideText();
        QHelpEvent third(QEvent::ToolTip, QPoint(2, 2), known.mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(&known, &third);
        QCOMPARE(QToolTip::text(), QStringLiteral("Tip"));
        QToolTip::hideText();
    }

    void windowCreatedLaterIsTranslatedWhenActivated()
    {
        auto first = started();
        auto last = started(); // its start-up ran last: it owns the hooks
        QWidget window;
        window.setWindowTitle(QStringLiteral("Window"));
        auto* button = new QPushButton(QStringLiteral("Press"), &window);
        window.show();
        QCOMPARE(button->text(), QStringLiteral("Press")); // not when it is created
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QCOMPARE(window.windowTitle(), QStringLiteral("Fenster"));
        QCOMPARE(button->text(), QStringLiteral("Drücken"));

        // The instance whose start-up did not run last does not own the hook.
        last->SetLangID(QStringLiteral("en"));
        window.setWindowTitle(QStringLiteral("Window"));
        QApplication::setActiveWindow(nullptr);
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QCOMPARE(window.windowTitle(), QStringLiteral("Window"));
        QCOMPARE(first->CurrentLangID(), QStringLiteral("de"));
    }
};

QTEST_MAIN(WalkTest)
#include "tst_walk.moc"
