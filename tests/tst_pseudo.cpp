// The pseudo-translation: exact outputs, the invariants a localiser relies on over generated
// texts, and the column it fills.
#include "DictTableContents.h"
#include "dictionary/DictionaryImport.h"
#include "dictionary/PseudoTranslation.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;
using editortest::headersOf;
using editortest::makeTable;
using editortest::rowsOf;

namespace {

// What the program reads in a text, in its order: tags (of the elements the generator uses),
// "&&", entities, accelerators' "&", placeholders and printf formats.
const QRegularExpression kCodes(
    u"</?(?:a|b|i|p|br|span|html|head|body)(?=[\\s/>])[^>]*>"
    "|&&|&(?:#\\d+|#[xX][0-9a-fA-F]+|[A-Za-z][A-Za-z0-9]*);|&"
    "|%(?:%|(?:\\d+[$:])?[-+ #0]*(?:\\*|\\d+)?(?:\\.(?:\\*|\\d+)?)?(?:hh|ll|[hlLqjzt])?[diouxXfFeEgGaAcspn]|L?\\d{1,2})"_s);
const QRegularExpression kTags(u"</?(?:a|b|i|p|br|span|html|head|body)(?=[\\s/>])[^>]*>"_s);
const QRegularExpression kLeadingSpace(u"^\\s*"_s);
const QRegularExpression kTrailingSpace(u"\\s*$"_s);

QStringList codesOf(const QString& text)
{
    QStringList codes;
    for (const QRegularExpressionMatch& match : kCodes.globalMatch(text))
        codes << match.captured();
    return codes;
}

QString withoutCodes(QString text)
{
    return text.remove(kCodes);
}

// The text with its letters' accents taken off (and "ƒ" back to "f"), so that a pseudo-
// translation compares equal to its source once its marker is removed.
QString unaccented(const QString& text)
{
    QString plain;
    for (const QChar c : text.normalized(QString::NormalizationForm_D)) {
        if (c.category() != QChar::Mark_NonSpacing)
            plain += c == u'ƒ' ? QChar(u'f') : c;
    }
    return plain;
}

// The pseudo-translation without its "[" and its padding and "]".
QString withoutMarker(QString pseudo)
{
    pseudo.remove(pseudo.indexOf(u'['), 1);
    const qsizetype close = pseudo.lastIndexOf(u']');
    qsizetype padding = close;
    while (padding > 0 && pseudo[padding - 1] == u'·')
        --padding;
    return pseudo.remove(padding, close + 1 - padding);
}

// Texts as a program's interface holds them: words, accelerators, placeholders, printf
// formats, tags, entities and line breaks, side by side or apart, with or without
// whitespace around the whole. The generator uses no "[", "]" or "·" of its own.
QString generatedText(QRandomGenerator& random)
{
    static const QStringList pieces = {
        u"Save"_s, u"file"_s, u"Open"_s, u"the"_s, u"Quick"_s, u"brown"_s, u"FOX"_s, u"jumps"_s, u"over"_s,
        u"lazy"_s, u"xylophone"_s, u"I"_s, u"a"_s, u"Вид"_s, u"Größe"_s, u"42"_s, u"..."_s, u", "_s, u": "_s,
        u"("_s, u")"_s, u"-"_s, u"/"_s, u"'"_s, u"\""_s, u"<none>"_s, u"a < b"_s, u"\t"_s,
        u"&"_s, u"&&"_s, u"%1"_s, u"%2"_s, u"%99"_s, u"%L1"_s, u"%n"_s, u"%Ln"_s, u"%s"_s, u"%d"_s,
        u"%ld"_s, u"%u"_s, u"%f"_s, u"%.2f"_s, u"%-10s"_s, u"%0:s"_s, u"%5.1lf"_s, u"%%"_s,
        u"<b>"_s, u"</b>"_s, u"<i>"_s, u"</i>"_s, u"<br>"_s, u"<br/>"_s, u"<p align=\"center\">"_s, u"</p>"_s,
        u"<a href=\"https://example.org/?a=1&b=2\">"_s, u"</a>"_s, u"<span style='color:red'>"_s, u"</span>"_s,
        u"<html><head/><body>"_s, u"</body></html>"_s,
        u"&amp;"_s, u"&lt;"_s, u"&gt;"_s, u"&#160;"_s, u"&#x41;"_s, u"&nbsp;"_s, u"&quot;"_s,
        u"\n"_s, u"\r\n"_s,
    };
    static const QStringList margins = {QString(), QString(), u" "_s, u"  "_s, u"\n"_s, u"\t "_s, u" \r\n"_s};
    QString text = margins[random.bounded(int(margins.size()))];
    const int count = random.bounded(13);
    for (int i = 0; i < count; ++i) {
        if (random.bounded(2))
            text += u' ';
        text += pieces[random.bounded(int(pieces.size()))];
    }
    return text + margins[random.bounded(int(margins.size()))];
}

} // namespace

