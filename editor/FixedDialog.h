#pragma once

#include <QDialog>
#include <QKeyEvent>

// A dialog whose Cancel button is not bound to Escape: the key leaves it open, as a window
// closes only through its buttons or its frame.
class TFixedDialog : public QDialog
{
public:
    using QDialog::QDialog;

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier)
            event->accept();
        else
            QDialog::keyPressEvent(event);
    }
};
