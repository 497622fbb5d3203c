#pragma once

#include <QObject>
#include <QString>

class QActionGroup;
class QMenu;

class TOrbTranslate;

namespace orb {

// The editor's interface language: a menu with one checkable entry per language of the
// interface dictionary, each showing its own display name; the language remembered in the
// settings file and applied at start-up, with Qt's own texts in the same language.
class InterfaceLanguage : public QObject
{
    Q_OBJECT

public:
    InterfaceLanguage(TOrbTranslate* translator, const QString& settingsPath, QWidget* parent);

    QMenu* menu() const { return m_menu; }
    // Fills the menu from the interface dictionary's languages.
    void buildMenu();
    // Applies the language the settings remember (none: the dictionary's keys).
    void applyRemembered();
    // Applies the checked entry's language and remembers it.
    void applyChosen();

signals:
    // The interface texts changed language: texts the window makes itself must be made again.
    void changed();

private:
    void checkCurrent();
    void remember();

    TOrbTranslate* m_translator;
    QString m_settingsPath;
    QMenu* m_menu;
    QActionGroup* m_group;
};

} // namespace orb
