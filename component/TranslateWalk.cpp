// The walk over windows and what they own, and the two application-wide hooks.
#include "component/OrbTranslate.h"
#include "component/OrbTranslate_p.h"
#include "component/TextRoutines.h"
#include "component/TranslateWalk.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QFontComboBox>
#include <QHash>
#include <QHelpEvent>
#include <QInputDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMetaProperty>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTableWidget>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolBox>
#include <QToolTip>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

namespace {

// String properties that hold no text for people on any class: a translation would change
// what they mean (a style sheet, a path, an input mask, a date format, a file suffix).
constexpr QByteArrayView kNonTextProperties[] = {
    "objectName", "styleSheet", "defaultStyleSheet", "windowFilePath", "inputMask", "displayFormat",
    "defaultSuffix", "searchPaths",
};

// What users type, or hosts fill in as data: the content of text-entry widgets, read-only or
// not. Their labels (placeholder and special value texts, prefix, suffix, tips) are texts of
// the interface and are translated. A combo box's current text follows its items, which are
// translated as items, and an editable one's edit text is the user's.
struct ContentProperty
{
    const QMetaObject* owner;
    QByteArrayView name;
};
const ContentProperty kUserContent[] = {
    {&QLineEdit::staticMetaObject, "text"},
    {&QTextEdit::staticMetaObject, "plainText"},
    {&QTextEdit::staticMetaObject, "html"},
    {&QTextEdit::staticMetaObject, "markdown"},
    {&QTextEdit::staticMetaObject, "documentTitle"},
    {&QPlainTextEdit::staticMetaObject, "plainText"},
    {&QPlainTextEdit::staticMetaObject, "documentTitle"},
    {&QAbstractSpinBox::staticMetaObject, "text"},
    {&QComboBox::staticMetaObject, "currentText"},
    {&QInputDialog::staticMetaObject, "textValue"},
};

bool isTranslatable(const QMetaObject* meta, QByteArrayView name)
{
    for (QByteArrayView nonText : kNonTextProperties) {
        if (name == nonText)
            return false;
    }
    for (const ContentProperty& content : kUserContent) {
        if (name == content.name && meta->inherits(content.owner))
            return false;
    }
    return true;
}

// What the walk looks at in a class, worked out once per class: a window walk meets the
// same few classes thousands of times, and asking the meta-object about every property
// each time would cost more than the lookups themselves.
struct StringProperty
{
    QMetaProperty property;
    int index; // its index among the class's properties, for reading it (see readString)
};

struct ClassPlan
{
    QList<StringProperty> strings;
    QList<QMetaProperty> stringLists;
    QList<QMetaProperty> objects;
    bool holdsFont = false;
    // A rich text's document and the control that edits it: Qt fills them from the widget's
    // own properties, and writing back what they hold re-saves the widget's HTML differently.
    bool textMachinery = false;
};

const ClassPlan& planFor(const QMetaObject* meta)
{
    static QHash<const QMetaObject*, ClassPlan> plans;
    auto it = plans.find(meta);
    if (it != plans.end())
        return *it;
    ClassPlan plan;
    plan.textMachinery = meta->inherits(&QTextDocument::staticMetaObject);
    for (const QMetaObject* m = meta; m; m = m->superClass())
        plan.textMachinery = plan.textMachinery || QByteArrayView(m->className()) == "QWidgetTextControl";
    for (int i = 0; i < meta->propertyCount(); ++i) {
        const QMetaProperty property = meta->property(i);
        const QMetaType type = property.metaType();
        if (type.id() == QMetaType::QFont) {
            plan.holdsFont = true;
            continue;
        }
        if (!property.isReadable())
            continue;
        if (type.flags() & QMetaType::PointerToQObject) {
            plan.objects.append(property);
            continue;
        }
        if (!property.isWritable() || !isTranslatable(meta, property.name()))
            continue;
        if (type == QMetaType::fromType<QString>())
            plan.strings.append({property, property.propertyIndex()});
        else if (type == QMetaType::fromType<QStringList>())
            plan.stringLists.append(property);
    }
    return *plans.insert(meta, plan);
}

// A string property's value, read straight into a QString. QMetaProperty::read answers with a
// QVariant made for each value; a walk reads every string property of every widget, most of
// them empty, and the variant cost more than the read. The call follows read's protocol: the
// value comes through argv[0], or, from a meta-object that answers with a variant, in argv[1]
// with the status changed.
QString readString(QObject* object, const StringProperty& property)
{
    QString text;
    QVariant answer;
    int status = -1;
    void* argv[] = {&text, &answer, &status};
    QMetaObject::metacall(object, QMetaObject::ReadProperty, property.index, argv);
    if (status != -1)
        return answer.toString();
    return argv[0] == &text ? text : *static_cast<const QString*>(argv[0]);
}

// Widgets Qt makes inside its own (a scroll area's viewport, a spin box's line edit, a tool
// box's buttons, a message box's labels) carry names that start with "qt_". Their texts come
// from the properties of the widget they serve, which are translated there; what they
// contain (the pages of a tab widget, the contents of a scroll area) is the host's.
bool isQtHelper(const QObject* object)
{
    return object->objectName().startsWith(QLatin1StringView("qt_"));
}

struct Hooks : QObject
{
    TOrbTranslate* activation = nullptr;
    TOrbTranslate* tooltips = nullptr;

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::WindowActivate && activation && watched->isWidgetType()
            && static_cast<QWidget*>(watched)->isWindow()) {
            activation->OnActiveFormChange(watched);
        } else if (event->type() == QEvent::ToolTip && tooltips && watched->isWidgetType()) {
            auto* widget = static_cast<QWidget*>(watched);
            const QString text = widget->toolTip();
            QString shown = text;
            tooltips->OnShowHint(shown);
            if (shown != text && !shown.isEmpty()) {
                QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), shown, widget);
                return true;
            }
        }
        return false;
    }
};

