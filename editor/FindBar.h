#pragma once

#include <QStringList>
#include <QWidget>

#include <memory>

namespace Ui {
class frmFindBar;
}

namespace orb {

// The bar under the grid that finds a text in every language or in one, and filters the
// rows down to those without a text in a language.
class FindBar : public QWidget
{
    Q_OBJECT

public:
    explicit FindBar(QWidget* parent = nullptr);
    ~FindBar() override;

    // The grid's column headers, in order. The choices stay with the same column where there
    // still is one.
    void setLanguages(const QStringList& headers);
    // Shows the bar with the text selected and the focus in it.
    void open();

    QString text() const;
    // The column to search; -1: every language.
    int findColumn() const;
    // The column whose empty cells the filter shows; -1: no filter.
    int filterColumn() const;
    // Says whether the last search found the text.
    void showFound(bool found);
    // Hides the bar, which says so (closed).
    void dismiss();

    // The combo boxes hold the dictionary's languages, which the interface dictionary must
    // not translate.
    QList<QObject*> languageLists() const;

signals:
    void findRequested(bool forward);
    void filterChanged(int col);
    void closed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::unique_ptr<Ui::frmFindBar> ui;
};

} // namespace orb