class TestPseudo : public QObject
{
    Q_OBJECT

private slots:
    void exactOutputs_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("pseudo");
        QTest::newRow("words") << u"Save file"_s << u"[Ŝàvé ƒîļé···]"_s;
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("whitespace only") << u" \t\n "_s << u" \t\n "_s;
        QTest::newRow("outer spaces") << u"  Open  "_s << u"  [Öpéñ··]  "_s;
        QTest::newRow("accelerator") << u"&Open"_s << u"[&Öpéñ··]"_s;
        QTest::newRow("literal ampersand") << u"Fish && Chips"_s << u"[Fîšĥ && Çĥîpš···]"_s;
        QTest::newRow("arguments") << u"%1 of %2 files"_s << u"[%1 öƒ %2 ƒîļéš···]"_s;
        QTest::newRow("formats alone") << u"%s: %-10.2f%%"_s << u"[%s: %-10.2f%%·]"_s;
        QTest::newRow("localised and plural") << u"%L1 items, %n left"_s << u"[%L1 îţémš, %n ļéƒţ···]"_s;
        QTest::newRow("delphi index") << u"%0:s days"_s << u"[%0:s ďàýš··]"_s;
        QTest::newRow("width before a letter") << u"%1day"_s << u"[%1dàý·]"_s;
        QTest::newRow("percent at the end") << u"50%"_s << u"[50%·]"_s;
        QTest::newRow("tag inside") << u"<b>Bold</b> text"_s << u"<b>[Böļď</b> ţéxţ···]"_s;
        QTest::newRow("rich text") << u"<html><head/><body><p>Hello</p></body></html>"_s
                                   << u"<html><head/><body><p>[Ĥéļļö··]</p></body></html>"_s;
        QTest::newRow("link") << u"<a href=\"https://example.org\">Link</a>"_s
                              << u"<a href=\"https://example.org\">[Ļîñķ··]</a>"_s;
        QTest::newRow("document type") << u"<!DOCTYPE html><p>Hi</p>"_s << u"<!DOCTYPE html><p>[Ĥî·]</p>"_s;
        QTest::newRow("style sheet") << u"<style>p { color: red }</style>Text"_s
                                     << u"<style>p { color: red }</style>[Ţéxţ··]"_s;
        QTest::newRow("markup alone") << u"<br/>"_s << u"<br/>"_s;
        QTest::newRow("no element") << u"<none>"_s << u"[<ñöñé>··]"_s;
        QTest::newRow("entities") << u"Tom &amp; Jerry&#160;&#x41;"_s << u"[Ţöm &amp; Ĵéŕŕý&#160;&#x41;···]"_s;
        QTest::newRow("lines") << u"Line one\r\nline two\n"_s << u"[Ļîñé öñé\r\nļîñé ţŵö·····]\n"_s;
        QTest::newRow("other script") << u"Вид"_s << u"[Вид·]"_s;
        QTest::newRow("pseudo already") << u"[Ŝàvé ƒîļé···]"_s << u"[Ŝàvé ƒîļé···]"_s;
    }
    void exactOutputs()
    {
        QFETCH(QString, text);
        QTEST(orb::pseudoTranslate(text), "pseudo");
    }

    void invariantsOverGeneratedTexts()
    {
        QRandomGenerator random(20240611);
        for (int i = 0; i < 5000; ++i) {
            const QString text = generatedText(random);
            const QString pseudo = orb::pseudoTranslate(text);
            const QByteArray shown = (text + u" -> "_s + pseudo).toUtf8();
            QVERIFY2(!orb::isPseudoTranslation(text), shown);
            QVERIFY2(orb::pseudoTranslate(pseudo) == pseudo, shown);
            if (QString(text).remove(kTags).trimmed().isEmpty()) {
                QVERIFY2(pseudo == text, shown);
                continue;
            }
            QVERIFY2(orb::isPseudoTranslation(pseudo), shown);
            QVERIFY2(codesOf(pseudo) == codesOf(text), shown);
            QVERIFY2(pseudo.count(u'\n') == text.count(u'\n'), shown);
            QVERIFY2(kLeadingSpace.match(pseudo).captured() == kLeadingSpace.match(text).captured(), shown);
            QVERIFY2(kTrailingSpace.match(pseudo).captured() == kTrailingSpace.match(text).captured(), shown);
            // Only letters changed, each into a look-alike of itself.
            QVERIFY2(unaccented(withoutMarker(pseudo)) == unaccented(text), shown);
            const QString letters = withoutCodes(text);
            const qsizetype letterCount = std::count_if(letters.begin(), letters.end(), [](QChar c) { return c.isLetter(); });
            const qsizetype padding = pseudo.count(u'·');
            QVERIFY2(padding >= 1 && 10 * padding >= 3 * letterCount, shown);
            // The ASCII letters left are those without a look-alike.
            const QString kept = withoutCodes(pseudo);
            QVERIFY2(std::all_of(kept.begin(), kept.end(),
                                 [](QChar c) { return c.unicode() >= 0x80 || !c.isLetter() || u"bmpqvxBFMPQVX"_s.contains(c); }),
                     shown);
        }
    }

    void columnFilled_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QStringList>("headers");
        QTest::addColumn<QList<QStringList>>("rows");
        QTest::addColumn<bool>("replacesOwnTexts");
        QTest::newRow("new column") << u"pseudo"_s
            << QStringList{u"en-name(en)/0"_s, u"de-name(de)/204"_s, u"Pseudo(pseudo)/0"_s}
            << QList<QStringList>{{u"Save"_s, u"Speichern"_s, u"[Ŝàvé··]"_s}, {QString(), u"Leer"_s, QString()},
                                  {u"Open"_s, QString(), u"[Öpéñ··]"_s}}
            << false;
        QTest::newRow("existing column") << u"de"_s
            << QStringList{u"en-name(en)/0"_s, u"de-name(de)/204"_s}
            << QList<QStringList>{{u"Save"_s, u"[Ŝàvé··]"_s}, {QString(), QString()}, {u"Open"_s, u"[Öpéñ··]"_s}}
            << true;
    }
    void columnFilled()
    {
        QFETCH(QString, target);
        orb::DictTable table = makeTable({u"en"_s, u"de"_s}, {{u"Save"_s, u"Speichern"_s}, {QString(), u"Leer"_s}, {u"Open"_s}});
        table.setColumn(1, {u"de"_s, u"de-name"_s, 204});
        orb::ImportPlan plan;
        QVERIFY(orb::planPseudoColumn(table, 0, target, plan));
        QTEST(orb::planReplacesOwnTexts(table, plan), "replacesOwnTexts");
        orb::applyImportPlan(table, plan);
        QTEST(headersOf(table), "headers");
        QTEST(rowsOf(table), "rows");
        // Filled again, it replaces pseudo-translations only.
        QVERIFY(orb::planPseudoColumn(table, 0, target, plan));
        QVERIFY(!orb::planReplacesOwnTexts(table, plan));
    }

    void columnRefused_data()
    {
        QTest::addColumn<int>("source");
        QTest::addColumn<QString>("target");
        QTest::newRow("target is the source") << 0 << u"en"_s;
        QTest::newRow("no such source") << 2 << u"pseudo"_s;
    }
    void columnRefused()
    {
        QFETCH(int, source);
        QFETCH(QString, target);
        const orb::DictTable table = makeTable({u"en"_s, u"de"_s}, {{u"Save"_s, u"Speichern"_s}});
        orb::ImportPlan plan;
        plan.targetCol = 7;
        QVERIFY(!orb::planPseudoColumn(table, source, target, plan));
        QCOMPARE(plan.targetCol, 7);
    }
};

QTEST_GUILESS_MAIN(TestPseudo)
#include "tst_pseudo.moc"
