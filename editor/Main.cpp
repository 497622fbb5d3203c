#include "Main.h"
#include "SettingsLocation.h"
#include "ui_Main.h"

#include "About.h"
#include "AddLang.h"
#include "Charsets.h"
#include "DictGridModel.h"
#include "DictionaryGridIO.h"
#include "DictionaryImport.h"
#include "DictSearch.h"
#include "EditCell.h"
#include "FindBar.h"
#include "FindWords.h"
#include "Import.h"
#include "MessageCaption.h"
#include "OrbTranslate.h"
#include "TextRoutines.h"
#include "Prompter.h"
#include "Pseudo.h"
#include "PseudoTranslation.h"
#include "QtTranslations.h"
#include "Wizard.h"

#include <QAbstractEventDispatcher>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEventLoop>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMimeData>
#include <QMenu>
#include <QMouseEvent>
#include <QPixmap>
#include <QSettings>
#include <QTimer>
#include <QUndoStack>

#include <thread>
#include <utility>

namespace {

// The interface dictionary beside the program, as in a build or a copy unpacked anywhere;
// else where an installation puts it, relative to the program's folder.
QString InterfaceDictionaryName()
{
    const QString name = QStringLiteral("language.lng");
    if (QFileInfo::exists(QCoreApplication::applicationDirPath() + u'/' + name))
        return name;
    return QStringLiteral(ORB_DATA_FROM_BIN "/") + name;
}

const QString kRecentFilesKey = QStringLiteral("Settings/RecentFiles");
const int kRecentFilesKept = 8;

// "*.*" would hide every file without a dot in its name, as Linux names many.
const QString kDictionaryFilter = QStringLiteral("Dictionary (*.lng);;All files (*)");

// The hourglass for the span of a read or write, taken back on every way out.
class WaitCursor
{
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// The message of a failed read or write: its text in the interface language, then the file
// and the reason, in the words of the system or of the XML parser.
QString FailureText(const QString& text, const QString& path, const QString& reason)
{
    return Translate(text) + u'\n' + QDir::toNativeSeparators(path) + QStringLiteral(": ") + reason;
}

} // namespace

TfrmMain::TfrmMain(QWidget* parent)
    : QMainWindow(parent), ui(std::make_unique<Ui::frmMain>()), m_model(new DictGridModel(this)),
      OrbTranslate(new TOrbTranslate(this)), pmLanguages(new QMenu(this)), m_languageGroup(new QActionGroup(this)),
      m_statistics(new QLabel(this)), m_statisticsTimer(new QTimer(this))
{
    OrbTranslate->setObjectName(QStringLiteral("OrbTranslate"));
    OrbTranslate->SetDictName(InterfaceDictionaryName());
    ui->setupUi(this);

    const std::pair<QAction*, const char*> buttons[] = {
        {ui->actNewDict, "tbCreate"},          {ui->actOpenDict, "tbOpen"},
        {ui->actSaveDict, "tbSave"},           {ui->actImport, "tbImport"},
        {ui->actNewLang, "tbAddLanguage"},     {ui->actDeleteLang, "tbDeleteLanguage"},
        {ui->actLangProperty, "tbLangProperty"}, {ui->actNewLine, "tbAddLine"},
        {ui->actDeleteLine, "tbDeleteLine"},   {ui->actSort, "tbSort"},
        {ui->actWizard, "tbWizard"},           {ui->actPseudo, "tbPseudo"},
        {ui->actLanguages, "tbLanguages"},     {ui->actAbout, "tbAbout"},
    };
    for (const auto& [action, name] : buttons) {
        QWidget* button = ui->ToolBar1->widgetForAction(action);
        button->setObjectName(QString::fromLatin1(name));
        button->setFixedSize(37, 36);
    }

    pmLanguages->setObjectName(QStringLiteral("pmLanguages"));
    // Choosing the checked entry unchecks it, and then no entry is checked.
    m_languageGroup->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    ui->actLanguages->setMenu(pmLanguages);
    qobject_cast<QToolButton*>(ui->ToolBar1->widgetForAction(ui->actLanguages))
        ->setPopupMode(QToolButton::InstantPopup);

    // The glyph holds the button's two looks side by side: enabled, then disabled.
    const QPixmap glyph(QStringLiteral(":/editcell.png"));
    QIcon editIcon;
    editIcon.addPixmap(glyph.copy(0, 0, 18, 18), QIcon::Normal);
    editIcon.addPixmap(glyph.copy(18, 0, 18, 18), QIcon::Disabled);
    ui->sbtnEditCell->setIcon(editIcon);
    ui->sbtnEditCell->setFixedSize(18, 18);

    ui->lblTarsova->setText(MakerWebAddress());
    ui->lblTarsova->installEventFilter(this);

    TDictGrid* grid = ui->sgDictGrid;
    grid->setDictModel(m_model);
    grid->hide();
    ui->pnlRight->hide();
    connect(m_model, &DictGridModel::cellEdited, this, &TfrmMain::sgDictGridSetEditText);
    auto placeOnCurrent = [this] { PlaceEditButton(Grid()->currentCol(), Grid()->currentRow()); };
    connect(grid, &TDictGrid::entered, this, placeOnCurrent);
    connect(grid, &TDictGrid::topLeftChanged, this, placeOnCurrent);
    connect(grid, &TDictGrid::cellSelected, this, &TfrmMain::PlaceEditButton);
    // A column that changes its width or place takes the current cell's corner with it.
    connect(grid->horizontalHeader(), &QHeaderView::sectionResized, this, placeOnCurrent);
    connect(m_model, &QAbstractItemModel::columnsMoved, this, placeOnCurrent);
    connect(m_model, &DictGridModel::cellRevisited, grid, &TDictGrid::setCurrentCell);

    connect(ui->actNewDict, &QAction::triggered, this, &TfrmMain::actNewDictExecute);
    connect(ui->actOpenDict, &QAction::triggered, this, &TfrmMain::actOpenDictExecute);
    connect(ui->actSaveDict, &QAction::triggered, this, &TfrmMain::actSaveDictExecute);
    connect(ui->actImport, &QAction::triggered, this, &TfrmMain::actImportExecute);
    connect(ui->actNewLang, &QAction::triggered, this, &TfrmMain::actNewLangExecute);
    connect(ui->actLangProperty, &QAction::triggered, this, &TfrmMain::actLangPropertyExecute);
    connect(ui->actDeleteLang, &QAction::triggered, this, &TfrmMain::actDeleteLangExecute);
    connect(ui->actNewLine, &QAction::triggered, this, &TfrmMain::actNewLineExecute);
    connect(ui->actDeleteLine, &QAction::triggered, this, &TfrmMain::actDeleteLineExecute);
    connect(ui->actSort, &QAction::triggered, this, &TfrmMain::actSortExecute);
    connect(ui->actWizard, &QAction::triggered, this, &TfrmMain::actWizardExecute);
    connect(ui->actPseudo, &QAction::triggered, this, &TfrmMain::actPseudoExecute);
    connect(ui->actAbout, &QAction::triggered, this, &TfrmMain::actAboutExecute);
    connect(ui->actBrowseURL, &QAction::triggered, this, &TfrmMain::actBrowseURLExecute);
    connect(ui->actSaveAs, &QAction::triggered, this, &TfrmMain::actSaveAsExecute);
    connect(ui->actCloseDict, &QAction::triggered, this, &TfrmMain::actCloseDictExecute);
    connect(ui->actQuit, &QAction::triggered, this, &QWidget::close);
    connect(ui->actUndo, &QAction::triggered, m_model->history(), &QUndoStack::undo);
    connect(ui->actRedo, &QAction::triggered, m_model->history(), &QUndoStack::redo);
    connect(ui->actFind, &QAction::triggered, this, &TfrmMain::actFindExecute);
    connect(ui->actFindNext, &QAction::triggered, this, [this] { FindNext(true); });
    connect(ui->actFindPrevious, &QAction::triggered, this, [this] { FindNext(false); });
    SetupMenus();
    SetupFindBar();
    SetupStatusBar();
    connect(ui->sbtnEditCell, &QToolButton::clicked, this, &TfrmMain::sbtnEditCellClick);

    connect(QAbstractEventDispatcher::instance(thread()), &QAbstractEventDispatcher::aboutToBlock, this,
            &TfrmMain::UpdateCommands);

    FormCreate();
}

TfrmMain::~TfrmMain()
{
    // The model outlives this part of the window and still signals as it goes (its history
    // clears itself): none of that may reach a window half destroyed.
    m_model->disconnect(this);
    m_model->history()->disconnect(this);
}

void TfrmMain::FormCreate()
{
    FDictFile.clear();
    FEditCol = 0;
    FEditRow = 0;
    FEditText.clear();
    m_lastFolder.clear();
    FTitle = windowTitle();
    m_recentFiles = QSettings(SettingsPath(), QSettings::IniFormat).value(kRecentFilesKey).toStringList();
    BuildRecentMenu();
    BuildLanguageMenu();
    LoadInterfaceLanguage();
    UpdateCommands();
}

bool TfrmMain::Modified() const
{
    return !m_model->history()->isClean();
}

bool TfrmMain::DictionaryOpen() const
{
    return !ui->sgDictGrid->isHidden();
}

const DictTable& TfrmMain::Dictionary() const
{
    return m_model->table();
}

TDictGrid* TfrmMain::Grid() const
{
    return ui->sgDictGrid;
}

QStringList TfrmMain::HeaderTexts() const
{
    QStringList headers;
    for (int col = 0; col < Dictionary().columnCount(); ++col)
        headers.append(Dictionary().headerText(col));
    return headers;
}

// ---- grid --------------------------------------------------------------------------------

void TfrmMain::ClearGrid()
{
    m_model->setTable(DictTable());
    ShowDocument();
}

void TfrmMain::SetupMenus()
{
    struct StandardKey
    {
        QAction* action;
        QKeySequence::StandardKey key;
        // For platforms that bind none to the key, such as plain X11 for Save As: what
        // Linux desktops use.
        QKeySequence otherwise;
    };
    const StandardKey standardKeys[] = {
        {ui->actNewDict, QKeySequence::New, {}},
        {ui->actOpenDict, QKeySequence::Open, {}},
        {ui->actSaveDict, QKeySequence::Save, {}},
        {ui->actSaveAs, QKeySequence::SaveAs, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)},
        {ui->actCloseDict, QKeySequence::Close, {}},
        {ui->actQuit, QKeySequence::Quit, QKeySequence(Qt::CTRL | Qt::Key_Q)},
        {ui->actUndo, QKeySequence::Undo, {}},
        {ui->actRedo, QKeySequence::Redo, {}},
        {ui->actFind, QKeySequence::Find, {}},
        {ui->actFindNext, QKeySequence::FindNext, {}},
        {ui->actFindPrevious, QKeySequence::FindPrevious, {}},
    };
    for (const StandardKey& standard : standardKeys) {
        const QList<QKeySequence> bound = QKeySequence::keyBindings(standard.key);
        standard.action->setShortcuts(bound.isEmpty() ? QList<QKeySequence>{standard.otherwise} : bound);
    }
    ui->mnuHelp->insertAction(ui->actAbout, ui->actLanguages);
    ui->mnuHelp->insertSeparator(ui->actAbout);
    connect(ui->actClearRecent, &QAction::triggered, this, [this] {
        m_recentFiles.clear();
        SaveRecentFiles();
    });
    setAcceptDrops(true);
}

