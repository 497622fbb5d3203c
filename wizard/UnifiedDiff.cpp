#include "wizard/UnifiedDiff.h"

#include <QHash>
#include <QList>

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

namespace orb {

namespace {

constexpr int kContextLines = 3;

// The lines of a text, each with its own line end (LF or CR LF; patch knows no other).
QList<QStringView> linesOf(QStringView text)
{
    QList<QStringView> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\n') {
            lines.append(text.sliced(start, i + 1 - start));
            start = i + 1;
        }
    }
    if (start < text.size())
        lines.append(text.sliced(start));
    return lines;
}

// Equal lines get equal numbers, so that the search compares numbers rather than texts.
class LineNumbers
{
public:
    std::vector<int> of(const QList<QStringView>& lines)
    {
        std::vector<int> numbers;
        numbers.reserve(lines.size());
        for (QStringView line : lines) {
            auto found = m_numbers.constFind(line);
            if (found == m_numbers.constEnd())
                found = m_numbers.insert(line, int(m_numbers.size()));
            numbers.push_back(*found);
        }
        return numbers;
    }

private:
    QHash<QStringView, int> m_numbers;
};

struct Sequence
{
    const int* lines;
    int size;
    bool* kept; // set for each line of the common sequence
};

Sequence slice(Sequence s, int from, int size)
{
    return {s.lines + from, size, s.kept + from};
}

// Myers' search from both ends at once for a point on a shortest edit path; it splits the
// problem in two. None when the sequences share no line. Both are non-empty and differ in
// their first lines and in their last.
std::optional<std::pair<int, int>> middleSnake(Sequence a, Sequence b)
{
    const int n = a.size;
    const int m = b.size;
    const int maxD = (n + m + 1) / 2;
    const int offset = maxD;
    const int length = 2 * maxD + 2;
    std::vector<int> forward(length, -1);
    std::vector<int> backward(length, -1);
    forward[offset + 1] = 0;
    backward[offset + 1] = 0;
    const int delta = n - m;
    const bool frontMeets = delta % 2 != 0; // which search finds the overlap first
    // Diagonals that ran off an edge of the grid are searched no further.
    int forwardStart = 0, forwardEnd = 0, backwardStart = 0, backwardEnd = 0;
    for (int d = 0; d < maxD; ++d) {
        for (int k = -d + forwardStart; k <= d - forwardEnd; k += 2) {
            const int at = offset + k;
            int x = (k == -d || (k != d && forward[at - 1] < forward[at + 1])) ? forward[at + 1] : forward[at - 1] + 1;
            int y = x - k;
            while (x < n && y < m && a.lines[x] == b.lines[y]) {
                ++x;
                ++y;
            }
            forward[at] = x;
            if (x > n) {
                forwardEnd += 2;
            } else if (y > m) {
                forwardStart += 2;
            } else if (frontMeets) {
                const int other = offset + delta - k;
                if (other >= 0 && other < length && backward[other] != -1 && x >= n - backward[other])
                    return std::pair{x, y};
            }
        }
        for (int k = -d + backwardStart; k <= d - backwardEnd; k += 2) {
            const int at = offset + k;
            int x = (k == -d || (k != d && backward[at - 1] < backward[at + 1])) ? backward[at + 1] : backward[at - 1] + 1;
            int y = x - k;
            while (x < n && y < m && a.lines[n - x - 1] == b.lines[m - y - 1]) {
                ++x;
                ++y;
            }
            backward[at] = x;
            if (x > n) {
                backwardEnd += 2;
            } else if (y > m) {
                backwardStart += 2;
            } else if (!frontMeets) {
                const int other = offset + delta - k;
                if (other >= 0 && other < length && forward[other] != -1) {
                    const int forwardX = forward[other];
                    if (forwardX >= n - x)
                        return std::pair{forwardX, forwardX - (other - offset)};
                }
            }
        }
    }
    return std::nullopt;
}

// Marks a longest common sequence of lines as kept.
void align(Sequence a, Sequence b)
{
    int prefix = 0;
    while (prefix < a.size && prefix < b.size && a.lines[prefix] == b.lines[prefix]) {
        a.kept[prefix] = b.kept[prefix] = true;
        ++prefix;
    }
    a = slice(a, prefix, a.size - prefix);
    b = slice(b, prefix, b.size - prefix);
    int suffix = 0;
    while (suffix < a.size && suffix < b.size && a.lines[a.size - 1 - suffix] == b.lines[b.size - 1 - suffix]) {
        a.kept[a.size - 1 - suffix] = b.kept[b.size - 1 - suffix] = true;
        ++suffix;
    }
    a.size -= suffix;
    b.size -= suffix;
    if (a.size == 0 || b.size == 0)
        return;
    const std::optional<std::pair<int, int>> split = middleSnake(a, b);
    if (!split)
        return;
    const auto [x, y] = *split;
    align(slice(a, 0, x), slice(b, 0, y));
    align(slice(a, x, a.size - x), slice(b, y, b.size - y));
}

