#include "DemoWindow.h"

#include <OrbTranslate.h>

#include <QActionGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

const QString kLanguageKey = QStringLiteral("language");

// The user's own settings of the demo, in the folder the desktop keeps them in: the
// program's folder may be read-only.
QString settingsPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) + QStringLiteral("/demo.ini");
}

// The language chosen last, in this run or an earlier one; English at first.
QString rememberedLanguage()
{
    return QSettings(settingsPath(), QSettings::IniFormat).value(kLanguageKey, QStringLiteral("English")).toString();
}

} // namespace

// Every text below is written in English; the dictionary beside the executable holds the
// same texts in German and Russian, and the component swaps them in at run time.
DemoWindow::DemoWindow(const QString& dictName, QWidget* parent)
    : QMainWindow(parent), m_translator(new TOrbTranslate(this))
{
    setObjectName(QStringLiteral("DemoWindow"));
    m_translator->SetDictName(dictName);
    setWindowTitle(QStringLiteral("Orders"));
    buildMenus();
    setCentralWidget(buildOrderPanel());
    buildLanguageMenu();
    chooseLanguage(rememberedLanguage());
    // A language the dictionary no longer holds.
    if (m_translator->CurrentLangID().isEmpty())
        chooseLanguage(QStringLiteral("English"));
}

void DemoWindow::buildMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(QStringLiteral("&Open an order..."), this, [this] { openOrderFile(); });
    file->addAction(QStringLiteral("&Remove all orders..."), this, [this] { askToRemoveOrders(); });
    QAction* settings = file->addAction(QStringLiteral("&Settings..."), this, [this] { openSettings(); });
    settings->setToolTip(QStringLiteral("Change the settings"));
    QAction* save = file->addAction(QStringLiteral("&Keep learned phrases"), this, [this] { saveLearnedPhrases(); });
    save->setToolTip(QStringLiteral("Write the phrases learned so far into the dictionary"));
    file->addSeparator();
    QAction* exit = file->addAction(QStringLiteral("E&xit"), this, &QWidget::close);
    // The desktop's quit key; Ctrl+Q where the platform names none (Windows closes with Alt+F4).
    const QList<QKeySequence> quit = QKeySequence::keyBindings(QKeySequence::Quit);
    exit->setShortcuts(quit.isEmpty() ? QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_Q)} : quit);

    m_languageMenu = menuBar()->addMenu(QStringLiteral("&Language"));

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->addAction(QStringLiteral("&About"), this, [this] {
        // A host literal: translated, and learned if the dictionary does not know it yet.
        QMessageBox::about(this, Translate("About"), Translate("A demonstration of run-time translation."));
    });

    QToolBar* tools = addToolBar(QStringLiteral("Main toolbar"));
    tools->setObjectName(QStringLiteral("mainToolbar"));
    tools->addAction(settings);
    tools->addAction(save);
}

QWidget* DemoWindow::buildOrderPanel()
{
    auto* panel = new QWidget;
    auto* form = new QFormLayout;
    auto* customer = new QLineEdit;
    customer->setPlaceholderText(QStringLiteral("Name of the customer"));
    form->addRow(new QLabel(QStringLiteral("Customer:")), customer);
    auto* delivery = new QComboBox;
    delivery->setObjectName(QStringLiteral("delivery"));
    delivery->addItems({QStringLiteral("Standard"), QStringLiteral("Express"), QStringLiteral("Overnight")});
    delivery->setToolTip(QStringLiteral("How the order travels"));
    form->addRow(new QLabel(QStringLiteral("Delivery:")), delivery);

    auto* gift = new QCheckBox(QStringLiteral("Gift wrapping"));
    auto* invoice = new QCheckBox(QStringLiteral("Send an invoice"));
    invoice->setChecked(true);

    auto* goods = new QListWidget;
    goods->addItems({QStringLiteral("Apples"), QStringLiteral("Pears"), QStringLiteral("Plums")});

    auto* origins = new QTreeWidget;
    origins->setHeaderLabels({QStringLiteral("Product"), QStringLiteral("Origin")});
    auto* fruit = new QTreeWidgetItem(origins, {QStringLiteral("Fruit")});
    new QTreeWidgetItem(fruit, {QStringLiteral("Apples"), QStringLiteral("Italy")});
    new QTreeWidgetItem(fruit, {QStringLiteral("Pears"), QStringLiteral("Spain")});
    origins->expandAll();

    auto* add = new QPushButton(QStringLiteral("Add order"));
    add->setToolTip(QStringLiteral("Adds the order to the list"));
    auto* remove = new QPushButton(QStringLiteral("Remove order"));
    remove->setToolTip(QStringLiteral("Removes the selected order"));
    connect(add, &QPushButton::clicked, this, [this] { statusBar()->showMessage(Translate("Order added")); });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(add);
    buttons->addWidget(remove);
    buttons->addStretch();
    auto* lists = new QHBoxLayout;
    lists->addWidget(goods);
    lists->addWidget(origins);

    auto* layout = new QVBoxLayout(panel);
    layout->addLayout(form);
    layout->addWidget(gift);
    layout->addWidget(invoice);
    layout->addLayout(lists);
    layout->addLayout(buttons);
    return panel;
}

