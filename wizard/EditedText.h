#pragma once

#include <QString>
#include <QStringView>

#include <memory>

// The text of one scanned file while a harvest rewrites it: a gap buffer of UTF-16 units.
// The scans move forward and insert just behind where they read, so an insertion at or
// after the previous one costs the length inserted plus the distance the gap moves, and a
// whole file with thousands of rewritten literals is rewritten in linear time. An insertion
// anywhere else (the user selected an earlier literal) is correct, only slower.
// Until the first insertion the text is read where the QString it was made from holds it: most
// scanned files are never rewritten, and copying each of them cost a scan a seventh of its time.
// Positions are 0-based indexes into the current text; out-of-range reads give a null QChar.
class EditedText
{
public:
    EditedText() = default;
    explicit EditedText(QString text);

    // Inline: the scans call these once or more for every character.
    qsizetype size() const { return m_capacity - (m_gapEnd - m_gapStart); }
    QChar at(qsizetype pos) const
    {
        if (pos < 0 || pos >= size())
            return QChar();
        return QChar(m_units[std::size_t(pos < m_gapStart ? pos : pos + (m_gapEnd - m_gapStart))]);
    }
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
            return QChar(m_units[std::size_t(pos < m_gapStart ? pos : pos + m_gapLength)]);
        }
        // The units from pos (0 <= pos <= size()) up to the gap or the end, whichever comes
        // first: a piece a loop may read through a pointer.
        QStringView segmentFrom(qsizetype pos) const
        {
            if (pos < m_gapStart)
                return QStringView(m_units + pos, m_gapStart - pos);
            return QStringView(m_units + pos + m_gapLength, m_size - pos);
        }

    private:
        friend class EditedText;
        const char16_t* m_units = nullptr;
        qsizetype m_gapStart = 0;
        qsizetype m_gapLength = 0;
        qsizetype m_size = 0;
    };
    Units units() const;
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
    qsizetype gapLength() const;
    QStringView beforeGap() const;
    QStringView afterGap() const;
    qsizetype storageIndex(qsizetype pos) const;
    void moveGapTo(qsizetype pos);
    // Copies the text into new storage with a gap of at least needed units at pos.
    void reallocateWithGapAt(qsizetype pos, qsizetype needed);
    // Copies the units from .. to-1 of the text to target.
    void copyOut(qsizetype from, qsizetype to, char16_t* target) const;

    // The text before the gap, the gap, the text after the gap: in m_adopted, with an empty
    // gap, until the first insertion copies it into m_owned.
    QString m_adopted;
    std::unique_ptr<char16_t[]> m_owned;
    const char16_t* m_units = nullptr;
    qsizetype m_capacity = 0;
    qsizetype m_gapStart = 0;
    qsizetype m_gapEnd = 0;
};
