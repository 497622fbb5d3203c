#include "component/OrbTranslate.h"
#include "RecordingPrompter.h"
#include "ui_walkform.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHelpEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <new>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolBox>
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

using namespace Qt::StringLiterals;

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

// Every text of tests/walkform.ui in three languages; menu and button texts with their
// accelerators, so that switching back gives them back exactly.
const QList<QStringList> kFormRows = {
    {u"Orders"_s, u"Bestellungen"_s, u"Заказы"_s},
    {u"Name"_s, u"Name"_s, u"Имя"_s},
    {u"Notes"_s, u"Notizen"_s, u"Заметки"_s},
    {u"Open"_s, u"Öffnen"_s, u"Открыть"_s},
    {u"Save"_s, u"Speichern"_s, u"Сохранить"_s},
    {u"Close"_s, u"Schließen"_s, u"Закрыть"_s},
    {u"None"_s, u"Keine"_s, u"Нет"_s},
    {u" copies"_s, u" Kopien"_s, u" копий"_s},
    {u"Copies"_s, u"Kopien"_s, u"Копии"_s},
    {u"File"_s, u"Datei"_s, u"Файл"_s},
    {u"&File"_s, u"&Datei"_s, u"&Файл"_s},
    {u"&Open"_s, u"Ö&ffnen"_s, u"&Открыть"_s},
    {u"&Save"_s, u"&Speichern"_s, u"&Сохранить"_s},
    {u"&Close"_s, u"Schl&ießen"_s, u"&Закрыть"_s},
    {u"&OK"_s, u"&OK"_s, u"&ОК"_s},
    {u"First line\nSecond line"_s, u"Erste Zeile\nZweite Zeile"_s, u"Первая строка\nВторая строка"_s},
};
const QStringList kFormLanguages = {u"en"_s, u"de"_s, u"ru"_s};

QByteArray formDictionary()
{
    QByteArray xml = "<Varnok_translation_toolkit_dictionary_file><Languages>";
    for (const QString& id : kFormLanguages)
        xml += '<' + id.toUtf8() + " Name=\"" + id.toUtf8() + "\"/>";
    xml += "</Languages><Charsets>";
    for (const QString& id : kFormLanguages)
        xml += '<' + id.toUtf8() + " Charset=\"0\"/>";
    xml += "</Charsets>";
    for (const QStringList& row : kFormRows) {
        xml += "<Item>";
        for (int l = 0; l < kFormLanguages.size(); ++l)
            xml += '<' + kFormLanguages[l].toUtf8() + " Message=\"" + QString(row[l]).replace(u'&', u"&amp;"_s).replace(u'\n', u"&#10;"_s).toUtf8() + "\"/>";
        xml += "</Item>";
    }
    return xml + "</Varnok_translation_toolkit_dictionary_file>";
}

// What the walk should make of a text: the rule of the lookup on this small dictionary.
QString expectedTranslation(const QString& text, int language)
{
    for (const QString& key : {text, TOrbTranslate::DeleteAmpersand(text)}) {
        for (const QStringList& row : kFormRows) {
            for (const QString& cell : row) {
                if (cell.compare(key, Qt::CaseInsensitive) == 0)
                    return row[language];
            }
        }
    }
    return text;
}

// Qt's helpers inside widgets, whose texts follow the widget they serve.
bool isQtHelper(const QObject* o)
{
    return o->objectName().startsWith(u"qt_"_s) || qobject_cast<const QTextDocument*>(o)
        || o->inherits("QWidgetTextControl") || (o->parent() && o->parent()->inherits("QWidgetTextControl"));
}

// What users type: the walk must leave it as it is.
bool isUserText(const QObject* o, QByteArrayView property)
{
    if (qobject_cast<const QLineEdit*>(o))
        return property == "text";
    if (qobject_cast<const QTextEdit*>(o) || qobject_cast<const QPlainTextEdit*>(o))
        return property == "plainText" || property == "html" || property == "markdown";
    if (auto* combo = qobject_cast<const QComboBox*>(o))
        return combo->isEditable() && property == "currentText";
    return false;
}

