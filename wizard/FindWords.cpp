#include "wizard/FindWords.h"
#include "ui_FindWords.h"

#include "wizard/HarvestTarget.h"
#include "component/OrbTranslate.h"
#include "component/Prompter.h"
#include "wizard/UnifiedDiff.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScrollBar>
#include <QTextCursor>

#include <utility>

using namespace Qt::StringLiterals;

namespace {

// The one harvest window, while a scan runs.
TfrmFindWords* frmFindWords = nullptr;

// The target column, as the scanners see it.
class ColumnSink : public PhraseSink
{
public:
    ColumnSink(HarvestTarget& target, const QString& header) : m_target(target), m_header(header) {}
    bool phraseExists(const QString& phrase) const override { return m_target.PhraseExists(m_header, phrase); }
    void addPhrase(const QString& phrase) override { m_target.AddPhrase(m_header, phrase); }

private:
    HarvestTarget& m_target;
    QString m_header;
};

int buttonsFor(PromptKind kind)
{
    switch (kind) {
    case PromptKind::WrapLiteral:
    case PromptKind::AddPhrase:
        return Prompter::Yes | Prompter::No | Prompter::Cancel;
    case PromptKind::AddUses:
    case PromptKind::SaveFile:
        break;
    }
    return Prompter::Yes | Prompter::No;
}

} // namespace

TfrmFindWords::TfrmFindWords(QWidget* parent) : QWidget(parent), ui(std::make_unique<Ui::frmFindWords>())
{
    ui->setupUi(this);
    FormCreate();
}

TfrmFindWords::~TfrmFindWords()
{
    setBusy(false);
}

void TfrmFindWords::FormCreate()
{
    move(196, 0);
    // The literal under consideration stays marked while the user is busy with its question.
    QPalette palette = ui->mmModule->palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
    ui->mmModule->setPalette(palette);
    // The group box's title is a file's path, and a note quotes the file: no interface texts to
    // translate or learn.
    if (TOrbTranslate* translator = TranslateInstance()) {
        translator->AddNotTranslate(ui->gbxModule);
        translator->AddNotTranslate(ui->lblNote);
    }
}

ProjectHarvester* TfrmFindWords::setHarvester(ProjectHarvester* harvester)
{
    return std::exchange(m_harvester, harvester);
}

QString TfrmFindWords::cannotShow(const EditedText& text) const
{
    qsizetype line = 1;
    for (qsizetype start = 0; start <= text.size(); ++line) {
        qsizetype end = text.indexOf(u'\n', start);
        if (end < 0)
            end = text.size();
        if (end - start > kLongestLineShown)
            return QStringLiteral("line %1 is %2 characters long, more than the harvest window can show")
                .arg(line)
                .arg(end - start);
        start = end + 1;
    }
    return QString();
}

void TfrmFindWords::showFile(const QString& path, const EditedText& text)
{
    ui->gbxModule->setTitle(path);
    m_text = &text;
    m_original = text.toString();
    ui->mmModule->setPlainText(m_original);
    ui->lblNote->clear();
}

void TfrmFindWords::noted(HarvestNote note, Selection, const QString& phrase)
{
    QString text = Translate(NoteSource(note));
    text.replace(u"%s"_s, phrase);
    ui->lblNote->setText(text);
}

void TfrmFindWords::showSelection(Selection selection, bool scrollFurther)
{
    QTextCursor cursor(ui->mmModule->document());
    cursor.setPosition(int(selection.start));
    cursor.setPosition(int(selection.end()), QTextCursor::KeepAnchor);
    ui->mmModule->setTextCursor(cursor);
    if (scrollFurther) {
        QScrollBar* bar = ui->mmModule->verticalScrollBar();
        bar->setValue(bar->value() + 1);
    }
}

void TfrmFindWords::textInserted(qsizetype pos, QStringView inserted)
{
    QTextCursor cursor(ui->mmModule->document());
    cursor.setPosition(int(pos));
    cursor.insertText(inserted.toString());
}

void TfrmFindWords::searchStarted()
{
    setBusy(true);
}

void TfrmFindWords::searchFinished()
{
    setBusy(false);
}

void TfrmFindWords::setBusy(bool busy)
{
    if (busy == m_busy)
        return;
    m_busy = busy;
    if (busy)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QGuiApplication::restoreOverrideCursor();
}

Selection TfrmFindWords::currentSelection() const
{
    const QTextCursor cursor = ui->mmModule->textCursor();
    return {cursor.selectionStart(), cursor.selectionEnd() - cursor.selectionStart()};
}

