// A console host: what a program does with the component, without any window.
#include <OrbTranslate.h>

#include <QCoreApplication>
#include <QStringList>
#include <QTextStream>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);

    TOrbTranslate translator; // loads language.lng from this executable's directory
    QStringList languages;
    translator.GetLangIDs(&languages);
    out << "Languages:";
    for (const QString& id : languages)
        out << ' ' << id << " (" << translator.GetLangName(id) << ')';
    out << '\n';

    const QStringList texts = {QStringLiteral("&File"), QStringLiteral("Open"),
                               QStringLiteral("Save as..."), QStringLiteral("About")};
    for (const QString& language : {QStringLiteral("Deutsch"), QStringLiteral("Russian")}) {
        translator.SetLangID(language);
        out << "\nIn " << translator.GetLangName(translator.CurrentLangID()) << ":\n";
        for (const QString& text : texts)
            out << "  " << text << " -> " << Translate(text) << '\n';
    }

    // A text the dictionary has never seen comes back unchanged and is learned.
    const QString unseen = QStringLiteral("Recently opened files");
    out << "\nUnseen: " << unseen << " -> " << Translate(unseen) << '\n';
    translator.SetDictName(QStringLiteral("learned.lng"));
    out << "Learned phrases kept in " << translator.DictionaryPath() << ": "
        << (translator.SaveDictionary() ? "yes" : "no") << '\n';
    return 0;
}
