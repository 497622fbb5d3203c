// The unified diff that orb-lng harvest --diff prints and the harvest window's save question
// shows: exact output for the shapes a rewrite takes, and on random texts a diff that GNU
// patch applies and that keeps as many lines as a longest common sequence has.
#include "wizard/UnifiedDiff.h"

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <vector>

using namespace Qt::StringLiterals;

namespace {

const QString kHeader = u"--- a/f\n+++ b/f\n"_s;

QString numberedLines(int count, const QList<std::pair<int, QString>>& replaced = {})
{
    QString text;
    for (int line = 1; line <= count; ++line) {
        QString content = u"l%1"_s.arg(line);
        for (const auto& [at, replacement] : replaced) {
            if (at == line)
                content = replacement;
        }
        text += content + u'\n';
    }
    return text;
}

QStringList linesOf(const QString& text)
{
    QStringList lines = text.split(u'\n');
    if (lines.back().isEmpty())
        lines.removeLast();
    return lines;
}

int longestCommonSequence(const QStringList& a, const QStringList& b)
{
    std::vector<std::vector<int>> length(a.size() + 1, std::vector<int>(b.size() + 1, 0));
    for (qsizetype i = a.size() - 1; i >= 0; --i) {
        for (qsizetype j = b.size() - 1; j >= 0; --j)
            length[i][j] = a[i] == b[j] ? length[i + 1][j + 1] + 1 : std::max(length[i + 1][j], length[i][j + 1]);
    }
    return length[0][0];
}

// A text of lines drawn from a few, so that texts share lines and repeat them; the last may
// lack its line end.
QString randomText(QRandomGenerator& random)
{
    static const QStringList kLines = {u"a\n"_s, u"b\n"_s, u"c\r\n"_s, u"d\n"_s, u"\n"_s};
    QString text;
    const int count = random.bounded(12);
    for (int i = 0; i < count; ++i)
        text += kLines[random.bounded(int(kLines.size()))];
    if (random.bounded(3) == 0)
        text += u"end"_s;
    return text;
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

} // namespace

class TestWizardDiff : public QObject
{
    Q_OBJECT

private slots:
    void shapesOfARewrite_data()
    {
        QTest::addColumn<QString>("original");
        QTest::addColumn<QString>("changed");
        QTest::addColumn<QString>("hunks");
        QTest::newRow("equal") << u"a\nb\n"_s << u"a\nb\n"_s << QString();
        QTest::newRow("a line in the middle") << numberedLines(9) << numberedLines(9, {{5, u"L5"_s}})
                                              << u"@@ -2,7 +2,7 @@\n l2\n l3\n l4\n-l5\n+L5\n l6\n l7\n l8\n"_s;
        QTest::newRow("CR LF kept") << u"a\r\nb\r\nc\r\n"_s << u"a\r\nB\r\nc\r\n"_s
                                    << u"@@ -1,3 +1,3 @@\n a\r\n-b\r\n+B\r\n c\r\n"_s;
        QTest::newRow("line end changed") << u"a\nb\n"_s << u"a\r\nb\n"_s << u"@@ -1,2 +1,2 @@\n-a\n+a\r\n b\n"_s;
        QTest::newRow("lone CR is no line end") << u"a\rb\n"_s << u"a\rc\n"_s << u"@@ -1 +1 @@\n-a\rb\n+a\rc\n"_s;
        QTest::newRow("no line end at the end")
            << u"a\nb"_s << u"a\nc"_s
            << u"@@ -1,2 +1,2 @@\n a\n-b\n\\ No newline at end of file\n+c\n\\ No newline at end of file\n"_s;
        QTest::newRow("a line added") << u"#include <a>\nint x;\n"_s << u"#include <a>\n#include <b>\nint x;\n"_s
                                      << u"@@ -1,2 +1,3 @@\n #include <a>\n+#include <b>\n int x;\n"_s;
        QTest::newRow("into an empty text") << QString() << u"x\n"_s << u"@@ -0,0 +1 @@\n+x\n"_s;
        QTest::newRow("far apart: two hunks")
            << numberedLines(20) << numberedLines(20, {{2, u"L2"_s}, {18, u"L18"_s}})
            << u"@@ -1,5 +1,5 @@\n l1\n-l2\n+L2\n l3\n l4\n l5\n"
               "@@ -15,6 +15,6 @@\n l15\n l16\n l17\n-l18\n+L18\n l19\n l20\n"_s;
        QTest::newRow("contexts meet: one hunk")
            << numberedLines(20) << numberedLines(20, {{2, u"L2"_s}, {9, u"L9"_s}})
            << u"@@ -1,12 +1,12 @@\n l1\n-l2\n+L2\n l3\n l4\n l5\n l6\n l7\n l8\n-l9\n+L9\n l10\n l11\n l12\n"_s;
    }
    void shapesOfARewrite()
    {
        QFETCH(QString, original);
        QFETCH(QString, changed);
        QFETCH(QString, hunks);
        QCOMPARE(orb::unifiedDiff(original, changed, u"a/f"_s, u"b/f"_s), hunks.isEmpty() ? QString() : kHeader + hunks);
    }

    void randomTextsPatchBackAndKeepTheMostLines()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QRandomGenerator random(20261209);
        for (int round = 0; round < 400; ++round) {
            const QString original = randomText(random);
            const QString changed = randomText(random);
            const QString diff = orb::unifiedDiff(original, changed, u"a/f"_s, u"b/f"_s);
            QCOMPARE(diff.isEmpty(), original == changed);
            // The lines neither removed nor added are a longest common sequence.
            const QString context = original + u" -> "_s + changed;
            const qsizetype common = longestCommonSequence(linesOf(original), linesOf(changed));
            const qsizetype headerLines = diff.isEmpty() ? 0 : 1; // "+++" follows a line end
            QVERIFY2(diff.count(u"\n-"_s) == linesOf(original).size() - common, qPrintable(context));
            QVERIFY2(diff.count(u"\n+"_s) - headerLines == linesOf(changed).size() - common, qPrintable(context));
            if (round % 8 != 0 || diff.isEmpty())
                continue;
            writeAll(dir.filePath(u"f"_s), original.toUtf8());
            writeAll(dir.filePath(u"f.diff"_s), diff.toUtf8());
            QProcess patch;
            patch.setWorkingDirectory(dir.path());
            patch.start(u"patch"_s, {u"--binary"_s, u"-s"_s, u"-p1"_s, u"-i"_s, u"f.diff"_s});
            QVERIFY(patch.waitForFinished());
            QVERIFY2(patch.exitCode() == 0, qPrintable(context + u'\n' + QString::fromUtf8(patch.readAll())));
            QCOMPARE(readAll(dir.filePath(u"f"_s)), changed.toUtf8());
        }
    }

    // A rewrite touches a few lines of a long unit: the diff stays as small as the change.
    void longTextWithFewChanges()
    {
        const QString original = numberedLines(100000);
        const QString changed = numberedLines(100000, {{10, u"x"_s}, {50000, u"y"_s}, {99990, u"z"_s}});
        const QString diff = orb::unifiedDiff(original, changed, u"a/f"_s, u"b/f"_s);
        QCOMPARE(diff.count(u"@@ -"_s), 3);
        QCOMPARE(diff.count(u'\n'), 2 + 3 * (1 + 6 + 2));
    }
};

QTEST_GUILESS_MAIN(TestWizardDiff)
#include "tst_wizard_diff.moc"
