#include "editor/FindBar.h"
#include "ui_FindBar.h"

#include "component/OrbTranslate.h"

#include <QKeyEvent>
#include <QSignalBlocker>
#include <QStyle>

namespace orb {

namespace {

// Fills a list with a first entry of its own and the headers, keeping the chosen column.
void fillLanguages(QComboBox* list, const QString& first, const QStringList& headers)
{
    const QSignalBlocker blocker(list);
    const int chosen = list->currentIndex();
    list->clear();
    list->addItem(first);
    list->addItems(headers);
    list->setCurrentIndex(chosen > 0 && chosen <= headers.size() ? chosen : 0);
}

} // namespace

FindBar::FindBar(QWidget* parent) : QWidget(parent), ui(std::make_unique<Ui::frmFindBar>())
{
    ui->setupUi(this);
    ui->btnCloseFind->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    ui->lblNotFound->hide();
    ui->edtFind->installEventFilter(this);
    connect(ui->btnFindNext, &QPushButton::clicked, this, [this] { emit findRequested(true); });
    connect(ui->btnFindPrevious, &QPushButton::clicked, this, [this] { emit findRequested(false); });
    connect(ui->edtFind, &QLineEdit::textEdited, ui->lblNotFound, &QWidget::hide);
    connect(ui->cbxFilter, &QComboBox::currentIndexChanged, this, [this] { emit filterChanged(filterColumn()); });
    connect(ui->btnCloseFind, &QToolButton::clicked, this, &FindBar::dismiss);
    setLanguages({});
}

FindBar::~FindBar() = default;

void FindBar::setLanguages(const QStringList& headers)
{
    // The lists are kept from the walk, their tips with them.
    ui->cbxFindLanguage->setToolTip(Translate(QStringLiteral("Где искать")));
    ui->cbxFilter->setToolTip(Translate(QStringLiteral("Показать только строки без текста на языке")));
    fillLanguages(ui->cbxFindLanguage, Translate(QStringLiteral("Все языки")), headers);
    const int filter = filterColumn();
    fillLanguages(ui->cbxFilter, Translate(QStringLiteral("Все")), headers);
    for (int col = 0; col < headers.size(); ++col)
        ui->cbxFilter->setItemText(col + 1, Translate(QStringLiteral("Без текста:")) + u' ' + headers[col]);
    if (filterColumn() != filter)
        emit filterChanged(filterColumn());
}

void FindBar::open()
{
    show();
    ui->edtFind->setFocus(Qt::ShortcutFocusReason);
    ui->edtFind->selectAll();
}

QString FindBar::text() const
{
    return ui->edtFind->text();
}

int FindBar::findColumn() const
{
    return ui->cbxFindLanguage->currentIndex() - 1;
}

int FindBar::filterColumn() const
{
    return ui->cbxFilter->currentIndex() - 1;
}

void FindBar::showFound(bool found)
{
    ui->lblNotFound->setVisible(!found);
}

QList<QObject*> FindBar::languageLists() const
{
    return {ui->cbxFindLanguage, ui->cbxFilter};
}

bool FindBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->edtFind && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            emit findRequested(!(key->modifiers() & Qt::ShiftModifier));
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            dismiss();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void FindBar::dismiss()
{
    hide();
    ui->lblNotFound->hide();
    emit closed();
}

} // namespace orb
