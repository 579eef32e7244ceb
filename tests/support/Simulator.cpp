// The simulator fixture.
#include "Simulator.h"

#include <QFile>

bool Simulator::start() {
    // A copy elsewhere (tests run as another user) names its own simulator.
    const QString copy = qEnvironmentVariable("MX7500_SIM");
    return m_process.start(copy.isEmpty() ? QStringLiteral(MX7500_SIM) : copy,
                           m_options << QStringLiteral("--record")
                                     << m_dir.filePath(QStringLiteral("record.txt")));
}

// The record holds one event a line, "seconds <|> bytes", the bytes C-escaped.
QList<Simulator::Event> Simulator::events() const {
    QList<Event> events;
    QFile file(m_dir.filePath(QStringLiteral("record.txt")));
    if (!file.open(QIODevice::ReadOnly))
        return events;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const int blank = line.indexOf(' ');
        if (blank < 0 || line.size() < blank + 3)
            continue;
        QByteArray bytes;
        const QByteArray escaped = line.mid(blank + 3);
        for (int i = 0; i < escaped.size(); ++i) {
            if (escaped[i] != '\\' || i + 1 == escaped.size()) {
                bytes += escaped[i];
            } else if (escaped[++i] == 'x') {
                bytes += char(escaped.mid(i + 1, 2).toInt(nullptr, 16));
                i += 2;
            } else {
                const char c = escaped[i];
                bytes += c == 'r' ? '\r' : c == 'n' ? '\n' : c == 't' ? '\t' : c;
            }
        }
        events << Event{line.left(blank).toDouble(), line.at(blank + 1) == '<', bytes};
    }
    return events;
}

QList<Simulator::Event> Simulator::heard() const {
    QList<Event> heard = events();
    heard.removeIf([](const Event& event) { return !event.received; });
    return heard;
}

QList<QByteArray> Simulator::received() const {
    QList<QByteArray> lines;
    for (const Event& event : heard())
        lines << event.bytes;
    return lines;
}
