// QSerialPort behind the front panel's port operations.
#include "link/QtSerialPort.h"

#include "link/PortMap.h"

QtSerialPort::QtSerialPort(QObject* parent) : SerialPort(parent) {
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setStopBits(QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    m_port.setReadBufferSize(0);
    connect(&m_port, &QSerialPort::readyRead, this, &SerialPort::activity);
    connect(&m_port, &QSerialPort::errorOccurred, this, &QtSerialPort::onError);
}

QtSerialPort::~QtSerialPort() {
    m_port.close();
}

void QtSerialPort::setCommPort(int port) {
    m_commPort = port == 1 ? 1 : 2;
}

void QtSerialPort::setSettings(const QString& baudDigits) {
    bool ok = false;
    const qint32 baud = baudDigits.toInt(&ok);
    if (ok && baud > 0)
        m_baud = baud;
}

bool QtSerialPort::setPortOpen(bool open) {
    m_wantOpen = open;
    if (!open) {
        m_port.close();
        return true;
    }
    return m_port.isOpen() || openSelected();
}

bool QtSerialPort::openSelected() {
    m_port.setPortName(PortMap::deviceName(m_commPort));
    m_port.setBaudRate(m_baud);
    if (!m_port.open(QIODevice::ReadWrite)) {
        m_errorText = m_port.errorString();
        return false;
    }
    m_port.setBaudRate(m_baud);
    return true;
}

bool QtSerialPort::output(const QByteArray& data) {
    if (!m_port.isOpen() && m_wantOpen)
        openSelected();
    if (!m_port.isOpen()) {
        if (m_errorText.isEmpty())
            m_errorText = tr("Port not open");
        return false;
    }
    if (m_port.write(data) != data.size()) {
        m_errorText = m_port.errorString();
        return false;
    }
    // Push the bytes to the device now rather than at the next pass of the event loop, so
    // commands leave in the order and at the moment they are sent.
    m_port.flush();
    return m_port.isOpen();
}

QByteArray QtSerialPort::input() {
    if (!m_port.isOpen())
        return QByteArray();
    // Take in what the device holds right now too, not only what the event loop has
    // already collected: "everything received" includes the bytes of this very moment.
    if (m_port.bytesAvailable() == 0)
        m_port.waitForReadyRead(0);
    return m_port.isOpen() ? m_port.readAll() : QByteArray();
}

void QtSerialPort::onError(QSerialPort::SerialPortError error) {
    if (error == QSerialPort::NoError || error == QSerialPort::TimeoutError)
        return;
    m_errorText = m_port.errorString();
    if (!m_port.isOpen())
        return;
    // A hung-up line keeps reporting the same error for as long as it stays open, which
    // would keep the event loop busy; close it and let the next command reopen it.
    m_port.close();
    Q_EMIT activity();
}
