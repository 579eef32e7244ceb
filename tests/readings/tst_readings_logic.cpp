// The Readings window's plain functions: statistics, limits and verdicts, the table, clipboard
// and CSV texts, the chart's columns, the entry checks and the auto-repeat's start times.
#include "measurement/ShownReading.h"
#include "readings/ChartBins.h"
#include "readings/Entries.h"
#include "readings/ReadingSeries.h"
#include "readings/ReadingText.h"
#include "readings/RepeatSchedule.h"

#include <QtTest>

#include <clocale>
#include <ctime>
#include <random>

using Verdict = Limits::Verdict;
using Values = QList<double>;
Q_DECLARE_METATYPE(Limits::Settings)

namespace {
const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);
const QLocale kGerman(QLocale::German, QLocale::Germany);

Reading reading(float rx, float rtc = Reading::kNone, Verdict verdict = Verdict::None) {
    Reading r;
    r.time = QDateTime(QDate(2026, 3, 1), QTime(14, 5, 9)).toMSecsSinceEpoch();
    r.rx = rx;
    r.rtc = rtc;
    r.verdict = verdict;
    if (!std::isnan(rtc)) {
        r.corrected = true;
        r.temperature = 23.5f;
        r.tempco = 0.004f;
    }
    return r;
}
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
    void initTestCase() {
        qputenv("TZ", "Europe/Berlin"); // the CSV's times carry the offset, +01:00 in March
        tzset();
    }
    void statistics_data() {
        QTest::addColumn<Values>("values");
        QTest::addColumn<Values>("expected"); // count, mean, sd, min, max, span
        QTest::newRow("none") << Values{} << Values{0, 0, 0, 0, 0, 0};
        QTest::newRow("one: no spread") << Values{5} << Values{1, 5, 0, 5, 5, 0};
        QTest::newRow("sample, not population")
            << Values{2, 4, 4, 4, 5, 5, 7, 9} << Values{8, 5, 2.1380899352993950, 2, 9, 7};
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
        s.clear();
        QCOMPARE(s.count(), 0);
    }

    // A sum of squares keeps only a few digits of the spread of 10 uOhm readings that differ by
    // some 20 pOhm; the running update keeps it to better than 6.
    void millionReadingsKeepTheirSpread() {
        std::mt19937_64 random(7);
        std::normal_distribution<double> noise(0.0, 2e-11);
        std::vector<float> values(1'000'000);
        Statistics s;
        for (float& v : values) {
            v = float(10e-6 + noise(random));
            s.add(v);
        }
        long double mean = 0, squares = 0;
        for (float v : values)
            mean += v;
        mean /= values.size();
        for (float v : values)
            squares += (v - mean) * (v - mean);
        const double exact = double(std::sqrt(squares / (values.size() - 1)));
        QCOMPARE(s.count(), 1'000'000);
        QVERIFY2(qAbs(s.standardDeviation() / exact - 1) < 1e-6,
                 qPrintable(QString::number(s.standardDeviation() / exact - 1)));
        QVERIFY(qAbs(s.mean() / double(mean) - 1) < 1e-9);
    }

    void verdicts_data() {
        QTest::addColumn<Limits::Settings>("limits");
        QTest::addColumn<double>("value");
        QTest::addColumn<Verdict>("verdict");
        QTest::newRow("off") << Limits::Settings{} << 5.0 << Verdict::None;
        QTest::newRow("tolerance: inside") << tolerance(10, 5) << 10.2 << Verdict::Pass;
        QTest::newRow("tolerance: on the low edge") << tolerance(10, 5) << 9.5 << Verdict::Pass;
        QTest::newRow("tolerance: below") << tolerance(10, 5) << 9.49 << Verdict::Low;
        QTest::newRow("tolerance of a negative nominal")
            << tolerance(-10, 5) << -9.6 << Verdict::Pass;
        QTest::newRow("tolerance 0: only the nominal") << tolerance(2, 0) << 2.0 << Verdict::Pass;
        QTest::newRow("window: on the high edge") << window(1, 2) << 2.0 << Verdict::Pass;
        QTest::newRow("window: above") << window(1, 2) << 2.001 << Verdict::High;
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
        outcome.temperature = 30.0f;
        const Limits::Settings limits = window(0.0099, 0.0101);
        const Reading plain = readingOf({outcome, false, 0.004f, false}, limits, 1);
        QCOMPARE(plain.verdict, Verdict::High);
        QVERIFY(std::isnan(plain.rtc) && std::isnan(plain.temperature));
        const Reading corrected = readingOf({outcome, false, 0.004f, true}, limits, 1);
        QCOMPARE(corrected.verdict, Verdict::Low);
        QCOMPARE(corrected.temperature, 30.0f);
        outcome.corrected.reset();
        QCOMPARE(readingOf({outcome, false, 0.004f, true}, limits, 1).verdict, Verdict::None);
        const Reading over = readingOf({{}, true, 0.004f, true}, limits, 1);
        QCOMPARE(over.verdict, Verdict::RangeError);

        ReadingSeries series;
        series.add(plain);
        series.add(over);
        series.add(corrected);
        QCOMPARE(series.size(), 3);
        QCOMPARE(series.rx().count(), 2);
        QCOMPARE(series.rtc().count(), 1);
        series.clear();
        QCOMPARE(series.size() + series.rx().count() + series.rtc().count(), 0);
    }

    // The table in the operator's locale (the process's C locale too, which must not leak
    // into the exports); clipboard and CSV with "." whatever the locale.
    void texts() {
        const bool german = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
        const std::vector<Reading> readings{reading(0.0125f, Reading::kNone, Verdict::Pass),
                                            reading(Reading::kNone),
                                            reading(1.5e-5f, 1.2345e-5f, Verdict::High)};
        const auto cells = [&](int i, const QLocale& locale) {
            QStringList row;
            for (int c = 0; c < ReadingText::ColumnCount; ++c)
                row << ReadingText::cell(readings[size_t(i)], i, ReadingText::Column(c), locale);
            return row;
        };
        QCOMPARE(cells(0, kEnglish),
                 (QStringList{"1", "14:05:09", "12.5 mOhm", "", "", "", "PASS"}));
        QCOMPARE(cells(2, kGerman),
                 (QStringList{"3", "14:05:09", "15 uOhm", "12,345 uOhm", "23,5", "0,004", "HIGH"}));
        QCOMPARE(ReadingText::ohms(2e6, kEnglish), QStringLiteral("2000000 Ohm"));
        QCOMPARE(ReadingText::ohms(-1500, kGerman), QStringLiteral("-1,5 kOhm"));

        QCOMPARE(
            ReadingText::clipboardText(readings, {0, 2}),
            QStringLiteral("1\t2026-03-01 14:05:09\t0.0125\t\t\t\tPASS\n"
                           "3\t2026-03-01 14:05:09\t1.5E-05\t1.2345E-05\t23.5\t0.004\tHIGH\n"));
        QCOMPARE(
            ReadingText::csvText(readings),
            QStringLiteral("Number,Time,Rx (Ohm),Rtc (Ohm),Temperature (C),"
                           "Coefficient (1/C),Verdict\r\n"
                           "1,2026-03-01T14:05:09+01:00,0.0125,,,,PASS\r\n"
                           "2,2026-03-01T14:05:09+01:00,,,,,\r\n"
                           "3,2026-03-01T14:05:09+01:00,1.5E-05,1.2345E-05,23.5,0.004,HIGH\r\n"));
        if (german)
            std::setlocale(LC_ALL, "C");
        else
            qWarning("de_DE.UTF-8 is not installed: the process locale was not changed");
    }

    // Locale-aware, bounds included; a rejected text says why.
    void entries() {
        using Check = Entries::Checked (*)(const QString&, const QLocale&);
        const QString nan = QStringLiteral("Entry must be numeric");
        const struct {
            Check check;
            const char* text;
            QLocale locale;
            double value; // -1: rejected
            QString message;
        } cases[] = {{Entries::limit, "9,5", kGerman, 9.5, {}},
                     {Entries::limit, "9.5", kGerman, -1, nan},
                     {Entries::tolerance, "100", kEnglish, 100, {}},
                     {Entries::tolerance, "100.5", kEnglish, -1,
                      QString("Tolerance must be between 0 and 100 %")},
                     {Entries::interval, "0,5", kGerman, 0.5, {}},
                     {Entries::interval, "0.4", kEnglish, -1,
                      QString("Interval must be between 0.5 and 3600 s")},
                     {Entries::interval, "3601", kEnglish, -1,
                      QString("Interval must be between 0.5 and 3600 s")}};
        for (const auto& c : cases) {
            const Entries::Checked got = c.check(QString::fromLatin1(c.text), c.locale);
            QCOMPARE(got.value.value_or(-1.0), c.value);
            QCOMPARE(got.message, c.message);
        }
    }

    // Each column from the lowest to the highest reading on it, kept as readings come;
    // readings without a value take a place but no height.
    void chartColumns() {
        ChartBins bins;
        for (float v : {1.0f, 5.0f, Reading::kNone, Reading::kNone, 3.0f, 2.0f, 4.0f})
            bins.add(v);
        const auto check = [&](int columns, const QList<QList<float>>& expected) {
            const std::vector<ChartBins::Column>& got = bins.columns(columns);
            QList<QList<float>> shown;
            for (const ChartBins::Column& c : got)
                shown << (c.empty ? QList<float>{} : QList<float>{c.low, c.high});
            QCOMPARE(shown, expected);
        };
        check(100, {{1, 1}, {5, 5}, {}, {}, {3, 3}, {2, 2}, {4, 4}});
        check(4, {{1, 5}, {}, {2, 3}, {4, 4}});
        check(3, {{1, 5}, {2, 4}});
        check(1, {{1, 5}});
        ChartBins many; // the level a wide chart draws
        for (int i = 0; i < 100'000; ++i)
            many.add(i == 54'321 ? 9.0f : 1.0f);
        const std::vector<ChartBins::Column>& wide = many.columns(640);
        QCOMPARE(wide.size(), size_t(391)); // blocks of 256 readings
        QCOMPARE(wide[54'321 / 256].high, 9.0f);
        QCOMPARE(wide[54'321 / 256 + 1].high, 1.0f);
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
        RepeatSchedule endless(500, 0);
        endless.started(0);
        QVERIFY(!endless.finished());
    }
};

QTEST_GUILESS_MAIN(ReadingsLogicTest)
#include "tst_readings_logic.moc"
