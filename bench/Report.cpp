// Table and JSON output of the figures.
#include "Report.h"

#include "Clocks.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QThread>

#include <cstdio>
#include <sched.h>

double Figure::median() const {
    return Clocks::median(runs);
}

namespace Report {

namespace {

QString firstLineStarting(const QString& path, const QString& key) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QString text = QString::fromUtf8(line);
        if (text.startsWith(key))
            return text.mid(text.indexOf(QLatin1Char(':')) + 1).trimmed();
    }
    return QString();
}

QString debianVersion() {
    QFile file(QStringLiteral("/etc/debian_version"));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll()).trimmed();
}

// The processors this process may run on, as nproc counts them.
int processors() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) != 0)
        return QThread::idealThreadCount();
    return CPU_COUNT(&set);
}

QString number(double value) {
    return QString::number(value, 'g', 4);
}

} // namespace

QJsonObject machine() {
    QJsonObject machine;
    machine.insert(QStringLiteral("nproc"), processors());
    machine.insert(QStringLiteral("cpu"), firstLineStarting(QStringLiteral("/proc/cpuinfo"),
                                                            QStringLiteral("model name")));
    machine.insert(QStringLiteral("debian"), debianVersion());
    machine.insert(QStringLiteral("qt"), QString::fromLatin1(qVersion()));
    return machine;
}

void print(const QList<Figure>& figures) {
    std::printf("\n%-4s %-58s %12s %12s %5s  %s\n", "#", "figure", "median", "target", "runs",
                "verdict");
    for (const Figure& figure : figures) {
        const QString target =
            QStringLiteral("< ") + number(figure.limit) + QLatin1Char(' ') + figure.unit;
        if (!figure.measured()) {
            std::printf("%-4s %-58s %12s %12s %5s  NOT MEASURED: %s\n", qPrintable(figure.number),
                        qPrintable(figure.name), "-", qPrintable(target), "0",
                        qPrintable(figure.missing));
            continue;
        }
        const QString value = number(figure.median()) + QLatin1Char(' ') + figure.unit;
        std::printf("%-4s %-58s %12s %12s %5d  %s\n", qPrintable(figure.number),
                    qPrintable(figure.name), qPrintable(value), qPrintable(target),
                    int(figure.runs.size()), figure.met() ? "met" : "NOT MET");
    }
    const QJsonObject host = machine();
    std::printf("\nmachine: %d processors, %s, Debian %s, Qt %s\n",
                host.value(QStringLiteral("nproc")).toInt(),
                qPrintable(host.value(QStringLiteral("cpu")).toString()),
                qPrintable(host.value(QStringLiteral("debian")).toString()),
                qPrintable(host.value(QStringLiteral("qt")).toString()));
    std::fflush(stdout);
}

bool write(const QList<Figure>& figures, const QString& path) {
    QJsonArray list;
    for (const Figure& figure : figures) {
        QJsonObject entry;
        entry.insert(QStringLiteral("number"), figure.number);
        entry.insert(QStringLiteral("name"), figure.name);
        entry.insert(QStringLiteral("unit"), figure.unit);
        entry.insert(QStringLiteral("target_below"), figure.limit);
        if (figure.measured()) {
            entry.insert(QStringLiteral("median"), figure.median());
            entry.insert(QStringLiteral("met"), figure.met());
        } else {
            entry.insert(QStringLiteral("median"), QJsonValue());
            entry.insert(QStringLiteral("met"), QJsonValue());
            entry.insert(QStringLiteral("missing"), figure.missing);
        }
        QJsonArray runs;
        for (double run : figure.runs)
            runs.append(run);
        entry.insert(QStringLiteral("runs"), runs);
        if (!figure.details.isEmpty())
            entry.insert(QStringLiteral("details"), figure.details);
        list.append(entry);
    }
    QJsonObject root;
    root.insert(QStringLiteral("generated"), QDateTime::currentDateTimeUtc().toString(Qt::ISODate));
    root.insert(QStringLiteral("machine"), machine());
    root.insert(QStringLiteral("figures"), list);

    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(QJsonDocument(root).toJson()) > 0 && file.flush();
}

} // namespace Report
