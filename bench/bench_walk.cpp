// One reflective walk over a window of 1,000 widgets against the retranslation a Qt
// developer writes by hand: QCoreApplication::translate through an installed QTranslator
// and one setter call per text.
#include "component/OrbTranslate.h"
#include "SyntheticDictionary.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QProcess>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QToolBar>
#include <QTranslator>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <pugixml.hpp>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

constexpr int kRows = 10000;

// A main window whose LanguageChange runs the hand-written retranslation once it is told to,
// as a Qt application's changeEvent calls retranslateUi.
class RetranslatingWindow : public QMainWindow
{
public:
    std::function<void()> onLanguageChange;

protected:
    void changeEvent(QEvent* event) override
    {
        if (event->type() == QEvent::LanguageChange && onLanguageChange)
            onLanguageChange();
        QMainWindow::changeEvent(event);
    }
};

// The window and, for the hand-written version, what each widget's texts are in English.
struct TestWindow
{
    RetranslatingWindow window;
    std::vector<std::function<void()>> retranslate; // the hand-written version
    int widgets = 0;

    explicit TestWindow(const QStringList& english)
    {
        auto* central = new QWidget;
        auto* layout = new QVBoxLayout(central);
        auto* tools = window.addToolBar(QStringLiteral("tools"));
        int next = 0;
        auto text = [&] { return english[(next++ * 37) % english.size()]; };
        auto tr = [](const QString& s) { return QCoreApplication::translate("Host", s.toUtf8().constData()); };
        for (int i = 0; i < 200; ++i, ++widgets) {
            auto* label = new QLabel(text());
            layout->addWidget(label);
            retranslate.push_back([label, s = label->text(), tr] { label->setText(tr(s)); });
        }
        for (int i = 0; i < 200; ++i, ++widgets) {
            auto* button = new QPushButton(text());
            button->setToolTip(text());
            layout->addWidget(button);
            retranslate.push_back([button, s = button->text(), t = button->toolTip(), tr] {
                button->setText(tr(s));
                button->setToolTip(tr(t));
            });
        }
        for (int i = 0; i < 200; ++i, ++widgets) {
            auto* edit = new QLineEdit;
            edit->setPlaceholderText(text());
            layout->addWidget(edit);
            retranslate.push_back([edit, s = edit->placeholderText(), tr] { edit->setPlaceholderText(tr(s)); });
        }
        for (int i = 0; i < 150; ++i, ++widgets) {
            auto* combo = new QComboBox;
            const QStringList items{text(), text(), text(), text()};
            combo->addItems(items);
            combo->setCurrentIndex(2);
            layout->addWidget(combo);
            retranslate.push_back([combo, items, tr] {
                for (int k = 0; k < items.size(); ++k)
                    combo->setItemText(k, tr(items[k]));
            });
        }
        for (int i = 0; i < 200; ++i, ++widgets) {
            QAction* action = tools->addAction(text());
            action->setToolTip(text());
            retranslate.push_back([action, s = action->text(), t = action->toolTip(), tr] {
                action->setText(tr(s));
                action->setToolTip(tr(t));
            });
        }
        auto* tree = new QTreeWidget;
        tree->setColumnCount(2);
        layout->addWidget(tree);
        ++widgets;
        for (int i = 0; i < 24; ++i, ++widgets) {
            auto* item = new QTreeWidgetItem(tree, {text(), text()});
            item->setToolTip(0, text());
            retranslate.push_back([item, a = item->text(0), b = item->text(1), t = item->toolTip(0), tr] {
                item->setText(0, tr(a));
                item->setText(1, tr(b));
                item->setToolTip(0, tr(t));
            });
        }
        auto* table = new QTableWidget(6, 4);
        layout->addWidget(table);
        ++widgets;
        for (int c = 0; c < 4; ++c) {
            auto* header = new QTableWidgetItem(text());
            table->setHorizontalHeaderItem(c, header);
            retranslate.push_back([header, s = header->text(), tr] { header->setText(tr(s)); });
        }
        for (int i = 0; i < 24; ++i, ++widgets) {
            auto* cell = new QTableWidgetItem(text());
            cell->setToolTip(text());
            table->setItem(i / 4, i % 4, cell);
            retranslate.push_back([cell, s = cell->text(), t = cell->toolTip(), tr] {
                cell->setText(tr(s));
                cell->setToolTip(tr(t));
            });
        }
        window.setCentralWidget(central);
    }
};

QString buildQm(const QTemporaryDir& dir, const QList<TLangDict>& dict, int target, const QString& name)
{
    pugi::xml_document doc;
    pugi::xml_node root = doc.append_child("TS");
    root.append_attribute("version").set_value("2.1");
    pugi::xml_node context = root.append_child("context");
    context.append_child("name").text().set("Host");
    for (int row = 0; row < kRows; ++row) {
        pugi::xml_node message = context.append_child("message");
        message.append_child("source").text().set(dict[0].Phrases[row].toUtf8().constData());
        message.append_child("translation").text().set(dict[target].Phrases[row].toUtf8().constData());
    }
    const QString ts = dir.filePath(name + QStringLiteral(".ts"));
    const QString qm = dir.filePath(name + QStringLiteral(".qm"));
    doc.save_file(ts.toLocal8Bit().constData());
    QProcess::execute(QStringLiteral(ORB_LRELEASE), {QStringLiteral("-silent"), ts, QStringLiteral("-qm"), qm});
    return qm;
}

