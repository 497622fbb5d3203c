#include <OrbTranslate.h>

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QFile file(QCoreApplication::applicationDirPath() + QStringLiteral("/language.lng"));
    file.open(QIODevice::WriteOnly);
    file.write("<Varnok_translation_toolkit_dictionary_file><Languages><en Name=\"English\"/>"
               "<de Name=\"Deutsch\"/></Languages><Charsets><en Charset=\"0\"/><de Charset=\"0\"/>"
               "</Charsets><Item><en Message=\"File\"/><de Message=\"Datei\"/></Item>"
               "</Varnok_translation_toolkit_dictionary_file>");
    file.close();

    TOrbTranslate translator;
    translator.SetLangID(QStringLiteral("de"));
    QTextStream(stdout) << Translate(QStringLiteral("&File")) << '\n';
    return 0;
}
