#pragma once

#include <QString>
#include <QStringView>

#include <memory>

namespace orb {

// The text of one scanned file while a harvest rewrites it: a gap buffer of UTF-16 units.
// The scans move forward and insert just behind where they read, so an insertion at or
// after the previous one costs the length inserted plus the distance the gap moves, and a
// whole file with thousands of rewritten literals is rewritten in linear time. An insertion
// anywhere else (the user selected an earlier literal) is correct, only slower.
// The text after the gap is read where the QString the buffer was made from holds it until an
// insertion behind the gap needs it moved: most scanned files are never rewritten, and a
// rewritten one has each unit copied once, as the gap passes it.
// Positions are 0-based indexes into the current text; out-of-range reads give a null QChar.
class EditedText
{
public:
    EditedText() = default;
    explicit EditedText(QString text);

    // Inline: the scans call these once or more for every character.
    qsizetype size() const { return m_gapStart + m_afterSize; }
    QChar at(qsizetype pos) const { return units().at(pos); }
    // The text's layout as it stands, for loops that read unit after unit; valid until the
    // next insert. Its reads load nothing through the text, which the compiler must otherwise
    // do again after every store such a loop makes to its own position.
    class Units
    {
    public:
        qsizetype size() const { return m_size; }
        QChar at(qsizetype pos) const
        {
            if (pos < 0 || pos >= m_size)
                return QChar();
            return QChar(pos < m_gapStart ? m_before[pos] : m_after[pos - m_gapStart]);
        }
        // The units from pos (0 <= pos <= size()) up to the gap or the end, whichever comes
        // first: a piece a loop may read through a pointer.
        QStringView segmentFrom(qsizetype pos) const
        {
            if (pos < m_gapStart)
                return QStringView(m_before + pos, m_gapStart - pos);
            return QStringView(m_after + (pos - m_gapStart), m_size - pos);
        }

    private:
        friend class EditedText;
        const char16_t* m_before = nullptr;
        const char16_t* m_after = nullptr;
        qsizetype m_gapStart = 0;
        qsizetype m_size = 0;
    };
    Units units() const
    {
        Units units;
        units.m_before = m_owned.get();
        units.m_after = m_after;
        units.m_gapStart = m_gapStart;
        units.m_size = size();
        return units;
    }
    // The first position >= from that holds ch (or starts needle), or -1.
    qsizetype indexOf(QChar ch, qsizetype from) const;
    qsizetype indexOf(QStringView needle, qsizetype from) const;
    // True when the text at pos starts with needle.
    bool matchesAt(qsizetype pos, QStringView needle) const;
    // Up to length units from pos (clipped to the text).
    QString mid(qsizetype pos, qsizetype length) const;
    // Inserts text before the unit at pos (pos == size() appends).
    void insert(qsizetype pos, QStringView text);
    QString toString() const;

private:
    QStringView beforeGap() const;
    QStringView afterGap() const;
    // The units free for the gap to move forward over and for insertions into it.
    qsizetype roomAhead() const;
    void moveGapForwardTo(qsizetype pos);
    // New storage with room for at least needed units inserted at pos, the gap there.
    void reallocateWithGapAt(qsizetype pos, qsizetype needed);
    // Copies the units from .. to-1 of the text to target.
    void copyOut(qsizetype from, qsizetype to, char16_t* target) const;

    QString m_adopted;                   // the text made from, while the text after the gap is read in it
    std::unique_ptr<char16_t[]> m_owned; // the text before the gap, then the gap, then maybe the rest
    qsizetype m_capacity = 0;            // of m_owned
    qsizetype m_gapStart = 0;            // the units before the gap, at m_owned's start
    const char16_t* m_after = nullptr;   // the units after the gap: in m_adopted, or at m_owned's end
    qsizetype m_afterSize = 0;
    bool m_afterOwned = false;
};

} // namespace orb
