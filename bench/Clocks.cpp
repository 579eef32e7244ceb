// Clock and /proc readings.
#include "Clocks.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <ctime>
#include <unistd.h>

namespace Clocks {

namespace {

double secondsOf(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

QByteArray readProc(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

} // namespace

double monotonic() {
    return secondsOf(CLOCK_MONOTONIC);
}

double processCpu() {
    return secondsOf(CLOCK_PROCESS_CPUTIME_ID);
}

double cpuOf(pid_t pid) {
    // The first field of each thread's schedstat is the time it spent on a CPU, in ns.
    const QString tasks = QStringLiteral("/proc/%1/task").arg(pid);
    const QStringList threads = QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    if (threads.isEmpty())
        return -1.0;
    double total = 0.0;
    for (const QString& thread : threads) {
        const QByteArray line = readProc(tasks + QLatin1Char('/') + thread + "/schedstat");
        bool ok = false;
        const qulonglong ns = line.split(' ').value(0).trimmed().toULongLong(&ok);
        if (ok)
            total += double(ns) / 1e9;
    }
    return total;
}

double cpuTicksOf(pid_t pid) {
    const QByteArray stat = readProc(QStringLiteral("/proc/%1/stat").arg(pid));
    // The command name may hold blanks; the fields are counted after its closing bracket.
    const int end = stat.lastIndexOf(')');
    if (end < 0)
        return -1.0;
    const QList<QByteArray> fields = stat.mid(end + 2).split(' ');
    // utime and stime are fields 14 and 15 of the line, 12 and 13 after the name.
    if (fields.size() < 13)
        return -1.0;
    const double ticks = fields.at(11).toDouble() + fields.at(12).toDouble();
    return ticks / double(sysconf(_SC_CLK_TCK));
}

double peakMemoryMiB(pid_t pid) {
    const QByteArray status = readProc(QStringLiteral("/proc/%1/status").arg(pid));
    for (const QByteArray& line : status.split('\n')) {
        if (!line.startsWith("VmHWM:"))
            continue;
        const QByteArray kib = line.mid(6).trimmed().split(' ').value(0);
        return kib.toDouble() / 1024.0;
    }
    return -1.0;
}

double median(QList<double> values) {
    if (values.isEmpty())
        return -1.0;
    std::sort(values.begin(), values.end());
    const qsizetype middle = values.size() / 2;
    return values.size() % 2 ? values.at(middle) : (values.at(middle - 1) + values.at(middle)) / 2;
}

} // namespace Clocks
