#pragma once

#include "component/DictionaryTranslator.h"
#include "component/PhraseTable.h"

#include <QList>
#include <QSet>
#include <QHash>
#include <QObject>
#include <QPointer>
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
    bool loadedUserCopy = false; // the dictionary came from the user's data folder

    QString curLangID;
    QString defaultLangID;
    quint8 curCharset = 0;
    int lastLangIndex = -1;
    bool modified = false;
    bool learn = true;

    // Compared by identity only, never followed: the objects belong to the host. An entry
    // goes with its object.
    QSet<const QObject*> notTranslate;

    // The charset the walk last gave each object, so that an object whose charset is current
    // is not asked again: QObject::property searches the class's properties by name before
    // the dynamic ones, which on a widget costs more than translating its texts. The pointer
    // tells a live object from a destroyed one whose address came back for another object.
    struct CharsetMark
    {
        QPointer<QObject> object;
        quint8 charset = 0;
    };
    QHash<const QObject*, CharsetMark> charsetMarks;
    qsizetype charsetMarksAfterPruning = 0;

    // Installed at start-up when useQtTranslator is set.
    std::unique_ptr<orb::DictionaryTranslator> qtTranslator;
};

