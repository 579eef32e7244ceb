// Command framing and reply cutting.
#include "link/Framing.h"

#include <QStringList>

namespace Framing {

QByteArray frame(const QByteArray& command) {
    return command + "\r\n";
}

bool holdsLineEnd(const QString& reply) {
    return reply.contains(QLatin1Char('\n'));
}

void appendReceived(QString& reply, const QByteArray& received) {
    if (received.isEmpty() || reply.size() >= kMaxReplyBytes)
        return;
    // The meter speaks 8-bit text; Latin-1 keeps every byte as one character.
    reply += QString::fromLatin1(received.left(kMaxReplyBytes - reply.size()));
}

Identification splitIdentification(const QString& reply) {
    QString line = reply;
    const qsizetype lineEnd = line.indexOf(QLatin1Char('\n'));
    if (lineEnd >= 0)
        line.truncate(lineEnd);
    if (line.endsWith(QLatin1Char('\r')))
        line.chop(1);

    const QStringList fields = line.split(QLatin1Char(','));
    Identification id;
    id.maker = fields.value(0);
    id.model = fields.value(1);
    id.field3 = fields.value(2);
    id.field4 = fields.value(3);
    return id;
}

QString cleanMeasurementReply(const QString& reply) {
    qsizetype first = 0;
    qsizetype last = reply.size();
    while (first < last && reply.at(first) == QLatin1Char(' '))
        ++first;
    while (last > first && reply.at(last - 1) == QLatin1Char(' '))
        --last;
    QString cleaned = reply.mid(first, last - first);
    if (cleaned.endsWith(QLatin1Char('\r')))
        cleaned.chop(1);
    if (cleaned.endsWith(QLatin1Char('\n')))
        cleaned.chop(1);
    return cleaned;
}

} // namespace Framing
