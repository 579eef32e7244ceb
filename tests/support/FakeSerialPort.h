// An in-memory serial port for tests: records every write, delivers scripted input on the
// event loop as a real line would, and can fail to open, fail to write or hang up.
#pragma once

#include "link/SerialPort.h"

#include <QList>
#include <QStringList>

#include <functional>

class FakeSerialPort : public SerialPort {
    Q_OBJECT
public:
    using SerialPort::SerialPort;

    void setCommPort(int port) override { m_commPort = port; }
    int commPort() const override { return m_commPort; }
    void setSettings(const QString& baudDigits) override { m_baud = baudDigits; }
    bool setPortOpen(bool open) override;
    bool portOpen() const override { return m_open; }
    bool output(const QByteArray& data) override;
    QByteArray input() override;
    QString errorText() const override { return m_errorText; }

    // Makes `data` arrive after `delayMs` (0: at the next pass of the event loop).
    void deliver(const QByteArray& data, int delayMs = 0);
    // Makes `data` part of what has already been received.
    void preload(const QByteArray& data) { m_received += data; }
    // The far end vanishes: the port closes and a waiting reader is woken.
    void hangUp(int delayMs = 0);

    // Called for every framed command written, after it has been recorded.
    std::function<void(const QByteArray&)> onCommand;

    QList<QByteArray> written;      // every output() call, as given
    QStringList history;            // "open 1 9600", "close", "open failed 2" ...
    QList<int> openablePorts{1, 2}; // ports that open; others fail
    bool writesFail = false;
    int inputCalls = 0;

    int baudRate() const { return m_baud.toInt(); }

private:
    int m_commPort = 1;
    QString m_baud = QStringLiteral("9600");
    bool m_open = false;
    QByteArray m_received;
    QString m_errorText;
};
