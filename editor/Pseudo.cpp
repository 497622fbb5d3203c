#include "editor/Pseudo.h"
#include "ui_Pseudo.h"

#include "editor/AddLang.h"
#include "widgets/MessageCaption.h"
#include "component/OrbTranslate.h"
#include "component/Prompter.h"
#include "dictionary/PseudoTranslation.h"

TfrmPseudo::TfrmPseudo(QWidget* parent) : orb::FixedDialog(parent), ui(std::make_unique<Ui::frmPseudo>())
{
    ui->setupUi(this);
    ui->edtTargetID->setText(orb::defaultPseudoLangId());
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

orb::PseudoChoice TfrmPseudo::choice() const
{
    return {ui->cbxSourceLanguage->currentIndex(), ui->edtTargetID->text()};
}

void TfrmPseudo::btnOKClick()
{
    const orb::PseudoChoice chosen = choice();
    // The writer refuses what is no identifier, and the source is what the texts come from.
    const QString refusal = orb::langIdRefusal(orb::checkLangId(chosen.targetId, {}));
    if (!refusal.isEmpty())
        return refuse(refusal);
    if (chosen.targetId == m_langIds.value(chosen.sourceCol))
        return refuse(QStringLiteral("Псевдоперевод нельзя записать в исходный язык"));
    accept();
}

void TfrmPseudo::refuse(const QString& message)
{
    orb::Prompter::current().messageBox(this, orb::messageCaption(), Translate(message), orb::Prompter::Icon::Warning, orb::Prompter::Ok);
    ui->edtTargetID->setFocus();
}

bool orb::pseudoDialog(QWidget* owner, const QStringList& headers, const QStringList& langIds, int currentCol,
                  orb::PseudoChoice& choice)
{
    TfrmPseudo dialog(owner);
    dialog.setLanguages(headers, langIds, currentCol);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    choice = dialog.choice();
    return true;
}
