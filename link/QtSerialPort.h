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
    // The line failed while open (device gone, far end hung up): the next command reopens
    // the same device, so a replugged adapter works again without a trip to the first window.
    bool m_closedByError = false;
};