Answer TfrmFindWords::ask(PromptKind kind, const QString& argument, Selection& selection)
{
    // After a close every question of the file still to come is answered for the user.
    if (m_closed)
        return Answer::Cancel;
    const QString text = PromptText(kind, Translate(PromptSource(kind)), argument);
    const QString details = kind == PromptKind::SaveFile ? changesToSave(argument) : QString();
    const Prompter::Button answer =
        Prompter::current().nonModalQuestion(this, HarvestCaption(), text, buttonsFor(kind), details);
    selection = currentSelection();
    if (m_closed)
        return Answer::Cancel;
    return answer == Prompter::Yes ? Answer::Yes : answer == Prompter::No ? Answer::No : Answer::Cancel;
}

QString TfrmFindWords::changesToSave(const QString& path) const
{
    if (!m_text)
        return {};
    const QString name = QFileInfo(path).fileName();
    return UnifiedDiff(m_original, m_text->toString(), QStringLiteral("a/") + name, QStringLiteral("b/") + name);
}

void TfrmFindWords::fileNoted(const QString& path, FileNote note, const QString&)
{
    switch (note) {
    case FileNote::NotAFile:
        m_passedOver.append(path);
        return;
    case FileNote::ChangedOnDisk:
        Prompter::current().messageBox(
            this, HarvestCaption(),
            Translate(QStringLiteral("Файл изменён на диске после чтения и не перезаписан, "
                                     "чтобы не потерять эти изменения:")) + u'\n' + path,
            Prompter::Icon::Warning, Prompter::Ok);
        return;
    case FileNote::OutsideProject:
        Prompter::current().messageBox(
            this, HarvestCaption(),
            Translate(QStringLiteral("Файл лежит вне папки проекта (к нему ведёт ссылка): его фразы "
                                     "добавлены в словарь, но сам файл не изменён:")) + u'\n' + path,
            Prompter::Icon::Information, Prompter::Ok);
        return;
    }
}

TfrmFindWords::ShownFile TfrmFindWords::shownFile() const
{
    return {ui->gbxModule->title(), m_text, m_original, currentSelection()};
}

void TfrmFindWords::showAgain(const ShownFile& file)
{
    if (!file.text)
        return;
    showFile(file.path, *file.text);
    m_original = file.original;
    showSelection(file.selection, false);
}

QStringList TfrmFindWords::takePassedOver()
{
    return std::exchange(m_passedOver, {});
}

void TfrmFindWords::closeEvent(QCloseEvent* event)
{
    m_closed = true;
    if (m_harvester)
        m_harvester->requestStop();
    event->accept();
}

bool ScanProjectDir(const QString& language, const QString& directory, HarvestTarget& target,
                    const HarvestSettings& settings)
{
    std::unique_ptr<TfrmFindWords> owned;
    if (!frmFindWords) {
        owned = std::make_unique<TfrmFindWords>();
        owned->FLanguage = language;
        frmFindWords = owned.get();
    }
    TfrmFindWords& window = *frmFindWords;
    // A scan started from a question of another goes back to that one's file afterwards.
    const TfrmFindWords::ShownFile outer = window.shownFile();
    window.show();
    ColumnSink sink(target, window.FLanguage);
    FileHarvester harvester(window, sink, settings);
    ProjectHarvester* outerHarvester = window.setHarvester(&harvester);
    const HarvestStep step = WalkProjectDir(directory, harvester);
    window.setHarvester(outerHarvester);
    if (!owned)
        window.showAgain(outer);
    // The reason is the scanners' own, in the words orb-lng also prints; the line before it
    // says in the interface language what happened.
    if (step == HarvestStep::Failed)
        Prompter::current().messageBox(&window, HarvestCaption(),
                                       Translate(QStringLiteral("Поиск слов в проекте прерван")) + u'\n'
                                           + harvester.errorText(),
                                       Prompter::Icon::Error, Prompter::Ok);
    if (owned) {
        if (const QStringList passedOver = window.takePassedOver(); !passedOver.isEmpty())
            Prompter::current().messageBox(&window, HarvestCaption(),
                                           Translate(QStringLiteral("Пропущены элементы, которые не являются файлами "
                                                                    "(ссылки в никуда, каналы, устройства):"))
                                               + u'\n' + passedOver.join(u'\n'),
                                           Prompter::Icon::Information, Prompter::Ok);
        frmFindWords = nullptr;
    }
    return step == HarvestStep::Continue;
}

bool ProjectScanRunning()
{
    return frmFindWords != nullptr;
}

void EndProjectScan()
{
    if (frmFindWords)
        frmFindWords->close();
}
