#include "interop/Interop.h"

#include <QFile>
#include <QFileInfo>

namespace orb {

namespace {

bool setError(QString* error, const QString& reason)
{
    if (error)
        *error = reason;
    return false;
}

} // namespace

InteropFormat detectInteropFormat(const QString& path, const QByteArray& bytes)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == u"ts")
        return InteropFormat::Ts;
    if (suffix == u"po" || suffix == u"pot")
        return InteropFormat::Po;
    QByteArrayView start(bytes);
    if (start.startsWith("\xEF\xBB\xBF"))
        start = start.sliced(3);
    return start.trimmed().startsWith('<') ? InteropFormat::Ts : InteropFormat::Po;
}

bool readInteropFile(const QString& path, InteropCatalog& catalog, QString* error)
{
    QFile file(path);
    if (!file.exists())
        return setError(error, QStringLiteral("no such file"));
    if (!file.open(QIODevice::ReadOnly))
        return setError(error, file.errorString());
    if (file.size() > kMaxInteropFileBytes)
        return setError(error, QStringLiteral("the file is larger than %1 MiB").arg(kMaxInteropFileBytes >> 20));
    const QByteArray bytes = file.read(kMaxInteropFileBytes + 1);
    if (bytes.size() > kMaxInteropFileBytes)
        return setError(error, QStringLiteral("the file is larger than %1 MiB").arg(kMaxInteropFileBytes >> 20));
    if (file.error() != QFileDevice::NoError)
        return setError(error, file.errorString());
    return detectInteropFormat(path, bytes) == InteropFormat::Ts ? readTs(bytes, catalog, error)
                                                                 : readPo(bytes, catalog, error);
}

} // namespace orb
