#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QAction;
class QMenu;

class TOrbTranslate;

namespace orb {

// The files last opened or saved, the latest first, remembered in the settings file and shown
// in a menu above its "clear the list" entry.
class RecentFiles : public QObject
{
    Q_OBJECT

public:
    // menu holds clearEntry; entries are kept out of translator's walk (file names are no
    // interface texts).
    RecentFiles(const QString& settingsPath, QMenu* menu, QAction* clearEntry, TOrbTranslate* translator,
                QObject* parent = nullptr);

    QStringList files() const { return m_files; }
    void remember(const QString& path);
    void forget(const QString& path);
    void clear();

signals:
    // The user chose an entry.
    void openRequested(const QString& path);

private:
    void save();
    void buildMenu();

    QString m_settingsPath;
    QMenu* m_menu;
    QAction* m_clearEntry;
    TOrbTranslate* m_translator;
    QStringList m_files;
};

} // namespace orb
