// Starts and stops the simulator process.
#include "app/BuiltInSimulator.h"

#include <QElapsedTimer>
#include <QFileInfo>

#ifdef Q_OS_LINUX
#include <csignal>
#include <sys/prctl.h>
#endif

namespace {
constexpr int kStartMs = 5000;
}

BuiltInSimulator::~BuiltInSimulator() {
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate(); // SIGTERM lets it remove what it made
    if (!m_process.waitForFinished(2000))
        m_process.kill();
    m_process.waitForFinished(1000);
}

bool BuiltInSimulator::start(const QString& program, const QStringList& arguments) {
    if (!QFileInfo(program).isExecutable()) {
        m_error = QStringLiteral("the simulator %1 is missing.").arg(program);
        return false;
    }
    m_process.setProgram(program);
    m_process.setArguments(arguments);
    // Its own messages reach the operator's terminal; its stdout carries the device path.
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
#ifdef Q_OS_LINUX
    // Cancel in the not-responding box ends the program at once, without destructors: the
    // kernel then stops the simulator instead.
    m_process.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
#endif
    m_process.start();
    if (!m_process.waitForStarted(kStartMs)) {
        m_error = QStringLiteral("the simulator %1 did not start: %2")
                      .arg(program, m_process.errorString());
        return false;
    }
    QElapsedTimer waited;
    waited.start();
    while (!m_process.canReadLine() && m_process.state() == QProcess::Running &&
           waited.elapsed() < kStartMs)
        m_process.waitForReadyRead(100);
    const QByteArray line = m_process.readLine().trimmed();
    if (!line.startsWith("PTY ") || line.size() <= 4) {
        m_error = QStringLiteral("the simulator %1 did not report its device.").arg(program);
        return false;
    }
    m_device = QString::fromLocal8Bit(line.mid(4));
    return true;
}
