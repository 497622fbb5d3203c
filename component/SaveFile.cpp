#include "SaveFile.h"

#include <QSaveFile>

namespace orb {

bool commitSaveFile(QSaveFile& file, QString* error)
{
    if (!file.flush()) {
        if (error)
            *error = file.errorString();
        file.cancelWriting();
        file.commit();
        return false;
    }
    if (file.commit())
        return true;
    if (error)
        *error = file.errorString();
    return false;
}

} // namespace orb
