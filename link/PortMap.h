// Which device stands behind port number 1 or 2 on this machine.
#pragma once

#include <QString>

namespace PortMap {

// "COM1"/"COM2" on Windows, /dev/ttyS0 and /dev/ttyS1 elsewhere; the environment variables
// MX7500_COM1 and MX7500_COM2 name another device (a USB adapter, the simulator), and an
// override set from the command line wins over both.
QString deviceName(int port);

// Sets (or, with an empty device, clears) the command-line choice for a port.
void setOverride(int port, const QString& device);

} // namespace PortMap
