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
    // Its size then is what it asked for, grown to what its controls need.
    const QRect frame = results->frameGeometry();
    const QSize decoration = frame.size() - results->geometry().size();
    const QSize size = window.size().expandedTo(window.minimumSizeHint());
    const QScreen* screen = results->screen();
    const QRect spot =
        placeBeside(frame, size + decoration, screen ? screen->availableGeometry() : QRect());
    window.resize(spot.size() - decoration);
    window.move(spot.topLeft());
}

} // namespace

QRect placeBeside(const QRect& results, const QSize& frameSize, const QRect& screen) {
    const QSize size = screen.isValid() ? frameSize.boundedTo(screen.size()) : frameSize;
    const int w = size.width();
    const int h = size.height();
    const QRect candidates[] = {
        {results.right() + 1 + kGap, results.top(), w, h},   // right
        {results.left() - kGap - w, results.top(), w, h},    // left
        {results.left(), results.bottom() + 1 + kGap, w, h}, // below
        {results.left(), results.top() - kGap - h, w, h},    // above
    };
    if (!screen.isValid())
        return candidates[0];
    // Each spot pushed inside the screen; the first that then leaves the results window
    // clear, else the one that covers the least of it.
    QRect best;
    qint64 leastCovered = -1;
    for (const QRect& candidate : candidates) {
        QRect spot = candidate;
        spot.moveLeft(std::clamp(spot.left(), screen.left(), screen.right() + 1 - w));
        spot.moveTop(std::clamp(spot.top(), screen.top(), screen.bottom() + 1 - h));
        const QRect covered = spot.intersected(results);
        const qint64 area = covered.isEmpty() ? 0 : qint64(covered.width()) * covered.height();
        if (area == 0)
            return spot;
        if (leastCovered < 0 || area < leastCovered) {
            leastCovered = area;
            best = spot;
        }
    }
    return best;
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
