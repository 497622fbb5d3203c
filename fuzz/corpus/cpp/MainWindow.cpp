#include "MainWindow.h"
#include "ui_MainWindow.h"

#include "SettingsDialog.h"

#include <OrbTranslate.h>

#include <QActionGroup>
#include <QDebug>
#include <QLabel>
#include <QMessageBox>
#include <QSettings>

MainWindow::MainWindow(const QString& dictName, QWidget* parent)
    : QMainWindow(parent)
    , ui(std::make_unique<Ui::MainWindow>())
    , m_translator(new TOrbTranslate(this))
    , m_languages(new QActionGroup(this))
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("notesMainWindow"));
    setWindowTitle("Notes");
    m_translator->SetDictName(dictName);

    // Texts set in code: a plain literal, one already marked for Qt's translation, rich text
    // in a raw string.
    ui->lblHint->setText(R"(Select a note to <b>edit</b> it, or press "Add")");
    statusBar()->addPermanentWidget(new QLabel(tr("Ready")));
    ui->txtNote->setPlaceholderText(QStringLiteral("Write your note here"));

    connect(ui->actAdd, &QAction::triggered, this, &MainWindow::addNote);
    connect(ui->actRemove, &QAction::triggered, this, &MainWindow::removeNote);
    connect(ui->actSettings, &QAction::triggered, this, &MainWindow::openSettings);
    connect(ui->actAbout, &QAction::triggered, this, &MainWindow::showAbout);
    connect(ui->actExit, &QAction::triggered, this, &QWidget::close);

    QSettings settings;
    restoreGeometry(settings.value(QStringLiteral("mainWindow/geometry")).toByteArray());
    qDebug() << "main window created";
    buildLanguageMenu();
}

MainWindow::~MainWindow()
{
    QSettings settings;
    settings.setValue(QStringLiteral("mainWindow/geometry"), saveGeometry());
}

void MainWindow::buildLanguageMenu()
{
    QStringList ids;
    m_translator->GetLangIDs(&ids);
    for (const QString& id : std::as_const(ids)) {
        // Language names are the dictionary's own, in their own language.
        QAction* action = ui->menuLanguage->addAction(m_translator->GetLangName(id));
        action->setCheckable(true);
        m_languages->addAction(action);
        m_translator->AddNotTranslate(action);
        connect(action, &QAction::triggered, this, [this, id] { m_translator->SetLangID(id); });
    }
    if (!m_languages->actions().isEmpty())
        m_languages->actions().first()->setChecked(true);
}

void MainWindow::addNote()
{
    const QString text = ui->txtNote->toPlainText().trimmed();
    if (text.isEmpty()) {
        QMessageBox::warning(this, "Notes", "An empty note is not added.");
        return;
    }
    ui->lstNotes->addItem(text);
    ui->txtNote->clear();
}

void MainWindow::removeNote()
{
    delete ui->lstNotes->currentItem();
}

void MainWindow::showAbout()
{
    QMessageBox::about(this, "About Notes",
                       "Notes keeps short notes.\n"
                       "It is an example of translation at run time.");
}

void MainWindow::openSettings()
{
    SettingsDialog dialog(this);
    dialog.exec();
}