enum class Op { Keep, Remove, Add };

struct Edit
{
    Op op;
    int original; // the line's index in the original (for Keep and Remove)
    int changed;  // and in the changed text (for Keep and Add)
};

std::vector<Edit> editsOf(const bool* keptA, int n, const bool* keptB, int m)
{
    std::vector<Edit> edits;
    int i = 0;
    int j = 0;
    while (i < n || j < m) {
        if (i < n && !keptA[i])
            edits.push_back({Op::Remove, i++, j});
        else if (j < m && !keptB[j])
            edits.push_back({Op::Add, i, j++});
        else
            edits.push_back({Op::Keep, i++, j++});
    }
    return edits;
}

// "start,count" of a hunk's range, as diff writes it: the count left out when it is one, and
// an empty range named by the line before it.
QString range(int first, int count)
{
    if (count == 1)
        return QString::number(first + 1);
    return QStringLiteral("%1,%2").arg(count == 0 ? first : first + 1).arg(count);
}

void appendLine(QString& out, QChar mark, QStringView line)
{
    out.append(mark);
    out.append(line);
    if (!line.endsWith(u'\n'))
        out.append(u"\n\\ No newline at end of file\n");
}

void appendHunk(QString& out, const std::vector<Edit>& edits, std::size_t begin, std::size_t end,
                const QList<QStringView>& original, const QList<QStringView>& changed)
{
    int originalCount = 0;
    int changedCount = 0;
    for (std::size_t e = begin; e < end; ++e) {
        originalCount += edits[e].op != Op::Add;
        changedCount += edits[e].op != Op::Remove;
    }
    out.append(QStringLiteral("@@ -%1 +%2 @@\n")
                   .arg(range(edits[begin].original, originalCount), range(edits[begin].changed, changedCount)));
    for (std::size_t e = begin; e < end; ++e) {
        const Edit& edit = edits[e];
        if (edit.op == Op::Keep)
            appendLine(out, u' ', original[edit.original]);
        else if (edit.op == Op::Remove)
            appendLine(out, u'-', original[edit.original]);
        else
            appendLine(out, u'+', changed[edit.changed]);
    }
}

} // namespace

QString unifiedDiff(QStringView original, QStringView changed, const QString& originalName,
                    const QString& changedName)
{
    const QList<QStringView> originalLines = linesOf(original);
    const QList<QStringView> changedLines = linesOf(changed);
    LineNumbers numbers;
    const std::vector<int> a = numbers.of(originalLines);
    const std::vector<int> b = numbers.of(changedLines);
    // std::vector<bool> packs its bits; the search wants addressable flags.
    const auto keptA = std::make_unique<bool[]>(a.size() + 1);
    const auto keptB = std::make_unique<bool[]>(b.size() + 1);
    align({a.data(), int(a.size()), keptA.get()}, {b.data(), int(b.size()), keptB.get()});
    const std::vector<Edit> edits = editsOf(keptA.get(), int(a.size()), keptB.get(), int(b.size()));

    QString out;
    std::size_t next = 0;
    while (next < edits.size()) {
        const auto isChange = [](const Edit& edit) { return edit.op != Op::Keep; };
        const auto firstChange = std::find_if(edits.begin() + qsizetype(next), edits.end(), isChange);
        if (firstChange == edits.end())
            break;
        std::size_t change = std::size_t(firstChange - edits.begin());
        const std::size_t begin = change >= next + kContextLines ? change - kContextLines : next;
        // The hunk goes on while the next change is close enough for the contexts to meet.
        std::size_t end = change + 1;
        for (std::size_t e = end; e < edits.size() && e < end + 2 * kContextLines + 1; ++e) {
            if (edits[e].op != Op::Keep)
                end = e + 1;
        }
        end = std::min(edits.size(), end + kContextLines);
        if (out.isEmpty())
            out = QStringLiteral("--- %1\n+++ %2\n").arg(originalName, changedName);
        appendHunk(out, edits, begin, end, originalLines, changedLines);
        next = end;
    }
    return out;
}

} // namespace orb
