// A private X server (Xvfb) and xdotool, to drive the real program as an operator would.
#pragma once

#include <QPoint>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QString>

class Desktop {
public:
    ~Desktop();

    // Starts Xvfb on a free display; false (with the reason in why()) when it cannot.
    bool start();
    QString why() const { return m_why; }
    QString display() const { return m_display; } // the benchmarks watch it for windows

    // An environment for programs that should open their windows on this display.
    QProcessEnvironment environment() const;

    // A tool (xdotool, xclip) run on this display; its standard output.
    QString run(const QString& tool, const QStringList& arguments) const;

    // The id of the first window whose title is exactly `title`, waiting up to `timeoutMs`.
    QString waitForWindow(const QString& title, int timeoutMs = 30000) const;
    bool windowGone(const QString& title) const;

    // Clicks at a point of a window's client area.
    void click(const QString& window, QPoint at) const;
    void key(const QString& window, const QString& keys) const;
    void type(const QString& window, const QString& text) const;
    // What an operator copies out of a text box: a click into it, Ctrl+A, Ctrl+C.
    QString copyText(const QString& window, QPoint at) const;

private:
    // The ids of the shown windows whose title is exactly `title`, one a line.
    QString shownWindows(const QString& title) const;

    QProcess m_server;
    QProcess m_keeper;
    QString m_display;
    QString m_why;
};
