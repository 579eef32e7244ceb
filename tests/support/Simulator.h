// The project's instrument simulator as a test fixture: started on its own pseudo-terminal,
// with its record of every byte it received and sent read back for checks.
#pragma once

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

class Simulator {
public:
    struct Event {
        double time; // monotonic seconds
        bool received;
        QByteArray bytes;
    };

    explicit Simulator(QStringList options = {});
    ~Simulator();

    // Starts it and waits for its device path; false if it did not come up.
    bool start();
    QString device() const { return m_device; }

    QList<Event> events() const;
    // The lines it received, terminators included, in order.
    QList<QByteArray> received() const;
    // Polls the record until `count` lines have arrived or `timeoutMs` passed.
    bool waitForReceived(int count, int timeoutMs = 5000) const;

    void hangUp(); // as an unplugged adapter: the line dies
    qint64 pid() const { return m_process.processId(); }
    void stop();

    static QString program();
    static QByteArray unescape(const QByteArray& escaped);

private:
    QStringList m_options;
    QTemporaryDir m_dir;
    QProcess m_process;
    QString m_device;
};
