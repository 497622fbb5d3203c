#pragma once

#include "editor/Main.h"
#include "RecordingPrompter.h"

#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace editortest {

// Runs the action on the first window that find returns once one is there, then leave on
// it if the action left it open, so that a failing check never hangs. The watch gives up
// after a few seconds; deleting the returned timer ends it at once.
template <typename Window>
QPointer<QTimer> onNextWindow(std::function<Window*()> find, std::function<void(Window*)> action,
                              std::function<void(Window*)> leave)
{
    auto* timer = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, tries, find, action, leave] {
        Window* window = find();
        if (!window && ++*tries < 500)
            return;
        timer->stop();
        timer->deleteLater();
        if (!window)
            return;
        action(window);
        if (window->isVisible())
            leave(window);
    });
    timer->start(5);
    return timer;
}

// Runs the action on the next modal dialog once its exec() is running, then closes the
// dialog as cancelled if the action left it open.
inline QPointer<QTimer> onNextDialog(std::function<void(QDialog*)> action)
{
    return onNextWindow<QDialog>([] { return qobject_cast<QDialog*>(QApplication::activeModalWidget()); },
                                 std::move(action), [](QDialog* dialog) { dialog->reject(); });
}

// Lets the event loop wait once, which is when the window enables its commands.
inline void idle()
{
    QEventLoop loop;
    QTimer::singleShot(20, &loop, &QEventLoop::quit);
    loop.exec();
}

// Writes the text as UTF-8 into a file of that name in the directory; returns its path.
inline QString writeTextFile(const QString& directory, const QString& name, const QString& text)
{
    const QString path = directory + u'/' + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text.toUtf8()) < 0)
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

// Fills the language dialog and accepts it.
inline std::function<void(QDialog*)> language(const QString& id, const QString& name, const QString& charset)
{
    using namespace Qt::StringLiterals;
    return [=](QDialog* dialog) {
        dialog->findChild<QComboBox*>(u"cbxLangID"_s)->setEditText(id);
        dialog->findChild<QLineEdit*>(u"edtLangDisplay"_s)->setText(name);
        auto* charsets = dialog->findChild<QComboBox*>(u"cbxLangCharset"_s);
        charsets->setCurrentIndex(charsets->findText(charset));
        QTest::mouseClick(dialog->findChild<QPushButton*>(u"btnOK"_s), Qt::LeftButton);
    };
}

// The file's bytes; empty when it cannot be read.
inline QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A shown main window, with the prompter that answers for the user and a folder of its own
// for the test's files; made afresh for every test function.
struct WindowUnderTest
{
    std::unique_ptr<QTemporaryDir> files;
    std::unique_ptr<orb::RecordingPrompter> prompter;
    std::unique_ptr<TfrmMain> window;

    bool start()
    {
        files = std::make_unique<QTemporaryDir>();
        prompter = std::make_unique<orb::RecordingPrompter>();
        window = std::make_unique<TfrmMain>();
        window->show();
        const bool ready = files->isValid() && QTest::qWaitForWindowExposed(window.get());
        idle();
        return ready;
    }
    // The window goes before the prompter it may still ask through.
    void stop()
    {
        window.reset();
        prompter.reset();
        files.reset();
    }
};

} // namespace editortest
