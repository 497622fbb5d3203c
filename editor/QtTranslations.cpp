#include "editor/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace orb {

namespace {

const QString kTranslatorName = QStringLiteral("qtTranslations");

// The translator of Qt's texts, installed and owned by the application on first use.
QTranslator& qtTextsTranslator()
{
    QCoreApplication* application = QCoreApplication::instance();
    auto* translator = application->findChild<QTranslator*>(kTranslatorName, Qt::FindDirectChildrenOnly);
    if (!translator) {
        translator = new QTranslator(application);
        translator->setObjectName(kTranslatorName);
        QCoreApplication::installTranslator(translator);
    }
    return *translator;
}

} // namespace

QLocale interfaceLanguageLocale(const QString& langId)
{
    for (int language = QLocale::AnyLanguage + 1; language <= QLocale::LastLanguage; ++language) {
        const auto candidate = QLocale::Language(language);
        if (QLocale::languageToString(candidate).compare(langId, Qt::CaseInsensitive) == 0)
            return QLocale(candidate);
    }
    // QLocale takes a text that is no locale code for the C locale.
    return langId.isEmpty() ? QLocale::c() : QLocale(langId);
}

bool loadQtTranslations(const QString& langId)
{
    // A load empties the translator first: where no file answers, Qt's English texts show.
    return qtTextsTranslator().load(interfaceLanguageLocale(langId), QStringLiteral("qtbase"), QStringLiteral("_"),
                             QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}

} // namespace orb