void TfrmMain::SetupStatusBar()
{
    m_statistics->setObjectName(QStringLiteral("lblStatistics"));
    statusBar()->addPermanentWidget(m_statistics);
    OrbTranslate->AddNotTranslate(m_statistics);
    m_statisticsTimer->setSingleShot(true);
    m_statisticsTimer->setInterval(150);
    connect(m_statisticsTimer, &QTimer::timeout, this, &TfrmMain::UpdateStatistics);
    // Every change, undo and redo moves the history; a new document resets the model.
    auto recount = qOverload<>(&QTimer::start);
    connect(m_model->history(), &QUndoStack::indexChanged, m_statisticsTimer, recount);
    connect(m_model, &QAbstractItemModel::modelReset, m_statisticsTimer, recount);
}

void TfrmMain::ShowDocument()
{
    ui->sgDictGrid->show();
    ui->sgDictGrid->setCurrentCell(0, 1);
}

QStringList TfrmMain::LangIDsExcept(int col) const
{
    QStringList langIds;
    for (int other = 0; other < Dictionary().columnCount(); ++other) {
        if (other != col)
            langIds.append(Dictionary().column(other).langId);
    }
    return langIds;
}

bool TfrmMain::FindLangColumn(const QString& header, int& col) const
{
    col = Dictionary().findLangColumn(header);
    return col >= 0;
}

