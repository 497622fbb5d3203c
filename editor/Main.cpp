#include "editor/Main.h"
#include "ui_Main.h"

#include "about/About.h"
#include "component/OrbTranslate.h"
#include "component/Prompter.h"
#include "dictionary/DictSearch.h"
#include "editor/DictGridModel.h"
#include "editor/DocumentSession.h"
#include "editor/EditCell.h"
#include "editor/FindBar.h"
#include "editor/InterfaceLanguage.h"
#include "editor/Pseudo.h"
#include "editor/RecentFiles.h"
#include "widgets/MessageCaption.h"
#include "widgets/SettingsLocation.h"
#include "wizard/FindWords.h"
#include "wizard/Wizard.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QPixmap>
#include <QTimer>
#include <QUndoStack>

#include <thread>
#include <utility>

namespace {

// The interface dictionary beside the program, as in a build or a copy unpacked anywhere;
// else where an installation puts it, relative to the program's folder.
QString interfaceDictionaryName()
{
    const QString name = QStringLiteral("language.lng");
    if (QFileInfo::exists(QCoreApplication::applicationDirPath() + u'/' + name))
        return name;
    return QStringLiteral(ORB_DATA_FROM_BIN "/") + name;
}

} // namespace

TfrmMain::TfrmMain(QWidget* parent)
    : QMainWindow(parent), ui(std::make_unique<Ui::frmMain>()), m_model(new orb::DictGridModel(this)),
      OrbTranslate(new TOrbTranslate(this)),
      m_session(new orb::DocumentSession(*m_model, this, m_work, [this] { return dictionaryOpen(); })),
      m_interfaceLanguage(new orb::InterfaceLanguage(OrbTranslate, settingsPath(), this)),
      pmLanguages(m_interfaceLanguage->menu()), m_statistics(new QLabel(this)), m_statisticsTimer(new QTimer(this))
{
    OrbTranslate->setObjectName(QStringLiteral("OrbTranslate"));
    OrbTranslate->SetDictName(interfaceDictionaryName());
    ui->setupUi(this);
    m_recent = new orb::RecentFiles(settingsPath(), ui->mnuRecent, ui->actClearRecent, OrbTranslate, this);
    connect(m_recent, &orb::RecentFiles::openRequested, this, &TfrmMain::openOtherDictionary);
    connect(m_session, &orb::DocumentSession::fileChanged, this, &TfrmMain::UpdateCaption);
    connect(m_session, &orb::DocumentSession::fileUsed, m_recent, &orb::RecentFiles::remember);
    connect(m_interfaceLanguage, &orb::InterfaceLanguage::changed, this, &TfrmMain::refreshOwnTexts);

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

    ui->lblTarsova->setText(orb::makerWebAddress());
    ui->lblTarsova->installEventFilter(this);

    orb::DictGrid* grid = ui->sgDictGrid;
    grid->setDictModel(m_model);
    grid->hide();
    ui->pnlRight->hide();
    connect(m_model, &orb::DictGridModel::cellEdited, this, &TfrmMain::sgDictGridSetEditText);
    auto placeOnCurrent = [this] { PlaceEditButton(Grid()->currentCol(), Grid()->currentRow()); };
    connect(grid, &orb::DictGrid::entered, this, placeOnCurrent);
    connect(grid, &orb::DictGrid::topLeftChanged, this, placeOnCurrent);
    connect(grid, &orb::DictGrid::cellSelected, this, &TfrmMain::PlaceEditButton);
    // A column that changes its width or place takes the current cell's corner with it.
    connect(grid->horizontalHeader(), &QHeaderView::sectionResized, this, placeOnCurrent);
    connect(m_model, &QAbstractItemModel::columnsMoved, this, placeOnCurrent);
    connect(m_model, &orb::DictGridModel::cellRevisited, grid, &orb::DictGrid::setCurrentCell);

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
    connect(ui->actFindNext, &QAction::triggered, this, [this] { findNext(true); });
    connect(ui->actFindPrevious, &QAction::triggered, this, [this] { findNext(false); });
    setupMenus();
    setupFindBar();
    setupStatusBar();
    connect(ui->sbtnEditCell, &QToolButton::clicked, this, &TfrmMain::sbtnEditCellClick);

    connect(QAbstractEventDispatcher::instance(thread()), &QAbstractEventDispatcher::aboutToBlock, this,
            &TfrmMain::updateCommands);

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
    FEditCol = 0;
    FEditRow = 0;
    FEditText.clear();
    FTitle = windowTitle();
    BuildLanguageMenu();
    LoadInterfaceLanguage();
    updateCommands();
}

