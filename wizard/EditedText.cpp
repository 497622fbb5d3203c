#include "wizard/EditedText.h"

#include <algorithm>

namespace orb {

namespace {

// A gap of a quarter of the text more than pays for the copy that makes it, so that a run of
// small insertions costs amortised constant time per unit inserted.
qsizetype gapFor(qsizetype textSize, qsizetype needed)
{
    return std::max(needed, textSize / 4 + 64);
}

} // namespace

EditedText::EditedText(QString text)
    : m_adopted(std::move(text)),
      m_after(reinterpret_cast<const char16_t*>(m_adopted.utf16())),
      m_afterSize(m_adopted.size())
{
}

qsizetype EditedText::indexOf(QChar ch, qsizetype from) const
{
    // QStringView's search is vectorised; std::find over char16_t is not.
    from = std::max<qsizetype>(from, 0);
    if (from < m_gapStart) {
        const qsizetype found = beforeGap().sliced(from).indexOf(ch);
        if (found >= 0)
            return from + found;
        from = m_gapStart;
    }
    if (from >= size())
        return -1;
    const qsizetype found = afterGap().sliced(from - m_gapStart).indexOf(ch);
    return found < 0 ? -1 : from + found;
}

qsizetype EditedText::indexOf(QStringView needle, qsizetype from) const
{
    if (needle.isEmpty())
        return from >= 0 && from <= size() ? from : -1;
    for (qsizetype pos = indexOf(needle.front(), from); pos >= 0;
         pos = indexOf(needle.front(), pos + 1)) {
        if (matchesAt(pos, needle))
            return pos;
    }
    return -1;
}

bool EditedText::matchesAt(qsizetype pos, QStringView needle) const
{
    if (pos < 0 || pos + needle.size() > size())
        return false;
    const qsizetype inFront = std::clamp<qsizetype>(m_gapStart - pos, 0, needle.size());
    const qsizetype behind = needle.size() - inFront;
    return (inFront == 0 || beforeGap().sliced(pos, inFront) == needle.first(inFront))
        && (behind == 0 || afterGap().sliced(pos + inFront - m_gapStart, behind) == needle.sliced(inFront));
}

QString EditedText::mid(qsizetype pos, qsizetype length) const
{
    pos = std::clamp<qsizetype>(pos, 0, size());
    length = std::clamp<qsizetype>(length, 0, size() - pos);
    QString result(length, Qt::Uninitialized);
    copyOut(pos, pos + length, reinterpret_cast<char16_t*>(result.data()));
    return result;
}

void EditedText::insert(qsizetype pos, QStringView text)
{
    pos = std::clamp<qsizetype>(pos, 0, size());
    const qsizetype needed = m_afterOwned ? text.size() : pos - m_gapStart + text.size();
    if (pos >= m_gapStart && roomAhead() >= needed)
        moveGapForwardTo(pos);
    else
        reallocateWithGapAt(pos, text.size());
    std::copy(text.utf16(), text.utf16() + text.size(), m_owned.get() + m_gapStart);
    m_gapStart += text.size();
}

QString EditedText::toString() const
{
    return mid(0, size());
}

QStringView EditedText::beforeGap() const
{
    return QStringView(m_owned.get(), m_gapStart);
}

QStringView EditedText::afterGap() const
{
    return QStringView(m_after, m_afterSize);
}

qsizetype EditedText::roomAhead() const
{
    if (m_afterOwned)
        return m_capacity - m_afterSize - m_gapStart; // the gap, which moves with it
    return m_capacity - m_gapStart;
}

void EditedText::moveGapForwardTo(qsizetype pos)
{
    // Forwards, so that the units may move within the storage they are read from.
    const qsizetype moved = pos - m_gapStart;
    std::copy(m_after, m_after + moved, m_owned.get() + m_gapStart);
    m_after += moved;
    m_afterSize -= moved;
    m_gapStart = pos;
}

void EditedText::reallocateWithGapAt(qsizetype pos, qsizetype needed)
{
    const qsizetype capacity = size() + gapFor(size(), needed);
    std::unique_ptr<char16_t[]> units(new char16_t[std::size_t(capacity)]); // not zeroed: the gap is never read
    copyOut(0, pos, units.get());
    if (!m_afterOwned && pos >= m_gapStart) {
        // Going forward, the rest stays where it is read.
        m_after += pos - m_gapStart;
        m_afterSize -= pos - m_gapStart;
    } else {
        const qsizetype tail = size() - pos;
        copyOut(pos, size(), units.get() + capacity - tail);
        m_after = units.get() + capacity - tail;
        m_afterSize = tail;
        m_afterOwned = true;
        m_adopted = QString();
    }
    m_owned = std::move(units);
    m_capacity = capacity;
    m_gapStart = pos;
}

void EditedText::copyOut(qsizetype from, qsizetype to, char16_t* target) const
{
    const qsizetype inFront = std::clamp<qsizetype>(m_gapStart - from, 0, to - from);
    if (inFront > 0)
        std::copy(m_owned.get() + from, m_owned.get() + from + inFront, target);
    if (const qsizetype behind = to - from - inFront; behind > 0) {
        const char16_t* const first = m_after + (from + inFront - m_gapStart);
        std::copy(first, first + behind, target + inFront);
    }
}

} // namespace orb
