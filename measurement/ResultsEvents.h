// What the results window tells windows beside it: a reading shown, the window asked for the
// Readings or the Records window, the configuration step starting, the window shown or closing. The
// results window knows none of its listeners; the program connects them.
#pragma once

#include "measurement/ShownReading.h"

#include <QObject>

class ResultsEvents : public QObject {
    Q_OBJECT
public:
    static ResultsEvents& instance();

    void reportReading(const ShownReading& reading) { Q_EMIT readingShown(reading); }

Q_SIGNALS:
    void readingShown(const ShownReading& reading);
    void readingsRequested();
    void recordsRequested();
    void configurationStarted();
    void resultsShown();
    void resultsHidden();
    void resultsClosing();
};
