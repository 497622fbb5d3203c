#pragma once

#include "wizard/Harvest.h"

#include <QFile>
#include <QSet>
#include <QStringEncoder>
#include <QStringList>

namespace wizardtest {

// A user who answers from a script and writes down every question. A script step is "yes",
// "no" or "cancel", optionally followed by "|TEXT": before answering, the user selects the
// first TEXT in the buffer ("yes|" clears the selection). A question beyond the script is
// answered Cancel and written down as "unscripted".
class ScriptedPrompt : public orb::HarvestPrompt
{
public:
    explicit ScriptedPrompt(QStringList script, const orb::EditedText* text = nullptr)
        : m_script(std::move(script)), m_text(text)
    {
        if (text)
            mirror = text->toString();
    }

    // Every question ("wrap PHRASE", "add PHRASE", "uses OrbTranslate", "save PATH"), every
    // silent harvest ("wrapped PHRASE") and every note ("partial PHRASE", "no QString PHRASE",
    // "nothing added"), in order.
    QStringList log;
    // Every selection shown: its text, with "+" before it when the view scrolls further.
    QStringList shown;
    // The buffer as a view would hold it, kept only through the insertions reported.
    QString mirror;
    QStringList files;
    // Every file left alone: "not-a-file PATH", "outside PATH" or "changed PATH".
    QStringList notes;

    void showFile(const QString& path, const orb::EditedText& text) override
    {
        m_text = &text;
        mirror = text.toString();
        files << path;
    }
    void showSelection(orb::Selection selection, bool scrollFurther) override
    {
        shown << (scrollFurther ? QStringLiteral("+") : QString()) + m_text->mid(selection.start, selection.length);
    }
    void textInserted(qsizetype pos, QStringView inserted) override { mirror.insert(pos, inserted); }
    void wrappedLiteralHarvested(orb::Selection, const QString& phrase) override
    {
        log << QStringLiteral("wrapped ") + phrase;
    }

    void noted(orb::HarvestNote note, orb::Selection, const QString& phrase) override
    {
        switch (note) {
        case orb::HarvestNote::NotWholeLiteral: log << QStringLiteral("partial ") + phrase; break;
        case orb::HarvestNote::NoQStringHere: log << QStringLiteral("no QString ") + phrase; break;
        case orb::HarvestNote::NothingToAdd: log << QStringLiteral("nothing added"); break;
        }
    }

    void fileNoted(const QString& path, orb::FileNote note, const QString&) override
    {
        notes << (note == orb::FileNote::NotAFile ? QStringLiteral("not-a-file ")
                  : note == orb::FileNote::OutsideProject ? QStringLiteral("outside ")
                                                     : QStringLiteral("changed "))
                     + path;
    }

    orb::Answer ask(orb::PromptKind kind, const QString& argument, orb::Selection& selection) override
    {
        if (m_script.isEmpty()) {
            log << QStringLiteral("unscripted");
            return orb::Answer::Cancel;
        }
        log << kindName(kind) + u' ' + argument;
        const QString step = m_script.takeFirst();
        const qsizetype bar = step.indexOf(u'|');
        if (bar >= 0)
            selection = selectionOf(step.sliced(bar + 1), selection);
        const QString answer = step.left(bar);
        if (answer == u"yes")
            return orb::Answer::Yes;
        return answer == u"no" ? orb::Answer::No : orb::Answer::Cancel;
    }

private:
    static QString kindName(orb::PromptKind kind)
    {
        switch (kind) {
        case orb::PromptKind::WrapLiteral: return QStringLiteral("wrap");
        case orb::PromptKind::AddPhrase: return QStringLiteral("add");
        case orb::PromptKind::AddUses: return QStringLiteral("uses");
        case orb::PromptKind::SaveFile: return QStringLiteral("save");
        }
        return {};
    }

    orb::Selection selectionOf(const QString& wanted, orb::Selection current) const
    {
        if (wanted.isEmpty())
            return {current.start, 0};
        return {m_text->indexOf(wanted, 0), wanted.size()};
    }

    QStringList m_script;
    const orb::EditedText* m_text;
};

// A language column: the phrases it held before, and every phrase the harvest handed it.
class RecordingSink : public orb::PhraseSink
{
public:
    explicit RecordingSink(const QStringList& held = {}) : m_held(held.begin(), held.end()) {}

    QStringList added;

    bool phraseExists(const QString& phrase) const override { return m_held.contains(phrase); }
    void addPhrase(const QString& phrase) override
    {
        added << phrase;
        m_held.insert(phrase);
    }

private:
    QSet<QString> m_held;
};

inline void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

inline QByteArray encoded(const char* encoding, const QString& text)
{
    return QStringEncoder(encoding).encode(text);
}

inline QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Writes text, a rewrite of file, to path over whatever stands there now: for tests of the
// writer itself, whose target is not the file read, so that the harvest's check that the
// file is still as read would refuse it.
inline bool writeRewriteOver(const QString& path, const orb::SourceFile& file, const QString& text, QString* error)
{
    orb::SourceRewrite rewrite;
    if (!orb::prepareRewrite(path, file, text, rewrite, error))
        return false;
    rewrite.stamp = orb::FileStamp::of(path);
    rewrite.original = readFile(path);
    return orb::writeRewrite(rewrite, error) == orb::RewriteOutcome::Written;
}

} // namespace wizardtest
