// The private X server for end-to-end tests.
#include "Desktop.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>

#include <unistd.h>

Desktop::Desktop() = default;

Desktop::~Desktop() {
    if (m_keeper.state() != QProcess::NotRunning) {
        m_keeper.kill();
        m_keeper.waitForFinished(3000);
    }
    if (m_server.state() != QProcess::NotRunning) {
        m_server.terminate();
        m_server.waitForFinished(3000);
    }
}

bool Desktop::start() {
    if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty()) {
        m_why = QStringLiteral("Xvfb or xdotool is not installed (scripts/install-deps)");
        return false;
    }
    // A display number of our own, away from the ones desktops and other tests use.
    for (int attempt = 0; attempt < 20; ++attempt) {
        const int number = 100 + (getpid() + attempt * 7) % 800;
        if (QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number)) ||
            QFileInfo::exists(QStringLiteral("/tmp/.X%1-lock").arg(number)))
            continue;
        m_display = QStringLiteral(":%1").arg(number);
        m_server.start(QStringLiteral("Xvfb"),
                       {m_display, QStringLiteral("-screen"), QStringLiteral("0"),
                        QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"),
                        QStringLiteral("tcp")});
        if (!m_server.waitForStarted(5000))
            continue;
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < 5000 && m_server.state() == QProcess::Running) {
            if (QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number))) {
                // The server resets whenever its last client leaves, and a program started in
                // that moment finds no display: one client stays connected the whole time.
                m_keeper.setProcessEnvironment(environment());
                m_keeper.start(QStringLiteral("xdotool"),
                               {QStringLiteral("search"), QStringLiteral("--sync"),
                                QStringLiteral("--name"), QStringLiteral("^keeps the display$")});
                return m_keeper.waitForStarted(5000);
            }
            QThread::msleep(50);
        }
        m_server.kill();
        m_server.waitForFinished(1000);
    }
    m_why = QStringLiteral("Xvfb did not start");
    return false;
}

QProcessEnvironment Desktop::environment() const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), m_display);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORMTHEME"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    return environment;
}

QString Desktop::xdotool(const QStringList& arguments, int timeoutMs) const {
    QProcess tool;
    tool.setProcessEnvironment(environment());
    tool.start(QStringLiteral("xdotool"), arguments);
    tool.waitForFinished(timeoutMs);
    return QString::fromLocal8Bit(tool.readAllStandardOutput()).trimmed();
}

QString Desktop::waitForWindow(const QString& title, int timeoutMs) const {
    QElapsedTimer waited;
    waited.start();
    const QString pattern = QLatin1Char('^') + QRegularExpression::escape(title) + QLatin1Char('$');
    while (waited.elapsed() < timeoutMs) {
        const QString ids = xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                     QStringLiteral("--name"), pattern});
        if (!ids.isEmpty())
            return ids.split(QLatin1Char('\n')).constFirst();
        QThread::msleep(100);
    }
    return QString();
}

bool Desktop::windowGone(const QString& title) const {
    const QString pattern = QLatin1Char('^') + QRegularExpression::escape(title) + QLatin1Char('$');
    return xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                    QStringLiteral("--name"), pattern})
        .isEmpty();
}

void Desktop::click(const QString& window, int x, int y) const {
    xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), window, QString::number(x),
             QString::number(y), QStringLiteral("click"), QStringLiteral("1")});
}

// Keys go to the focused window, never to a named one: xdotool looks a named window up
// between the press and the release, and when the key closes that window (Escape in a box
// that ends the program) it dies on the vanished window with the key still down. The server
// then repeats that key into every later test's windows.
void Desktop::key(const QString& window, const QString& keys) const {
    xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), window});
    xdotool({QStringLiteral("key"), keys});
}

void Desktop::type(const QString& window, const QString& text) const {
    xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), window});
    xdotool({QStringLiteral("type"), text});
}

QString Desktop::copyText(const QString& window, int x, int y) const {
    click(window, x, y);
    key(window, QStringLiteral("ctrl+a"));
    key(window, QStringLiteral("ctrl+c"));
    return clipboard();
}

QString Desktop::clipboard() const {
    QProcess clip;
    clip.setProcessEnvironment(environment());
    clip.start(QStringLiteral("xclip"),
               {QStringLiteral("-o"), QStringLiteral("-selection"), QStringLiteral("clipboard")});
    clip.waitForFinished(5000);
    return QString::fromUtf8(clip.readAllStandardOutput());
}