int TfrmMain::FindLangIDColumn(const QString& langId) const
{
    return Dictionary().findLangIdColumn(langId);
}

bool TfrmMain::PhraseExists(const QString& header, const QString& text) const
{
    return Dictionary().phraseExists(header, text);
}

void TfrmMain::AddPhrase(const QString& header, const QString& text)
{
    int col = -1;
    if (PhraseExists(header, text) || !FindLangColumn(header, col))
        return;
    ui->sgDictGrid->setCurrentCell(col, m_model->addPhrase(col, text, m_harvestBatch));
}

void TfrmMain::DeleteRow(int row)
{
    m_model->deleteRow(row);
}

void TfrmMain::DeleteEmptyRows()
{
    m_model->deleteEmptyRows();
}

void TfrmMain::SortColumn(int col, const SortChoice& choice)
{
    if (col < 0 || col >= Dictionary().columnCount())
        return;
    m_model->sortColumn(col, choice.ascending, choice.order);
}

void TfrmMain::PlaceEditButton(int col, int row)
{
    if (col < 0 || col >= Dictionary().columnCount() || row < 0 || row >= Dictionary().rowCount())
        return;
    QToolButton* button = ui->sbtnEditCell;
    if (button->parentWidget() != ui->sgDictGrid)
        button->setParent(ui->sgDictGrid);
    const QRect cell = ui->sgDictGrid->cellRect(col, row);
    button->move(cell.left() + cell.width() - button->width(), cell.top());
    // A cell scrolled out of view would leave the button over the header or a scroll bar,
    // where a click would edit a cell the user cannot see.
    button->setVisible(ui->sgDictGrid->viewport()->geometry().contains(button->geometry()));
    button->raise();
}

void TfrmMain::sgDictGridSetEditText(int col, int row, const QString& text)
{
    const bool bottomRight = col == Dictionary().columnCount() - 1 && row == Dictionary().rowCount() - 1;
    if (col == FEditCol && row == FEditRow && text == FEditText && bottomRight) {
        m_model->appendRow();
        // The last report comes while the in-place editor is closing; moving the current
        // cell at once would close it a second time.
        const int newRow = Dictionary().rowCount() - 1;
        QMetaObject::invokeMethod(this, [this, newRow] {
            ui->sgDictGrid->setCurrentCell(std::max(ui->sgDictGrid->currentCol(), 0), newRow);
        }, Qt::QueuedConnection);
    }
    FEditCol = col;
    FEditRow = row;
    FEditText = text;
}

void TfrmMain::sbtnEditCellClick()
{
    const int col = ui->sgDictGrid->currentCol();
    const int row = ui->sgDictGrid->currentRow();
    if (col < 0 || col >= Dictionary().columnCount() || row < 0 || row >= Dictionary().rowCount())
        return;
    const QString before = Dictionary().cell(col, row);
    QString text = before;
    ExecuteEditCell(text);
    m_model->setCell(col, row, text);
}

