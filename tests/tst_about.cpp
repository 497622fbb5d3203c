// The About box as a real dialog: its labels from real version blocks (this test's own
// executable carries one), the formats through the translation component, the logo, the
// painted edge, the link and ShowAboutBox's modal round trip.
#include "about/About.h"
#include "component/OrbTranslate.h"
#include "about/VerInfo.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLocale>
#include <QMovie>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <algorithm>

using namespace Qt::StringLiterals;

// Stands in for the web browser: QDesktopServices hands it every https address.
class UrlRecorder : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> opened;

public slots:
    void open(const QUrl& url) { opened.append(url); }
};

class TestAbout : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QDesktopServices::setUrlHandler(u"https"_s, &m_browser, "open");
    }

    void cleanupTestCase() { QDesktopServices::unsetUrlHandler(u"https"_s); }

    void init() { m_browser.opened.clear(); }

    void labelsFromTheProgramsOwnBlock()
    {
        TAboutBox box(orb::programVerInfo());
        box.show();
        QCOMPARE(box.windowTitle(), u"О программе"_s);
        QCOMPARE(label(box, "lblProductName")->text(), u"Varnok Translation Toolkit"_s);
        QCOMPARE(label(box, "lblVersion")->text(), u"Версия  1.0"_s);
        QCOMPARE(label(box, "lblBuild")->text(),
                 u"Сборка: 1 от "_s + modified(QCoreApplication::applicationFilePath()));
        QCOMPARE(label(box, "lblCopyright")->text(), u"© Varnok. Все права защищены."_s);
        QCOMPARE(label(box, "lblWWW")->text(), u"www.varnok.example.org"_s);
        QCOMPARE(label(box, "lblEmail")->text(), u"mail@varnok.example.org"_s);
    }

    void layout()
    {
        TAboutBox box(orb::programVerInfo());
        box.show();
        QCOMPARE(box.size(), QSize(296, 197));
        QCOMPARE(box.minimumSize(), box.maximumSize());
        QVERIFY(!(box.windowFlags() & Qt::WindowMinMaxButtonsHint));
        QVERIFY(!(box.windowFlags() & Qt::WindowContextHelpButtonHint));
        for (const char* name : {"lblProductName", "lblVersion"}) {
            QVERIFY2(label(box, name)->font().bold(), name);
            QCOMPARE(label(box, name)->font().pixelSize(), 13);
            QCOMPARE(label(box, name)->alignment(), Qt::AlignCenter);
        }
        QCOMPARE(label(box, "lblBuild")->alignment(), Qt::AlignCenter);
        QCOMPARE(label(box, "lblCopyright")->alignment(), Qt::AlignCenter);
        QLabel* www = label(box, "lblWWW");
        QVERIFY(www->font().bold() && www->font().underline());
        QCOMPARE(www->cursor().shape(), Qt::PointingHandCursor);
        QLabel* email = label(box, "lblEmail");
        QVERIFY(email->font().bold() && !email->font().underline());
        QCOMPARE(email->cursor().shape(), Qt::ArrowCursor);

        QWidget* panel = box.findChild<QWidget*>(u"Panel"_s);
        QLabel* logo = label(box, "gifVarnokLogo");
        QCOMPARE(logo->size(), QSize(130, 40));
        QCOMPARE(logo->geometry().center().x(), panel->rect().center().x());
        QCOMPARE(logo->y() < label(box, "lblProductName")->y(), true);
        QWidget* paintBox = box.findChild<QWidget*>(u"PaintBox"_s);
        QCOMPARE(paintBox->size(), QSize(85, 35));
        QCOMPARE(paintBox->geometry().bottomRight(), panel->rect().bottomRight() - QPoint(2, 2));
        QPushButton* ok = button(box);
        QVERIFY(paintBox->geometry().contains(ok->geometry()));
        // Later siblings lie on top: the button must not be hidden behind the paint box.
        const QObjectList siblings = panel->children();
        QVERIFY(siblings.indexOf(ok) > siblings.indexOf(paintBox));
        QCOMPARE(ok->text(), u"OK"_s);
        QVERIFY(ok->isDefault());
    }

    void centredOnTheScreen()
    {
        TAboutBox box(orb::programVerInfo());
        const QPoint centre = QGuiApplication::primaryScreen()->availableGeometry().center();
        QVERIFY((box.geometry().center() - centre).manhattanLength() <= 2);
    }

    // The version line ends after its two blanks when the block has no product version.
    void blockWithoutProductVersion()
    {
        TVerInfoRes reader(QStringLiteral(ORB_NOPRODUCT_EXECUTABLE));
        TAboutBox box(&reader);
        box.show();
        QCOMPARE(label(box, "lblVersion")->text(), u"Версия  "_s);
        QCOMPARE(label(box, "lblProductName")->text(), u"Varnok Translation Toolkit"_s);
        QCOMPARE(label(box, "lblBuild")->text(),
                 u"Сборка: 1 от "_s + modified(QStringLiteral(ORB_NOPRODUCT_EXECUTABLE)));
    }

    // A program without a usable block still shows its About box, with empty values.
    void withoutVersionBlock()
    {
        TAboutBox box(nullptr);
        box.show();
        QCOMPARE(label(box, "lblProductName")->text(), QString());
        QCOMPARE(label(box, "lblVersion")->text(), u"Версия  "_s);
        QCOMPARE(label(box, "lblBuild")->text(),
                 u"Сборка: 0 от "_s + modified(QCoreApplication::applicationFilePath()));
    }

    void captionsAreReplacedAtEveryShow()
    {
        TAboutBox box(orb::programVerInfo());
        box.show();
        label(box, "lblVersion")->setText(u"stale"_s);
        label(box, "lblBuild")->setText(u"stale"_s);
        box.hide();
        box.show();
        QCOMPARE(label(box, "lblVersion")->text(), u"Версия  1.0"_s);
        QVERIFY(label(box, "lblBuild")->text().startsWith(u"Сборка: 1 от "_s));
    }

    void formatsGoThroughTranslate_data()
    {
        QTest::addColumn<QString>("versionFormat");
        QTest::addColumn<QString>("buildFormat");
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("build");
        const QString date = modified(QCoreApplication::applicationFilePath());
        QTest::newRow("translated") << u"Version  %s"_s << u"Build %d of %s"_s
                                    << u"Version  1.0"_s << u"Build 1 of "_s + date;
        QTest::newRow("percent sign kept") << u"100%% v%s"_s << u"%s/%d"_s
                                           << u"100% v1.0"_s << u"1/"_s + date;
        // A broken translation must cost the label its placeholders, not the program its run.
        QTest::newRow("placeholder without argument")
            << u"Version %s %s"_s << u"Build"_s << u"Version 1.0 %s"_s << u"Build"_s;
        QTest::newRow("unknown sequence") << u"%x%s%"_s << u"%5d"_s << u"%x1.0%"_s << u"%5d"_s;
    }

    void formatsGoThroughTranslate()
    {
        QFETCH(QString, versionFormat);
        QFETCH(QString, buildFormat);
        QFETCH(QString, version);
        QFETCH(QString, build);
        const QString path = m_dir.filePath(u"about.lng"_s);
        writeDictionary(path, {{u"Версия  %s"_s, versionFormat},
                               {u"Сборка: %d от %s"_s, buildFormat}});
        TOrbTranslate component;
        component.SetDictName(QDir(QCoreApplication::applicationDirPath()).relativeFilePath(path));
        component.DefineProperties();
        QVERIFY(component.SetLangID(u"English"_s));

        TAboutBox box(orb::programVerInfo());
        box.show();
        QCOMPARE(label(box, "lblVersion")->text(), version);
        QCOMPARE(label(box, "lblBuild")->text(), build);
    }

    // Every text of the box has its row in the editor's own dictionary: in English, none is
    // left in Russian.
    void editorDictionaryCoversTheBox()
    {
        TOrbTranslate component;
        component.SetDictName(QDir(QCoreApplication::applicationDirPath())
                                  .relativeFilePath(QStringLiteral(ORB_EDITOR_DICTIONARY)));
        component.DefineProperties();
        QVERIFY(component.SetLangID(u"English"_s));

        TAboutBox box(orb::programVerInfo());
        box.show();
        component.TranslateForm(&box);
        QCOMPARE(box.windowTitle(), u"About"_s);
        QCOMPARE(label(box, "lblVersion")->text(), u"Version  1.0"_s);
        QVERIFY(label(box, "lblBuild")->text().startsWith(u"Build 1 of "_s));
        QStringList texts{box.windowTitle()};
        for (const QLabel* each : box.findChildren<QLabel*>())
            texts << each->text();
        for (const QAction* action : box.findChildren<QAction*>())
            texts << action->text() << action->toolTip();
        texts << button(box)->text();
        for (const QString& text : std::as_const(texts)) {
            const bool russian = std::any_of(text.begin(), text.end(), [](QChar c) {
                return c.script() == QChar::Script_Cyrillic;
            });
            QVERIFY2(!russian, qPrintable(text));
        }
    }

    void logoAnimatesWhileShown()
    {
        TAboutBox box(orb::programVerInfo());
        QMovie* movie = label(box, "gifVarnokLogo")->movie();
        QVERIFY(movie && movie->isValid());
        QCOMPARE(movie->currentFrameNumber(), 7);
        QCOMPARE(movie->currentPixmap().size(), QSize(130, 40));
        QCOMPARE(movie->state(), QMovie::NotRunning);
        box.show();
        QCOMPARE(movie->state(), QMovie::Running);
        QTRY_VERIFY(movie->currentFrameNumber() != 7);
        box.accept();
        QCOMPARE(movie->state(), QMovie::NotRunning);
    }

    void paintBoxHasARaisedEdge()
    {
        TAboutBox box(orb::programVerInfo());
        QWidget* paintBox = box.findChild<QWidget*>(u"PaintBox"_s);
        QPalette palette = paintBox->palette();
        palette.setColor(QPalette::Button, QColor(200, 200, 200));
        palette.setColor(QPalette::Light, QColor(255, 255, 255));
        palette.setColor(QPalette::Dark, QColor(64, 64, 64));
        paintBox->setPalette(palette);
        box.show();
        const QImage image = paintBox->grab().toImage();
        const int w = image.width();
        const int h = image.height();
        QCOMPARE(image.pixelColor(w / 2, h / 2), QColor(200, 200, 200));          // face
        QCOMPARE(image.pixelColor(0, h / 2), QColor(64, 64, 64));                 // shadow, left
        QCOMPARE(image.pixelColor(w / 2, 0), QColor(64, 64, 64));                 // shadow, top
        QCOMPARE(image.pixelColor(1, h / 2), QColor(255, 255, 255));              // highlight
        QCOMPARE(image.pixelColor(w / 2, 1), QColor(255, 255, 255));
        QCOMPARE(image.pixelColor(0, h - 1), QColor(255, 255, 255));              // past the shadow
        QCOMPARE(image.pixelColor(w - 1, h - 1), QColor(200, 200, 200));          // no lower edge
    }

    void linkOpensTheWebAddress()
    {
        TAboutBox box(orb::programVerInfo());
        box.show();
        QTest::mouseClick(label(box, "lblWWW"), Qt::LeftButton);
        QCOMPARE(m_browser.opened, QList<QUrl>{QUrl(u"https://www.varnok.example.org"_s)});
    }

    void onlyALeftClickOnTheLinkOpensIt()
    {
        TAboutBox box(orb::programVerInfo());
        box.show();
        QLabel* www = label(box, "lblWWW");
        QTest::mouseClick(www, Qt::RightButton);
        // Pressed on the link, released elsewhere: no click.
        QTest::mousePress(www, Qt::LeftButton);
        QTest::mouseRelease(www, Qt::LeftButton, {}, QPoint(-20, -20));
        QTest::mouseClick(label(box, "lblEmail"), Qt::LeftButton);
        QCOMPARE(m_browser.opened, QList<QUrl>());
        QTest::mouseClick(www, Qt::LeftButton);
        QCOMPARE(m_browser.opened.size(), 1);
    }

    void okCloses()
    {
        TAboutBox box(orb::programVerInfo());
        box.show();
        QTest::mouseClick(button(box), Qt::LeftButton);
        QVERIFY(!box.isVisible());
        QCOMPARE(box.result(), int(QDialog::Accepted));
    }

    // Each call shows a fresh, modal box for the program and leaves nothing behind.
    void showAboutBoxIsModalAndFresh()
    {
        QWidget owner;
        owner.show();
        for (int round = 0; round < 2; ++round) {
            QStringList seen;
            QTimer::singleShot(0, this, [&seen] {
                auto* box = qobject_cast<TAboutBox*>(QApplication::activeModalWidget());
                if (!box)
                    return;
                seen << label(*box, "lblProductName")->text() << label(*box, "lblVersion")->text();
                label(*box, "lblVersion")->setText(u"changed in this showing"_s);
                QTest::mouseClick(button(*box), Qt::LeftButton);
            });
            ShowAboutBox(&owner);
            QCOMPARE(seen, (QStringList{u"Varnok Translation Toolkit"_s, u"Версия  1.0"_s}));
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QVERIFY(owner.findChildren<TAboutBox*>().isEmpty());
        }
    }

