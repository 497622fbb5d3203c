#include "cli/Diagnostics.h"

#include "dictionary/DictTable.h"
#include "dictionary/DictionaryGridIO.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

namespace orb {

void printDiagnostic(const QString& diagnostic)
{
    std::fputs(qUtf8Printable(diagnostic + u'\n'), stderr);
}

void reportProblem(const QString& subject, const QString& message)
{
    printDiagnostic(subject + QStringLiteral(": ") + message);
}

bool parseCommandLine(QCommandLineParser& parser, const QStringList& arguments)
{
    const QCommandLineOption help = parser.addHelpOption();
    if (!parser.parse(arguments)) {
        reportProblem(QCoreApplication::applicationName(), parser.errorText());
        return false;
    }
    if (parser.isSet(help))
        parser.showHelp(0);
    return true;
}

bool loadDictionary(const QString& path, DictTable& table)
{
    QString error;
    const GridRead read = readDictionaryGrid(path, table, &error);
    if (read == GridRead::Ok)
        return true;
    reportProblem(path, read == GridRead::Missing ? QStringLiteral("no such file") : error);
    return false;
}

QString jsonString(const QString& text)
{
    QString json;
    json.reserve(text.size() + 2);
    json.append(u'"');
    for (const QChar ch : text) {
        switch (ch.unicode()) {
        case u'"': json.append(u"\\\""); break;
        case u'\\': json.append(u"\\\\"); break;
        case u'\n': json.append(u"\\n"); break;
        case u'\r': json.append(u"\\r"); break;
        case u'\t': json.append(u"\\t"); break;
        default:
            if (ch.unicode() < 0x20)
                json.append(QStringLiteral("\\u%1").arg(ch.unicode(), 4, 16, QChar(u'0')));
            else
                json.append(ch);
        }
    }
    json.append(u'"');
    return json;
}

} // namespace orb
