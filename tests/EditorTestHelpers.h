#pragma once

#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QFile>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>

namespace editortest {

// Runs the action on the next modal dialog once its exec() is running, then closes the
// dialog as cancelled if the action left it open, so that a failing check never hangs.
// The watch gives up after a few seconds; deleting the returned timer ends it at once.
inline QPointer<QTimer> onNextDialog(std::function<void(QDialog*)> action)
{
    auto* timer = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, tries, action] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog && ++*tries < 500)
            return;
        timer->stop();
        timer->deleteLater();
        if (!dialog)
            return;
        action(dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
    timer->start(5);
    return timer;
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

} // namespace editortest
