#include "editor/InterfaceLanguage.h"

#include "component/OrbTranslate.h"
#include "editor/QtTranslations.h"
#include "component/TextRoutines.h"

#include <QActionGroup>
#include <QMenu>
#include <QSettings>

namespace orb {

namespace {

const QString kLangIdKey = QStringLiteral("Settings/LangID");

} // namespace

InterfaceLanguage::InterfaceLanguage(TOrbTranslate* translator, const QString& settingsPath, QWidget* parent)
    : QObject(parent), m_translator(translator), m_settingsPath(settingsPath), m_menu(new QMenu(parent)),
      m_group(new QActionGroup(this))
{
    m_menu->setObjectName(QStringLiteral("pmLanguages"));
    // Choosing the checked entry unchecks it, and then no entry is checked.
    m_group->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
}

void InterfaceLanguage::buildMenu()
{
    QStringList langIds;
    m_translator->GetLangIDs(&langIds);
    m_menu->clear();
    for (QAction* entry : m_group->actions())
        delete entry;
    for (const QString& langId : std::as_const(langIds)) {
        auto* entry = new QAction(m_translator->GetLangName(langId), m_menu);
        entry->setCheckable(true);
        m_group->addAction(entry);
        connect(entry, &QAction::triggered, this, &InterfaceLanguage::applyChosen);
        m_menu->addAction(entry);
        m_translator->AddNotTranslate(entry);
    }
    checkCurrent();
}

void InterfaceLanguage::checkCurrent()
{
    QString langId = m_translator->CurrentLangID();
    if (langId.isEmpty())
        langId = QStringLiteral("Russian");
    const QString name = deleteAmpersand(m_translator->GetLangName(langId));
    for (QAction* entry : m_menu->actions()) {
        if (deleteAmpersand(entry->text()).compare(name, Qt::CaseInsensitive) == 0) {
            entry->setChecked(true);
            return;
        }
    }
}

void InterfaceLanguage::applyRemembered()
{
    const QSettings settings(m_settingsPath, QSettings::IniFormat);
    m_translator->SetLangID(settings.value(kLangIdKey, QString()).toString());
    loadQtTranslations(m_translator->CurrentLangID());
    checkCurrent();
    emit changed();
}

void InterfaceLanguage::applyChosen()
{
    for (QAction* entry : m_menu->actions()) {
        if (entry->isChecked()) {
            m_translator->SetLangID(entry->text());
            break;
        }
    }
    loadQtTranslations(m_translator->CurrentLangID());
    remember();
    emit changed();
}

void InterfaceLanguage::remember()
{
    // An unwritable directory only means the choice is not remembered; nothing to report.
    QSettings settings(m_settingsPath, QSettings::IniFormat);
    settings.setValue(kLangIdKey, m_translator->CurrentLangID());
    settings.sync();
}

} // namespace orb
