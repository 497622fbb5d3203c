#include "CppKeyRules.h"

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

// Every name a callee is told by, with what it makes of its literals; a name of several
// tables counts as the first (wrappers, then translating calls, then keys). Kept by length, so
// that a name is compared with the few of its own length only.
class CalleeNames
{
public:
    CalleeNames()
    {
        for (QStringView name : kWrappedWhole)
            add({name, Callee::WrappedWhole, 0});
        for (QStringView name : kWrappers)
            add({name, Callee::Wrapper, 0});
        for (const TranslatingCall& call : kTranslatingCalls)
            add({call.name, Callee::Translating, call.textArgument});
        for (const CppKeyRule& rule : CppKeyRules())
            add({rule.callee, Callee::Key, 0});
    }

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
    void add(const CalleeName& known)
    {
        if (find(known.name))
            return;
        if (known.name.size() >= qsizetype(m_byLength.size()))
            m_byLength.resize(std::size_t(known.name.size() + 1));
        m_byLength[std::size_t(known.name.size())].push_back(known);
    }

    std::vector<std::vector<CalleeName>> m_byLength;
};

} // namespace

const CalleeName* calleeNamed(QStringView name)
{
    static const CalleeNames names;
    return names.find(name);
}

const LoggingHeads& LoggingHeads::instance()
{
    static const LoggingHeads heads;
    return heads;
}

LoggingHeads::LoggingHeads()
{
    for (const CppKeyRule& rule : CppKeyRules()) {
        if (!rule.logging)
            continue;
        m_names.push_back(rule.callee);
        if (const char16_t initial = rule.callee.front().unicode(); initial < m_initials.size())
            m_initials[initial] = true;
    }
}

} // namespace orb

const std::vector<CppKeyRule>& CppKeyRules()
{
    static const std::vector<CppKeyRule> rules = {
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
    return rules;
}
