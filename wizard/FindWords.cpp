#include "wizard/FindWords.h"
#include "ui_FindWords.h"

#include "wizard/HarvestTarget.h"
#include "component/OrbTranslate.h"
#include "component/ProductName.h"
#include "component/Prompter.h"
#include "wizard/UnifiedDiff.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QScrollBar>
#include <QTextCursor>

#include <utility>

using namespace Qt::StringLiterals;

namespace {

// The one harvest window, while a scan runs.
TfrmFindWords* frmFindWords = nullptr;

// The target column, as the scanners see it.
class TargetColumn : public orb::PhraseSink
{
public:
    TargetColumn(orb::HarvestTarget& target, const QString& header) : m_target(target), m_header(header) {}
    bool phraseExists(const QString& phrase) const override { return m_target.PhraseExists(m_header, phrase); }
    void addPhrase(const QString& phrase) override { m_target.AddPhrase(m_header, phrase); }

private:
    orb::HarvestTarget& m_target;
    QString m_header;
};

int buttonsFor(orb::PromptKind kind)
{
    switch (kind) {
    case orb::PromptKind::WrapLiteral:
    case orb::PromptKind::AddPhrase:
        return orb::Prompter::Yes | orb::Prompter::No | orb::Prompter::Cancel;
    case orb::PromptKind::AddUses:
    case orb::PromptKind::SaveFile:
        break;
    }
    return orb::Prompter::Yes | orb::Prompter::No;
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

orb::ProjectHarvester* TfrmFindWords::setHarvester(orb::ProjectHarvester* harvester)
{
    return std::exchange(m_harvester, harvester);
}

QString TfrmFindWords::cannotShow(const orb::EditedText& text) const
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

void TfrmFindWords::showFile(const QString& path, const orb::EditedText& text)
{
    ui->gbxModule->setTitle(path);
    m_text = &text;
    m_original = text.toString();
    ui->mmModule->setPlainText(m_original);
    ui->lblNote->clear();
}

void TfrmFindWords::noted(orb::HarvestNote note, orb::Selection, const QString& phrase)
{
    QString text = Translate(orb::noteSource(note));
    text.replace(u"%s"_s, phrase);
    ui->lblNote->setText(text);
}

void TfrmFindWords::showSelection(orb::Selection selection, bool scrollFurther)
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
    if (busy && !m_busyCursor)
        m_busyCursor.emplace();
    else if (!busy)
        m_busyCursor.reset();
}

orb::Selection TfrmFindWords::currentSelection() const
{
    const QTextCursor cursor = ui->mmModule->textCursor();
    return {cursor.selectionStart(), cursor.selectionEnd() - cursor.selectionStart()};
}

orb::Answer TfrmFindWords::ask(orb::PromptKind kind, const QString& argument, orb::Selection& selection)
{
    // After a close every question of the file still to come is answered for the user.
    if (m_closed)
        return orb::Answer::Cancel;
    const QString text = orb::promptText(kind, Translate(orb::promptSource(kind)), argument);
    const QString details = kind == orb::PromptKind::SaveFile ? changesToSave(argument) : QString();
    const orb::Prompter::Button answer =
        orb::Prompter::current().nonModalQuestion(this, orb::productName(), text, buttonsFor(kind), details);
    selection = currentSelection();
    if (m_closed)
        return orb::Answer::Cancel;
    return answer == orb::Prompter::Yes ? orb::Answer::Yes : answer == orb::Prompter::No ? orb::Answer::No : orb::Answer::Cancel;
}

QString TfrmFindWords::changesToSave(const QString& path) const
{
    if (!m_text)
        return {};
    const QString name = QFileInfo(path).fileName();
    return orb::unifiedDiff(m_original, m_text->toString(), QStringLiteral("a/") + name, QStringLiteral("b/") + name);
}

void TfrmFindWords::fileNoted(const QString& path, orb::FileNote note, const QString&)
{
    switch (note) {
    case orb::FileNote::NotAFile:
        m_passedOver.append(path);
        return;
    case orb::FileNote::ChangedOnDisk:
        orb::Prompter::current().messageBox(
            this, orb::productName(),
            Translate(QStringLiteral("Файл изменён на диске после чтения и не перезаписан, "
                                     "чтобы не потерять эти изменения:")) + u'\n' + path,
            orb::Prompter::Icon::Warning, orb::Prompter::Ok);
        return;
    case orb::FileNote::OutsideProject:
        orb::Prompter::current().messageBox(
            this, orb::productName(),
            Translate(QStringLiteral("Файл лежит вне папки проекта (к нему ведёт ссылка): его фразы "
                                     "добавлены в словарь, но сам файл не изменён:")) + u'\n' + path,
            orb::Prompter::Icon::Information, orb::Prompter::Ok);
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

bool ScanProjectDir(const QString& language, const QString& directory, orb::HarvestTarget& target,
                    const orb::HarvestSettings& settings)
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
    TargetColumn sink(target, window.FLanguage);
    orb::FileHarvester harvester(window, sink, settings);
    orb::ProjectHarvester* outerHarvester = window.setHarvester(&harvester);
    const orb::HarvestStep step = orb::walkProjectDir(directory, harvester);
    window.setHarvester(outerHarvester);
    if (!owned)
        window.showAgain(outer);
    // The reason is the scanners' own, in the words orb-lng also prints; the line before it
    // says in the interface language what happened.
    if (step == orb::HarvestStep::Failed)
        orb::Prompter::current().messageBox(&window, orb::productName(),
                                       Translate(QStringLiteral("Поиск слов в проекте прерван")) + u'\n'
                                           + harvester.errorText(),
                                       orb::Prompter::Icon::Error, orb::Prompter::Ok);
    if (owned) {
        if (const QStringList passedOver = window.takePassedOver(); !passedOver.isEmpty())
            orb::Prompter::current().messageBox(&window, orb::productName(),
                                           Translate(QStringLiteral("Пропущены элементы, которые не являются файлами "
                                                                    "(ссылки в никуда, каналы, устройства):"))
                                               + u'\n' + passedOver.join(u'\n'),
                                           orb::Prompter::Icon::Information, orb::Prompter::Ok);
        frmFindWords = nullptr;
    }
    return step == orb::HarvestStep::Continue;
}

bool orb::projectScanRunning()
{
    return frmFindWords != nullptr;
}

void orb::endProjectScan()
{
    if (frmFindWords)
        frmFindWords->close();
}
