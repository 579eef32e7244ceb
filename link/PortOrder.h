// Which of the serial ports the system reports stand behind port numbers 1 and 2.
#pragma once

#include <QList>
#include <QString>

#include <array>
#include <optional>

// One serial port as the system reports it.
struct PortDescription {
    QString device; // "/dev/ttyUSB0"
    QString description;
    QString manufacturer;
    QString serialNumber;
    std::optional<quint16> vendorId; // USB ids, for USB devices only
    std::optional<quint16> productId;
    bool console = false; // the kernel writes its messages here, so the meter cannot be on it
};

namespace PortOrder {

using Devices = std::array<QString, 2>; // the device behind port 1 and port 2

// Built-in ports (ttyS) in number order, then USB serial adapters (ttyUSB), then USB CDC ones
// (ttyACM), then any other name (ttySC0, ttyAMA0...) by its number; consoles are left out.
QList<PortDescription> ordered(QList<PortDescription> ports);

// A number named by an option or variable (`fixed`: the device itself, not a link to it)
// takes that device. Otherwise it keeps the device it had in `previous` while that one is
// still present, or else takes the first present port no other number holds, or else
// /dev/ttyS0 or /dev/ttyS1 as before.
Devices assign(const QList<PortDescription>& present, const Devices& fixed,
               const Devices& previous);

} // namespace PortOrder
