#pragma once

// A user for the scans whose every answer, and every selection made while a question is
// open, comes from the fuzz input; it checks that the scan only ever shows and changes
// places inside the text.

#include "FuzzSupport.h"

#include "wizard/Harvest.h"

#include <QSet>

#include <cstdint>
#include <span>

namespace fuzz {

class ScriptedUser : public orb::HarvestPrompt, public orb::PhraseSink
{
public:
    ScriptedUser(std::span<const std::uint8_t> script, const orb::EditedText& text) : m_script(script), m_text(text) {}

    void showSelection(orb::Selection selection, bool) override { checkInside(selection, "a selection"); }
    void textInserted(qsizetype pos, QStringView inserted) override
    {
        check(pos >= 0 && pos <= m_text.size() - inserted.size(), "an insertion outside the text");
        m_inserted += inserted.size();
    }
    // Phrases of literals are checked against what decode makes of the literal's text.
    void checkPhrasesWith(QString (*decode)(QStringView)) { m_decode = decode; }

    void wrappedLiteralHarvested(orb::Selection literal, const QString& phrase) override
    {
        checkInside(literal, "a wrapped literal");
        checkPhrase(literal, phrase);
    }

    orb::Answer ask(orb::PromptKind kind, const QString& phrase, orb::Selection& selection) override
    {
        checkInside(selection, "a question's selection");
        if (kind == orb::PromptKind::WrapLiteral)
            checkPhrase(selection, phrase);
        ++m_questions;
        const std::uint8_t step = next();
        // Now and then the user selects something else before answering.
        if (step & 0x80) {
            const qsizetype start = m_text.size() == 0 ? 0 : (qsizetype(next()) << 8 | next()) % (m_text.size() + 1);
            const qsizetype length = (m_text.size() - start) == 0 ? 0 : qsizetype(next()) % (m_text.size() - start + 1);
            selection = orb::Selection{start, length};
        }
        return static_cast<orb::Answer>(step % 3);
    }

    bool phraseExists(const QString& phrase) const override { return m_phrases.contains(phrase); }
    void addPhrase(const QString& phrase) override { m_phrases.insert(phrase); }

    qsizetype inserted() const { return m_inserted; }
    int questions() const { return m_questions; }

private:
    std::uint8_t next()
    {
        // An exhausted script answers Cancel, so that every scan ends.
        if (m_used >= m_script.size())
            return 2;
        return m_script[m_used++];
    }
    void checkPhrase(orb::Selection literal, const QString& phrase)
    {
        if (m_decode && m_decode(m_text.mid(literal.start, literal.length)) != phrase)
            fail("a phrase that is not its literal's");
    }
    void checkInside(orb::Selection selection, const char* what)
    {
        if (selection.start < 0 || selection.length < 0 || selection.end() > m_text.size())
            fail(what);
    }

    QString (*m_decode)(QStringView) = nullptr;
    std::span<const std::uint8_t> m_script;
    std::size_t m_used = 0;
    const orb::EditedText& m_text;
    QSet<QString> m_phrases;
    qsizetype m_inserted = 0;
    int m_questions = 0;
};

// The input split at its first zero byte: the answers before, the text after (UTF-8).
struct ScriptAndText
{
    std::span<const std::uint8_t> script;
    QString text;
};

inline ScriptAndText splitInput(const std::uint8_t* data, std::size_t size)
{
    std::size_t cut = 0;
    while (cut < size && data[cut] != 0)
        ++cut;
    ScriptAndText input;
    input.script = std::span(data, cut);
    if (cut < size)
        input.text = QString::fromUtf8(reinterpret_cast<const char*>(data + cut + 1), qsizetype(size - cut - 1));
    return input;
}

} // namespace fuzz