// Median of the timed runs, in microseconds; setup runs untimed before each.
double median(int runs, const std::function<void()>& setup, const std::function<void()>& timed)
{
    std::vector<double> us;
    for (int i = 0; i < runs; ++i) {
        setup();
        QElapsedTimer timer;
        timer.start();
        timed();
        us.push_back(timer.nsecsElapsed() / 1000.0);
    }
    std::sort(us.begin(), us.end());
    return us[us.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QTemporaryDir dir;
    QList<TLangDict> dict = orb::synthetic::makeDictionary(kRows, 4);
    const QString path = dir.filePath(QStringLiteral("walk.lng"));
    orb::synthetic::writeDictionary(dict, path);

    auto ours = std::make_unique<TestWindow>(dict[0].Phrases);
    auto theirs = std::make_unique<TestWindow>(dict[0].Phrases);
    TOrbTranslate translator;
    translator.SetSuppressMessage(true);
    translator.SetDictName(QDir(QCoreApplication::applicationDirPath()).relativeFilePath(path));
    translator.DefineProperties();
    // A host's exclusions elsewhere (its language menu's entries), each followed for its end.
    std::vector<std::unique_ptr<QObject>> excluded;
    for (int i = 0; i < 100; ++i) {
        excluded.push_back(std::make_unique<QObject>());
        translator.AddNotTranslate(excluded.back().get());
    }

    QTranslator german, russian;
    if (!german.load(buildQm(dir, dict, 1, QStringLiteral("de")))
        || !russian.load(buildQm(dir, dict, 2, QStringLiteral("ru")))) {
        std::fprintf(stderr, "lrelease did not give usable .qm files\n");
        return 1;
    }

    const int runs = 21;
    bool toGerman = true;
    // The switch is measured as the walk of the one window after the language changed.
    const double switchWalk = median(
        runs,
        [&] {
            // SetLangID walks every top-level window itself; the window is shown only while
            // it is timed, so the switch here costs nothing but choosing the language.
            ours->window.hide();
            toGerman = !toGerman;
            translator.SetLangID(toGerman ? QStringLiteral("German") : QStringLiteral("Russian"));
        },
        [&] { translator.TranslateAllComponents(&ours->window); });
    const double unchanged = median(runs, [] {}, [&] { translator.TranslateAllComponents(&ours->window); });

    bool handGerman = true;
    const double byHand = median(
        runs,
        [&] {
            QCoreApplication::removeTranslator(&german);
            QCoreApplication::removeTranslator(&russian);
            handGerman = !handGerman;
            QCoreApplication::installTranslator(handGerman ? &german : &russian);
        },
        [&] {
            for (const auto& f : theirs->retranslate)
                f();
        });

    std::printf("Window of %d widgets (labels, buttons, line edits, combo boxes with items, actions,\n"
                "a tree and a table with items and tips), 100 exclusions elsewhere, %d-row dictionary;\n"
                "median of %d runs\n\n",
                ours->widgets, kRows, runs);
    std::printf("%-62s %10.0f us\n", "TranslateAllComponents after a language switch", switchWalk);
    std::printf("%-62s %10.0f us\n", "hand-written retranslation (QTranslator + setters)", byHand);
    std::printf("%-62s %10.2f x  (target <= 3)\n", "ratio", switchWalk / byHand);
    std::printf("%-62s %10.0f us\n", "activation retranslate of an unchanged window", unchanged);

    // An application written for Qt's machinery: its changeEvent retranslates by hand. Alone,
    // a switch is installing the other .qm; through the component, SetLangID walks the window
    // and then has the same handlers answered by the component's translator.
    const int widgets = ours->widgets;
    ours.reset();
    theirs.reset();
    TestWindow handled(dict[0].Phrases);
    handled.window.onLanguageChange = [&handled] {
        for (const auto& f : handled.retranslate)
            f();
    };
    handled.window.show();
    bool qmGerman = true;
    const double handlersAlone = median(runs, [] {}, [&] {
        QCoreApplication::removeTranslator(qmGerman ? &german : &russian);
        qmGerman = !qmGerman;
        QCoreApplication::installTranslator(qmGerman ? &german : &russian);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
    });
    QCoreApplication::removeTranslator(&german);
    QCoreApplication::removeTranslator(&russian);
    bool walkGerman = true;
    const double walkAndHandlers = median(runs, [] {}, [&] {
        walkGerman = !walkGerman;
        translator.SetLangID(walkGerman ? QStringLiteral("German") : QStringLiteral("Russian"));
    });
    std::printf("\nThe same window of %d widgets with a changeEvent that retranslates by hand:\n", widgets);
    std::printf("%-62s %10.0f us\n", "language switch, handlers alone (installing the other .qm)", handlersAlone);
    std::printf("%-62s %10.0f us\n", "language switch through SetLangID (walk, then handlers)", walkAndHandlers);
    std::printf("%-62s %10.2f x  (target <= 1.5)\n", "ratio", walkAndHandlers / handlersAlone);
    return 0;
}
