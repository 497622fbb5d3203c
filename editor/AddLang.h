#pragma once

#include "widgets/FixedDialog.h"
#include "dictionary/LangIdentifier.h"

#include <QString>
#include <QStringList>

#include <memory>

class QKeyEvent;

namespace Ui {
class frmAddLanguage;
}

// A language as the language dialog describes it.
struct TLang
{
    QString LangID;      // identifier, the element name in the file
    QString LangDisplay; // display name
    QString LangCharset; // symbolic charset name ("RUSSIAN_CHARSET"), or empty
};

// The dialog that names a language: identifier, display name and character set.
class TfrmAddLanguage : public orb::FixedDialog
{
    Q_OBJECT

public:
    explicit TfrmAddLanguage(QWidget* parent = nullptr);
    ~TfrmAddLanguage() override;

    // Shows the language; a charset name not in the list leaves DEFAULT_CHARSET selected.
    void setLang(const TLang& lang);
    TLang lang() const;
    // The identifiers of the dictionary's other languages, which this one may not take.
    void setTakenIds(const QStringList& takenIds) { m_takenIds = takenIds; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    // Whether a key may reach the identifier: ASCII letters, and keys that type nothing.
    static bool cbxLangIDKeyPress(const QKeyEvent& key);
    // Accepts the dialog, or says why not and leaves the focus where the fault is.
    void btnOKClick();
    void refuse(const QString& message, QWidget* field);
    void cbxLangCharsetChange();

    std::unique_ptr<Ui::frmAddLanguage> ui;
    QStringList m_takenIds;
};

namespace orb {

// What a dialog says of an identifier checkLangId refused, as the key of its interface text;
// empty for a valid one.
QString langIdRefusal(LangIdCheck check);

} // namespace orb

// Asks for a new language, the dialog's defaults first; its identifier may not be one of
// takenIds. On acceptance fills lang and returns true; otherwise lang stays as it was.
bool AddLanguageDialog(TLang& lang, QWidget* owner = nullptr, const QStringList& takenIds = {});
// Shows lang for changing; on acceptance overwrites it and returns true. takenIds are the
// other languages' identifiers: the language may keep its own.
bool LangPropertyDialog(TLang& lang, QWidget* owner = nullptr, const QStringList& takenIds = {});
