#include "EditedText.h"

#include <algorithm>

namespace {

// A gap of a quarter of the text more than pays for the copy that makes it, so that a run of
// small insertions costs amortised constant time per unit inserted.
qsizetype gapFor(qsizetype textSize, qsizetype needed)
{
    return std::max(needed, textSize / 4 + 64);
}

} // namespace

EditedText::EditedText(QString text)
    : m_adopted(std::move(text)), m_units(reinterpret_cast<const char16_t*>(m_adopted.utf16())), m_capacity(m_adopted.size())
{
}

EditedText::Units EditedText::units() const
{
    Units units;
    units.m_units = m_units;
    units.m_gapStart = m_gapStart;
    units.m_gapLength = gapLength();
    units.m_size = size();
    return units;
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
    return (inFront == 0 || QStringView(m_units + pos, inFront) == needle.first(inFront))
        && (behind == 0 || QStringView(m_units + storageIndex(pos + inFront), behind) == needle.sliced(inFront));
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
    if (gapLength() < text.size())
        reallocateWithGapAt(pos, text.size());
    else
        moveGapTo(pos);
    std::copy(text.utf16(), text.utf16() + text.size(), m_owned.get() + m_gapStart);
    m_gapStart += text.size();
}

QString EditedText::toString() const
{
    return mid(0, size());
}

qsizetype EditedText::gapLength() const
{
    return m_gapEnd - m_gapStart;
}

qsizetype EditedText::storageIndex(qsizetype pos) const
{
    return pos < m_gapStart ? pos : pos + gapLength();
}

QStringView EditedText::beforeGap() const
{
    return QStringView(m_units, m_gapStart);
}

QStringView EditedText::afterGap() const
{
    return QStringView(m_units + m_gapEnd, m_capacity - m_gapEnd);
}

void EditedText::moveGapTo(qsizetype pos)
{
    char16_t* const units = m_owned.get();
    if (gapLength() == 0) {
        // Nothing moves, and an adopted text must not be written to.
    } else if (pos < m_gapStart) {
        std::copy_backward(units + pos, units + m_gapStart, units + m_gapEnd);
    } else if (pos > m_gapStart) {
        std::copy(units + m_gapEnd, units + m_gapEnd + (pos - m_gapStart), units + m_gapStart);
    }
    m_gapEnd += pos - m_gapStart;
    m_gapStart = pos;
}

void EditedText::reallocateWithGapAt(qsizetype pos, qsizetype needed)
{
    const qsizetype newGap = gapFor(size(), needed);
    const qsizetype capacity = size() + newGap;
    std::unique_ptr<char16_t[]> units(new char16_t[std::size_t(capacity)]);
    copyOut(0, pos, units.get());
    copyOut(pos, size(), units.get() + pos + newGap);
    m_owned = std::move(units);
    m_units = m_owned.get();
    m_adopted = QString();
    m_capacity = capacity;
    m_gapStart = pos;
    m_gapEnd = pos + newGap;
}

void EditedText::copyOut(qsizetype from, qsizetype to, char16_t* target) const
{
    const char16_t* data = m_units;
    const qsizetype beforeGap = std::clamp<qsizetype>(m_gapStart - from, 0, to - from);
    std::copy(data + from, data + from + beforeGap, target);
    std::copy(data + storageIndex(from + beforeGap), data + storageIndex(from + beforeGap) + (to - from - beforeGap),
              target + beforeGap);
}
