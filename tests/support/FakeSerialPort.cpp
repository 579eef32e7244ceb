// The in-memory port.
#include "FakeSerialPort.h"

#include <QTimer>

bool FakeSerialPort::setPortOpen(bool open) {
    if (!open) {
        if (m_open)
            history << QStringLiteral("close");
        m_open = false;
        return true;
    }
    if (m_open)
        return true;
    if (!openablePorts.contains(m_commPort)) {
        history << QStringLiteral("open failed %1").arg(m_commPort);
        m_errorText = QStringLiteral("No such file or directory");
        return false;
    }
    m_open = true;
    history << QStringLiteral("open %1 %2").arg(m_commPort).arg(m_baud);
    return true;
}

bool FakeSerialPort::output(const QByteArray& data) {
    if (!m_open || writesFail) {
        m_errorText = QStringLiteral("Input/output error");
        return false;
    }
    written << data;
    if (onCommand)
        onCommand(data);
    return true;
}

QByteArray FakeSerialPort::input() {
    ++inputCalls;
    if (!m_open)
        return QByteArray();
    QByteArray taken;
    taken.swap(m_received);
    return taken;
}

void FakeSerialPort::deliver(const QByteArray& data, int delayMs) {
    QTimer::singleShot(delayMs, Qt::PreciseTimer, this, [this, data] {
        if (!m_open)
            return;
        m_received += data;
        Q_EMIT activity();
    });
}

void FakeSerialPort::hangUp(int delayMs) {
    QTimer::singleShot(delayMs, Qt::PreciseTimer, this, [this] {
        m_open = false;
        m_errorText = QStringLiteral("Input/output error");
        history << QStringLiteral("hung up");
        Q_EMIT activity();
    });
}
