#pragma once

#include <QDialog>

#include <memory>

class QMovie;
class TVerInfoRes;

namespace Ui {
class AboutBox;
}

// The editor's About dialog: the description, version and build from a version block, the
// animated logo and the link that opens the maker's web site.
class TAboutBox : public QDialog
{
    Q_OBJECT

public:
    // The texts come from verInfo (not owned); nullptr leaves them empty and the build 0.
    explicit TAboutBox(const TVerInfoRes* verInfo, QWidget* parent = nullptr);
    ~TAboutBox() override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormShow();
    void FormClose();
    void PaintBoxPaint();
    void lblWWWClick();
    void actBrowseURLExecute();

    std::unique_ptr<Ui::AboutBox> ui;
    const TVerInfoRes* FVerInfo;
    QMovie* FLogo;
};

namespace orb {

// The maker's web address, which the About box and the editor's main window show.
QString makerWebAddress();
// Asks the desktop to open the maker's web site; whether a browser opened is not reported.
void openMakerWebSite();

} // namespace orb

// Shows the About box for the running program's own executable, modally, centred on the
// screen; it is destroyed when it closes.
void ShowAboutBox(QWidget* owner = nullptr);
