#pragma once

#include <QString>

namespace orb {

// Where the editor keeps Settings.ini: beside the program while its folder may be written
// (a copy unpacked anywhere carries its settings along), in the user's configuration folder
// (QStandardPaths::AppConfigLocation) when the program is installed where the user may not
// write.
QString settingsFilePath(const QString& programFolder);

} // namespace orb
