#pragma once

#include "DictionaryTranslator.h"
#include "PhraseTable.h"

#include <QList>
#include <QSet>
#include <QObject>
#include <QString>

#include <memory>

struct TOrbTranslatePrivate
{
    orb::PhraseTable table;
    orb::PhraseTable::Lookup lookup;

    QString dictName = QStringLiteral("language.lng");
    bool useOnShowHint = true;
    bool useOnActiveFormChange = true;
    bool useQtTranslator = true;
    bool suppressMessage = false;
    bool designMode = false;
    bool initialized = false;
    bool loaded = false; // what the start-up's load returned

    QString curLangID;
    QString defaultLangID;
    quint8 curCharset = 0;
    int lastLangIndex = -1;
    bool modified = false;
    bool learn = true;

    // Compared by identity only, never followed: the objects belong to the host. An entry
    // goes with its object.
    QSet<const QObject*> notTranslate;

    // Installed at start-up when useQtTranslator is set.
    std::unique_ptr<DictionaryTranslator> qtTranslator;
};