void TfrmMain::actNewLineExecute()
{
    m_model->appendRow();
    ui->sgDictGrid->setCurrentCell(std::max(ui->sgDictGrid->currentCol(), 0), Dictionary().rowCount() - 1);
}

void TfrmMain::actDeleteLineExecute()
{
    const int row = ui->sgDictGrid->currentRow();
    if (Dictionary().rowCount() <= 2 || row < 1 || row >= Dictionary().rowCount())
        return;
    if (Prompter::current().messageBox(this, MessageCaption(), Translate(QStringLiteral("Удалить текущую фразу ?")),
                                       Prompter::Icon::Warning, Prompter::Ok | Prompter::Cancel) != Prompter::Ok)
        return;
    DeleteRow(row);
}

void TfrmMain::actSortExecute()
{
    const int col = ui->sgDictGrid->currentCol();
    if (col < 0 || col >= Dictionary().columnCount())
        return;
    if (!SortDialog(this, m_sortChoice))
        return;
    SortColumn(col, m_sortChoice);
}

void TfrmMain::actWizardExecute()
{
    ++m_harvestBatch;
    RunProjectWizard(HeaderTexts(), *this, this, SettingsPath());
}

void TfrmMain::actPseudoExecute()
{
    PseudoChoice choice;
    if (!PseudoDialog(this, HeaderTexts(), LangIDsExcept(-1), ui->sgDictGrid->currentCol(), choice))
        return;
    ImportPlan plan;
    if (!PlanPseudoColumn(Dictionary(), choice.sourceCol, choice.targetId, plan))
        return;
    // A column of pseudo-translations is made again at will; a column of real ones is not.
    if (PlanReplacesOwnTexts(Dictionary(), plan)) {
        const QString prompt = Translate(QStringLiteral("Заменить тексты языка")) + u' '
                               + Dictionary().headerText(plan.targetCol) + QStringLiteral(" ?");
        if (Prompter::current().messageBoxWithDefault(this, MessageCaption(), prompt, Prompter::Icon::Warning,
                                                      Prompter::Yes | Prompter::No, Prompter::No) != Prompter::Yes)
            return;
    }
    {
        const WaitCursor busy;
        m_model->applyImport(plan);
    }
    const int row = ui->sgDictGrid->currentRow();
    ui->sgDictGrid->setCurrentCell(plan.targetCol, row > 0 ? row : 1);
}

// ---- languages ---------------------------------------------------------------------------

void TfrmMain::actNewLangExecute()
{
    TLang lang;
    if (!AddLanguageDialog(lang, this, LangIDsExcept(-1)))
        return;
    m_model->appendColumn({lang.LangID, lang.LangDisplay, CharsetByName(lang.LangCharset)});
    const int row = ui->sgDictGrid->currentRow();
    ui->sgDictGrid->setCurrentCell(Dictionary().columnCount() - 1, row > 0 ? row : 1);
}

void TfrmMain::actLangPropertyExecute()
{
    const int col = ui->sgDictGrid->currentCol();
    if (col < 0 || col >= Dictionary().columnCount())
        return;
    const LangColumn& column = Dictionary().column(col);
    TLang lang{column.langId, column.langName, CharsetName(column.charset)};
    if (!LangPropertyDialog(lang, this, LangIDsExcept(col)))
        return;
    m_model->setColumn(col, {lang.LangID, lang.LangDisplay, CharsetByName(lang.LangCharset)});
}

void TfrmMain::actDeleteLangExecute()
{
    const int col = ui->sgDictGrid->currentCol();
    if (Dictionary().columnCount() < 1 || col < 0)
        return;
    // Only the fixed words are looked up: the whole prompt, with the language in it, would
    // never be in the dictionary, and every asking would add it there as a new phrase.
    const QString prompt = Translate(QStringLiteral("Удалить язык")) + u' ' + Dictionary().headerText(col) + QStringLiteral(" ?");
    if (Prompter::current().messageBoxWithDefault(this, MessageCaption(), prompt, Prompter::Icon::Warning,
                                                  Prompter::Yes | Prompter::No, Prompter::No) != Prompter::Yes)
        return;
    if (Dictionary().columnCount() > 1) {
        const int row = ui->sgDictGrid->currentRow();
        m_model->removeColumn(col);
        ui->sgDictGrid->setCurrentCell(std::min(col, Dictionary().columnCount() - 1), row);
    } else {
        // The last language goes with the grid that shows it; undoing brings both back.
        m_model->recordStep([this] { ui->sgDictGrid->hide(); }, [this] { ui->sgDictGrid->show(); });
    }
}

// ---- files -------------------------------------------------------------------------------

void TfrmMain::UpdateCaption(const QString& path)
{
    setWindowTitle((path.isEmpty() ? FTitle : FTitle + QStringLiteral(" - ") + QFileInfo(path).fileName())
                   + QStringLiteral("[*]"));
}

bool TfrmMain::AskToSave(SaveQuestion form)
{
    if (!DictionaryOpen() || !Modified())
        return true;
    const int buttons = form == SaveQuestion::YesNoCancel ? Prompter::Yes | Prompter::No | Prompter::Cancel
                                                          : Prompter::Ok | Prompter::Cancel;
    const Prompter::Button answer = Prompter::current().messageBox(
        this, MessageCaption(), Translate(QStringLiteral("Сохранить измененный словарь ?")),
        Prompter::Icon::Information, buttons);
    // A user who answered Yes asked to keep the changes: unless they are saved, be it through
    // a cancelled file dialog or a failed write, the command that asked stops.
    if (answer == Prompter::Yes || answer == Prompter::Ok)
        return SaveDocument();
    // The open command's Cancel means "go on without saving".
    return answer == Prompter::No || form == SaveQuestion::OkCancel;
}

