#include "editor/Pseudo.h"
#include "ui_Pseudo.h"

#include "editor/AddLang.h"
#include "widgets/MessageCaption.h"
#include "component/OrbTranslate.h"
#include "component/Prompter.h"
#include "dictionary/PseudoTranslation.h"

TfrmPseudo::TfrmPseudo(QWidget* parent) : TFixedDialog(parent), ui(std::make_unique<Ui::frmPseudo>())
{
    ui->setupUi(this);
    ui->edtTargetID->setText(DefaultPseudoLangId());
    connect(ui->btnOK, &QPushButton::clicked, this, &TfrmPseudo::btnOKClick);
    connect(ui->btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

TfrmPseudo::~TfrmPseudo() = default;

void TfrmPseudo::setLanguages(const QStringList& headers, const QStringList& langIds, int currentCol)
{
    m_langIds = langIds;
    ui->cbxSourceLanguage->clear();
    ui->cbxSourceLanguage->addItems(headers);
    ui->cbxSourceLanguage->setCurrentIndex(currentCol >= 0 && currentCol < headers.size() ? currentCol : 0);
}

PseudoChoice TfrmPseudo::choice() const
{
    return {ui->cbxSourceLanguage->currentIndex(), ui->edtTargetID->text()};
}

void TfrmPseudo::btnOKClick()
{
    const PseudoChoice chosen = choice();
    // The writer refuses what is no identifier, and the source is what the texts come from.
    const QString refusal = LangIdRefusal(CheckLangId(chosen.targetId, {}));
    if (!refusal.isEmpty())
        return refuse(refusal);
    if (chosen.targetId == m_langIds.value(chosen.sourceCol))
        return refuse(QStringLiteral("Псевдоперевод нельзя записать в исходный язык"));
    accept();
}

void TfrmPseudo::refuse(const QString& message)
{
    Prompter::current().messageBox(this, MessageCaption(), Translate(message), Prompter::Icon::Warning, Prompter::Ok);
    ui->edtTargetID->setFocus();
}

bool PseudoDialog(QWidget* owner, const QStringList& headers, const QStringList& langIds, int currentCol,
                  PseudoChoice& choice)
{
    TfrmPseudo dialog(owner);
    dialog.setLanguages(headers, langIds, currentCol);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    choice = dialog.choice();
    return true;
}
