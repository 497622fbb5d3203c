// The walk over windows and what they own, and the two application-wide hooks.
#include "OrbTranslate.h"
#include "OrbTranslate_p.h"
#include "TranslateWalk.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QHash>
#include <QHelpEvent>
#include <QListWidget>
#include <QMetaProperty>
#include <QTabWidget>
#include <QToolTip>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

namespace {

// What the walk looks at in a class, worked out once per class: a window walk meets the
// same few classes thousands of times, and asking the meta-object about every property
// each time would cost more than the lookups themselves.
struct ClassPlan
{
    QList<QMetaProperty> strings;
    QList<QMetaProperty> stringLists;
    QList<QMetaProperty> objects;
    bool holdsFont = false;
};

const ClassPlan& planFor(const QMetaObject* meta)
{
    static QHash<const QMetaObject*, ClassPlan> plans;
    auto it = plans.find(meta);
    if (it != plans.end())
        return *it;
    ClassPlan plan;
    const bool isComboBox = meta->inherits(&QComboBox::staticMetaObject);
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
        if (!property.isWritable())
            continue;
        const QByteArrayView name(property.name());
        if (type == QMetaType::fromType<QString>()) {
            // A combo box's current text follows its items, which are translated as items.
            if (name != "objectName" && !(isComboBox && name == "currentText"))
                plan.strings.append(property);
        } else if (type == QMetaType::fromType<QStringList>()) {
            plan.stringLists.append(property);
        }
    }
    return *plans.insert(meta, plan);
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
    const QString translated = translator.TranslateNotSave(text);
    if (translated != text)
        set(translated);
}

void translateItems(TOrbTranslate& t, QObject* object)
{
    if (auto* combo = qobject_cast<QComboBox*>(object)) {
        for (int i = 0, n = combo->count(); i < n; ++i)
            translateItem(t, [&] { return combo->itemText(i); }, [&](const QString& s) { combo->setItemText(i, s); });
    } else if (auto* list = qobject_cast<QListWidget*>(object)) {
        for (int i = 0, n = list->count(); i < n; ++i) {
            QListWidgetItem* item = list->item(i);
            translateItem(t, [&] { return item->text(); }, [&](const QString& s) { item->setText(s); });
        }
    } else if (auto* tree = qobject_cast<QTreeWidget*>(object)) {
        auto translateColumns = [&](QTreeWidgetItem* item) {
            for (int c = 0, n = item->columnCount(); c < n; ++c)
                translateItem(t, [&] { return item->text(c); }, [&](const QString& s) { item->setText(c, s); });
        };
        if (QTreeWidgetItem* header = tree->headerItem())
            translateColumns(header);
        for (QTreeWidgetItemIterator it(tree); *it; ++it)
            translateColumns(*it);
    } else if (auto* tabs = qobject_cast<QTabWidget*>(object)) {
        for (int i = 0, n = tabs->count(); i < n; ++i) {
            translateItem(t, [&] { return tabs->tabText(i); }, [&](const QString& s) { tabs->setTabText(i, s); });
            translateItem(t, [&] { return tabs->tabToolTip(i); }, [&](const QString& s) { tabs->setTabToolTip(i, s); });
        }
    }
}

// A property that cannot be written ends the walk of that object's own properties, like
// any other failure there; what the object owns is still walked.
struct WalkFailure
{
};

} // namespace

void removeHooksOf(const TOrbTranslate* instance)
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
    d->notTranslate.append(object);
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

    auto* combo = qobject_cast<QComboBox*>(object);
    const int selected = combo ? combo->currentIndex() : -1;
    struct RestoreSelection
    {
        QComboBox* combo;
        int selected;
        ~RestoreSelection()
        {
            if (combo && combo->currentIndex() != selected)
                combo->setCurrentIndex(selected);
        }
    } restore{combo, selected};

    const ClassPlan& plan = planFor(object->metaObject());
    if (plan.holdsFont && object->property("charset") != QVariant(int(d->curCharset)))
        object->setProperty("charset", int(d->curCharset));

    for (const QMetaProperty& property : plan.strings) {
        const QString text = property.read(object).toString();
        if (text.isEmpty())
            continue;
        const QString translated = TranslateNotSave(text);
        if (translated != text && !property.write(object, translated))
            throw WalkFailure();
    }
    for (const QMetaProperty& property : plan.stringLists) {
        QStringList lines = property.read(object).toStringList();
        bool changed = false;
        for (QString& line : lines) {
            QString translated = TranslateNotSave(line);
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

void TOrbTranslate::OnActiveFormChange(QObject*)
{
    if (QWidget* active = QApplication::activeWindow())
        TranslateAllComponents(active);
}

void TOrbTranslate::OnShowHint(QString& hintText)
{
    hintText = TranslateNotSave(hintText);
}
