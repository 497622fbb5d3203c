#pragma once

#include "orbtranslatetoolkit_export.h"

#include <QString>
#include <QStringList>

// One language of a dictionary: its column of the phrase table.
struct ORBTRANSLATETOOLKIT_EXPORT TLangDict
{
    QString LangID;      // element name in the file; never empty in a loaded dictionary
    QString LangName;    // display name, may be empty
    quint8 Charset = 0;  // font character-set number shown with this language
    QStringList Phrases; // entry k is this language's text of phrase row k
};
