#include "wizard/CppKeyRules.h"

#include <iterator>

namespace orb {

namespace {

// The calls a literal may stand in that only turn it into a string type: the literal's callee
// is the call around them. A rewrite wraps the first ones whole.
const QStringView kWrappedWhole[] = {u"QStringLiteral", u"QLatin1String", u"QLatin1StringView"};
const QStringView kWrappers[] = {u"QStringLiteral", u"QLatin1String", u"QLatin1StringView", u"QByteArrayLiteral",
                                 u"QString", u"QStringView", u"QLatin1Char", u"fromUtf8", u"fromLatin1",
                                 u"fromLocal8Bit", u"QByteArray"};

// The calls that translate their argument at that index; a literal at another index of them
// (a context, a disambiguation, a count) is neither offered nor harvested.
struct TranslatingCall
{
    QStringView name;
    int textArgument;
};
const TranslatingCall kTranslatingCalls[] = {
    {u"Translate", 0},           {u"tr", 0},
    {u"trUtf8", 0},              {u"QT_TR_NOOP", 0},
    {u"QT_TR_N_NOOP", 0},        {u"QT_TR_NOOP_UTF8", 0},
    {u"translate", 1},           {u"QT_TRANSLATE_NOOP", 1},
    {u"QT_TRANSLATE_N_NOOP", 1}, {u"QT_TRANSLATE_NOOP3", 1},
    {u"QT_TRANSLATE_NOOP_UTF8", 1}, {u"QT_TRID_NOOP", -1},
    {u"qtTrId", -1},             {u"QT_TRID_N_NOOP", -1},
};

} // namespace

CalleeNames::CalleeNames()
{
    for (QStringView name : kWrappedWhole)
        add({name, Callee::WrappedWhole, 0});
    for (QStringView name : kWrappers)
        add({name, Callee::Wrapper, 0});
    for (const TranslatingCall& call : kTranslatingCalls)
        add({call.name, Callee::Translating, call.textArgument});
    for (const CppKeyRule& rule : kCppKeyRules)
        add({rule.callee, Callee::Key, 0});
}

void CalleeNames::add(const CalleeName& known)
{
    if (find(known.name))
        return;
    if (known.name.size() >= qsizetype(m_byLength.size()))
        m_byLength.resize(std::size_t(known.name.size() + 1));
    m_byLength[std::size_t(known.name.size())].push_back(known);
}

const std::vector<CppKeyRule>& cppKeyRules()
{
    static const std::vector<CppKeyRule> rules(std::begin(orb::kCppKeyRules), std::end(orb::kCppKeyRules));
    return rules;
}

} // namespace orb