Hooks* hooks()
{
    static Hooks* instance = nullptr;
    if (!instance && QCoreApplication::instance()) {
        instance = new Hooks;
        instance->setParent(QCoreApplication::instance()); // gone with the application
        QCoreApplication::instance()->installEventFilter(instance);
        QObject::connect(instance, &QObject::destroyed, [] { instance = nullptr; });
    }
    return instance;
}

template <typename Get, typename Set>
void translateItem(TOrbTranslate& translator, Get get, Set set)
{
    const QString text = get();
    if (text.isEmpty())
        return;
    const QString translated = translator.TranslateForWidget(text);
    if (translated != text)
        set(translated);
}

// The roles of an item that hold texts for people. A role that holds something else (a
// number in a table's cell) is the host's data and stays as it is.
constexpr int kTextRoles[] = {Qt::DisplayRole, Qt::ToolTipRole, Qt::StatusTipRole, Qt::WhatsThisRole};

template <typename Get, typename Set>
void translateRoles(TOrbTranslate& translator, Get get, Set set)
{
    for (int role : kTextRoles) {
        const QVariant value = get(role);
        if (value.typeId() == QMetaType::QString)
            translateItem(translator, [&] { return value.toString(); }, [&](const QString& s) { set(role, s); });
    }
}

void translateRolesOf(TOrbTranslate& t, QListWidgetItem* item)
{
    translateRoles(t, [&](int role) { return item->data(role); }, [&](int role, const QString& s) { item->setData(role, s); });
}

void translateRolesOf(TOrbTranslate& t, QTableWidgetItem* item)
{
    if (item)
        translateRoles(t, [&](int role) { return item->data(role); }, [&](int role, const QString& s) { item->setData(role, s); });
}

void translateRolesOf(TOrbTranslate& t, QTreeWidgetItem* item)
{
    for (int c = 0, n = item->columnCount(); c < n; ++c)
        translateRoles(t, [&](int role) { return item->data(c, role); }, [&](int role, const QString& s) { item->setData(c, role, s); });
}

void translateComboItems(TOrbTranslate& t, QComboBox* combo)
{
    // A font combo box lists the names of the fonts installed.
    if (qobject_cast<QFontComboBox*>(combo))
        return;
    for (int i = 0, n = combo->count(); i < n; ++i)
        translateItem(t, [&] { return combo->itemText(i); }, [&](const QString& s) { combo->setItemText(i, s); });
}