void DemoWindow::buildLanguageMenu()
{
    m_languages = new QActionGroup(this);
    QStringList ids;
    m_translator->GetLangIDs(&ids);
    for (const QString& id : ids) {
        // A language is offered under its own name, whatever the current language:
        // excluding the entry keeps the walk from touching it.
        QAction* entry = m_languageMenu->addAction(m_translator->GetLangName(id));
        entry->setCheckable(true);
        entry->setData(id);
        m_languages->addAction(entry);
        m_translator->AddNotTranslate(entry);
        connect(entry, &QAction::triggered, this, [this, id] { chooseLanguage(id); });
    }
}

void DemoWindow::chooseLanguage(const QString& langId)
{
    if (!m_translator->SetLangID(langId))
        return;
    for (QAction* entry : m_languages->actions())
        entry->setChecked(entry->data().toString() == langId);
    // A folder that cannot be written only means that the choice is not remembered.
    QSettings(settingsPath(), QSettings::IniFormat).setValue(kLanguageKey, langId);
    showReady();
}

void DemoWindow::showReady()
{
    statusBar()->showMessage(Translate("Ready"));
}

QDialog* DemoWindow::openSettings()
{
    auto* dialog = new QDialog(this);
    dialog->setObjectName(QStringLiteral("settings"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(QStringLiteral("Settings"));
    auto* tabs = new QTabWidget;
    auto* general = new QWidget;
    auto* generalLayout = new QFormLayout(general);
    generalLayout->addRow(new QLabel(QStringLiteral("User name:")), new QLineEdit);
    generalLayout->addRow(new QCheckBox(QStringLiteral("Show tooltips")));
    tabs->addTab(general, QStringLiteral("General"));
    auto* advanced = new QWidget;
    auto* advancedLayout = new QVBoxLayout(advanced);
    advancedLayout->addWidget(new QCheckBox(QStringLiteral("Write a log file")));
    tabs->addTab(advanced, QStringLiteral("Advanced"));
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(box, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    connect(box, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(dialog);
    layout->addWidget(tabs);
    layout->addWidget(box);
    // Nothing translates the dialog here: the component does it when the dialog is activated.
    dialog->show();
    return dialog;
}

QFileDialog* DemoWindow::openOrderFile()
{
    // Qt's own dialog rather than the desktop's, whose texts do not come from the application.
    auto* dialog = new QFileDialog(this, QStringLiteral("Open an order"));
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
    return dialog;
}

QMessageBox* DemoWindow::askToRemoveOrders()
{
    auto* box = new QMessageBox(QMessageBox::Question, QStringLiteral("Orders"), QStringLiteral("Remove all orders?"),
                                QMessageBox::Yes | QMessageBox::No, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->show();
    return box;
}

void DemoWindow::saveLearnedPhrases()
{
    if (m_translator->SaveDictionary())
        statusBar()->showMessage(Translate("Learned phrases kept"));
}
