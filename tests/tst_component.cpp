#include "component/OrbTranslate.h"
#include "RecordingPrompter.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMetaType>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kCaption = u"Varnok Translation Toolkit"_qs;

// en/de with (File, Datei), (Open, Öffnen), (Help, blank).
const QByteArray kSmallDictionary =
    "<Varnok_translation_toolkit_dictionary_file>"
    "<Languages><en Name=\"English\"/><de Name=\"Deutsch\"/></Languages>"
    "<Charsets><en Charset=\"0\"/><de Charset=\"161\"/></Charsets>"
    "<Item><en Message=\"File\"/><de Message=\"Datei\"/></Item>"
    "<Item><en Message=\"Open\"/><de Message=\"\xC3\x96" "ffnen\"/></Item>"
    "<Item><en Message=\"Help\"/><de Message=\"\"/></Item>"
    "</Varnok_translation_toolkit_dictionary_file>";

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class ComponentTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    orb::RecordingPrompter m_prompter;

    QString write(const QByteArray& bytes, const QString& name = u"language.lng"_qs)
    {
        const QString path = m_dir.filePath(name);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write");
        return path;
    }

    static QString relative(const QString& path)
    {
        return QDir(QCoreApplication::applicationDirPath()).relativeFilePath(path);
    }

    // A component started on the given file, as a host's window would have it.
    std::unique_ptr<TOrbTranslate> started(const QString& path)
    {
        auto component = std::make_unique<TOrbTranslate>();
        component->SetDictName(relative(path));
        component->DefineProperties();
        return component;
    }

