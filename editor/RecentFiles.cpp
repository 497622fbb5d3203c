#include "editor/RecentFiles.h"

#include "component/OrbTranslate.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QSettings>

namespace orb {

namespace {

const QString kRecentFilesKey = QStringLiteral("Settings/RecentFiles");
constexpr int kRecentFilesKept = 8;

} // namespace

RecentFiles::RecentFiles(const QString& settingsPath, QMenu* menu, QAction* clearEntry, TOrbTranslate* translator,
                         QObject* parent)
    : QObject(parent), m_settingsPath(settingsPath), m_menu(menu), m_clearEntry(clearEntry), m_translator(translator),
      m_files(QSettings(settingsPath, QSettings::IniFormat).value(kRecentFilesKey).toStringList())
{
    connect(clearEntry, &QAction::triggered, this, &RecentFiles::clear);
    buildMenu();
}

void RecentFiles::remember(const QString& path)
{
    m_files.removeAll(path);
    m_files.prepend(path);
    while (m_files.size() > kRecentFilesKept)
        m_files.removeLast();
    save();
}

void RecentFiles::forget(const QString& path)
{
    if (m_files.removeAll(path) > 0)
        save();
}

void RecentFiles::clear()
{
    m_files.clear();
    save();
}

void RecentFiles::save()
{
    // As with the interface language, a folder that cannot be written only means the list
    // is not remembered.
    QSettings settings(m_settingsPath, QSettings::IniFormat);
    settings.setValue(kRecentFilesKey, m_files);
    settings.sync();
    buildMenu();
}

void RecentFiles::buildMenu()
{
    for (QAction* entry : m_menu->actions()) {
        if (entry != m_clearEntry)
            delete entry;
    }
    for (int i = 0; i < m_files.size(); ++i) {
        const QString path = m_files[i];
        // Numbered as desktop programs number them, so that a digit opens the file.
        auto* entry = new QAction(u'&' + QString::number((i + 1) % 10) + u' ' + QFileInfo(path).fileName(), m_menu);
        entry->setStatusTip(QDir::toNativeSeparators(path));
        entry->setToolTip(QDir::toNativeSeparators(path));
        m_translator->AddNotTranslate(entry);
        connect(entry, &QAction::triggered, this, [this, path] { emit openRequested(path); });
        m_menu->insertAction(m_clearEntry, entry);
    }
    m_menu->insertSeparator(m_clearEntry);
}

} // namespace orb
