// TfrmMain's commands: what each one does to the document, its rows, languages and file. The
// window's construction, its wiring and the enabling of the commands are in Main.cpp.
#include "editor/Main.h"
#include "ui_Main.h"

#include "component/BusyCursor.h"
#include "component/OrbTranslate.h"
#include "component/Prompter.h"
#include "dictionary/Charsets.h"
#include "dictionary/PseudoTranslation.h"
#include "editor/AddLang.h"
#include "editor/DictGridModel.h"
#include "editor/DocumentSession.h"
#include "editor/EditCell.h"
#include "editor/Pseudo.h"
#include "editor/RecentFiles.h"
#include "widgets/MessageCaption.h"
#include "wizard/FindWords.h"
#include "wizard/Wizard.h"

#include <QFileInfo>

// ---- the document's rows and cells ---------------------------------------------------------

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

void TfrmMain::SortColumn(int col, const orb::SortChoice& choice)
{
    if (col < 0 || col >= Dictionary().columnCount())
        return;
    m_model->sortColumn(col, choice.ascending, choice.order);
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
    if (orb::Prompter::current().messageBox(this, orb::messageCaption(), Translate(QStringLiteral("Удалить текущую фразу ?")),
                                       orb::Prompter::Icon::Warning, orb::Prompter::Ok | orb::Prompter::Cancel) != orb::Prompter::Ok)
        return;
    DeleteRow(row);
}

void TfrmMain::actSortExecute()
{
    const int col = ui->sgDictGrid->currentCol();
    if (col < 0 || col >= Dictionary().columnCount())
        return;
    if (!orb::sortDialog(this, m_sortChoice))
        return;
    SortColumn(col, m_sortChoice);
}

void TfrmMain::actWizardExecute()
{
    ++m_harvestBatch;
    RunProjectWizard(headerTexts(), *this, this, settingsPath());
}

void TfrmMain::actPseudoExecute()
{
    orb::PseudoChoice choice;
    if (!orb::pseudoDialog(this, headerTexts(), langIdsExcept(-1), ui->sgDictGrid->currentCol(), choice))
        return;
    orb::ImportPlan plan;
    if (!orb::planPseudoColumn(Dictionary(), choice.sourceCol, choice.targetId, plan))
        return;
    // A column of pseudo-translations is made again at will; a column of real ones is not.
    if (orb::planReplacesOwnTexts(Dictionary(), plan)) {
        const QString prompt = Translate(QStringLiteral("Заменить тексты языка")) + u' '
                               + Dictionary().headerText(plan.targetCol) + QStringLiteral(" ?");
        if (orb::Prompter::current().messageBoxWithDefault(this, orb::messageCaption(), prompt, orb::Prompter::Icon::Warning,
                                                      orb::Prompter::Yes | orb::Prompter::No, orb::Prompter::No) != orb::Prompter::Yes)
            return;
    }
    {
        const orb::BusyCursor busy;
        m_model->applyImport(plan);
    }
    const int row = ui->sgDictGrid->currentRow();
    ui->sgDictGrid->setCurrentCell(plan.targetCol, row > 0 ? row : 1);
}

// ---- languages -----------------------------------------------------------------------------

void TfrmMain::actNewLangExecute()
{
    TLang lang;
    if (!AddLanguageDialog(lang, this, langIdsExcept(-1)))
        return;
    m_model->appendColumn({lang.LangID, lang.LangDisplay, orb::CharsetByName(lang.LangCharset)});
    const int row = ui->sgDictGrid->currentRow();
    ui->sgDictGrid->setCurrentCell(Dictionary().columnCount() - 1, row > 0 ? row : 1);
}

void TfrmMain::actLangPropertyExecute()
{
    const int col = ui->sgDictGrid->currentCol();
    if (col < 0 || col >= Dictionary().columnCount())
        return;
    const orb::LangColumn& column = Dictionary().column(col);
    TLang lang{column.langId, column.langName, orb::CharsetName(column.charset)};
    if (!LangPropertyDialog(lang, this, langIdsExcept(col)))
        return;
    m_model->setColumn(col, {lang.LangID, lang.LangDisplay, orb::CharsetByName(lang.LangCharset)});
}

void TfrmMain::actDeleteLangExecute()
{
    const int col = ui->sgDictGrid->currentCol();
    if (Dictionary().columnCount() < 1 || col < 0)
        return;
    // Only the fixed words are looked up: the whole prompt, with the language in it, would
    // never be in the dictionary, and every asking would add it there as a new phrase.
    const QString prompt = Translate(QStringLiteral("Удалить язык")) + u' ' + Dictionary().headerText(col) + QStringLiteral(" ?");
    if (orb::Prompter::current().messageBoxWithDefault(this, orb::messageCaption(), prompt, orb::Prompter::Icon::Warning,
                                                  orb::Prompter::Yes | orb::Prompter::No, orb::Prompter::No) != orb::Prompter::Yes)
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

// ---- files ---------------------------------------------------------------------------------

void TfrmMain::UpdateCaption(const QString& path)
{
    setWindowTitle((path.isEmpty() ? FTitle : FTitle + QStringLiteral(" - ") + QFileInfo(path).fileName())
                   + QStringLiteral("[*]"));
}

void TfrmMain::actNewDictExecute()
{
    if (!m_session->askToSave(orb::DocumentSession::SaveQuestion::YesNoCancel))
        return;
    TLang lang;
    if (!AddLanguageDialog(lang, this))
        return;
    orb::DictTable table;
    table.setColumn(0, {lang.LangID, lang.LangDisplay, orb::CharsetByName(lang.LangCharset)});
    m_session->startNew(std::move(table));
    showDocument();
}

void TfrmMain::actCloseDictExecute()
{
    if (!m_session->askToSave(orb::DocumentSession::SaveQuestion::YesNoCancel))
        return;
    ui->sgDictGrid->hide();
    m_session->close();
}

void TfrmMain::actOpenDictExecute()
{
    if (!m_session->askToSave(orb::DocumentSession::SaveQuestion::OkCancel))
        return;
    const QString path = orb::Prompter::current().openFileName(this, QString(), m_session->dialogFolder(),
                                                          Translate(orb::dictionaryFilter()));
    if (!path.isEmpty())
        ReadDictionary(path);
}

bool TfrmMain::openGivenDictionary(const QString& path)
{
    if (!m_session->openGiven(path))
        return false;
    showDocument();
    return true;
}

void TfrmMain::openOtherDictionary(const QString& path)
{
    if (orb::projectScanRunning() || m_work.running() || !m_session->askToSave(orb::DocumentSession::SaveQuestion::OkCancel))
        return;
    if (!QFileInfo::exists(path))
        m_recent->forget(path);
    openGivenDictionary(path);
}

bool TfrmMain::ReadDictionary(const QString& path)
{
    if (!m_session->open(path))
        return false;
    showDocument();
    return true;
}

bool TfrmMain::WriteDictionary(const QString& path)
{
    return m_session->write(path);
}

void TfrmMain::actSaveDictExecute()
{
    m_session->save();
}

void TfrmMain::actSaveAsExecute()
{
    m_session->saveAs();
}

void TfrmMain::actImportExecute()
{
    const QString path = orb::Prompter::current().openFileName(this, QString(), m_session->dialogFolder(),
                                                          Translate(orb::dictionaryFilter()));
    if (!path.isEmpty())
        m_session->import(path);
}

bool TfrmMain::FormCloseQuery()
{
    return m_session->askToSave(orb::DocumentSession::SaveQuestion::YesNoCancel);
}