private slots:
    void init() { m_prompter.clear(); }

    void userCopyStaysInTheUsersFolder_data()
    {
        QTest::addColumn<QString>("dictName");
        QTest::addColumn<QString>("inDataFolder");
        QTest::newRow("plain") << u"language.lng"_qs << u"language.lng"_qs;
        QTest::newRow("subfolder") << u"lang\\app.lng"_qs << u"lang/app.lng"_qs;
        QTest::newRow("out of the folder") << u"../share/app/app.lng"_qs << u"app.lng"_qs;
        QTest::newRow("absolute") << u"/usr/share/app/app.lng"_qs << u"app.lng"_qs;
    }
    void userCopyStaysInTheUsersFolder()
    {
        QFETCH(QString, dictName);
        QFETCH(QString, inDataFolder);
        TOrbTranslate component;
        component.SetDictName(dictName);
        QCOMPARE(component.UserDictionaryPath(),
                 QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) + u'/' + inDataFolder);
    }

    void missingDictionaryIsReportedAndHarmless()
    {
        TOrbTranslate component;
        component.SetDictName(u"no-such-dir\\missing.lng"_qs);
        QVERIFY(!component.Initialized());
        QCoreApplication::processEvents(); // the start-up runs on the first pass of the event loop
        QVERIFY(component.Initialized());
        QCOMPARE(m_prompter.messages.size(), 1);
        const auto& message = m_prompter.messages.first();
        QCOMPARE(message.caption, kCaption);
        QCOMPARE(message.icon, orb::Prompter::Icon::Warning);
        QCOMPARE(message.text, u"Dictionary not found\r\n"_qs + QCoreApplication::applicationDirPath()
                                   + u"/no-such-dir/missing.lng"_qs);
        QStringList ids{u"stale"_qs};
        component.GetLangIDs(&ids);
        QVERIFY(ids.isEmpty());
        QVERIFY(!component.SetLangID(u"en"_qs));
        QCOMPARE(component.Translate(u"File"_qs), u"File"_qs);
        QCoreApplication::processEvents();
        QCOMPARE(m_prompter.messages.size(), 1); // started once only

        TOrbTranslate quiet;
        quiet.SetDictName(u"missing.lng"_qs);
        quiet.SetSuppressMessage(true);
        quiet.DefineProperties();
        QCOMPARE(m_prompter.messages.size(), 1);
    }

    void designModeLoadsNothing()
    {
        const QString path = write(kSmallDictionary);
        TOrbTranslate component;
        component.SetDesignMode(true);
        component.SetDictName(relative(path));
        QCoreApplication::processEvents();
        component.DefineProperties();
        QVERIFY(!component.Initialized());
        QCOMPARE(component.GetIndLangID(u"en"_qs), -1);
    }

    void firstCallThatNeedsTheDictionaryStartsIt()
    {
        const QString path = write(kSmallDictionary);
        TOrbTranslate component;
        component.SetDictName(relative(path)); // applied before the start-up, as stored properties are
        QVERIFY(component.SetLangID(u"de"_qs));
        QVERIFY(component.Initialized());
        QCOMPARE(component.Translate(u"File"_qs), u"Datei"_qs);
        QVERIFY(!QGuiApplication::overrideCursor()); // the busy cursor is gone again
    }

    void lastConstructedInstanceServesTranslate()
    {
        const QString path = write(kSmallDictionary);
        auto first = started(path);
        QVERIFY(first->SetLangID(u"de"_qs));
        QCOMPARE(TranslateInstance(), first.get());
        {
            auto second = started(path);
            QCOMPARE(TranslateInstance(), second.get());
            QCOMPARE(Translate(u"File"_qs), u"File"_qs); // second has no language yet
            QVERIFY(second->SetLangID(u"en"_qs));
            QCOMPARE(Translate("Datei"), u"File"_qs);
            // Every kind of literal the wizard wraps reaches the same lookup.
            QCOMPARE(Translate(u"Datei"), u"File"_qs);
            QCOMPARE(Translate(U"Datei"), u"File"_qs);
            QCOMPARE(Translate(L"Datei"), u"File"_qs);
            QCOMPARE(Translate(u8"Datei"), u"File"_qs);
        }
        QCOMPARE(TranslateInstance(), nullptr); // the destroyed instance is not reached
        QCOMPARE(Translate(u"File"_qs), u"File"_qs);
        QCOMPARE(first->Translate(u"File"_qs), u"Datei"_qs);
    }

    void selectsLanguageByIdentifierOrDisplayName()
    {
        auto component = started(write(kSmallDictionary));
        QCOMPARE(component->GetIndLangID(u"de"_qs), 1);
        QCOMPARE(component->GetIndLangID(u"DE"_qs), -1);
        QCOMPARE(component->GetLangName(u"de"_qs), u"Deutsch"_qs);
        QCOMPARE(component->GetLangName(u"xx"_qs), QString());

        QVERIFY(component->SetLangID(u"Deutsch"_qs));
        QCOMPARE(component->CurrentLangID(), u"de"_qs);
        QCOMPARE(component->CurCharset(), quint8(161));
        QVERIFY(component->SetLangID(u"&English"_qs));
        QCOMPARE(component->CurrentLangID(), u"en"_qs);
        QVERIFY(!component->SetLangID(u"english"_qs));
        QVERIFY(!component->SetLangID(u"Klingon"_qs));
        QCOMPARE(component->CurrentLangID(), u"en"_qs);
        QCOMPARE(component->CurCharset(), quint8(0));
    }

    void selectingRetranslatesTheApplicationTitle()
    {
        auto component = started(write(kSmallDictionary));
        QGuiApplication::setApplicationDisplayName(u"Open"_qs);
        QVERIFY(component->SetLangID(u"de"_qs));
        QCOMPARE(QGuiApplication::applicationDisplayName(), u"Öffnen"_qs);
        QVERIFY(component->SetLangID(u"en"_qs));
        QCOMPARE(QGuiApplication::applicationDisplayName(), u"Open"_qs);
        QCOMPARE(component->GetDictLang(u"en"_qs)->Phrases.size(), 3); // the title is not learned
    }

    void translatesAsTheLookupDefines()
    {
        auto component = started(write(kSmallDictionary));
        QCOMPARE(component->Translate(u"File"_qs), u"File"_qs); // no language yet: nothing learned
        QCOMPARE(component->GetDictLang(u"en"_qs)->Phrases.size(), 3);
        QVERIFY(component->SetLangID(u"de"_qs));
        QCOMPARE(component->Translate(QString()), QString());
        QCOMPARE(component->Translate(u"File"_qs), u"Datei"_qs);
        QCOMPARE(component->Translate(u"FILE"_qs), u"Datei"_qs);
        QCOMPARE(component->Translate(u"Datei"_qs), u"Datei"_qs);
        QCOMPARE(component->Translate(u"&File"_qs), u"Datei"_qs);
        QCOMPARE(component->Translate(u"HELP"_qs), u"HELP"_qs);
        QVERIFY(component->SetLangIDDefault(u"EN"_qs));
        QCOMPARE(component->DefaultLangID(), u"EN"_qs);
        QCOMPARE(component->Translate(u"HELP"_qs), u"Help"_qs);
        QVERIFY(!component->Modified());

        QCOMPARE(component->TranslateNotSave(u"Close"_qs), u"Close"_qs);
        QCOMPARE(component->GetDictLang(u"de"_qs)->Phrases.size(), 3);
        QCOMPARE(Translate(u"Close"_qs), u"Close"_qs);
        QVERIFY(component->Modified());
        QCOMPARE(component->GetDictLang(u"en"_qs)->Phrases.size(), 4);
        QCOMPARE(component->GetDictLang(u"de"_qs)->Phrases.last(), u"Close"_qs);

        QCOMPARE(Translate(u"Line one\r\nline two"_qs), u"Line one\r\nline two"_qs);
        QCOMPARE(component->GetDictLang(u"DE"_qs)->Phrases.last(), u"Line one\nline two"_qs);
    }

    void unknownFallbackIsAlwaysReported()
    {
        auto component = started(write(kSmallDictionary));
        component->SetSuppressMessage(true);
        QVERIFY(!component->SetLangIDDefault(u"fr"_qs));
        QCOMPARE(m_prompter.simpleMessages, QStringList{u"ERROR SetLangIDDefault: Language fr not found"_qs});
        QCOMPARE(component->DefaultLangID(), QString());
    }

    void rejectedFilesAndTheirMessages()
    {
        const QList<std::tuple<QByteArray, QString, orb::Prompter::Icon>> cases = {
            {"<html/>", u"Unknown file of the dictionary"_qs, orb::Prompter::Icon::Warning},
            {"<Varnok_translation_toolkit_dictionary_file><Languages><en Name=\"E\"/></Languages>"
             "</Varnok_translation_toolkit_dictionary_file>",
             u"Unknown charset of the dictionary"_qs, orb::Prompter::Icon::Warning},
            {"{ \"not\": \"xml\" }", u"Error at reading the dictionary"_qs, orb::Prompter::Icon::Error},
        };
        for (const auto& [bytes, text, icon] : cases) {
            m_prompter.clear();
            auto component = started(write(bytes));
            QCOMPARE(m_prompter.texts(), QStringList{text});
            QCOMPARE(m_prompter.messages.first().icon, icon);
            QCOMPARE(m_prompter.messages.first().caption, kCaption);
        }

        // Without charsets the languages are known and selectable, with no phrases.
        auto noCharsets = started(m_dir.filePath(u"language.lng"_qs));
        write("<Varnok_translation_toolkit_dictionary_file><Languages><en Name=\"E\"/></Languages>"
              "</Varnok_translation_toolkit_dictionary_file>");
        QVERIFY(!noCharsets->InitDictionary());
        QVERIFY(noCharsets->SetLangID(u"en"_qs));
        QCOMPARE(noCharsets->CurCharset(), quint8(0));

        // A reload that is rejected as not a dictionary keeps what was loaded.
        const QString path = write(kSmallDictionary, u"reload.lng"_qs);
        auto component = started(path);
        QVERIFY(component->SetLangID(u"de"_qs));
        write("<other/>", u"reload.lng"_qs);
        QVERIFY(!component->InitDictionary());
        QCOMPARE(component->Translate(u"File"_qs), u"Datei"_qs);
    }

    void dictionaryInSubdirectoryWithBackslash()
    {
        write(kSmallDictionary, u"sub/dict.lng"_qs);
        TOrbTranslate component;
        component.SetDictName(relative(m_dir.path()) + u"\\sub\\dict.lng"_qs);
        QVERIFY(component.SetLangID(u"de"_qs));
        QVERIFY(m_prompter.messages.isEmpty());
    }

    void savesLearnedPhrasesForTheNextRun()
    {
        const QString path = write(kSmallDictionary, u"save.lng"_qs);
        {
            auto component = started(path);
            QVERIFY(component->SetLangID(u"de"_qs));
            Translate(u"Close"_qs);
            QVERIFY(component->SaveDictionary());
            QVERIFY(component->Modified()); // saving does not clear it
        }
        QVERIFY(!readAll(path).contains("\n<")); // written without indentation
        auto reloaded = started(path);
        QVERIFY(reloaded->SetLangID(u"de"_qs));
        QCOMPARE(reloaded->GetDictLang(u"en"_qs)->Phrases.last(), u"Close"_qs);
        QCOMPARE(reloaded->GetDictLang(u"de"_qs)->Phrases.last(), u"Close"_qs);
        QCOMPARE(reloaded->GetDictLang(u"de"_qs)->Charset, quint8(161));
        QCOMPARE(reloaded->Translate(u"Open"_qs), u"Öffnen"_qs);
        QVERIFY(m_prompter.messages.isEmpty());
    }

    void saveRefusesOrFailsWithoutDamage()
    {
        const QString path = write(kSmallDictionary, u"guarded.lng"_qs);
        const QByteArray before = readAll(path);
        auto component = started(path);
        component->SetDictName(QString());
        QVERIFY(!component->SaveDictionary());
        component->SetDictName(relative(path));
        component->FreeDictionary();
        QVERIFY(!component->SaveDictionary());
        QVERIFY(m_prompter.messages.isEmpty());
        QCOMPARE(readAll(path), before);

        QVERIFY(component->InitDictionary());
        component->SetDictName(relative(path) + u"/not-a-directory.lng"_qs);
        QVERIFY(!component->SaveDictionary());
        QCOMPARE(m_prompter.texts(), QStringList{u"Error at saving"_qs});
        QCOMPARE(m_prompter.messages.first().icon, orb::Prompter::Icon::Error);
        component->SetSuppressMessage(true);
        QVERIFY(!component->SaveDictionary());
        QCOMPARE(m_prompter.messages.size(), 1);
        QCOMPARE(readAll(path), before);
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    void registeredClassIsCreatableByName()
    {
        Register();
        const QMetaType type = QMetaType::fromName("TOrbTranslate*");
        QVERIFY(type.isValid());
        QObject owner;
        QObject* created = type.metaObject()->newInstance(Q_ARG(QObject*, &owner));
        QVERIFY(qobject_cast<TOrbTranslate*>(created));
        QCOMPARE(created->parent(), &owner);
        QCOMPARE(created->property("DictName").toString(), u"language.lng"_qs);
        QCOMPARE(created->property("UseOnShowHint").toBool(), true);
        QCOMPARE(created->property("SuppressMessage").toBool(), false);
        static_cast<TOrbTranslate*>(created)->SetDesignMode(true); // nothing to load here
    }
};

QTEST_MAIN(ComponentTest)
#include "tst_component.moc"
