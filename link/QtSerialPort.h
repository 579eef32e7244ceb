// The serial port on a real device (or the simulator's pseudo-terminal), through QSerialPort.
#pragma once

#include "link/SerialPort.h"

#include <QSerialPort>

class QtSerialPort : public SerialPort {
    Q_OBJECT
public:
    explicit QtSerialPort(QObject* parent = nullptr);
    ~QtSerialPort() override;

    void setCommPort(int port) override;
    int commPort() const override { return m_commPort; }
    void setSettings(const QString& baudDigits) override;
    bool setPortOpen(bool open) override;
    bool portOpen() const override { return m_port.isOpen(); }
    bool output(const QByteArray& data) override;
    QByteArray input() override;
    QString errorText() const override { return m_errorText; }

private:
    bool openSelected();
    void onError(QSerialPort::SerialPortError error);

    QSerialPort m_port;
    int m_commPort = 1;
    qint32 m_baud = 9600;
    QString m_errorText;
    // The program last asked for the port open. If it is closed all the same (nothing was
    // there to open yet, or the line failed while open: device gone, far end hung up), the
    // next command opens it again, so an adapter plugged in late or replugged works without a
    // trip to the first window. A port the program closed itself stays closed.
    bool m_wantOpen = false;
};