// Every text a window holds, by where it is, and whether it is the user's.
struct FormText
{
    QString text;
    bool user;
};
using FormTexts = QMap<QString, FormText>;

void addItemRoles(FormTexts& texts, const QString& where, const std::function<QVariant(int)>& data)
{
    for (int role : {Qt::DisplayRole, Qt::ToolTipRole, Qt::StatusTipRole, Qt::WhatsThisRole}) {
        const QVariant value = data(role);
        if (value.isValid())
            texts[where + u'/' + QString::number(role)] = {value.toString(), false};
    }
}

void addItemsOf(FormTexts& texts, QObject* o, const QString& where)
{
    if (auto* c = qobject_cast<QComboBox*>(o))
        for (int i = 0; i < c->count(); ++i)
            texts[where + u".item"_s + QString::number(i)] = {c->itemText(i), false};
    if (auto* l = qobject_cast<QListWidget*>(o))
        for (int i = 0; i < l->count(); ++i)
            addItemRoles(texts, where + u".item"_s + QString::number(i), [&](int role) { return l->item(i)->data(role); });
    if (auto* t = qobject_cast<QTreeWidget*>(o)) {
        int n = 0;
        for (QTreeWidgetItem* item = t->headerItem(); item; item = t->topLevelItem(n++))
            for (int c = 0; c < t->columnCount(); ++c)
                addItemRoles(texts, where + u".node"_s + QString::number(n) + u':' + QString::number(c),
                             [&](int role) { return item->data(c, role); });
    }
    if (auto* t = qobject_cast<QTableWidget*>(o)) {
        auto add = [&](const QString& name, QTableWidgetItem* item) {
            if (item)
                addItemRoles(texts, where + name, [&](int role) { return item->data(role); });
        };
        for (int c = 0; c < t->columnCount(); ++c)
            add(u".column"_s + QString::number(c), t->horizontalHeaderItem(c));
        for (int r = 0; r < t->rowCount(); ++r) {
            add(u".row"_s + QString::number(r), t->verticalHeaderItem(r));
            for (int c = 0; c < t->columnCount(); ++c)
                add(u".cell"_s + QString::number(r) + u':' + QString::number(c), t->item(r, c));
        }
    }
    if (auto* t = qobject_cast<QTabWidget*>(o))
        for (int i = 0; i < t->count(); ++i) {
            texts[where + u".tab"_s + QString::number(i)] = {t->tabText(i), false};
            texts[where + u".tabTip"_s + QString::number(i)] = {t->tabToolTip(i), false};
        }
    if (auto* t = qobject_cast<QToolBox*>(o))
        for (int i = 0; i < t->count(); ++i) {
            texts[where + u".page"_s + QString::number(i)] = {t->itemText(i), false};
            texts[where + u".pageTip"_s + QString::number(i)] = {t->itemToolTip(i), false};
        }
}

FormTexts textsOf(QWidget* window)
{
    FormTexts texts;
    QList<QObject*> objects{window};
    objects += window->findChildren<QObject*>();
    for (QObject* o : objects) {
        if (isQtHelper(o))
            continue;
        const QString where = (o->objectName().isEmpty() ? o->parent()->objectName() + u'/' + QString::fromLatin1(o->metaObject()->className())
                                                         : o->objectName());
        const QMetaObject* meta = o->metaObject();
        for (int i = 0; i < meta->propertyCount(); ++i) {
            const QMetaProperty p = meta->property(i);
            if (p.isWritable() && p.metaType() == QMetaType::fromType<QString>() && QByteArrayView(p.name()) != "objectName")
                texts[where + u'.' + QString::fromLatin1(p.name())] = {p.read(o).toString(), isUserText(o, p.name())};
        }
        addItemsOf(texts, o, where);
    }
    return texts;
}

} // namespace

class WalkTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    orb::RecordingPrompter m_prompter;

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

    void charsetReachesAnObjectBornWhereAnotherDied()
    {
        auto translator = started();
        QVERIFY(translator->SetLangID(QStringLiteral("de")));
        alignas(QPushButton) unsigned char storage[sizeof(QPushButton)];
        for (int born = 0; born < 2; ++born) {
            auto* button = new (storage) QPushButton;
            translator->TranslateForm(button);
            QCOMPARE(button->property("charset").toInt(), 161);
            button->~QPushButton();
        }
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
        QAction action(QStringLiteral("One"));
        QAction unknown(QStringLiteral("Not in the dictionary"));
        QSignalSpy edited(&action, &QAction::changed);
        QSignalSpy untouched(&unknown, &QAction::changed);
        translator->TranslateAllComponents(&action);
        const int changesOfTheFirstWalk = edited.count();
        translator->TranslateAllComponents(&action);
        translator->TranslateAllComponents(&unknown);
        QCOMPARE(action.text(), QStringLiteral("Eins"));
        QVERIFY(changesOfTheFirstWalk > 0);
        QCOMPARE(edited.count(), changesOfTheFirstWalk);
        QCOMPARE(untouched.count(), 0);
    }

    // A Qt Designer form switched through every language and back: every text of the
    // interface follows, what the user typed and every shortcut stay, Qt's helpers inside
    // the widgets are left alone, and the way back gives every text back exactly.
    void designerFormThroughEveryLanguageAndBack()
    {
        const QString path = m_dir.filePath(u"form.lng"_s);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(formDictionary());
        file.close();
        TOrbTranslate translator;
        translator.SetDictName(QDir(QCoreApplication::applicationDirPath()).relativeFilePath(path));
        QVERIFY2(translator.InitDictionary(), qPrintable(m_prompter.messages.isEmpty() ? QString() : m_prompter.messages.last().text));

        QMainWindow window;
        Ui::WalkForm form;
        form.setupUi(&window);
        form.cbxCity->setEditText(u"Close"_s); // typed by the user, a text of the dictionary
        window.show();
        const FormTexts original = textsOf(&window);
        QVERIFY(original.size() > 60);

        for (int language : {1, 2, 0}) {
            QVERIFY(translator.SetLangID(kFormLanguages[language]));
            const FormTexts now = textsOf(&window);
            QCOMPARE(now.keys(), original.keys());
            for (auto it = original.begin(); it != original.end(); ++it) {
                const QString expected = it->user ? it->text : expectedTranslation(it->text, language);
                QVERIFY2(now[it.key()].text == expected,
                         qPrintable(it.key() + u": "_s + now[it.key()].text + u" instead of "_s + expected));
            }
            QCOMPARE(form.btnClose->shortcut(), QKeySequence(Qt::Key_Escape));
            QCOMPARE(form.btnSave->shortcut(), QKeySequence::mnemonic(form.btnSave->text()));
            QCOMPARE(form.actOpen->shortcut(), QKeySequence(u"Ctrl+O"_s));
            for (QObject* o : window.findChildren<QObject*>())
                QVERIFY2(!isQtHelper(o) || !o->property("charset").isValid(), o->metaObject()->className());
        }
        QCOMPARE(form.btnSave->shortcut(), QKeySequence(u"Alt+S"_s));
    }

    // A destroyed object's exclusion must not pass to the next object at its address.
    void exclusionGoesWithItsObject()
    {
        auto translator = started();
        alignas(Node) unsigned char storage[sizeof(Node)];
        auto* excluded = new (storage) Node;
        excluded->caption = u"One"_s;
        translator->AddNotTranslate(excluded);
        translator->TranslateComponent(excluded);
        QCOMPARE(excluded->caption, u"One"_s);
        excluded->~Node();
        auto* next = new (storage) Node;
        next->caption = u"One"_s;
        translator->TranslateComponent(next);
        QCOMPARE(next->caption, u"Eins"_s);
        next->~Node();
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
