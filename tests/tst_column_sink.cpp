// The harvest's sink for a dictionary column: each phrase once, in the last row while it is
// empty, then in new rows, however far its index has to grow.
#include "cli/ColumnSink.h"
#include "dictionary/DictTable.h"

#include <QTest>

class ColumnSinkTest : public QObject
{
    Q_OBJECT

private slots:
    void eachPhraseOnceWhateverTheIndexGrowsTo()
    {
        orb::DictTable table;
        table.resetColumns({{u"ru"_qs, u"Russian"_qs, 204}, {u"en"_qs, u"English"_qs, 0}});
        table.setCell(0, 1, u"Открыть"_qs);
        table.appendRow(); // an empty last row, which takes the first phrase
        orb::ColumnSink sink(table, 0);
        QVERIFY(sink.phraseExists(u"Открыть"_qs));
        QVERIFY(!sink.phraseExists(QString())); // an empty cell is no phrase
        for (int round = 0; round < 2; ++round) {
            for (int i = 0; i < 5000; ++i)
                sink.addPhrase(u"Фраза %1"_qs.arg(i));
        }
        sink.addPhrase(u"Открыть"_qs);
        sink.addPhrase(QString());
        QVERIFY(sink.changed());
        QCOMPARE(table.rowCount() - 1, 5001);
        QCOMPARE(table.cell(0, 2), u"Фраза 0"_qs);
        QCOMPARE(table.cell(0, 5001), u"Фраза 4999"_qs);
        for (int i = 0; i < 5000; ++i)
            QVERIFY(sink.phraseExists(u"Фраза %1"_qs.arg(i)));
        QVERIFY(!sink.phraseExists(u"Фраза 5000"_qs));
    }
};

QTEST_GUILESS_MAIN(ColumnSinkTest)
#include "tst_column_sink.moc"
