// Watches an X display for top-level windows being mapped, to time when a program's window
// is first shown to the nanosecond instead of at the pace of a polling tool.
#pragma once

#include <QString>

struct xcb_connection_t;

class WindowWatch {
public:
    struct Shown {
        double time = -1.0; // monotonic seconds when the map was seen; negative: never
        quint32 window = 0;
    };

    // Starts watching at once: only windows mapped from now on are seen.
    explicit WindowWatch(const QString& display);
    ~WindowWatch();
    WindowWatch(const WindowWatch&) = delete;
    WindowWatch& operator=(const WindowWatch&) = delete;

    bool connected() const { return m_connection != nullptr; }

    // Waits for a window whose title is exactly `title` to be mapped.
    Shown waitForShown(const QString& title, int timeoutMs);

private:
    QString titleOf(quint32 window);

    xcb_connection_t* m_connection = nullptr;
    quint32 m_netWmName = 0;
    quint32 m_utf8 = 0;
};
