// The private X server for end-to-end tests.
#include "Desktop.h"

#include <QElapsedTimer>
#include <QStandardPaths>
#include <QThread>

Desktop::~Desktop() {
    for (QProcess* process : {&m_keeper, &m_server}) {
        process->terminate();
        process->waitForFinished(3000);
    }
}

bool Desktop::start() {
    if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty()) {
        m_why = QStringLiteral("Xvfb or xdotool is not installed (scripts/install-deps)");
        return false;
    }
    // The server picks a free display and names it once it accepts clients.
    m_server.start(QStringLiteral("Xvfb"),
                   {"-displayfd", "1", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"});
    QElapsedTimer waited;
    waited.start();
    while (!m_server.canReadLine() && m_server.state() != QProcess::NotRunning &&
           waited.elapsed() < 10000)
        m_server.waitForReadyRead(100);
    const QByteArray number = m_server.readLine().trimmed();
    if (number.isEmpty()) {
        m_why = QStringLiteral("Xvfb did not start");
        return false;
    }
    m_display = QLatin1Char(':') + QString::fromLatin1(number);
    // The server resets whenever its last client leaves, and a program started in that
    // moment finds no display: one client stays connected the whole time.
    m_keeper.setProcessEnvironment(environment());
    m_keeper.start(QStringLiteral("xdotool"),
                   {"search", "--sync", "--name", "^keeps the display$"});
    return m_keeper.waitForStarted(5000);
}

QProcessEnvironment Desktop::environment() const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), m_display);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORMTHEME"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    return environment;
}

QString Desktop::run(const QString& tool, const QStringList& arguments) const {
    QProcess process;
    process.setProcessEnvironment(environment());
    process.start(tool, arguments);
    process.waitForFinished(15000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString Desktop::waitForWindow(const QString& title, int timeoutMs) const {
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < timeoutMs) {
        const QString ids = shownWindows(title);
        if (!ids.isEmpty())
            return ids.section(QLatin1Char('\n'), 0, 0);
        QThread::msleep(100);
    }
    return QString();
}

bool Desktop::windowGone(const QString& title) const {
    return shownWindows(title).isEmpty();
}

QString Desktop::shownWindows(const QString& title) const {
    const QString exact = QLatin1Char('^') + QRegularExpression::escape(title) + QLatin1Char('$');
    return run("xdotool", {"search", "--onlyvisible", "--name", exact}).trimmed();
}

void Desktop::click(const QString& window, QPoint at) const {
    run("xdotool", {"mousemove", "--window", window, QString::number(at.x()),
                    QString::number(at.y()), "click", "1"});
}

// Keys go to the focused window, never to a named one: xdotool looks a named window up
// between the press and the release, and when the key closes that window (Escape in a box
// that ends the program) it dies on the vanished window with the key still down. The server
// then repeats that key into every later test's windows.
void Desktop::key(const QString& window, const QString& keys) const {
    run("xdotool", {"windowfocus", "--sync", window});
    run("xdotool", {"key", keys});
}

void Desktop::type(const QString& window, const QString& text) const {
    run("xdotool", {"windowfocus", "--sync", window});
    run("xdotool", {"type", text});
}

QString Desktop::copyText(const QString& window, QPoint at) const {
    click(window, at);
    key(window, QStringLiteral("ctrl+a"));
    key(window, QStringLiteral("ctrl+c"));
    return run("xclip", {"-o", "-selection", "clipboard"}); // as another program reads it
}
