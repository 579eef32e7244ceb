// The figures of one bench run: printed as a table with their targets and written as JSON.
#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>

struct Figure {
    Figure(QString number, QString name, QString unit, double limit)
        : number(std::move(number)), name(std::move(name)), unit(std::move(unit)), limit(limit) {}

    QString number;      // "1", "2a", ...: the item of the benchmark list it belongs to
    QString name;        // what was measured
    QString unit;        // of the median, the runs and the limit
    double limit = 0.0;  // the target: the median must stay under it
    QList<double> runs;  // one value per repeated run
    QJsonObject details; // the baseline, the floor, the raw parts of the figure
    QString missing;     // why nothing could be measured (empty when it was)

    double median() const;
    bool measured() const { return missing.isEmpty() && !runs.isEmpty(); }
    bool met() const { return measured() && median() < limit; }
};

namespace Report {

// The machine the figures come from: processors, CPU model, Debian version.
QJsonObject machine();

// The table, one line per figure, on standard output.
void print(const QList<Figure>& figures);

// The JSON record of the run; false when the file cannot be written.
bool write(const QList<Figure>& figures, const QString& path);

} // namespace Report
