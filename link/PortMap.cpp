// Maps the operator's port numbers to devices.
#include "link/PortMap.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSerialPortInfo>

#include <algorithm>

namespace {

QString g_overrides[2];
// What the last lookup gave each number, so that a device in use keeps its number.
PortOrder::Devices g_lastUsed;
// A test's stand-in for the system, when it has set one.
std::function<PortMap::SystemReport()> g_source;

// The device an option or variable names for a port, and which of them named it.
QString namedDevice(int index, QString* source = nullptr) {
    const char* variable = index == 0 ? "MX7500_COM1" : "MX7500_COM2";
    const QByteArray fromEnvironment = qgetenv(variable).trimmed();
    const bool overridden = !g_overrides[index].isEmpty();
    if (source)
        *source = overridden ? QStringLiteral("command line") : QString::fromLatin1(variable);
    return overridden ? g_overrides[index] : QString::fromLocal8Bit(fromEnvironment);
}

// The one place that asks the system; everything after works on plain descriptions.
PortMap::SystemReport askTheSystem() {
    PortMap::SystemReport system;
    QFile file(QStringLiteral("/proc/consoles"));
    // Read to the end rather than asking atEnd(): files in /proc report a size of 0.
    if (file.open(QIODevice::ReadOnly))
        system.consoles = file.readAll();
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        PortDescription port;
        port.device = info.systemLocation();
        port.description = info.description();
        port.manufacturer = info.manufacturer();
        port.serialNumber = info.serialNumber();
        if (info.hasVendorIdentifier())
            port.vendorId = info.vendorIdentifier();
        if (info.hasProductIdentifier())
            port.productId = info.productIdentifier();
        system.ports << port;
    }
    return system;
}

// The reported ports, each marked when the kernel uses it as a console ("ttyS0" for
// /dev/ttyS0).
QList<PortDescription> markConsoles(const PortMap::SystemReport& system) {
    const QStringList consoles = PortMap::consoleNames(system.consoles);
    QList<PortDescription> ports = system.ports;
    for (PortDescription& port : ports)
        port.console = consoles.contains(QFileInfo(port.device).fileName());
    return ports;
}

// Asking takes tens of milliseconds (every device node is examined), and the window's load
// step opens the port three times in a row; within a second the answer is taken as the same.
QList<PortDescription> systemPorts() {
    if (g_source)
        return markConsoles(g_source());
    static QList<PortDescription> last;
    static QElapsedTimer age;
    if (!age.isValid() || age.hasExpired(1000)) {
        last = markConsoles(askTheSystem());
        age.start();
    }
    return last;
}

// The device a name stands for: a link such as /dev/serial/by-id/usb-FTDI_...-port0 is the
// /dev/ttyUSB0 it points to, which the system reports under that name. A name that does not
// exist stays as it is.
QString linkedDevice(const QString& name) {
    const QString device = name.isEmpty() ? QString() : QFileInfo(name).canonicalFilePath();
    return device.isEmpty() ? name : device;
}

QString hex(const std::optional<quint16>& id) {
    return id ? QStringLiteral("%1").arg(*id, 4, 16, QLatin1Char('0')) : QStringLiteral("-");
}

} // namespace

namespace PortMap {

QString deviceName(int port) {
    const int index = port == 1 ? 0 : 1;
    const PortOrder::Devices named{namedDevice(0), namedDevice(1)};
    if (!named[index].isEmpty())
        return named[index];
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(index + 1);
#elif defined(Q_OS_LINUX)
    // Asked at every opening, so that an adapter plugged in after the start is found.
    g_lastUsed = PortOrder::assign(systemPorts(), {linkedDevice(named[0]), linkedDevice(named[1])},
                                   g_lastUsed);
    return g_lastUsed[index];
#else
    return QStringLiteral("/dev/ttyS%1").arg(index);
#endif
}

void setOverride(int port, const QString& device) {
    g_overrides[port == 1 ? 0 : 1] = device;
}

QString listing() {
    const QList<PortDescription> ports = systemPorts();
    const QList<PortDescription> candidates = PortOrder::ordered(ports);
    QString text = QStringLiteral("Serial ports the system reports:%1\n")
                       .arg(ports.isEmpty() ? QStringLiteral(" none") : QString());
    for (const PortDescription& port : ports) {
        text +=
            QStringLiteral("  %1: description \"%2\", manufacturer \"%3\", serial number "
                           "\"%4\", USB vendor id %5, product id %6%7\n")
                .arg(port.device, port.description, port.manufacturer, port.serialNumber,
                     hex(port.vendorId), hex(port.productId),
                     port.console ? QStringLiteral("; the kernel's console, left out") : QString());
    }
    for (int i = 0; i < 2; ++i) {
        QString source;
        const bool named = !namedDevice(i, &source).isEmpty();
        const QString device = deviceName(i + 1);
        const bool reported = std::any_of(candidates.begin(), candidates.end(),
                                          [&](const auto& port) { return port.device == device; });
        QString note;
        if (named)
            note = QStringLiteral(" (%1)").arg(source);
        else if (!reported)
            note = QStringLiteral(" (the usual name: no free port reported)");
        text += QStringLiteral("Port %1: %2%3\n").arg(i + 1).arg(device, note);
    }
    return text;
}

QStringList consoleNames(const QByteArray& procConsoles) {
    QStringList names;
    for (const QByteArray& line : procConsoles.split('\n')) {
        const QByteArray name = line.simplified().split(' ').constFirst();
        if (!name.isEmpty())
            names << QString::fromLatin1(name);
    }
    return names;
}

void setSystemSource(std::function<SystemReport()> source) {
    g_source = std::move(source);
    g_lastUsed = {};
}

} // namespace PortMap