void TfrmMain::actNewDictExecute()
{
    if (!AskToSave(SaveQuestion::YesNoCancel))
        return;
    TLang lang;
    if (!AddLanguageDialog(lang, this))
        return;
    FDictFile.clear();
    m_fileStamp = {};
    UpdateCaption(FDictFile);
    DictTable table;
    table.setColumn(0, {lang.LangID, lang.LangDisplay, CharsetByName(lang.LangCharset)});
    m_model->setTable(std::move(table));
    ShowDocument();
    // A document never saved differs from every file.
    m_model->history()->resetClean();
}

void TfrmMain::actCloseDictExecute()
{
    if (!AskToSave(SaveQuestion::YesNoCancel))
        return;
    ui->sgDictGrid->hide();
    m_model->setTable(DictTable());
    FDictFile.clear();
    m_fileStamp = {};
    UpdateCaption(FDictFile);
}

void TfrmMain::actOpenDictExecute()
{
    if (!AskToSave(SaveQuestion::OkCancel))
        return;
    const QString path = Prompter::current().openFileName(this, QString(), DialogFolder(), Translate(kDictionaryFilter));
    if (!path.isEmpty())
        OpenDictionary(path);
}

bool TfrmMain::OpenGivenDictionary(const QString& path)
{
    // The open dialog offers only files that exist; a path from outside may name none.
    if (QFile missing(path); !missing.exists()) {
        missing.open(QIODevice::ReadOnly); // for the system's own words
        Prompter::current().messageBox(this, MessageCaption(),
                                       FailureText(QStringLiteral("Ошибка при открытии"), path, missing.errorString()),
                                       Prompter::Icon::Error, Prompter::Ok);
        return false;
    }
    return OpenDictionary(path);
}

bool TfrmMain::OpenDictionary(const QString& path)
{
    // Taken before the read: a file written while it is read counts as changed at Save.
    const orb::FileStamp stamp = orb::FileStamp::of(path);
    if (!ReadDictionary(path))
        return false;
    BindFile(QFileInfo(path).absoluteFilePath(), stamp);
    RememberRecentFile(FDictFile);
    return true;
}

void TfrmMain::OpenOtherDictionary(const QString& path)
{
    if (ProjectScanRunning() || m_working || !AskToSave(SaveQuestion::OkCancel))
        return;
    if (!QFileInfo::exists(path))
        ForgetRecentFile(path);
    OpenGivenDictionary(path);
}

void TfrmMain::actSaveDictExecute()
{
    SaveDocument();
}

bool TfrmMain::SaveDocument()
{
    // With the last language deleted nothing is shown, and nothing is written.
    if (!DictionaryOpen())
        return false;
    if (FDictFile.isEmpty())
        return SaveDocumentAs();
    orb::SaveGuard guard = orb::SaveGuard::unchangedSince(m_fileStamp);
    const orb::FileStamp onDisk = orb::FileStamp::of(FDictFile);
    if (onDisk != m_fileStamp) {
        switch (AskAboutChangedFile(FDictFile)) {
        case Prompter::Yes:
            guard.expected = onDisk;
            break;
        case Prompter::No:
            return SaveDocumentAs();
        default:
            return false;
        }
    }
    return SaveTo(FDictFile, guard);
}

Prompter::Button TfrmMain::AskAboutChangedFile(const QString& path)
{
    const QString question =
        Translate(QStringLiteral("Файл изменён на диске после того, как был прочитан или сохранён:")) + u'\n'
        + QDir::toNativeSeparators(path) + u'\n'
        + Translate(QStringLiteral("Да — заменить его словарём, Нет — сохранить словарь в другой файл, Отмена — не сохранять."));
    return Prompter::current().messageBoxWithDefault(this, MessageCaption(), question, Prompter::Icon::Warning,
                                                     Prompter::Yes | Prompter::No | Prompter::Cancel,
                                                     Prompter::Cancel);
}

bool TfrmMain::ConfirmReplacing(const QString& path)
{
    const QString question = Translate(QStringLiteral("Файл уже существует:")) + u'\n'
                             + QDir::toNativeSeparators(path) + u'\n'
                             + Translate(QStringLiteral("Заменить его?"));
    return Prompter::current().messageBoxWithDefault(this, MessageCaption(), question, Prompter::Icon::Warning,
                                                     Prompter::Yes | Prompter::No, Prompter::No)
           == Prompter::Yes;
}

void TfrmMain::actSaveAsExecute()
{
    SaveDocumentAs();
}

bool TfrmMain::SaveDocumentAs()
{
    if (!DictionaryOpen())
        return false;
    const QString chosen = Prompter::current().saveFileName(this, QString(), DialogFolder(), Translate(kDictionaryFilter));
    if (chosen.isEmpty())
        return false;
    // The question is about the file that will be written, extension and all.
    const QString path = QFileInfo(withLngExtension(chosen)).absoluteFilePath();
    const orb::FileStamp onDisk = orb::FileStamp::of(path);
    if (onDisk.exists && !ConfirmReplacing(path))
        return false;
    return SaveTo(path, orb::SaveGuard::unchangedSince(onDisk));
}

