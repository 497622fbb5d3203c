#pragma once

#include "component/LangDict.h"

#include <QList>
#include <QString>

namespace orb {

// The translation lookup written as its plain definition: a linear, case-insensitive scan of
// the phrase lists with QString::compare. The component's index must give the same answers.
class LinearTranslator
{
public:
    QList<TLangDict> dict;
    QString curLangID;
    QString defaultLangID;
    int lastLangIndex = -1;
    bool learn = true;
    bool modified = false;

    // Same selection rules as TOrbTranslate::SetLangID (identifier or display name, exact,
    // then without "&"); sets only the current language.
    bool setLangID(const QString& value);
    const TLangDict* getDictLang(const QString& langId) const;
    int findPhrase(const QString& key);
    QString translate(const QString& text);
    QString translateNotSave(const QString& text);
};

} // namespace orb
