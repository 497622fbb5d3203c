#include "widgets/SettingsLocation.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString SettingsFilePath(const QString& programFolder)
{
    const QString name = QStringLiteral("Settings.ini");
    if (QFileInfo(programFolder).isWritable())
        return programFolder + u'/' + name;
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    QDir().mkpath(folder);
    return folder + u'/' + name;
}
