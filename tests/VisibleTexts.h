#pragma once

#include <QAbstractSpinBox>
#include <QAction>
#include <QComboBox>
#include <QListWidget>
#include <QSet>
#include <QSpinBox>
#include <QTabWidget>
#include <QTreeWidget>
#include <QWidget>

#include <string_view>
#include <utility>

// The texts a user sees in a window and everything it owns, each with where it stands
// ("QLabel.text"); the objects in skip are left out.
inline QList<std::pair<QString, QString>> visibleTexts(QObject* root, const QSet<QObject*>& skip)
{
    QList<std::pair<QString, QString>> texts;
    const auto add = [&](QObject* o, const QString& what, const QString& text) {
        if (!text.isEmpty())
            texts.append({QString::fromLatin1(o->metaObject()->className()) + u'.' + what, text});
    };
    QList<QObject*> objects{root};
    objects += root->findChildren<QObject*>();
    for (QObject* o : objects) {
        if (skip.contains(o))
            continue;
        if (auto* w = qobject_cast<QWidget*>(o)) {
            if (w->isWindow())
                add(o, QStringLiteral("windowTitle"), w->windowTitle());
            add(o, QStringLiteral("toolTip"), w->toolTip());
            add(o, QStringLiteral("statusTip"), w->statusTip());
            add(o, QStringLiteral("whatsThis"), w->whatsThis());
        }
        // A spin box's text, in it and in its line edit, is its value with prefix and suffix,
        // which are looked at below.
        const bool showsValue = qobject_cast<QAbstractSpinBox*>(o) || qobject_cast<QAbstractSpinBox*>(o->parent());
        for (const char* property : {"text", "title", "placeholderText"})
            if (!(showsValue && property == std::string_view("text")))
                add(o, QString::fromLatin1(property), o->property(property).toString());
        if (auto* a = qobject_cast<QAction*>(o)) {
            add(o, QStringLiteral("toolTip"), a->toolTip());
            add(o, QStringLiteral("statusTip"), a->statusTip());
        }
        if (auto* s = qobject_cast<QSpinBox*>(o)) {
            add(o, QStringLiteral("prefix"), s->prefix());
            add(o, QStringLiteral("suffix"), s->suffix());
        }
        if (auto* c = qobject_cast<QComboBox*>(o))
            for (int i = 0; i < c->count(); ++i)
                add(o, QStringLiteral("item"), c->itemText(i));
        if (auto* l = qobject_cast<QListWidget*>(o))
            for (int i = 0; i < l->count(); ++i)
                add(o, QStringLiteral("item"), l->item(i)->text());
        if (auto* t = qobject_cast<QTreeWidget*>(o)) {
            for (int c = 0; c < t->columnCount(); ++c)
                add(o, QStringLiteral("header"), t->headerItem()->text(c));
            for (QTreeWidgetItemIterator it(t); *it; ++it)
                for (int c = 0; c < t->columnCount(); ++c)
                    add(o, QStringLiteral("node"), (*it)->text(c));
        }
        if (auto* tabs = qobject_cast<QTabWidget*>(o))
            for (int i = 0; i < tabs->count(); ++i)
                add(o, QStringLiteral("tab"), tabs->tabText(i));
    }
    return texts;
}
