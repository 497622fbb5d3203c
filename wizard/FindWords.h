#pragma once

#include "component/BusyCursor.h"
#include "wizard/Harvest.h"

#include <QByteArray>
#include <QString>
#include <QWidget>

#include <memory>
#include <optional>

namespace orb {
class HarvestTarget;
}

namespace Ui {
class frmFindWords;
}

// The harvest window: the file being scanned, with the literal under consideration selected.
// Its questions are asked beside it rather than over it, so that the user can select another
// word or phrase in the text before answering. Closing it ends the scan as Cancel would.
class TfrmFindWords : public QWidget, public orb::HarvestPrompt
{
    Q_OBJECT

public:
    explicit TfrmFindWords(QWidget* parent = nullptr);
    ~TfrmFindWords() override;

    // The header text of the target language column.
    QString FLanguage;
    // The walk a close stops; returns the one set before (nested scans).
    orb::ProjectHarvester* setHarvester(orb::ProjectHarvester* harvester);

    // The text view lays out a line as a whole: one of megabytes takes it seconds for every
    // selection. Longer lines than any source holds are refused.
    static constexpr qsizetype kLongestLineShown = 1 << 16;
    QString cannotShow(const orb::EditedText& text) const override;
    void showFile(const QString& path, const orb::EditedText& text) override;
    void showSelection(orb::Selection selection, bool scrollFurther) override;
    void textInserted(qsizetype pos, QStringView inserted) override;
    void searchStarted() override;
    void searchFinished() override;
    // Shown under the text until the next note or file.
    void noted(orb::HarvestNote note, orb::Selection selection, const QString& phrase) override;
    orb::Answer ask(orb::PromptKind kind, const QString& argument, orb::Selection& selection) override;
    // A file changed on disk or outside the project is told at once; the entries passed over
    // are gathered for one message at the end of the scan.
    void fileNoted(const QString& path, orb::FileNote note, const QString& reason) override;
    // The entries passed over so far, taken for that message.
    QStringList takePassedOver();

    // The file in view, for showing it again after a scan nested in one of its questions.
    struct ShownFile
    {
        QString path;
        const orb::EditedText* text = nullptr;
        QString original;
        orb::Selection selection;
    };
    ShownFile shownFile() const;
    void showAgain(const ShownFile& file);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    orb::Selection currentSelection() const;
    void setBusy(bool busy);
    // What a save of the file shown would change, as a unified diff.
    QString changesToSave(const QString& path) const;

    std::unique_ptr<Ui::frmFindWords> ui;
    orb::ProjectHarvester* m_harvester = nullptr;
    bool m_closed = false;
    std::optional<orb::BusyCursor> m_busyCursor; // while a scan runs
    const orb::EditedText* m_text = nullptr; // the scan's text of the file shown
    QString m_original;                 // and that text as the file held it
    QStringList m_passedOver;
};

// Harvests a project directory into the column of target whose header text is language: every
// unit and form file of its tree, those not in UTF-8 read in legacyEncoding. The outermost call
// shows the harvest window for the walk and destroys it afterwards; a call made while a scan
// runs uses that window and its language. A file that cannot be read or written ends the walk
// with an error message naming it; the outermost call then names the entries passed over as
// no files. False when the walk did not reach its end.
bool ScanProjectDir(const QString& language, const QString& directory, orb::HarvestTarget& target,
                    const orb::HarvestSettings& settings);
namespace orb {

// True while a scan runs.
bool projectScanRunning();
// Ends a running scan as Cancel would (its window closes); nothing when none runs.
void endProjectScan();

} // namespace orb
