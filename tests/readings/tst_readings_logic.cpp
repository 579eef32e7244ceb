// The Readings window's plain functions: statistics, limits and verdicts, the exported text,
// the entry checks and the auto-repeat's start times.
#include "Table.h"
#include "measurement/ShownReading.h"
#include "readings/Entries.h"
#include "readings/ReadingSeries.h"
#include "readings/ReadingText.h"
#include "readings/RepeatSchedule.h"

#include <QtTest>

#include <clocale>
#include <ctime>

using Verdict = Limits::Verdict;
using Values = QList<double>;
Q_DECLARE_METATYPE(Limits::Settings)

namespace {
Limits::Settings tolerance(double nominal, double percent) {
    return {Limits::Mode::Tolerance, nominal, percent, 0, 0};
}
Limits::Settings window(double low, double high) {
    return {Limits::Mode::Window, 0, 0, low, high};
}
} // namespace

class ReadingsLogicTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void statistics_data() {
        QTest::addColumn<Values>("values");
        QTest::addColumn<Values>("expected"); // count, mean, sd, min, max, span
        row("one: no spread", Values{5}, Values{1, 5, 0, 5, 5, 0});
        row("sample, not population", Values{2, 4, 4, 4, 5, 5, 7, 9},
            Values{8, 5, 2.1380899352993950, 2, 9, 7});
    }
    void statistics() {
        QFETCH(Values, values);
        QFETCH(Values, expected);
        Statistics s;
        for (double v : values)
            s.add(v);
        const Values got{double(s.count()), s.mean(),    s.standardDeviation(),
                         s.minimum(),       s.maximum(), s.span()};
        for (int i = 0; i < got.size(); ++i)
            QVERIFY2(qAbs(got[i] - expected[i]) < 1e-12, qPrintable(QString::number(i)));
    }

    void verdicts_data() {
        QTest::addColumn<Limits::Settings>("limits");
        QTest::addColumn<double>("value");
        QTest::addColumn<Verdict>("verdict");
        row("tolerance: on the low edge", tolerance(10, 5), 9.5, Verdict::Pass);
        row("tolerance: below", tolerance(10, 5), 9.49, Verdict::Low);
        row("tolerance of a negative nominal", tolerance(-10, 5), -9.6, Verdict::Pass);
        row("window: on the high edge", window(1, 2), 2.0, Verdict::Pass);
        row("window: above", window(1, 2), 2.001, Verdict::High);
    }
    void verdicts() {
        QFETCH(Limits::Settings, limits);
        QFETCH(double, value);
        QFETCH(Verdict, verdict);
        QCOMPARE(Limits::judge(limits, value), verdict);
        QCOMPARE(Limits::judge(limits, std::nullopt), Verdict::None);
    }

    // Rtc is judged with the correction on, Rx without; an over-range reading has a verdict
    // of its own and no statistics; a failed correction has no verdict.
    void readingsFromTheCycle() {
        MeasurementCycle::Outcome outcome;
        outcome.measured = 0.0105f;
        outcome.corrected = 0.0098f;
        const Limits::Settings limits = window(0.0099, 0.0101);
        QCOMPARE(readingOf({outcome, false, 0.004f, false}, limits, 1).verdict, Verdict::High);
        QCOMPARE(readingOf({outcome, false, 0.004f, true}, limits, 1).verdict, Verdict::Low);
        QCOMPARE(readingOf({{}, true, 0.004f, true}, limits, 1).verdict, Verdict::RangeError);
        outcome.corrected.reset();
        QCOMPARE(readingOf({outcome, false, 0.004f, true}, limits, 1).verdict, Verdict::None);
    }

    // Every column of a corrected reading in the CSV, "." numbers and the time with its UTC
    // offset, whatever the process locale.
    void csvText() {
        QVERIFY2(std::setlocale(LC_ALL, "de_DE.UTF-8"), "de_DE.UTF-8 is not installed");
        qputenv("TZ", "Europe/Berlin"); // +01:00 in March
        tzset();
        const qint64 time = QDateTime(QDate(2026, 3, 1), QTime(14, 5, 9)).toMSecsSinceEpoch();
        const Reading r{time, 1.5e-5f, 1.2345e-5f, 23.5f, 0.004f, false, true, Verdict::High};
        QCOMPARE(ReadingText::csvText({r}),
                 QStringLiteral("Number,Time,Rx (Ohm),Rtc (Ohm),Temperature (C),Coefficient "
                                "(1/C),Verdict\r\n1,2026-03-01T14:05:09+01:00,1.5E-05,"
                                "1.2345E-05,23.5,0.004,HIGH\r\n"));
        std::setlocale(LC_ALL, "C");
    }

    // Locale-aware, bounds included; a rejected text says why.
    void entries() {
        const QLocale english(QLocale::English);
        QCOMPARE(Entries::limit(QStringLiteral("9,5"), QLocale(QLocale::German)).value, 9.5);
        QCOMPARE(Entries::tolerance(QStringLiteral("100"), english).value, 100.0);
        QCOMPARE(Entries::tolerance(QStringLiteral("100.5"), english).message,
                 QStringLiteral("Tolerance must be between 0 and 100 %"));
        for (const char* beyond : {"0.4", "3601"})
            QCOMPARE(Entries::interval(QString::fromLatin1(beyond), english).message,
                     QStringLiteral("Interval must be between 0.5 and 3600 s"));
    }

    // Starts an interval apart from the last start; a late cycle delays the next, and the
    // starts it missed are not made up.
    void schedule() {
        RepeatSchedule s(500, 3);
        QCOMPARE(s.waitBefore(0), 0);
        s.started(100);
        QCOMPARE(s.waitBefore(300), 300);
        QCOMPARE(s.waitBefore(2000), 0);
        s.started(2000);
        QCOMPARE(s.waitBefore(2100), 400);
        QVERIFY(!s.finished());
        s.started(2500);
        QVERIFY(s.finished());
    }
};

QTEST_GUILESS_MAIN(ReadingsLogicTest)
#include "tst_readings_logic.moc"