bool TfrmMain::Modified() const
{
    return m_session->modified();
}

QString TfrmMain::dictFile() const
{
    return m_session->file();
}

QStringList TfrmMain::recentFiles() const
{
    return m_recent->files();
}

bool TfrmMain::dictionaryOpen() const
{
    return !ui->sgDictGrid->isHidden();
}

const orb::DictTable& TfrmMain::Dictionary() const
{
    return m_model->table();
}

orb::DictGrid* TfrmMain::Grid() const
{
    return ui->sgDictGrid;
}

QStringList TfrmMain::headerTexts() const
{
    QStringList headers;
    for (int col = 0; col < Dictionary().columnCount(); ++col)
        headers.append(Dictionary().headerText(col));
    return headers;
}

// ---- grid --------------------------------------------------------------------------------

void TfrmMain::ClearGrid()
{
    m_model->setTable(orb::DictTable());
    showDocument();
}

void TfrmMain::setupMenus()
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
    setAcceptDrops(true);
}

void TfrmMain::setupStatusBar()
{
    m_statistics->setObjectName(QStringLiteral("lblStatistics"));
    statusBar()->addPermanentWidget(m_statistics);
    OrbTranslate->AddNotTranslate(m_statistics);
    m_statisticsTimer->setSingleShot(true);
    m_statisticsTimer->setInterval(150);
    connect(m_statisticsTimer, &QTimer::timeout, this, &TfrmMain::updateStatistics);
    // Every change, undo and redo moves the history; a new document resets the model.
    auto recount = qOverload<>(&QTimer::start);
    connect(m_model->history(), &QUndoStack::indexChanged, m_statisticsTimer, recount);
    connect(m_model, &QAbstractItemModel::modelReset, m_statisticsTimer, recount);
}

void TfrmMain::showDocument()
{
    ui->sgDictGrid->show();
    ui->sgDictGrid->setCurrentCell(0, 1);
}

QStringList TfrmMain::langIdsExcept(int col) const
{
    QStringList langIds;
    for (int other = 0; other < Dictionary().columnCount(); ++other) {
        if (other != col)
            langIds.append(Dictionary().column(other).langId);
    }
    return langIds;
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
    QMetaObject::invokeMethod(this, [this, path] { openOtherDictionary(path); }, Qt::QueuedConnection);
}

void TfrmMain::closeEvent(QCloseEvent* event)
{
    // A close that comes while a file is read or written waits for the end of it, then goes
    // on as always.
    if (m_work.running()) {
        m_work.whenDone([this] { QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection); });
        event->ignore();
        return;
    }
    // A harvest under way ends first, as its Cancel would; the close then goes on as always.
    orb::endProjectScan();
    if (FormCloseQuery())
        event->accept();
    else
        event->ignore();
}

// ---- interface language ------------------------------------------------------------------

QString TfrmMain::settingsPath()
{
    return orb::settingsFilePath(QCoreApplication::applicationDirPath());
}

void TfrmMain::BuildLanguageMenu()
{
    m_interfaceLanguage->buildMenu();
}

void TfrmMain::LoadInterfaceLanguage()
{
    m_interfaceLanguage->applyRemembered();
}

void TfrmMain::pmLanguages_Click()
{
    m_interfaceLanguage->applyChosen();
}

// ---- find and filter ---------------------------------------------------------------------

void TfrmMain::setupFindBar()
{
    orb::FindBar* bar = ui->findBar;
    bar->hide();
    for (QObject* list : bar->languageLists())
        OrbTranslate->AddNotTranslate(list);
    connect(bar, &orb::FindBar::findRequested, this, &TfrmMain::findNext);
    connect(bar, &orb::FindBar::filterChanged, this, &TfrmMain::applyFilter);
    connect(bar, &orb::FindBar::closed, this, [this] {
        applyFilter(-1);
        ui->sgDictGrid->setFocus();
    });
    auto relist = [this] { ui->findBar->setLanguages(headerTexts()); };
    for (auto signal : {&QAbstractItemModel::columnsInserted, &QAbstractItemModel::columnsRemoved})
        connect(m_model, signal, this, relist);
    connect(m_model, &QAbstractItemModel::columnsMoved, this, relist);
    connect(m_model, &QAbstractItemModel::headerDataChanged, this, relist);
    connect(m_model, &QAbstractItemModel::modelReset, this, relist);
}

