// The one serial port of the front panel, as every window and routine sees it.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

// The five operations the system relies on, and nothing else: choose the port, choose the
// baud rate, open or close, send, and take what has been received. Reading is by polling
// input(); the activity() signal only wakes a waiting reader, it carries no data.
class SerialPort : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~SerialPort() override = default;

    // Selects port 1 or 2 for the next open.
    virtual void setCommPort(int port) = 0;
    virtual int commPort() const = 0;

    // Sets the baud rate from its digits ("9600", "19200") for the next open.
    virtual void setSettings(const QString& baudDigits) = 0;

    // True opens the selected port (false is returned and errorText() says why when it
    // cannot be opened); false closes it, which is harmless on a closed port.
    virtual bool setPortOpen(bool open) = 0;
    virtual bool portOpen() const = 0;

    // Hands the whole string to the transmitter and returns at once; false on a port error.
    virtual bool output(const QByteArray& data) = 0;

    // Everything received and not yet taken; empty when there is none or the port is closed.
    virtual QByteArray input() = 0;

    // The description of the last failure, in the platform's words.
    virtual QString errorText() const = 0;

Q_SIGNALS:
    // Data arrived or the line failed: a waiting reader should look again.
    void activity();
};
