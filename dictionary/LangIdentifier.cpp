#include "dictionary/LangIdentifier.h"

#include "component/TextRoutines.h"

namespace orb {

LangIdCheck checkLangId(const QString& langId, const QStringList& takenIds)
{
    if (langId.isEmpty())
        return LangIdCheck::Empty;
    if (!orb::isValidXmlName(langId))
        return LangIdCheck::NotXmlName;
    if (takenIds.contains(langId, Qt::CaseSensitive))
        return LangIdCheck::Taken;
    return LangIdCheck::Valid;
}

} // namespace orb
