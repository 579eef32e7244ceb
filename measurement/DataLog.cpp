// The shared log-file slot.
#include "measurement/DataLog.h"

#include <QFile>

namespace {
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
    const QByteArray bytes = line.toLocal8Bit() + "\r\n";
    if (file.isOpen() && file.write(bytes) == bytes.size() && file.flush())
        return true;
    if (error)
        *error = file.isOpen() ? file.errorString() : QStringLiteral("Log file not open");
    return false;
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