bool TfrmMain::SaveTo(const QString& path, orb::SaveGuard guard)
{
    if (!WriteDictionary(path, &guard))
        return false;
    m_model->history()->setClean();
    BindFile(path, guard.written);
    RememberRecentFile(FDictFile);
    return true;
}

void TfrmMain::BindFile(const QString& path, const orb::FileStamp& stamp)
{
    m_fileStamp = stamp;
    const QFileInfo file(path);
    FDictFile = file.absoluteFilePath();
    m_lastFolder = file.absolutePath();
    UpdateCaption(FDictFile);
}

QString TfrmMain::DialogFolder() const
{
    if (!FDictFile.isEmpty())
        return QFileInfo(FDictFile).absolutePath();
    return m_lastFolder.isEmpty() ? QDir::homePath() : m_lastFolder;
}

bool TfrmMain::ReadDictionary(const QString& path)
{
    DictTable table;
    GridRead result;
    QString reason;
    WorkWhileResponsive([&] { result = readDictionaryGrid(path, table, &reason); });
    if (!ReadSucceeded(result, path, reason, QStringLiteral("Ошибка при открытии")))
        return false;
    m_model->setTable(std::move(table));
    ShowDocument();
    return true;
}

bool TfrmMain::ReadSucceeded(GridRead result, const QString& path, const QString& reason, const QString& errorText)
{
    auto fail = [&](const QString& text, Prompter::Icon icon) {
        Prompter::current().messageBox(this, MessageCaption(), FailureText(text, path, reason), icon, Prompter::Ok);
        return false;
    };
    switch (result) {
    case GridRead::Missing:
        return false;
    case GridRead::UnknownFile:
        return fail(QStringLiteral("Неизвестный файл"), Prompter::Icon::Warning);
    case GridRead::ReadError:
        return fail(errorText, Prompter::Icon::Error);
    case GridRead::Ok:
        break;
    }
    return true;
}

bool TfrmMain::WriteDictionary(const QString& path, orb::SaveGuard* guard)
{
    bool written = false;
    QString reason;
    DeleteEmptyRows();
    WorkWhileResponsive([&] { written = writeDictionaryGrid(Dictionary(), path, &reason, guard); });
    if (!written)
        Prompter::current().messageBox(this, MessageCaption(), FailureText(QStringLiteral("Ощибка при сохранении"), path, reason),
                                       Prompter::Icon::Error, Prompter::Ok);
    return written;
}

void TfrmMain::actImportExecute()
{
    const QString path = Prompter::current().openFileName(this, QString(), DialogFolder(), Translate(kDictionaryFilter));
    if (!path.isEmpty())
        ImportDictionary(path);
}

bool TfrmMain::ImportDictionary(const QString& path)
{
    ImportSource source;
    GridRead read;
    QString reason;
    WorkWhileResponsive([&] { read = source.open(path, &reason); });
    const QString importError = QStringLiteral("Ошибка при импорте");
    if (!ReadSucceeded(read, path, reason, importError))
        return false;
    ImportChoice choice;
    if (!ImportDialog(this, HeaderTexts(), source.entryTexts(), choice))
        return false;
    // Everything is read and checked before the grid changes: a damaged file leaves the
    // document as it was, not half merged.
    ImportPlan plan;
    bool planned = false;
    WorkWhileResponsive([&] {
        planned = source.plan(Dictionary(), choice.keyColumn, choice.keyPosition, choice.importPosition, plan, &reason);
    });
    if (!planned)
        return ReadSucceeded(GridRead::ReadError, path, reason, importError);
    const WaitCursor busy;
    // The document's content changes, never its file: the imported file is only read.
    m_model->applyImport(plan);
    m_lastFolder = QFileInfo(path).absolutePath();
    return true;
}

bool TfrmMain::FormCloseQuery()
{
    return AskToSave(SaveQuestion::YesNoCancel);
}

