// The walk over a project folder and the harvester that reads, scans and writes back its
// files: what the harvest window and orb-lng harvest share around the scans of Harvest.cpp.
#include "wizard/CppHarvest.h"
#include "wizard/DesignerForm.h"
#include "wizard/Harvest.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <algorithm>

namespace orb {

namespace {

HarvestStep harvestFile(ProjectHarvester& harvester, const QString& path, SourceKind kind)
{
    switch (kind) {
    case SourceKind::PascalUnit:
        return harvester.harvestUnit(path);
    case SourceKind::DelphiForm:
        return harvester.harvestForm(path);
    case SourceKind::CppSource:
        return harvester.harvestCppSource(path);
    case SourceKind::DesignerForm:
        return harvester.harvestDesignerForm(path);
    case SourceKind::None:
        break;
    }
    return HarvestStep::Continue;
}

// True the first time a file's real path is met: a unit reached again through a link would be
// rewritten twice from one reading, and the second write would find the first. Links to
// nothing have no real path and go on to be passed over with their note.
bool firstVisit(const QString& path, QSet<QString>& visited)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    if (canonical.isEmpty())
        return true;
    if (visited.contains(canonical))
        return false;
    visited.insert(canonical);
    return true;
}

HarvestStep walkDirectory(const QString& directory, ProjectHarvester& harvester, QSet<QString>& visited)
{
    const QString canonical = QFileInfo(directory).canonicalFilePath();
    if (canonical.isEmpty() || visited.contains(canonical))
        return HarvestStep::Continue;
    visited.insert(canonical);

    QStringList names = QDir(directory).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
    // By character code, not by locale, so that a scan is repeatable anywhere.
    std::sort(names.begin(), names.end());
    for (const QString& name : std::as_const(names)) {
        if (harvester.stopRequested())
            return HarvestStep::Cancelled;
        const QString path = directory + u'/' + name;
        HarvestStep step = HarvestStep::Continue;
        if (QFileInfo(path).isDir()) {
            // What CMake's automoc and autouic generate, never the project's own sources.
            if (!name.endsWith(u"_autogen"))
                step = walkDirectory(path, harvester, visited);
        } else if (const SourceKind kind = sourceKindOf(name); kind != SourceKind::None && firstVisit(path, visited)) {
            step = harvestFile(harvester, path, kind);
        }
        if (step != HarvestStep::Continue)
            return step;
    }
    return HarvestStep::Continue;
}

// The prompt for a source that may not be written: its scan goes on as usual, but the
// questions about the uses clause (or #include) and the save are answered No unasked, since
// no answer could bring the rewrite to disk.
class KeepingPrompt : public HarvestPrompt
{
public:
    explicit KeepingPrompt(HarvestPrompt& prompt) : m_prompt(prompt) {}

    // A save was wanted: at least one literal was rewritten.
    bool saveWanted() const { return m_saveWanted; }

    QString cannotShow(const EditedText& text) const override { return m_prompt.cannotShow(text); }
    void showFile(const QString& path, const EditedText& text) override { m_prompt.showFile(path, text); }
    void showSelection(Selection selection, bool scrollFurther) override
    {
        m_prompt.showSelection(selection, scrollFurther);
    }
    void textInserted(qsizetype pos, QStringView inserted) override { m_prompt.textInserted(pos, inserted); }
    void searchStarted() override { m_prompt.searchStarted(); }
    void searchFinished() override { m_prompt.searchFinished(); }
    void wrappedLiteralHarvested(Selection literal, const QString& phrase) override
    {
        m_prompt.wrappedLiteralHarvested(literal, phrase);
    }
    void noted(HarvestNote note, Selection selection, const QString& phrase) override
    {
        m_prompt.noted(note, selection, phrase);
    }
    void fileNoted(const QString& path, FileNote note, const QString& reason) override
    {
        m_prompt.fileNoted(path, note, reason);
    }
    Answer ask(PromptKind kind, const QString& argument, Selection& selection) override
    {
        if (kind == PromptKind::SaveFile)
            m_saveWanted = true;
        if (kind == PromptKind::SaveFile || kind == PromptKind::AddUses)
            return Answer::No;
        return m_prompt.ask(kind, argument, selection);
    }

private:
    HarvestPrompt& m_prompt;
    bool m_saveWanted = false;
};

QString notAFileReason(const QString& path)
{
    return QFileInfo(path).isSymLink()
        ? QStringLiteral("a link to nothing; passed over")
        : QStringLiteral("not a regular file (a named pipe, a socket or a device); passed over");
}

} // namespace

ProjectHarvester::~ProjectHarvester() = default;

HarvestStep walkProjectDir(const QString& directory, ProjectHarvester& harvester)
{
    harvester.m_projectRoot = QFileInfo(directory).canonicalFilePath();
    QSet<QString> visited;
    const HarvestStep step = walkDirectory(directory, harvester, visited);
    harvester.m_projectRoot.clear();
    return step;
}

FileHarvester::FileHarvester(HarvestPrompt& prompt, PhraseSink& sink, HarvestSettings settings)
    : m_prompt(prompt), m_sink(sink), m_settings(std::move(settings))
{
}