void TfrmMain::actFindExecute()
{
    if (!dictionaryOpen())
        return;
    ui->findBar->open();
    // The bar shows the filter it had when it closed, which then takes effect again.
    applyFilter(ui->findBar->filterColumn());
}

bool TfrmMain::findNext(bool forward)
{
    if (!dictionaryOpen())
        return false;
    if (ui->findBar->isHidden() || ui->findBar->text().isEmpty()) {
        actFindExecute();
        return false;
    }
    orb::DictGrid* grid = ui->sgDictGrid;
    orb::CellSearch search{ui->findBar->text(), ui->findBar->findColumn(), forward, {}};
    if (m_model->rowFilter() >= 0)
        search.rowShown = [this](int row) { return m_model->modelRow(row) >= 0; };
    const std::optional<orb::CellPos> found = orb::findCell(Dictionary(), search, {grid->currentCol(), grid->currentRow()});
    ui->findBar->showFound(found.has_value());
    if (found) {
        grid->setCurrentCell(found->col, found->row);
        grid->scrollTo(m_model->cellIndex(found->col, found->row));
    }
    return found.has_value();
}

void TfrmMain::applyFilter(int col)
{
    m_model->setRowFilter(col);
}

// ---- status bar --------------------------------------------------------------------------

void TfrmMain::updateStatistics()
{
    if (!dictionaryOpen()) {
        m_statistics->clear();
        return;
    }
    const orb::Completeness completeness = orb::completenessOf(Dictionary());
    QStringList parts{Translate(QStringLiteral("Фраз:")) + u' ' + QString::number(completeness.phrases)};
    for (int col = 0; col < Dictionary().columnCount(); ++col) {
        const orb::LangColumn& language = Dictionary().column(col);
        const QString name = language.langName.isEmpty() ? language.langId : language.langName;
        // Isolated, so that a right-to-left name keeps its figure on the same side as the others.
        parts << QChar(0x2068) + name + QChar(0x2069) + u' ' + QString::number(orb::percentFilled(completeness, col)) + u'%';
    }
    m_statistics->setText(parts.join(QStringLiteral("   ")));
}

void TfrmMain::refreshOwnTexts()
{
    ui->findBar->setLanguages(headerTexts());
    updateStatistics();
}

// ---- window ------------------------------------------------------------------------------

void TfrmMain::updateCommands()
{
    const bool open = dictionaryOpen();
    // A harvest adds to the rows and the column it started with, between its questions: what
    // would replace the document or change its columns or rows waits until it is over.
    // Editing cells and saving do not disturb it.
    const bool settled = !orb::projectScanRunning();
    ui->actNewDict->setEnabled(settled);
    ui->actOpenDict->setEnabled(settled);
    ui->actSaveDict->setEnabled(Modified() && open);
    for (QAction* action : {ui->actNewLang, ui->actDeleteLang, ui->actNewLine, ui->actDeleteLine, ui->actWizard,
                            ui->actImport, ui->actLangProperty, ui->actPseudo})
        action->setEnabled(open && settled);
    ui->actSaveAs->setEnabled(open);
    ui->actCloseDict->setEnabled(open && settled);
    ui->mnuRecent->setEnabled(settled && !m_recent->files().isEmpty());
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
    ui->actBrowseURL->setEnabled(!orb::makerWebAddress().isEmpty());

    // Compared with what the bar shows, not with what was last put there: Qt's own status
    // tips may have replaced it meanwhile.
    const QString hint = hintUnderPointer();
    if (hint != ui->sbStatusBar->currentMessage())
        ui->sbStatusBar->showMessage(hint);
}

QString TfrmMain::hintUnderPointer() const
{
    for (QWidget* widget = QApplication::widgetAt(QCursor::pos()); widget; widget = widget->parentWidget()) {
        const auto* grid = qobject_cast<const orb::DictGrid*>(widget);
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
    orb::openMakerWebSite();
}

void TfrmMain::actAboutExecute()
{
    ShowAboutBox(this);
}
