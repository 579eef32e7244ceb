// The simulator fixture.
#include "Simulator.h"

#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <csignal>

Simulator::Simulator(QStringList options) : m_options(std::move(options)) {
}

Simulator::~Simulator() {
    stop();
}

QString Simulator::program() {
    // A copy elsewhere (tests run as another user) names its own simulator.
    const QString copy = qEnvironmentVariable("MX7500_SIM");
    return copy.isEmpty() ? QStringLiteral(MX7500_SIM) : copy;
}

bool Simulator::start() {
    QStringList arguments = m_options;
    arguments << QStringLiteral("--record") << m_dir.filePath(QStringLiteral("record.txt"));
    m_process.setProgram(program());
    m_process.setArguments(arguments);
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.start();
    if (!m_process.waitForStarted(5000))
        return false;
    QElapsedTimer waited;
    waited.start();
    while (!m_process.canReadLine() && waited.elapsed() < 5000)
        m_process.waitForReadyRead(100);
    const QByteArray line = m_process.readLine().trimmed();
    if (!line.startsWith("PTY "))
        return false;
    m_device = QString::fromLocal8Bit(line.mid(4));
    return true;
}

QByteArray Simulator::unescape(const QByteArray& escaped) {
    QByteArray bytes;
    for (int i = 0; i < escaped.size(); ++i) {
        const char c = escaped.at(i);
        if (c != '\\' || i + 1 >= escaped.size()) {
            bytes += c;
            continue;
        }
        const char next = escaped.at(++i);
        switch (next) {
        case 'r':
            bytes += '\r';
            break;
        case 'n':
            bytes += '\n';
            break;
        case 't':
            bytes += '\t';
            break;
        case 'x':
            bytes += char(escaped.mid(i + 1, 2).toInt(nullptr, 16));
            i += 2;
            break;
        default:
            bytes += next;
            break;
        }
    }
    return bytes;
}

QList<Simulator::Event> Simulator::events() const {
    QList<Event> events;
    QFile file(m_dir.filePath(QStringLiteral("record.txt")));
    if (!file.open(QIODevice::ReadOnly))
        return events;
    for (QByteArray line : file.readAll().split('\n')) {
        const int firstBlank = line.indexOf(' ');
        if (firstBlank < 0 || line.size() < firstBlank + 3)
            continue;
        events << Event{line.left(firstBlank).toDouble(), line.at(firstBlank + 1) == '<',
                        unescape(line.mid(firstBlank + 3))};
    }
    return events;
}

QList<QByteArray> Simulator::received() const {
    QList<QByteArray> lines;
    for (const Event& event : events())
        if (event.received)
            lines << event.bytes;
    return lines;
}

bool Simulator::waitForReceived(int count, int timeoutMs) const {
    QElapsedTimer waited;
    waited.start();
    while (received().size() < count) {
        if (waited.elapsed() > timeoutMs)
            return false;
        QThread::msleep(20);
    }
    return true;
}

void Simulator::hangUp() {
    if (m_process.state() == QProcess::Running)
        ::kill(pid_t(m_process.processId()), SIGUSR1);
}

void Simulator::stop() {
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(3000))
        m_process.kill();
    m_process.waitForFinished(1000);
}