void translateTableItems(TOrbTranslate& t, QTableWidget* table)
{
    for (int c = 0, columns = table->columnCount(); c < columns; ++c)
        translateRolesOf(t, table->horizontalHeaderItem(c));
    for (int r = 0, rows = table->rowCount(); r < rows; ++r) {
        translateRolesOf(t, table->verticalHeaderItem(r));
        for (int c = 0, columns = table->columnCount(); c < columns; ++c)
            translateRolesOf(t, table->item(r, c));
    }
}

void translateItems(TOrbTranslate& t, QObject* object)
{
    if (auto* combo = qobject_cast<QComboBox*>(object)) {
        translateComboItems(t, combo);
    } else if (auto* list = qobject_cast<QListWidget*>(object)) {
        for (int i = 0, n = list->count(); i < n; ++i)
            translateRolesOf(t, list->item(i));
    } else if (auto* tree = qobject_cast<QTreeWidget*>(object)) {
        if (QTreeWidgetItem* header = tree->headerItem())
            translateRolesOf(t, header);
        for (QTreeWidgetItemIterator it(tree); *it; ++it)
            translateRolesOf(t, *it);
    } else if (auto* table = qobject_cast<QTableWidget*>(object)) {
        translateTableItems(t, table);
    } else if (auto* tabs = qobject_cast<QTabWidget*>(object)) {
        for (int i = 0, n = tabs->count(); i < n; ++i) {
            translateItem(t, [&] { return tabs->tabText(i); }, [&](const QString& s) { tabs->setTabText(i, s); });
            translateItem(t, [&] { return tabs->tabToolTip(i); }, [&](const QString& s) { tabs->setTabToolTip(i, s); });
            translateItem(t, [&] { return tabs->tabWhatsThis(i); }, [&](const QString& s) { tabs->setTabWhatsThis(i, s); });
        }
    } else if (auto* toolBox = qobject_cast<QToolBox*>(object)) {
        for (int i = 0, n = toolBox->count(); i < n; ++i) {
            translateItem(t, [&] { return toolBox->itemText(i); }, [&](const QString& s) { toolBox->setItemText(i, s); });
            translateItem(t, [&] { return toolBox->itemToolTip(i); }, [&](const QString& s) { toolBox->setItemToolTip(i, s); });
        }
    }
}

// Translating a combo box's items moves neither its selection nor, when it is editable,
// what the user typed into it.
class KeepComboState
{
public:
    explicit KeepComboState(QObject* object) : m_combo(qobject_cast<QComboBox*>(object))
    {
        if (!m_combo)
            return;
        m_selected = m_combo->currentIndex();
        if (m_combo->isEditable())
            m_editText = m_combo->currentText();
    }
    ~KeepComboState()
    {
        if (!m_combo)
            return;
        if (m_combo->currentIndex() != m_selected)
            m_combo->setCurrentIndex(m_selected);
        if (m_combo->isEditable() && m_combo->currentText() != m_editText)
            m_combo->setEditText(m_editText);
    }

private:
    QComboBox* m_combo;
    int m_selected = -1;
    QString m_editText;
};

// Setting a button's text gives it the shortcut of the text's "&" mnemonic and drops the
// one it had: a dialog's Close button would lose its Escape at the first language switch.
class KeepButtonShortcut
{
public:
    explicit KeepButtonShortcut(QObject* object) : m_button(qobject_cast<QAbstractButton*>(object))
    {
        if (!m_button)
            return;
        m_shortcut = m_button->shortcut();
        m_ownMnemonic = m_shortcut == QKeySequence::mnemonic(m_button->text());
    }
    ~KeepButtonShortcut()
    {
        if (m_button && !m_ownMnemonic && m_button->shortcut() != m_shortcut)
            m_button->setShortcut(m_shortcut);
    }

private:
    QAbstractButton* m_button;
    QKeySequence m_shortcut;
    bool m_ownMnemonic = true;
};

// A property that cannot be written ends the walk of that object's own properties, like
// any other failure there; what the object owns is still walked.
struct WalkFailure
{
};

} // namespace

void orb::removeHooksOf(const TOrbTranslate* instance)
{
    if (Hooks* h = hooks()) {
        if (h->activation == instance)
            h->activation = nullptr;
        if (h->tooltips == instance)
            h->tooltips = nullptr;
    }
}

