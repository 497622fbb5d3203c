// The dictionary checker's rules, as pairs of texts and what they must (and must not) give.
#include "dictionary/DictTable.h"
#include "cli/DictionaryCheck.h"

#include <QTest>

namespace {

// A table of an English source and one translation per row, in German.
orb::DictTable twoLanguages(const QList<std::pair<QString, QString>>& rows, int germanCharset = 0)
{
    orb::DictTable table;
    table.resetColumns({{u"en"_qs, u"English"_qs, 0}, {u"de"_qs, u"Deutsch"_qs, germanCharset}});
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (i > 0)
            table.appendRow();
        table.setCell(0, int(i) + 1, rows[i].first);
        table.setCell(1, int(i) + 1, rows[i].second);
    }
    return table;
}

// "rule@row" of every finding, "!" marking errors.
QStringList findingsOf(const orb::DictTable& table)
{
    QStringList found;
    for (const orb::CheckFinding& finding : checkDictionary(table, 0).findings)
        found.append(finding.rule + (finding.severity == orb::CheckSeverity::Error ? u"!"_qs : u""_qs) + u'@'
                     + QString::number(finding.row));
    return found;
}

} // namespace

class CheckTest : public QObject
{
    Q_OBJECT

private slots:
    void rules_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("translation");
        QTest::addColumn<QStringList>("findings");
        const QStringList none;
        QTest::newRow("alike") << u"Save %1 of %2"_qs << u"%2: %1 gespeichert"_qs << none;
        QTest::newRow("placeholder dropped") << u"Save %1"_qs << u"Speichern"_qs << QStringList{u"placeholders!@1"_qs};
        QTest::newRow("%L1 and %n") << u"%L1 of %n"_qs << u"%n von %1"_qs << QStringList{u"placeholders!@1"_qs};
        QTest::newRow("printf reordered") << u"%s has %d"_qs << u"%d hat %s"_qs << QStringList{u"placeholders!@1"_qs};
        QTest::newRow("printf with width and length") << u"%-5ld, %.2f"_qs << u"%-5ld; %.2f"_qs << none;
        QTest::newRow("%% is a percent") << u"100%% sure"_qs << u"100%% sicher"_qs << none;
        QTest::newRow("a percent at the end") << u"Done: 100%"_qs << u"Fertig: 100 %"_qs << none;
        QTest::newRow("a percent before a blank") << u"50 % off"_qs << u"50 % Rabatt"_qs << none;
        QTest::newRow("accelerator dropped") << u"&Open"_qs << u"Öffnen"_qs << QStringList{u"accelerators!@1"_qs};
        QTest::newRow("accelerator moved") << u"&Open"_qs << u"Ö&ffnen"_qs << none;
        QTest::newRow("&& is an ampersand") << u"Salt && pepper"_qs << u"Salz und Pfeffer"_qs << none;
        QTest::newRow("an entity is no accelerator") << u"Tom &amp; Jerry"_qs << u"Tom und Jerry"_qs << none;
        QTest::newRow("a numeric entity") << u"50&#37; &Off"_qs << u"&Rabatt"_qs << none;
        QTest::newRow("an & before a blank") << u"Tom & Jerry"_qs << u"Tom und Jerry"_qs << none;
        QTest::newRow("tag dropped") << u"<b>Bold</b> text"_qs << u"Fetter Text"_qs << QStringList{u"tags!@1"_qs};
        QTest::newRow("tags moved, attributes changed") << u"<a href=\"x\">here</a>"_qs << u"<a href=\"y\">hier</a>"_qs << none;
        QTest::newRow("a less-than is no tag") << u"a < b"_qs << u"a kleiner b"_qs << none;
        QTest::newRow("trailing blank") << u"Name: "_qs << u"Name:"_qs << QStringList{u"whitespace@1"_qs};
        QTest::newRow("line dropped") << u"One\ntwo"_qs << u"Eins zwei"_qs << QStringList{u"lines@1"_qs};
        QTest::newRow("empty") << u"Open"_qs << QString() << QStringList{u"untranslated@1"_qs};
    }

    void rules()
    {
        QFETCH(QString, source);
        QFETCH(QString, translation);
        QFETCH(QStringList, findings);
        QCOMPARE(findingsOf(twoLanguages({{source, translation}})), findings);
    }

    void keysTheLookupNeverReaches()
    {
        const orb::DictTable table = twoLanguages({{u"Open"_qs, u"Öffnen"_qs},
                                              {u"open"_qs, u"Aufmachen"_qs},   // a case variant, another translation
                                              {u"Close"_qs, u"Schließen"_qs},
                                              {u"Close"_qs, u"Schließen"_qs},  // the same row again: harmless
                                              {u"&Save"_qs, u"&Speichern"_qs},
                                              {u"Sa&ve"_qs, u"Sichern"_qs},   // other accelerators
                                              {u"&Print"_qs, u"&Drucken"_qs},
                                              {u"Print"_qs, u"Drucken"_qs}}); // a tooltip of the menu entry
        QCOMPARE(findingsOf(table), (QStringList{u"duplicate!@2"_qs, u"duplicate@6"_qs, u"accelerators!@6"_qs}));
    }

    void languagesTheComponentCannotUse()
    {
        orb::DictTable table = twoLanguages({{u"Open"_qs, u"Öffnen"_qs}}, 99);
        table.appendColumn({u"1x"_qs, u"Broken"_qs, 0});
        table.setCell(2, 1, u"Open"_qs);
        QCOMPARE(findingsOf(table), (QStringList{u"charset!@0"_qs, u"identifier!@0"_qs}));
    }

    void completeness()
    {
        const orb::DictTable table = twoLanguages({{u"Open"_qs, u"Öffnen"_qs}, {u"Close"_qs, QString()}, {QString(), u"Extra"_qs}});
        const std::vector<orb::LanguageCompleteness> figures = checkDictionary(table, 0).completeness;
        QCOMPARE(figures.size(), std::size_t(1));
        QCOMPARE(figures[0].translated, 1);
        QCOMPARE(figures[0].rows, 2); // a row without source text does not count
    }
};

QTEST_GUILESS_MAIN(CheckTest)
#include "tst_check.moc"