HarvestStep FileHarvester::harvestUnit(const QString& path)
{
    SourceFile file;
    if (const std::optional<HarvestStep> stop = read(path, file))
        return *stop;
    EditedText text(file.text);
    if (!show(path, text))
        return HarvestStep::Failed;
    return scanSource(path, file, text,
                      [&](HarvestPrompt& prompt) { return harvestUnitText(text, prompt, m_sink, path); });
}

HarvestStep FileHarvester::harvestForm(const QString& path)
{
    SourceFile file;
    if (const std::optional<HarvestStep> stop = read(path, file))
        return *stop;
    if (file.binaryForm)
        return HarvestStep::Continue;
    const EditedText text(NormalizeFormText(file.text));
    if (!show(path, text))
        return HarvestStep::Failed;
    return harvestFormText(text, m_prompt, m_sink) ? HarvestStep::Continue : HarvestStep::Cancelled;
}

HarvestStep FileHarvester::harvestCppSource(const QString& path)
{
    SourceFile file;
    if (const std::optional<HarvestStep> stop = read(path, file))
        return *stop;
    EditedText text(file.text);
    if (!show(path, text))
        return HarvestStep::Failed;
    return scanSource(path, file, text, [&](HarvestPrompt& prompt) {
        return harvestCppText(text, prompt, m_sink, path, m_settings.cppOffer);
    });
}

HarvestStep FileHarvester::harvestDesignerForm(const QString& path)
{
    SourceFile file;
    if (const std::optional<HarvestStep> stop = read(path, file))
        return *stop;
    std::vector<DesignerString> strings;
    QString reason;
    if (!readDesignerStrings(file.text, strings, &reason))
        return fail(path, reason);
    const EditedText text(file.text);
    if (!show(path, text))
        return HarvestStep::Failed;
    return harvestDesignerStrings(text, strings, m_prompt, m_sink) ? HarvestStep::Continue : HarvestStep::Cancelled;
}

HarvestStep FileHarvester::scanSource(const QString& path, const SourceFile& file, const EditedText& text,
                                      const std::function<UnitScanResult(HarvestPrompt&)>& scan)
{
    if (!insideProject(path)) {
        KeepingPrompt keeping(m_prompt);
        const UnitScanResult result = scan(keeping);
        if (keeping.saveWanted())
            m_prompt.fileNoted(path, FileNote::OutsideProject,
                               QStringLiteral("outside the project folder (a link leads there); "
                                              "its phrases were harvested, the file is not rewritten"));
        return result.proceed ? HarvestStep::Continue : HarvestStep::Cancelled;
    }
    const UnitScanResult result = scan(m_prompt);
    if (!result.proceed)
        return HarvestStep::Cancelled;
    if (!result.save)
        return HarvestStep::Continue;
    SourceRewrite rewrite;
    QString reason;
    if (!prepareRewrite(path, file, text.toString(), rewrite, &reason, result.addedLineBreak))
        return fail(path, reason);
    if (!m_keepRewrites)
        return write(rewrite);
    m_kept.push_back(std::move(rewrite));
    return HarvestStep::Continue;
}

HarvestStep FileHarvester::writeKeptRewrites()
{
    for (const SourceRewrite& rewrite : m_kept) {
        if (const HarvestStep step = write(rewrite); step != HarvestStep::Continue)
            return step;
    }
    return HarvestStep::Continue;
}

HarvestStep FileHarvester::write(const SourceRewrite& rewrite)
{
    QString reason;
    switch (writeRewrite(rewrite, &reason)) {
    case RewriteOutcome::Written:
        m_saved.append(rewrite.path);
        return HarvestStep::Continue;
    case RewriteOutcome::ChangedOnDisk:
        m_prompt.fileNoted(rewrite.path, FileNote::ChangedOnDisk, reason);
        return HarvestStep::Continue;
    case RewriteOutcome::Failed:
        break;
    }
    return fail(rewrite.path, reason);
}

bool FileHarvester::insideProject(const QString& path) const
{
    // A file harvested on its own, outside a walk, was named by the caller.
    if (projectRoot().isEmpty())
        return true;
    const QString real = QFileInfo(path).canonicalFilePath();
    const QString root = projectRoot().endsWith(u'/') ? projectRoot() : projectRoot() + u'/';
    return real.startsWith(root);
}

std::optional<HarvestStep> FileHarvester::read(const QString& path, SourceFile& file)
{
    if (!QFileInfo(path).isFile()) {
        m_prompt.fileNoted(path, FileNote::NotAFile, notAFileReason(path));
        return HarvestStep::Continue;
    }
    QString reason;
    if (readSourceFile(path, m_settings.legacyEncoding, file, &reason))
        return std::nullopt;
    return fail(path, reason);
}

bool FileHarvester::show(const QString& path, const EditedText& text)
{
    const QString reason = m_prompt.cannotShow(text);
    if (!reason.isEmpty()) {
        fail(path, reason);
        return false;
    }
    m_prompt.showFile(path, text);
    return true;
}

HarvestStep FileHarvester::fail(const QString& path, const QString& reason)
{
    m_error = path + QStringLiteral(": ") + reason;
    return HarvestStep::Failed;
}

} // namespace orb