void TOrbTranslate::installHooks()
{
    Hooks* h = hooks();
    if (!h)
        return;
    if (d->useOnActiveFormChange)
        h->activation = this;
    if (d->useOnShowHint)
        h->tooltips = this;
}

void TOrbTranslate::AddNotTranslate(QObject* object)
{
    if (!object || d->notTranslate.contains(object))
        return;
    d->notTranslate.insert(object);
    // An object allocated later at the same address must not inherit the exclusion.
    connect(object, &QObject::destroyed, this, [this](QObject* gone) { d->notTranslate.remove(gone); });
}

void TOrbTranslate::TranslateForm(QWidget* form)
{
    if (form)
        TranslateAllComponents(form);
}

void TOrbTranslate::TranslateAllComponents(QObject* component)
{
    ensureStarted();
    if (!component)
        return;
    QSet<const QObject*> visited;
    walk(component, visited);
}

void TOrbTranslate::walk(QObject* component, QSet<const QObject*>& visited)
{
    try {
        translateObject(component, visited);
    } catch (...) {
    }
    if (planFor(component->metaObject()).textMachinery)
        return;
    // A copy: translating may add or remove children (a combo box rebuilding its popup).
    const QObjectList owned = component->children();
    for (QObject* child : owned)
        walk(child, visited);
}

void TOrbTranslate::TranslateComponent(QObject* object)
{
    ensureStarted();
    if (!object)
        return;
    QSet<const QObject*> visited;
    translateObject(object, visited);
}

void TOrbTranslate::translateObject(QObject* object, QSet<const QObject*>& visited)
{
    if (d->notTranslate.contains(object) || visited.contains(object))
        return;
    visited.insert(object);
    const ClassPlan& plan = planFor(object->metaObject());
    if (plan.textMachinery || isQtHelper(object))
        return;

    const KeepComboState comboState(object);
    const KeepButtonShortcut buttonShortcut(object);
    if (plan.holdsFont)
        giveCurrentCharset(object);

    for (const StringProperty& property : plan.strings) {
        const QString text = readString(object, property);
        if (text.isEmpty())
            continue;
        const QString translated = TranslateForWidget(text);
        if (translated != text && !property.property.write(object, translated))
            throw WalkFailure();
    }
    for (const QMetaProperty& property : plan.stringLists) {
        QStringList lines = property.read(object).toStringList();
        bool changed = false;
        for (QString& line : lines) {
            QString translated = TranslateForWidget(line);
            if (translated != line) {
                line = std::move(translated);
                changed = true;
            }
        }
        if (changed && !property.write(object, lines))
            throw WalkFailure();
    }
    translateItems(*this, object);
    for (const QMetaProperty& property : plan.objects) {
        if (QObject* referred = property.read(object).value<QObject*>())
            translateObject(referred, visited);
    }
}

void TOrbTranslate::giveCurrentCharset(QObject* object)
{
    TOrbTranslatePrivate::CharsetMark& mark = d->charsetMarks[object];
    const bool marked = mark.object == object;
    if (marked && mark.charset == d->curCharset)
        return;
    if (marked || object->property("charset") != QVariant(int(d->curCharset)))
        object->setProperty("charset", int(d->curCharset));
    // A mark that follows its object already keeps its pointer: making another costs atomics.
    if (!marked)
        mark.object = object;
    mark.charset = d->curCharset;
    // The marks of destroyed objects go once they are as many as the live ones, so that an
    // application that opens dialog after dialog does not grow the table for ever.
    if (d->charsetMarks.size() > 2 * d->charsetMarksAfterPruning + 1024) {
        d->charsetMarks.removeIf([](const auto& entry) { return entry.value().object.isNull(); });
        d->charsetMarksAfterPruning = d->charsetMarks.size();
    }
}

QString TOrbTranslate::TranslateForWidget(const QString& text)
{
    ensureStarted();
    QString translated;
    return translateForQt(text, translated) ? translated : orb::cleanStr(text);
}

void TOrbTranslate::OnActiveFormChange(QObject*)
{
    if (QWidget* active = QApplication::activeWindow())
        TranslateAllComponents(active);
}

void TOrbTranslate::OnShowHint(QString& hintText)
{
    hintText = TranslateForWidget(hintText);
}
