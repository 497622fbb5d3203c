// The component's indexed lookup against the plain linear definition, on many generated
// dictionaries and operation sequences: every result, the search state and the learned rows
// must agree after every step.
#include "LinearTranslator.h"
#include "component/OrbTranslate.h"
#include "RecordingPrompter.h"
#include "SyntheticDictionary.h"

#include "component/TextRoutines.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <random>

namespace {

// Few distinct words, so that texts repeat across rows and languages, in case variants,
// with ampersands, blanks, line breaks and letters whose folding is special.
const QStringList kPool = {
    u"File"_qs, u"FILE"_qs, u"file"_qs, u"&File"_qs, u"Fi&le"_qs, u"&&File"_qs, u"Datei"_qs,
    u"DATEI"_qs, u"Öffnen"_qs, u"öFFNEN"_qs, u"Файл"_qs, u"ФАЙЛ"_qs, u"straße"_qs, u"STRASSE"_qs,
    u"ẞ"_qs, u"ß"_qs, u"µ"_qs, u"Μ"_qs, u"σ"_qs, u"ς"_qs, u"Σ"_qs, u"\U00010400"_qs, u"\U00010428"_qs,
    QString(), u" "_qs, u"\t"_qs, u"\u00A0"_qs, u"\x01"_qs, u" \r\n"_qs, u"two\nlines"_qs, u"two\r\nlines"_qs, u"&"_qs,
    u"Help"_qs, u"HELP"_qs, u"Open"_qs, u"ſ"_qs, u"S"_qs, u"s"_qs, u"\r"_qs, u"a&b&c"_qs, u"abc"_qs,
};

class Generator
{
public:
    explicit Generator(std::uint32_t seed) : m_random(seed) {}
    int below(int n) { return int(m_random() % std::uint32_t(n)); }
    QString text() { return kPool[below(int(kPool.size()))]; }

    QList<TLangDict> dictionary()
    {
        const int languages = 1 + below(4);
        const int rows = below(25);
        QList<TLangDict> dict;
        for (int l = 0; l < languages; ++l) {
            TLangDict language;
            language.LangID = QStringLiteral("lang%1").arg(l);
            const QString name = text();
            language.LangName = below(3) == 0 && orb::firstNonXmlChar(name) < 0 ? name : QStringLiteral("Name %1").arg(l);
            language.Charset = quint8(below(256));
            for (int r = 0; r < rows; ++r)
            {
                // Stored texts hold no CR, and nothing a file cannot hold (asked for, they are
                // never learned either).
                const QString stored = text().remove(u'\r');
                language.Phrases.append(orb::firstNonXmlChar(stored) < 0 ? stored : u" "_qs);
            }
            dict.append(language);
        }
        return dict;
    }

private:
    std::mt19937 m_random;
};

} // namespace

class LookupTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    static QString relativeToExecutable(const QString& path)
    {
        return QDir(QCoreApplication::applicationDirPath()).relativeFilePath(path);
    }

    static void compareDictionaries(TOrbTranslate& component, const orb::LinearTranslator& linear)
    {
        for (const TLangDict& expected : linear.dict) {
            const TLangDict* actual = component.GetDictLang(expected.LangID);
            QVERIFY(actual);
            QCOMPARE(actual->Phrases, expected.Phrases);
        }
    }

private slots:
    void indexAgreesWithLinearDefinition()
    {
        orb::RecordingPrompter prompter; // unknown fallback languages show a message
        int steps = 0;
        for (std::uint32_t seed = 1; seed <= 400; ++seed) {
            Generator generate(seed);
            orb::LinearTranslator linear;
            linear.dict = generate.dictionary();
            const QString path = m_dir.filePath(QStringLiteral("d%1.lng").arg(seed));
            orb::synthetic::writeDictionary(linear.dict, path);

            TOrbTranslate component;
            component.SetDictName(relativeToExecutable(path));
            QVERIFY(component.InitDictionary());

            for (int step = 0; step < 60; ++step, ++steps) {
                const QString context = QStringLiteral("seed %1 step %2").arg(seed).arg(step);
                switch (generate.below(10)) {
                case 0: {
                    const int l = generate.below(int(linear.dict.size()));
                    const QString value = generate.below(2) ? linear.dict[l].LangID : linear.dict[l].LangName;
                    const QString asked = generate.below(3) == 0 ? u'&' + value : value;
                    QCOMPARE(component.SetLangID(asked), linear.setLangID(asked));
                    break;
                }
                case 1: {
                    const int l = generate.below(int(linear.dict.size()) + 1);
                    const QString id = l < linear.dict.size() ? linear.dict[l].LangID : u"missing"_qs;
                    const QString asked = generate.below(2) ? id.toUpper() : id;
                    const bool set = component.SetLangIDDefault(asked);
                    QCOMPARE(set, linear.getDictLang(asked) != nullptr);
                    if (set)
                        linear.defaultLangID = asked;
                    break;
                }
                case 2:
                case 3:
                case 4: {
                    const QString text = generate.text();
                    QCOMPARE(component.TranslateNotSave(text), linear.translateNotSave(text));
                    break;
                }
                default: {
                    const QString text = generate.text();
                    QCOMPARE(component.Translate(text), linear.translate(text));
                    break;
                }
                }
                QVERIFY2(component.LastLangIndex() == linear.lastLangIndex, qPrintable(context));
                QVERIFY2(component.Modified() == linear.modified, qPrintable(context));
            }
            compareDictionaries(component, linear);
            if (QTest::currentTestFailed())
                QFAIL(qPrintable(QStringLiteral("seed %1").arg(seed)));
        }
        QVERIFY(steps == 400 * 60);
    }

    // The same on a dictionary large enough that the index grows several times while learning.
    void indexStaysExactWhileLearningMany()
    {
        orb::LinearTranslator linear;
        linear.dict = orb::synthetic::makeDictionary(3000, 3, 7);
        const QString path = m_dir.filePath(u"large.lng"_qs);
        orb::synthetic::writeDictionary(linear.dict, path);
        TOrbTranslate component;
        component.SetDictName(relativeToExecutable(path));
        QVERIFY(component.InitDictionary());
        QVERIFY(component.SetLangID(u"Russian"_qs));
        QVERIFY(linear.setLangID(u"Russian"_qs));
        std::mt19937 random(3);
        for (int i = 0; i < 4000; ++i) {
            const int row = int(random() % 3000);
            const int l = int(random() % 3);
            QString text = linear.dict[l].Phrases[row];
            if (i % 3 == 0)
                text = QStringLiteral("new phrase %1").arg(i / 7); // misses, some repeated
            if (i % 5 == 0)
                text = text.toUpper();
            QCOMPARE(component.Translate(text), linear.translate(text));
            QCOMPARE(component.LastLangIndex(), linear.lastLangIndex);
        }
        compareDictionaries(component, linear);
    }
};

QTEST_GUILESS_MAIN(LookupTest)
#include "tst_lookup.moc"