void TfrmMain::WorkWhileResponsive(const std::function<void()>& work)
{
    const WaitCursor busy;
    m_working = true;
    QEventLoop loop;
    std::thread worker([&] {
        work();
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    // The user's clicks and keys wait until the work is done, so that nothing changes the
    // document meanwhile; painting, timers and the window manager's close go on.
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker.join();
    m_working = false;
    if (std::exchange(m_closeAfterWork, false))
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

void TfrmMain::dragEnterEvent(QDragEnterEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (!urls.isEmpty() && urls.first().isLocalFile())
        event->acceptProposedAction();
}

void TfrmMain::dropEvent(QDropEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty() || !urls.first().isLocalFile())
        return;
    event->acceptProposedAction();
    // The questions and the read wait until the drop is over: the file manager's side of it
    // must not hang on them.
    const QString path = urls.first().toLocalFile();
    QMetaObject::invokeMethod(this, [this, path] { OpenOtherDictionary(path); }, Qt::QueuedConnection);
}

void TfrmMain::closeEvent(QCloseEvent* event)
{
    // A close that comes while a file is read or written waits for the end of it, then goes
    // on as always.
    if (m_working) {
        m_closeAfterWork = true;
        event->ignore();
        return;
    }
    // A harvest under way ends first, as its Cancel would; the close then goes on as always.
    EndProjectScan();
    if (FormCloseQuery())
        event->accept();
    else
        event->ignore();
}

// ---- interface language ------------------------------------------------------------------

QString TfrmMain::SettingsPath()
{
    return SettingsFilePath(QCoreApplication::applicationDirPath());
}

void TfrmMain::BuildLanguageMenu()
{
    QStringList langIds;
    OrbTranslate->GetLangIDs(&langIds);
    pmLanguages->clear();
    for (QAction* entry : m_languageGroup->actions())
        delete entry;
    for (const QString& langId : std::as_const(langIds)) {
        auto* entry = new QAction(OrbTranslate->GetLangName(langId), this);
        entry->setCheckable(true);
        m_languageGroup->addAction(entry);
        connect(entry, &QAction::triggered, this, &TfrmMain::pmLanguages_Click);
        pmLanguages->addAction(entry);
        OrbTranslate->AddNotTranslate(entry);
    }
    CheckCurrentLanguage();
}

void TfrmMain::CheckCurrentLanguage()
{
    QString langId = OrbTranslate->CurrentLangID();
    if (langId.isEmpty())
        langId = QStringLiteral("Russian");
    const QString name = orb::deleteAmpersand(OrbTranslate->GetLangName(langId));
    for (QAction* entry : pmLanguages->actions()) {
        if (orb::deleteAmpersand(entry->text()).compare(name, Qt::CaseInsensitive) == 0) {
            entry->setChecked(true);
            return;
        }
    }
}

void TfrmMain::LoadInterfaceLanguage()
{
    const QSettings settings(SettingsPath(), QSettings::IniFormat);
    OrbTranslate->SetLangID(settings.value(QStringLiteral("Settings/LangID"), QString()).toString());
    LoadQtTranslations(OrbTranslate->CurrentLangID());
    CheckCurrentLanguage();
    RefreshOwnTexts();
}

void TfrmMain::SaveInterfaceLanguage()
{
    // An unwritable directory only means the choice is not remembered; nothing to report.
    QSettings settings(SettingsPath(), QSettings::IniFormat);
    settings.setValue(QStringLiteral("Settings/LangID"), OrbTranslate->CurrentLangID());
    settings.sync();
}

void TfrmMain::pmLanguages_Click()
{
    for (QAction* entry : pmLanguages->actions()) {
        if (entry->isChecked()) {
            OrbTranslate->SetLangID(entry->text());
            break;
        }
    }
    LoadQtTranslations(OrbTranslate->CurrentLangID());
    SaveInterfaceLanguage();
    RefreshOwnTexts();
}

// ---- recent files ------------------------------------------------------------------------

void TfrmMain::RememberRecentFile(const QString& path)
{
    m_recentFiles.removeAll(path);
    m_recentFiles.prepend(path);
    while (m_recentFiles.size() > kRecentFilesKept)
        m_recentFiles.removeLast();
    SaveRecentFiles();
}

void TfrmMain::ForgetRecentFile(const QString& path)
{
    if (m_recentFiles.removeAll(path) > 0)
        SaveRecentFiles();
}

void TfrmMain::SaveRecentFiles()
{
    // As with the interface language, a folder that cannot be written only means the list
    // is not remembered.
    QSettings settings(SettingsPath(), QSettings::IniFormat);
    settings.setValue(kRecentFilesKey, m_recentFiles);
    settings.sync();
    BuildRecentMenu();
}

void TfrmMain::BuildRecentMenu()
{
    QMenu* menu = ui->mnuRecent;
    for (QAction* entry : menu->actions()) {
        if (entry != ui->actClearRecent)
            delete entry;
    }
    for (int i = 0; i < m_recentFiles.size(); ++i) {
        const QString path = m_recentFiles[i];
        // Numbered as desktop programs number them, so that a digit opens the file.
        auto* entry = new QAction(u'&' + QString::number((i + 1) % 10) + u' ' + QFileInfo(path).fileName(), menu);
        entry->setStatusTip(QDir::toNativeSeparators(path));
        entry->setToolTip(QDir::toNativeSeparators(path));
        OrbTranslate->AddNotTranslate(entry);
        connect(entry, &QAction::triggered, this, [this, path] { OpenOtherDictionary(path); });
        menu->insertAction(ui->actClearRecent, entry);
    }
    menu->insertSeparator(ui->actClearRecent);
}

// ---- find and filter ---------------------------------------------------------------------

void TfrmMain::SetupFindBar()
{
    TFindBar* bar = ui->findBar;
    bar->hide();
    for (QObject* list : bar->languageLists())
        OrbTranslate->AddNotTranslate(list);
    connect(bar, &TFindBar::findRequested, this, &TfrmMain::FindNext);
    connect(bar, &TFindBar::filterChanged, this, &TfrmMain::ApplyFilter);
    connect(bar, &TFindBar::closed, this, [this] {
        ApplyFilter(-1);
        ui->sgDictGrid->setFocus();
    });
    auto relist = [this] { ui->findBar->setLanguages(HeaderTexts()); };
    for (auto signal : {&QAbstractItemModel::columnsInserted, &QAbstractItemModel::columnsRemoved})
        connect(m_model, signal, this, relist);
    connect(m_model, &QAbstractItemModel::columnsMoved, this, relist);
    connect(m_model, &QAbstractItemModel::headerDataChanged, this, relist);
    connect(m_model, &QAbstractItemModel::modelReset, this, relist);
}

void TfrmMain::actFindExecute()
{
    if (!DictionaryOpen())
        return;
    ui->findBar->open();
    // The bar shows the filter it had when it closed, which then takes effect again.
    ApplyFilter(ui->findBar->filterColumn());
}

bool TfrmMain::FindNext(bool forward)
{
    if (!DictionaryOpen())
        return false;
    if (ui->findBar->isHidden() || ui->findBar->text().isEmpty()) {
        actFindExecute();
        return false;
    }
    TDictGrid* grid = ui->sgDictGrid;
    CellSearch search{ui->findBar->text(), ui->findBar->findColumn(), forward, {}};
    if (m_model->rowFilter() >= 0)
        search.rowShown = [this](int row) { return m_model->modelRow(row) >= 0; };
    const std::optional<CellPos> found = findCell(Dictionary(), search, {grid->currentCol(), grid->currentRow()});
    ui->findBar->showFound(found.has_value());
    if (found) {
        grid->setCurrentCell(found->col, found->row);
        grid->scrollTo(m_model->cellIndex(found->col, found->row));
    }
    return found.has_value();
}

void TfrmMain::ApplyFilter(int col)
{
    m_model->setRowFilter(col);
}

// ---- status bar --------------------------------------------------------------------------

void TfrmMain::UpdateStatistics()
{
    if (!DictionaryOpen()) {
        m_statistics->clear();
        return;
    }
    const Completeness completeness = completenessOf(Dictionary());
    QStringList parts{Translate(QStringLiteral("Фраз:")) + u' ' + QString::number(completeness.phrases)};
    for (int col = 0; col < Dictionary().columnCount(); ++col) {
        const LangColumn& language = Dictionary().column(col);
        const QString name = language.langName.isEmpty() ? language.langId : language.langName;
        // Isolated, so that a right-to-left name keeps its figure on the same side as the others.
        parts << QChar(0x2068) + name + QChar(0x2069) + u' ' + QString::number(percentFilled(completeness, col)) + u'%';
    }
    m_statistics->setText(parts.join(QStringLiteral("   ")));
}

void TfrmMain::RefreshOwnTexts()
{
    ui->findBar->setLanguages(HeaderTexts());
    UpdateStatistics();
}

// ---- window ------------------------------------------------------------------------------

void TfrmMain::UpdateCommands()
{
    const bool open = DictionaryOpen();
    // A harvest adds to the rows and the column it started with, between its questions: what
    // would replace the document or change its columns or rows waits until it is over.
    // Editing cells and saving do not disturb it.
    const bool settled = !ProjectScanRunning();
    ui->actNewDict->setEnabled(settled);
    ui->actOpenDict->setEnabled(settled);
    ui->actSaveDict->setEnabled(Modified() && open);
    for (QAction* action : {ui->actNewLang, ui->actDeleteLang, ui->actNewLine, ui->actDeleteLine, ui->actWizard,
                            ui->actImport, ui->actLangProperty, ui->actPseudo})
        action->setEnabled(open && settled);
    ui->actSaveAs->setEnabled(open);
    ui->actCloseDict->setEnabled(open && settled);
    ui->mnuRecent->setEnabled(settled && !m_recentFiles.isEmpty());
    // Undoing may change rows and columns, which a harvest under way relies on.
    ui->actUndo->setEnabled(settled && m_model->history()->canUndo());
    ui->actRedo->setEnabled(settled && m_model->history()->canRedo());
    for (QAction* action : {ui->actFind, ui->actFindNext, ui->actFindPrevious})
        action->setEnabled(open);
    // Nothing to find in; its filter must not wait for the next document.
    if (!open && ui->findBar->isVisible())
        ui->findBar->dismiss();
    if (isWindowModified() != Modified())
        setWindowModified(Modified());
    const int col = ui->sgDictGrid->currentCol();
    ui->actSort->setEnabled(open && settled && col >= 0 && col < Dictionary().columnCount());
    ui->actLanguages->setEnabled(true);
    ui->actBrowseURL->setEnabled(!MakerWebAddress().isEmpty());

    // Compared with what the bar shows, not with what was last put there: Qt's own status
    // tips may have replaced it meanwhile.
    const QString hint = HintUnderPointer();
    if (hint != ui->sbStatusBar->currentMessage())
        ui->sbStatusBar->showMessage(hint);
}

QString TfrmMain::HintUnderPointer() const
{
    for (QWidget* widget = QApplication::widgetAt(QCursor::pos()); widget; widget = widget->parentWidget()) {
        const auto* grid = qobject_cast<const TDictGrid*>(widget);
        const QString hint = grid ? grid->hint() : widget->toolTip();
        if (hint.isEmpty())
            continue;
        const qsizetype bar = hint.indexOf(u'|');
        return bar < 0 ? hint : hint.mid(bar + 1);
    }
    return QString();
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->lblTarsova && event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
        lblTarsovaClick();
    return QMainWindow::eventFilter(watched, event);
}

void TfrmMain::lblTarsovaClick()
{
    ui->actBrowseURL->trigger();
}

void TfrmMain::actBrowseURLExecute()
{
    OpenMakerWebSite();
}

void TfrmMain::actAboutExecute()
{
    ShowAboutBox(this);
}
