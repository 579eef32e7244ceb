// The instrument simulator started by --simulate: the mx7500-sim program that is built and
// installed beside the front panel, run on its own pseudo-terminal for this run only.
#pragma once

#include <QProcess>
#include <QString>

class BuiltInSimulator {
public:
    BuiltInSimulator() = default;
    ~BuiltInSimulator(); // stops the simulator
    BuiltInSimulator(const BuiltInSimulator&) = delete;
    BuiltInSimulator& operator=(const BuiltInSimulator&) = delete;

    // Starts the simulator `program` with `arguments` and waits for its device path. False
    // with errorText() set when it is missing or does not come up.
    bool start(const QString& program, const QStringList& arguments = {});
    QString device() const { return m_device; }
    qint64 processId() const { return m_process.processId(); }
    QString errorText() const { return m_error; }

private:
    QProcess m_process;
    QString m_device;
    QString m_error;
};
