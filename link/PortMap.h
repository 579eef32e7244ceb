// Which device stands behind port number 1 or 2 on this machine.
#pragma once

#include "link/PortOrder.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

namespace PortMap {

// An override set from the command line wins, then the environment variables MX7500_COM1 and
// MX7500_COM2. Otherwise "COM1"/"COM2" on Windows; on Linux the serial ports the system
// reports right now, in PortOrder's order, a device keeping its number while it is present
// and none taking the device the other number names (through a link or not).
QString deviceName(int port);

// Sets (or, with an empty device, clears) the command-line choice for a port.
void setOverride(int port, const QString& device);

// For --list-ports: every serial port the system reports, and the device behind each number.
QString listing();

// The kernel's consoles ("ttyS0", "tty0") in the text of /proc/consoles: the first word of
// each line.
QStringList consoleNames(const QByteArray& procConsoles);

// What the system reports: its serial ports (not yet marked as consoles) and the text of
// /proc/consoles.
struct SystemReport {
    QList<PortDescription> ports;
    QByteArray consoles;
};

// Lets a test stand in for the system: `source` is asked at every lookup, and the numbers
// handed out so far are forgotten. An empty function gives the real system back, asked at
// most once a second.
void setSystemSource(std::function<SystemReport()> source);

} // namespace PortMap
