// The port-numbering rule, over plain port descriptions so that tests need no hardware.
#include "link/PortOrder.h"

#include <QRegularExpression>

#include <algorithm>
#include <tuple>

namespace {

// Sort key: kind of port, then the number after the name, then the name itself. A kind is
// its name followed by digits alone: ttySC0, a UART on an add-in card, is another name and
// not the built-in ttyS0.
std::tuple<int, qulonglong, QString> rank(const QString& device) {
    static const QRegularExpression pattern(
        QStringLiteral("/tty(?:(S|USB|ACM)(?=\\d+$))?\\D*(\\d*)$"));
    static const QStringList kinds{QStringLiteral("S"), QStringLiteral("USB"),
                                   QStringLiteral("ACM"), QString()};
    const QRegularExpressionMatch match = pattern.match(device);
    return {int(kinds.indexOf(match.captured(1))), match.captured(2).toULongLong(), device};
}

} // namespace

namespace PortOrder {

QList<PortDescription> ordered(QList<PortDescription> ports) {
    ports.removeIf([](const PortDescription& port) { return port.console; });
    std::sort(ports.begin(), ports.end(), [](const PortDescription& a, const PortDescription& b) {
        return rank(a.device) < rank(b.device);
    });
    return ports;
}

Devices assign(const QList<PortDescription>& present, const Devices& fixed,
               const Devices& previous) {
    const QList<PortDescription> candidates = ordered(present);
    const auto isPresent = [&](const QString& device) {
        return std::any_of(candidates.begin(), candidates.end(),
                           [&](const PortDescription& port) { return port.device == device; });
    };
    Devices result = fixed;
    const auto held = [&](const QString& device) {
        return result[0] == device || result[1] == device;
    };
    // Kept devices first, so that a new port never takes a number from one still in use.
    for (int i = 0; i < 2; ++i) {
        if (result[i].isEmpty() && isPresent(previous[i]) && !held(previous[i]))
            result[i] = previous[i];
    }
    for (int i = 0; i < 2; ++i) {
        for (const PortDescription& port : candidates) {
            if (result[i].isEmpty() && !held(port.device))
                result[i] = port.device;
        }
    }
    // The usual names; neither number doubles the other's device.
    const Devices usual{QStringLiteral("/dev/ttyS0"), QStringLiteral("/dev/ttyS1")};
    for (int i = 0; i < 2; ++i) {
        if (result[i].isEmpty())
            result[i] = held(usual[i]) ? usual[1 - i] : usual[i];
    }
    return result;
}

} // namespace PortOrder
