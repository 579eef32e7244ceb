// How long something takes on the monotonic clock, and how much CPU time this process has
// used, to tell an idle program from one that spins.
#pragma once

#include <QElapsedTimer>
#include <QTest>

#include <ctime>
#include <functional>

inline qint64 msTaken(const std::function<void()>& action) {
    QElapsedTimer clock;
    clock.start();
    action();
    return clock.elapsed();
}

// Fails the test unless `from` <= `ms` < `to`.
inline void within(qint64 ms, qint64 from, qint64 to) {
    QVERIFY2(ms >= from && ms < to, qPrintable(QStringLiteral("%1 ms").arg(ms)));
}

inline double cpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}
