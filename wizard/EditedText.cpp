#include "EditedText.h"

#include <algorithm>

EditedText::EditedText(QStringView text)
    : m_units(text.utf16(), text.utf16() + text.size())
    , m_gapStart(text.size())
    , m_gapEnd(text.size())
{
}

qsizetype EditedText::size() const
{
    return qsizetype(m_units.size()) - gapLength();
}

QChar EditedText::at(qsizetype pos) const
{
    if (pos < 0 || pos >= size())
        return QChar();
    return QChar(m_units[std::size_t(storageIndex(pos))]);
}

qsizetype EditedText::indexOf(QChar ch, qsizetype from) const
{
    from = std::max<qsizetype>(from, 0);
    const char16_t unit = ch.unicode();
    const char16_t* data = m_units.data();
    if (from < m_gapStart) {
        const char16_t* found = std::find(data + from, data + m_gapStart, unit);
        if (found != data + m_gapStart)
            return found - data;
        from = m_gapStart;
    }
    const char16_t* end = data + m_units.size();
    const char16_t* found = std::find(data + from + gapLength(), end, unit);
    return found == end ? -1 : found - data - gapLength();
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
    for (qsizetype i = 0; i < needle.size(); ++i) {
        if (m_units[std::size_t(storageIndex(pos + i))] != needle[i].unicode())
            return false;
    }
    return true;
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
    std::copy(text.utf16(), text.utf16() + text.size(), m_units.begin() + m_gapStart);
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

void EditedText::moveGapTo(qsizetype pos)
{
    const auto units = m_units.begin();
    if (pos < m_gapStart) {
        std::copy_backward(units + pos, units + m_gapStart, units + m_gapEnd);
    } else if (pos > m_gapStart) {
        std::copy(units + m_gapEnd, units + m_gapEnd + (pos - m_gapStart), units + m_gapStart);
    }
    m_gapEnd += pos - m_gapStart;
    m_gapStart = pos;
}

void EditedText::reallocateWithGapAt(qsizetype pos, qsizetype needed)
{
    // A gap of a quarter of the text more than pays for the copy, so that a run of small
    // insertions costs amortised constant time per unit inserted.
    const qsizetype newGap = std::max(needed, size() / 4 + 64);
    std::vector<char16_t> units(std::size_t(size() + newGap));
    copyOut(0, pos, units.data());
    copyOut(pos, size(), units.data() + pos + newGap);
    m_units = std::move(units);
    m_gapStart = pos;
    m_gapEnd = pos + newGap;
}

void EditedText::copyOut(qsizetype from, qsizetype to, char16_t* target) const
{
    const char16_t* data = m_units.data();
    const qsizetype beforeGap = std::clamp<qsizetype>(m_gapStart - from, 0, to - from);
    std::copy(data + from, data + from + beforeGap, target);
    std::copy(data + storageIndex(from + beforeGap), data + storageIndex(from + beforeGap) + (to - from - beforeGap),
              target + beforeGap);
}
