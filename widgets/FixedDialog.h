#pragma once

#include <QDialog>
#include <QSize>

class QKeyEvent;

namespace orb {

// A dialog of fixed size whose Cancel button is not bound to Escape: the key leaves it open,
// as a window closes only through its buttons or its frame.
//
// The size is the one designed (the .ui file's minimum size), or larger where the texts of
// the current interface language need more room: labels, buttons and the title are never cut
// off. It follows the texts whenever the language changes them.
class FixedDialog : public QDialog
{
public:
    using QDialog::QDialog;

    // The width the window's title needs: its text and the title bar's icon and buttons.
    int titleBarWidth() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;

private:
    void fitToTexts();

    QSize m_designSize;
};

} // namespace orb
