#pragma once

// Runs the real orb-lng executable (ORB_LNG_EXECUTABLE) as a script would.
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <cstdlib>

namespace orblngtest {

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QString err;
};

// environment: variables set for this run on top of the test's own.
inline Run orbLng(const QStringList& arguments, const QList<std::pair<QString, QString>>& environment = {})
{
    QProcess process;
    if (!environment.isEmpty()) {
        QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
        for (const auto& [name, value] : environment)
            variables.insert(name, value);
        process.setProcessEnvironment(variables);
    }
    process.start(QStringLiteral(ORB_LNG_EXECUTABLE), arguments);
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit)
        qFatal("orb-lng did not finish");
    return {process.exitCode(), process.readAllStandardOutput(), QString::fromUtf8(process.readAllStandardError())};
}

} // namespace orblngtest
