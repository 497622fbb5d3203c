#pragma once

#include "orbtranslatetoolkit_export.h"

#include <QString>

class QSaveFile;

namespace orb {

// Commits a QSaveFile only when everything written reached the file. QSaveFile buffers what
// is written and writes the last of it while committing, where Qt does not see a failure
// (a disk that filled up meanwhile): the file would be replaced by a shorter one. On failure
// the file is left as it was and error holds the system's reason.
ORBTRANSLATETOOLKIT_EXPORT bool commitSaveFile(QSaveFile& file, QString* error = nullptr);

} // namespace orb