private:
    static QLabel* label(const TAboutBox& box, const char* name)
    {
        QLabel* found = box.findChild<QLabel*>(QString::fromLatin1(name));
        if (!found)
            qFatal("no label %s", name);
        return found;
    }

    static QPushButton* button(const TAboutBox& box)
    {
        return box.findChild<QPushButton*>(u"OKButton"_s);
    }

    static QString modified(const QString& file)
    {
        return QLocale::system().toString(QFileInfo(file).lastModified(), QLocale::ShortFormat);
    }

    // A two-language dictionary (Russian, English) with the given rows.
    static void writeDictionary(const QString& path, const QList<std::pair<QString, QString>>& rows)
    {
        QString xml = u"<?xml version=\"1.0\"?>\n<Varnok_translation_toolkit_dictionary_file>\n"
                      "<Languages><Russian Name=\"Русский\"/><English Name=\"English\"/></Languages>\n"
                      "<Charsets><Russian Charset=\"204\"/><English Charset=\"0\"/></Charsets>\n"_s;
        for (const auto& [russian, english] : rows)
            xml += u"<Item><Russian Message=\"%1\"/><English Message=\"%2\"/></Item>\n"_s.arg(
                russian.toHtmlEscaped(), english.toHtmlEscaped());
        xml += u"</Varnok_translation_toolkit_dictionary_file>\n"_s;
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(xml.toUtf8()) < 0)
            qFatal("cannot write the dictionary");
    }

    QTemporaryDir m_dir;
    UrlRecorder m_browser;
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
