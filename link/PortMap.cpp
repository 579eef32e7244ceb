// Maps the operator's port numbers to devices.
#include "link/PortMap.h"

#include <QtGlobal>

namespace {

QString g_overrides[2];

QString platformDefault(int port) {
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(port);
#else
    return QStringLiteral("/dev/ttyS%1").arg(port - 1);
#endif
}

} // namespace

namespace PortMap {

QString deviceName(int port) {
    const int index = port == 1 ? 0 : 1;
    if (!g_overrides[index].isEmpty())
        return g_overrides[index];
    const QByteArray fromEnvironment =
        qgetenv(index == 0 ? "MX7500_COM1" : "MX7500_COM2").trimmed();
    if (!fromEnvironment.isEmpty())
        return QString::fromLocal8Bit(fromEnvironment);
    return platformDefault(index + 1);
}

void setOverride(int port, const QString& device) {
    g_overrides[port == 1 ? 0 : 1] = device;
}

} // namespace PortMap
