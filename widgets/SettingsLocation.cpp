#include "widgets/SettingsLocation.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace orb {

QString settingsFilePath(const QString& programFolder)
{
    const QString name = QStringLiteral("Settings.ini");
    if (QFileInfo(programFolder).isWritable())
        return programFolder + u'/' + name;
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    QDir().mkpath(folder);
    return folder + u'/' + name;
}

} // namespace orb
