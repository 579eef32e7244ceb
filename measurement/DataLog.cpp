// The shared log-file slot.
#include "measurement/DataLog.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#if defined(Q_OS_UNIX)
#include <unistd.h>
#elif defined(Q_OS_WIN)
#include <io.h>
#endif

namespace {

bool syncToDisk(QFile& file) {
#if defined(Q_OS_UNIX)
    return ::fsync(file.handle()) == 0 || errno == EINVAL; // EINVAL: a device that keeps nothing
#elif defined(Q_OS_WIN)
    return ::_commit(file.handle()) == 0;
#else
    Q_UNUSED(file);
    return true;
#endif
}

QFile& logFile() {
    static QFile file;
    return file;
}
} // namespace

namespace DataLog {

bool open(const QString& path, Mode mode, QString* error) {
    QFile& file = logFile();
    if (file.isOpen())
        file.close();
    file.setFileName(path);
    const QIODevice::OpenMode how =
        QIODevice::WriteOnly | (mode == Mode::Append ? QIODevice::Append : QIODevice::Truncate);
    if (file.open(how))
        return true;
    if (error)
        *error = file.errorString();
    return false;
}

bool isOpen() {
    return logFile().isOpen();
}

bool writeLine(const QString& line, QString* error) {
    QFile& file = logFile();
    const auto fail = [error](const QString& reason) {
        if (error)
            *error = reason;
        return false;
    };
    if (!file.isOpen())
        return fail(QStringLiteral("Log file not open"));
    // Lines written to a file that has been deleted would go nowhere the operator can find.
    if (!QFileInfo::exists(file.fileName()))
        return fail(QStringLiteral("The log file has been removed"));
    const QByteArray bytes = line.toLocal8Bit() + "\r\n";
    if (file.write(bytes) != bytes.size() || !file.flush())
        return fail(file.errorString());
    // Down to the disk, not only to the system's cache: a power cut keeps the reading.
    if (!syncToDisk(file))
        return fail(QStringLiteral("The log file could not be written to the disk"));
    return true;
}

bool close(QString* error) {
    QFile& file = logFile();
    if (!file.isOpen())
        return true;
    const bool flushed = file.flush();
    const QString reason = file.errorString();
    file.close();
    if (!flushed && error)
        *error = reason;
    return flushed;
}

} // namespace DataLog
