// How text travels on the line: commands out with CR LF, replies in up to an LF.
#pragma once

#include <QByteArray>
#include <QString>

namespace Framing {

// A reply is capped so that a meter (or a line) that never sends LF cannot eat memory.
inline constexpr int kMaxReplyBytes = 64 * 1024;

// The command text followed by CR LF, as one string for one write.
QByteArray frame(const QByteArray& command);

// A reply is complete once it holds an LF anywhere.
bool holdsLineEnd(const QString& reply);

// Appends what the port delivered, keeping the reply within kMaxReplyBytes.
void appendReceived(QString& reply, const QByteArray& received);

// The identification answer cut into its comma fields, without the line terminator.
struct Identification {
    QString maker;
    QString model;
    QString field3;
    QString field4;
};
Identification splitIdentification(const QString& reply);

// A trigger reply cleaned for use: blanks trimmed at both ends, then one trailing CR, then
// one trailing LF removed; nothing else.
QString cleanMeasurementReply(const QString& reply);

} // namespace Framing
