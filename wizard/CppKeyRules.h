#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <vector>

// A call whose string arguments are keys, not user texts: a literal passed to it (bare, or
// inside QStringLiteral, QLatin1String, QLatin1StringView or u"..."_s) is not offered, whatever
// the CppOffer: a key in Russian is still a key. With CppOffer::WithLetter a text without
// blanks that reads as an identifier, a path or a file name ("mainWindow/geometry",
// "notes.lng") is not offered either. Literals streamed into qDebug() and its kin, after
// extern and in operator"" are keys as well.
struct CppKeyRule
{
    QStringView callee; // the name as it stands before "(", e.g. u"setObjectName", u"SIGNAL"
    QStringView why;    // for the reader of the table
    // A logging statement's head: what is streamed into it, up to the end of the statement,
    // is a key too (qDebug() << "...").
    bool logging = false;
};
const std::vector<CppKeyRule>& CppKeyRules();

namespace orb {

// What the name in front of a parenthesis makes of the literals inside.
enum class Callee : std::uint8_t {
    Unknown,      // not looked up yet
    Unnamed,      // a parenthesis without a name: a cast, a condition, a grouping
    WrappedWhole, // QStringLiteral and its kin, which a rewrite wraps whole
    Wrapper,      // a call that only turns its literal into a string type
    Translating,  // a call that translates its argument at textArgument
    Key,          // a call that takes keys (CppKeyRules)
    Other,
};

struct CalleeName
{
    QStringView name;
    Callee callee;
    int textArgument; // of a Translating callee: the index of the argument it translates
};
// The callee a name stands for (the wrappers, the calls that translate, the key rules), or
// nullptr for a name none of them has. A name of several counts as the first of them.
const CalleeName* calleeNamed(QStringView name);

// The heads of the logging statements: the callees of the key rules marked logging.
class LoggingHeads
{
public:
    static const LoggingHeads& instance();

    const std::vector<QStringView>& names() const { return m_names; }
    // Whether a name that begins with ch may be one: most names are told apart by that alone.
    bool mayBeginWith(QChar ch) const { return ch.unicode() >= m_initials.size() || m_initials[ch.unicode()]; }

private:
    LoggingHeads();

    std::vector<QStringView> m_names;
    std::array<bool, 128> m_initials{}; // the ASCII characters some head begins with
};

} // namespace orb
