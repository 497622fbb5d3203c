#include "MainWindow.h"
#include "ui_MainWindow.h"

#include "SettingsDialog.h"

#include <OrbTranslate.h>

#include <QActionGroup>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QSaveFile>
#include <QSettings>

namespace {

// The note editor's tool tip, kept as the README's table of keys has it.
const char* const kShortcuts = R"(Ctrl+N adds the note being written.
Delete removes the selected note.)";

} // namespace

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
    ui->txtNote->setToolTip(QString::fromUtf8(kShortcuts));

    connect(ui->actAdd, &QAction::triggered, this, &MainWindow::addNote);
    connect(ui->actRemove, &QAction::triggered, this, &MainWindow::removeNote);
    connect(ui->actImport, &QAction::triggered, this, &MainWindow::importNote);
    connect(ui->actPrint, &QAction::triggered, this, &MainWindow::printNotes);
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

void MainWindow::importNote()
{
    const QString path = QFileDialog::getOpenFileName(this, "Import a note", QString(), "Text files (*.txt)");
    if (path.isEmpty())
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        QMessageBox::warning(this, "Notes", "The file cannot be read.");
        return;
    }
    const QByteArray bytes = file.readAll();
    QImage picture;
    if (bytes.startsWith("-----BEGIN PGP") || picture.loadFromData(bytes, "PNG")) {
        QMessageBox::warning(this, "Notes", "Only a note written as plain text can be imported.");
        return;
    }
    ui->lstNotes->addItem(QString::fromUtf8(bytes).trimmed());
}

void MainWindow::printNotes()
{
    // The notes go to the system's lp in a file of their own, one after the other.
    QSaveFile file(QDir::temp().filePath(QStringLiteral("notes-to-print.txt")));
    if (file.open(QIODevice::WriteOnly)) {
        for (int row = 0; row < ui->lstNotes->count(); ++row)
            file.write(ui->lstNotes->item(row)->text().toUtf8() + QByteArray("\n-- end of note --\n"));
    }
    if (!file.commit() || !QProcess::startDetached("lp", {"-t", "Notes", file.fileName()}))
        QMessageBox::warning(this, "Notes", "The notes could not be printed.");
}

void MainWindow::showAbout()
{
    const QString text = "Notes keeps short notes.\n"
                         "It is an example of translation at run time.";
    QMessageBox::about(this, "About Notes", text);
}

void MainWindow::openSettings()
{
    SettingsDialog dialog(this);
    dialog.exec();
}
