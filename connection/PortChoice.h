// The rules that turn what the operator typed or picked into a port number and a baud rate.
#pragma once

#include <QString>

namespace PortChoice {

// Exactly "1" is port 1; any other text, empty included, is port 2.
inline int portNumber(const QString& text) {
    return text == QLatin1String("1") ? 1 : 2;
}

// Exactly "19200" is 19200 baud; anything else is 9600.
inline QString baudDigits(const QString& text) {
    return text == QLatin1String("19200") ? QStringLiteral("19200") : QStringLiteral("9600");
}

inline QString notAvailableMessage(int portNumber) {
    return QStringLiteral("Comm port %1 not available").arg(portNumber);
}

} // namespace PortChoice
