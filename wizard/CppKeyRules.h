#pragma once

#include <QString>

#include <algorithm>
#include <array>
#include <cstdint>
#include <iterator>
#include <vector>

namespace orb {

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

// The rules, each call by the name it is written with.
inline constexpr CppKeyRule kCppKeyRules[] = {
    {u"setObjectName", u"an object's name"},
    {u"objectName", u"an object's name"},
    {u"findChild", u"an object's name"},
    {u"findChildren", u"an object's name"},
    {u"property", u"a property's name"},
    {u"setProperty", u"a property's name"},
    {u"SIGNAL", u"a signal's signature"},
    {u"SLOT", u"a slot's signature"},
    {u"connect", u"signal and slot signatures"},
    {u"disconnect", u"signal and slot signatures"},
    {u"invokeMethod", u"a method's name"},
    {u"QMetaObject::invokeMethod", u"a method's name"},
    {u"qDebug", u"a log message", true},
    {u"qInfo", u"a log message", true},
    {u"qWarning", u"a log message", true},
    {u"qCritical", u"a log message", true},
    {u"qFatal", u"a log message", true},
    {u"qCDebug", u"a log message", true},
    {u"qCInfo", u"a log message", true},
    {u"qCWarning", u"a log message", true},
    {u"qCCritical", u"a log message", true},
    {u"Q_LOGGING_CATEGORY", u"a logging category's name"},
    {u"Q_DECLARE_LOGGING_CATEGORY", u"a logging category's name"},
    {u"QLoggingCategory", u"a logging category's name"},
    {u"setFilterRules", u"logging rules"},
    {u"QSettings", u"an organisation or application name, or a file"},
    {u"setApplicationName", u"the name settings and data folders are found by"},
    {u"setOrganizationName", u"the name settings and data folders are found by"},
    {u"setOrganizationDomain", u"the name settings and data folders are found by"},
    {u"setDesktopFileName", u"a file name"},
    {u"value", u"a settings key"},
    {u"setValue", u"a settings key"},
    {u"contains", u"a settings key"},
    {u"remove", u"a settings key"},
    {u"beginGroup", u"a settings group"},
    {u"beginReadArray", u"a settings array"},
    {u"beginWriteArray", u"a settings array"},
    {u"qgetenv", u"an environment variable"},
    {u"qputenv", u"an environment variable"},
    {u"qEnvironmentVariable", u"an environment variable"},
    {u"qEnvironmentVariableIsSet", u"an environment variable"},
    {u"static_assert", u"a message for the compiler"},
    {u"Q_ASSERT_X", u"a message for the developer"},
    {u"Q_CLASSINFO", u"meta-object information"},
    {u"Q_PLUGIN_METADATA", u"a plugin's interface identifier"},
    {u"Q_DECLARE_INTERFACE", u"an interface identifier"},
    {u"qmlRegisterType", u"a QML module's name"},
    {u"setStyleSheet", u"style sheet code"},
    {u"QRegularExpression", u"a pattern"},
    {u"fromTheme", u"an icon theme's name"},
    {u"QColor", u"a colour's name"},
    {u"QPropertyAnimation", u"a property's name"},
    {u"exec", u"an SQL statement"},
    {u"prepare", u"an SQL statement"},
    {u"addDatabase", u"a database driver's name"},
    {u"setDatabaseName", u"a database's name"},
    {u"setTable", u"a database table's name"},
    {u"fieldIndex", u"a database field's name"},
    {u"QSqlRelation", u"database table and field names"},
    {u"addQueryItem", u"a URL's query"},
    {u"writeStartElement", u"an XML element's name"},
    {u"writeAttribute", u"an XML attribute"},
    {u"elementsByTagName", u"an XML element's name"},
    {u"attributeLocation", u"a shader variable's name"},
    {u"uniformLocation", u"a shader variable's name"},
    {u"bindAttributeLocation", u"a shader variable's name"},
    {u"setUniformValue", u"a shader variable's name"},
    {u"setDefaultSuffix", u"a file suffix"},
    {u"registerField", u"a wizard field's name"},
    {u"field", u"a wizard field's name"},
    {u"setField", u"a wizard field's name"},
    {u"qstrcmp", u"a string compared with"},
    {u"start", u"a program and its arguments (QProcess)"},
    {u"startDetached", u"a program and its arguments"},
    {u"execute", u"a program and its arguments"},
    {u"setProgram", u"a program's name"},
    {u"setArguments", u"a program's arguments"},
    {u"loadFromData", u"an image format"},
    {u"fromData", u"an image format"},
    {u"load", u"a file and an image format"},
    {u"save", u"a file and an image format"},
    {u"QImage", u"a file and an image format"},
    {u"QPixmap", u"a file and an image format"},
    {u"QIcon", u"an icon's file"},
    {u"QImageReader", u"a file and an image format"},
    {u"QImageWriter", u"a file and an image format"},
    {u"QMovie", u"a file and an image format"},
    {u"hasFormat", u"a MIME type"},
    {u"mimeTypeForName", u"a MIME type"},
    {u"setMimeTypeFilters", u"MIME types"},
};

// The heads of the logging statements: the callees of the rules marked logging.
inline constexpr auto kLoggingHeads = [] {
    constexpr auto count = std::count_if(std::begin(kCppKeyRules), std::end(kCppKeyRules),
                                         [](const CppKeyRule& rule) { return rule.logging; });
    std::array<QStringView, std::size_t(count)> heads{};
    std::size_t at = 0;
    for (const CppKeyRule& rule : kCppKeyRules) {
        if (rule.logging)
            heads[at++] = rule.callee;
    }
    return heads;
}();
// The character they all begin with, by which the lexer passes over every other name at once.
inline constexpr QChar kLoggingInitial = kLoggingHeads.front().front();
static_assert(std::all_of(kLoggingHeads.begin(), kLoggingHeads.end(),
                          [](QStringView head) { return head.front() == kLoggingInitial; }),
              "the lexer tells logging heads by one initial");

// kCppKeyRules, for those that want a container.
const std::vector<CppKeyRule>& cppKeyRules();

// What the name in front of a parenthesis makes of the literals inside.
enum class Callee : std::uint8_t {
    Unknown,      // not looked up yet
    Unnamed,      // a parenthesis without a name: a cast, a condition, a grouping
    WrappedWhole, // QStringLiteral and its kin, which a rewrite wraps whole
    Wrapper,      // a call that only turns its literal into a string type
    Translating,  // a call that translates its argument at textArgument
    Key,          // a call that takes keys (cppKeyRules)
    Other,
};

struct CalleeName
{
    QStringView name;
    Callee callee;
    int textArgument; // of a Translating callee: the index of the argument it translates
};
// Every name a callee is told by, with what it makes of its literals: the wrappers, the calls
// that translate, the key rules; a name of several counts as the first of them. Kept by
// length, so that a name is compared with the few of its own length only.
class CalleeNames
{
public:
    CalleeNames();

    // The callee name stands for, or nullptr for a name none of them has.
    const CalleeName* find(QStringView name) const
    {
        if (name.size() >= qsizetype(m_byLength.size()))
            return nullptr;
        for (const CalleeName& known : m_byLength[std::size_t(name.size())]) {
            if (known.name.front() == name.front() && known.name == name)
                return &known;
        }
        return nullptr;
    }

private:
    void add(const CalleeName& known);

    std::vector<std::vector<CalleeName>> m_byLength;
};

} // namespace orb
