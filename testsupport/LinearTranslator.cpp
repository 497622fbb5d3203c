#include "LinearTranslator.h"

#include "component/TextRoutines.h"

namespace orb {

namespace {

int indexOfIgnoringCase(const QStringList& phrases, const QString& key)
{
    for (int row = 0; row < phrases.size(); ++row) {
        if (QString::compare(phrases[row], key, Qt::CaseInsensitive) == 0)
            return row;
    }
    return -1;
}

QString withoutChar(QString text, QChar c)
{
    text.remove(c);
    return text;
}

QString restore(const QString& text)
{
    QString result;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\n' && (i == 0 || text[i - 1] != u'\r'))
            result += u'\r';
        result += text[i];
    }
    return result;
}

bool blank(const QString& text)
{
    for (QChar c : text) {
        if (c.unicode() > 32)
            return false;
    }
    return true;
}

} // namespace

bool LinearTranslator::setLangID(const QString& value)
{
    for (const QString& wanted : {value, withoutChar(value, u'&')}) {
        for (const TLangDict& language : dict) {
            if (language.LangID == wanted || language.LangName == wanted) {
                curLangID = language.LangID;
                return true;
            }
        }
    }
    return false;
}

const TLangDict* LinearTranslator::getDictLang(const QString& langId) const
{
    for (const TLangDict& language : dict) {
        if (language.LangID.toLower() == langId.toLower())
            return &language;
    }
    return nullptr;
}

int LinearTranslator::findPhrase(const QString& key)
{
    if (lastLangIndex >= 0 && lastLangIndex < dict.size()) {
        const int row = indexOfIgnoringCase(dict[lastLangIndex].Phrases, key);
        if (row >= 0)
            return row;
    }
    for (int language = 0; language < dict.size(); ++language) {
        const int row = indexOfIgnoringCase(dict[language].Phrases, key);
        if (row >= 0) {
            lastLangIndex = language;
            return row;
        }
    }
    return -1;
}

QString LinearTranslator::translate(const QString& text)
{
    if (text.isEmpty())
        return text;
    const TLangDict* current = getDictLang(curLangID);
    if (!current)
        return text;
    const TLangDict* fallback = defaultLangID.isEmpty() ? nullptr : getDictLang(defaultLangID);
    QString key = withoutChar(text, u'\r');
    int row = findPhrase(key);
    if (row == -1) {
        const QString bare = withoutChar(key, u'&');
        row = findPhrase(bare);
        if (row != -1)
            key = bare;
    }
    if (row != -1 && row < current->Phrases.size()) {
        QString result = current->Phrases[row];
        if (blank(result)) {
            if (defaultLangID.isEmpty())
                result = text;
            else if (fallback && row < fallback->Phrases.size())
                result = fallback->Phrases[row];
        }
        return restore(result);
    }
    // A text no dictionary file can hold would make every later save fail.
    if (learn && firstNonXmlChar(key) < 0) {
        modified = true;
        for (TLangDict& language : dict)
            language.Phrases.append(key);
    }
    return restore(key);
}

QString LinearTranslator::translateNotSave(const QString& text)
{
    learn = false;
    QString result = translate(text);
    learn = true;
    return result;
}

} // namespace orb
