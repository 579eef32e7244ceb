// Which device stands behind port number 1 or 2 on this machine.
#pragma once

#include <QString>

namespace PortMap {

// An override set from the command line wins, then the environment variables MX7500_COM1 and
// MX7500_COM2. Otherwise "COM1"/"COM2" on Windows; on Linux the serial ports the system
// reports right now, in PortOrder's order, a device keeping its number while it is present.
QString deviceName(int port);

// Sets (or, with an empty device, clears) the command-line choice for a port.
void setOverride(int port, const QString& device);

// For --list-ports: every serial port the system reports, and the device behind each number.
QString listing();

} // namespace PortMap
