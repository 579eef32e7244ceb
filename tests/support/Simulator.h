// The project's instrument simulator as a test fixture: started on its own pseudo-terminal,
// with its record of every byte it received and sent read back for checks.
#pragma once

#include "app/BuiltInSimulator.h"

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <QTemporaryDir>

class Simulator {
public:
    struct Event {
        double time; // monotonic seconds
        bool received;
        QByteArray bytes;
    };

    explicit Simulator(QStringList options = {}) : m_options(std::move(options)) {}

    // Starts it and waits for its device path; false if it did not come up.
    bool start();
    QString device() const { return m_process.device(); }
    qint64 pid() const { return m_process.processId(); }

    QList<Event> events() const;
    // What it received, line by line with the terminators, in order.
    QList<Event> heard() const;
    QList<QByteArray> received() const;

private:
    QStringList m_options;
    QTemporaryDir m_dir; // the record, kept until the simulator has stopped
    BuiltInSimulator m_process;
};
