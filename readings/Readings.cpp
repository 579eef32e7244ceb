// Opening and placing the Readings window.
#include "readings/Readings.h"

#include "measurement/ResultsEvents.h"
#include "measurement/frmMeasure.h"
#include "readings/ReadingsWindow.h"

#include <QDateTime>
#include <QList>
#include <QPointer>
#include <QScreen>
#include <QTimer>

#include <algorithm>

namespace Readings {

namespace {

QPointer<ReadingsWindow> g_window;
bool g_openAtHandOver = false;
// The run's readings shown before the window was first opened, with the time of each: the
// window's table holds the whole run, yet nothing of it is built until it is asked for.
struct Earlier {
    ShownReading shown;
    qint64 msecsSinceEpoch;
};
QList<Earlier> g_earlier;
constexpr int kGap = 8;

void placeBesideResults(ReadingsWindow& window) {
    const frmMeasure* results = frmMeasure::loaded();
    if (!results || !results->isVisible())
        return;
    // Before it is first shown the window has no frame yet; it will get the results window's.
    const QRect frame = results->frameGeometry();
    const QSize decoration = frame.size() - results->geometry().size();
    const QScreen* screen = results->screen();
    const QRect spot = placeBeside(frame, window.size() + decoration,
                                   screen ? screen->availableGeometry() : QRect());
    window.move(spot.topLeft());
}

} // namespace

QRect placeBeside(const QRect& results, const QSize& frameSize, const QRect& screen) {
    const QRect right(results.right() + 1 + kGap, results.top(), frameSize.width(),
                      frameSize.height());
    if (!screen.isValid() || right.right() <= screen.right())
        return right;
    // Below, kept on the screen sideways; never moved up over the results window.
    const int left =
        std::max(screen.left(), std::min(results.left(), screen.right() + 1 - frameSize.width()));
    return QRect(left, results.bottom() + 1 + kGap, frameSize.width(), frameSize.height());
}

ReadingsWindow& open() {
    if (!g_window) {
        g_window = new ReadingsWindow;
        ResultsEvents& events = ResultsEvents::instance();
        QObject::connect(&events, &ResultsEvents::readingShown, g_window,
                         &ReadingsWindow::addReading);
        // The window belongs to the results window's run and ends with it.
        QObject::connect(&events, &ResultsEvents::resultsClosing, g_window, [] {
            g_window->close();
            g_window->deleteLater();
        });
        for (const Earlier& earlier : std::as_const(g_earlier))
            g_window->addReadingTakenAt(earlier.shown, earlier.msecsSinceEpoch);
        g_earlier.clear();
        placeBesideResults(*g_window);
    }
    g_window->show();
    g_window->raise();
    g_window->activateWindow();
    return *g_window;
}

ReadingsWindow* existing() {
    return g_window.data();
}

void install(bool atHandOver) {
    g_openAtHandOver = atHandOver;
    static bool connected = false;
    if (connected)
        return;
    connected = true;
    ResultsEvents& events = ResultsEvents::instance();
    QObject::connect(&events, &ResultsEvents::readingsRequested, [] { open(); });
    QObject::connect(&events, &ResultsEvents::readingShown, [](const ShownReading& shown) {
        if (!g_window)
            g_earlier.append({shown, QDateTime::currentMSecsSinceEpoch()});
    });
    QObject::connect(&events, &ResultsEvents::resultsClosing, [] { g_earlier.clear(); });
    QObject::connect(&events, &ResultsEvents::resultsShown, [] {
        if (!g_openAtHandOver)
            return;
        g_openAtHandOver = false;
        // Once the results window is placed, so the Readings window can go beside it.
        QTimer::singleShot(0, [] { open(); });
    });
}

} // namespace Readings
