// The Readings window's plain functions: figures at the meter's seven digits, statistics,
// limits and verdicts at the meter's resolution, the exported and copied texts, the entry
// checks, the chart's ticks, the window's placement, the auto-repeat's start times and the
// stability judgement.
#include "Settling.h"
#include "Table.h"
#include "measurement/CorrectionSettings.h"
#include "measurement/Numbers.h"
#include "measurement/ShownReading.h"
#include "readings/ChartScale.h"
#include "readings/Entries.h"
#include "readings/Figures.h"
#include "readings/ReadingSeries.h"
#include "readings/ReadingText.h"
#include "readings/Readings.h"
#include "readings/RepeatSchedule.h"
#include "readings/Stability.h"

#include <QtTest>

#include <array>
#include <clocale>
#include <cmath>
#include <ctime>
#include <numeric>
#include <random>

using Verdict = Limits::Verdict;
using Values = QList<double>;
Q_DECLARE_METATYPE(Limits::Settings)

namespace {

const QLocale kEnglish(QLocale::English);
const QLocale kGerman(QLocale::German, QLocale::Germany);

// A reading as the cycle hands it over: the meter's reply read as the cycle reads it, with
// the correction's outcome when given.
ShownReading shownOf(const QString& reply, std::optional<float> corrected = std::nullopt) {
    ShownReading shown;
    shown.outcome.measured = Numbers::fromMeter(reply);
    shown.outcome.corrected = corrected;
    shown.outcome.temperature = 23.5f;
    shown.tempco = 0.004f;
    shown.bTC = corrected.has_value();
    return shown;
}

// Limits as the limits box makes them from what was typed: "10 10.5 mOhm" low to high,
// "10 +/- 5 mOhm" a nominal and a percentage.
Limits::Settings typed(const QString& text) {
    const QStringList words = text.split(' ');
    const double factor = Entries::ohmsPer(words.last());
    const double first = *Entries::limit(words[0], kEnglish).value;
    const double last = *Entries::limit(words[words.size() - 2], kEnglish).value;
    if (words.size() == 4)
        return {Limits::Mode::Tolerance, first * factor, last, 0, 0};
    return {Limits::Mode::Window, 0, 0, first * factor, last * factor};
}

ReadingSeries seriesOf(const QStringList& replies, bool corrected = false) {
    ReadingSeries series;
    for (const QString& reply : replies) {
        const std::optional<float> value = Numbers::fromMeter(reply);
        series.add(readingOf(shownOf(reply, corrected ? value : std::nullopt), {}, 0));
    }
    return series;
}

} // namespace

class ReadingsLogicTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        QVERIFY2(std::setlocale(LC_ALL, "de_DE.UTF-8"), "de_DE.UTF-8 is not installed");
        qputenv("TZ", "Europe/Berlin"); // +01:00 in March
        tzset();
    }

    // Resistances with prefixes down to pico, chosen after rounding to seven digits.
    void resistanceTexts_data() {
        // ohms, english, german
        columns<double, QString, QString>();
        row("milli", 0.0125, "12.5 mOhm", "12,5 mOhm");
        row("pico", 1.291568e-11, "12.91568 pOhm", "12,91568 pOhm");
        row("nano", 4.5e-9, "4.5 nOhm", "4,5 nOhm");
        row("rounded up into the next range", 999.99996e-6, "1 mOhm", "1 mOhm");
        row("kilo, negative", -1234.5678, "-1.234568 kOhm", "-1,234568 kOhm");
        row("mega", 2e6, "2 MOhm", "2 MOhm");
        row("zero", 0.0, "0 Ohm", "0 Ohm");
        row("none", Reading::kNone, "", "");
    }
    void resistanceTexts() {
        const auto [ohms, english, german] = fetched<double, QString, QString>();
        QCOMPARE(ReadingText::ohms(ohms, kEnglish), english);
        QCOMPARE(ReadingText::ohms(ohms, kGerman), german);
    }

    // Round readings give round figures: each reading is the decimal the meter sent, and the
    // statistics are shown and copied to seven digits.
    void statisticsOfRoundReadings_data() {
        // replies, shown (count, mean, sd, min, max, span on screen),
        // copied (the Rx line copied in German)
        columns<QStringList, QString, QString>();
        row("span of two", QStringList{"1.260000e-02", "1.240000e-02"},
            "2|12.5 mOhm|141.4214 uOhm|12.4 mOhm|12.6 mOhm|200 uOhm",
            "Rx\t2\t0,0125\t0,0001414214\t0,0124\t0,0126\t0,0002");
        row("deviation of three", QStringList{"1.1", "1.2", "1.3"},
            "3|1.2 Ohm|100 mOhm|1.1 Ohm|1.3 Ohm|200 mOhm", "Rx\t3\t1,2\t0,1\t1,1\t1,3\t0,2");
        row("copied span", QStringList{"0.020", "0.0125"},
            "2|16.25 mOhm|5.303301 mOhm|12.5 mOhm|20 mOhm|7.5 mOhm",
            "Rx\t2\t0,01625\t0,005303301\t0,0125\t0,02\t0,0075");
        row("one reading: no deviation", QStringList{"1.5e-5"}, "1|15 uOhm||15 uOhm|15 uOhm|0 Ohm",
            "Rx\t1\t1,5E-05\t0\t1,5E-05\t1,5E-05\t0");
    }
    void statisticsOfRoundReadings() {
        const auto [replies, shown, copied] = fetched<QStringList, QString, QString>();
        const ReadingSeries series = seriesOf(replies);
        QCOMPARE(ReadingText::statisticsCells(series.rx(), kEnglish).join('|'), shown);
        QCOMPARE(ReadingText::statisticsText(series.rx(), Statistics(), kGerman),
                 "\tCount\tMean\tStd dev\tMin\tMax\tSpan\n" + copied + "\n");
    }

    // Corrected readings get an Rtc row of their own; a Range Error counts in neither; Clear
    // starts the statistics and the stability afresh.
    void rtcRowAndClear() {
        ReadingSeries series = seriesOf({"0.0125", "0.0127"}, true);
        series.add(readingOf({{}, true, 0.004f, true}, {}, 0));
        QCOMPARE(ReadingText::statisticsText(series.rx(), series.rtc(), kEnglish),
                 QStringLiteral("\tCount\tMean\tStd dev\tMin\tMax\tSpan\n"
                                "Rx\t2\t0.0126\t0.0001414214\t0.0125\t0.0127\t0.0002\n"
                                "Rtc\t2\t0.0126\t0.0001414214\t0.0125\t0.0127\t0.0002\n"));
        series.clear();
        series.add(readingOf(shownOf("0.5"), {}, 0));
        QCOMPARE(series.size(), 1);
        QCOMPARE(
            ReadingText::statisticsText(series.rx(), series.rtc(), kEnglish),
            QStringLiteral("\tCount\tMean\tStd dev\tMin\tMax\tSpan\nRx\t1\t0.5\t0\t0.5\t0.5\t0\n"));
        // Stability is judged as the verdict is, on Rtc with the correction on: a warming
        // conductor's Rx drifts while its corrected value holds, settled once the step from
        // the first reading lies two thirds of the series back.
        for (int i = 0; i < 15; ++i)
            series.add(readingOf(shownOf(QString::number(0.0125 + i * 2e-5), 0.0123f), {}, 0));
        QCOMPARE(series.stability().runStart(), 4); // counted from the Clear
    }

    // A million readings of about 10 uOhm, quantised as the meter sends them, differing by a
    // few hundred picohms: the sample standard deviation right to six digits.
    void millionReadingsKeepTheirSpread() {
        std::mt19937 random(7);
        std::normal_distribution<double> noise(1.0e-5, 3e-10);
        std::vector<double> values;
        Statistics s;
        for (int i = 0; i < 1'000'000; ++i) {
            values.push_back(readingOf(shownOf(QString::number(noise(random), 'e', 6)), {}, 0).rx);
            s.add(values.back());
        }
        const long double mean = std::accumulate(values.begin(), values.end(), 0.0L) / 1e6L;
        long double squares = 0;
        for (double v : values)
            squares += (v - mean) * (v - mean);
        const double reference = double(std::sqrt(squares / (values.size() - 1)));
        QVERIFY(std::fabs(s.standardDeviation() - reference) < 5e-7 * reference);
    }

    // On a limit at the meter's resolution is PASS, in every unit and both modes; a digit
    // beyond it is not.
    void verdictsAtTheLimits_data() {
        // reply, limits, verdict
        columns<QString, Limits::Settings, Verdict>();
        row("on the low limit", "1.000000e-02", typed("10 10.5 mOhm"), Verdict::Pass);
        row("on a low limit of 9.5 mOhm", "9.500000e-03", typed("9.5 10 mOhm"), Verdict::Pass);
        row("a digit below it", "9.499999e-03", typed("9.5 10 mOhm"), Verdict::Low);
        row("on the high limit", "1.250000e-02", typed("12 12.5 mOhm"), Verdict::Pass);
        row("a digit above it", "1.250001e-02", typed("12 12.5 mOhm"), Verdict::High);
        row("300 mOhm against 0.3 Ohm", "3.000000e-01", typed("0.1 0.3 Ohm"), Verdict::Pass);
        row("1.2 kOhm against 1200 Ohm", "1.200000e+03", typed("1000 1200 Ohm"), Verdict::Pass);
        row("more digits than shown", "1.2327424e-02", typed("12 12.32742 mOhm"), Verdict::Pass);
        row("microhms", "2.000000e-06", typed("1 2 uOhm"), Verdict::Pass);
        row("kilohms", "2.000001e+03", typed("1 2 kOhm"), Verdict::High);
        row("10 mOhm +/- 5 % against 9.5", "9.500000e-03", typed("10 +/- 5 mOhm"), Verdict::Pass);
        row("10 % band's low end", "9.000000e-03", typed("10 +/- 10 mOhm"), Verdict::Pass);
        row("2 % band's high end", "9.690000e-03", typed("9.5 +/- 2 mOhm"), Verdict::Pass);
        row("tolerance: below", "9.490000e-03", typed("10 +/- 5 mOhm"), Verdict::Low);
        row("tolerance: above", "1.051000e-02", typed("10 +/- 5 mOhm"), Verdict::High);
        row("negative nominal", "-9.600000e-03", typed("-10 +/- 5 mOhm"), Verdict::Pass);
    }
    void verdictsAtTheLimits() {
        const auto [reply, limits, verdict] = fetched<QString, Limits::Settings, Verdict>();
        QCOMPARE(readingOf(shownOf(reply), limits, 0).verdict, verdict);
    }

    // Rtc is judged with the correction on, Rx without; an over-range reading has a verdict
    // of its own, no statistics and no coefficient; a failed correction has no verdict.
    void readingsFromTheCycle() {
        MeasurementCycle::Outcome outcome;
        outcome.measured = 0.0105f;
        outcome.corrected = 0.0098f;
        const Limits::Settings limits{Limits::Mode::Window, 0, 0, 0.0099, 0.0101};
        QCOMPARE(readingOf({outcome, false, 0.004f, false}, limits, 1).verdict, Verdict::High);
        QCOMPARE(readingOf({outcome, false, 0.004f, true}, limits, 1).verdict, Verdict::Low);
        const Reading overRange = readingOf({{}, true, 0.004f, true}, limits, 1);
        QCOMPARE(overRange.verdict, Verdict::RangeError);
        QCOMPARE(ReadingText::cell(overRange, 0, ReadingText::Coefficient), QString());
        QCOMPARE(ReadingText::csvText({overRange}).split("\r\n").at(1).section(',', 2),
                 QStringLiteral(",,,,Range Error"));
        outcome.corrected.reset();
        QCOMPARE(readingOf({outcome, false, 0.004f, true}, limits, 1).verdict, Verdict::None);
    }

    // Every column of corrected readings, each with its own coefficient, in the standard CSV,
    // the region's CSV and the clipboard; the clipboard takes the rows asked for.
    void exports() {
        const qint64 time = QDateTime(QDate(2026, 3, 1), QTime(14, 5, 9)).toMSecsSinceEpoch();
        const Reading first{time, 1.5e-5, 1.2345e-5, 23.5, 0.004, false, true, Verdict::High};
        const Reading second{time + 61'000, 0.0125, 1.2345e-5, 23.5,
                             0.00393,       false,  true,      Verdict::Pass};
        const std::vector<Reading> both{first, second};
        QCOMPARE(ReadingText::csvText(both, ReadingText::Csv::Standard, kGerman),
                 QStringLiteral("Number,Time,Rx (Ohm),Rtc (Ohm),Temperature (C),Coefficient "
                                "(1/C),Verdict\r\n1,2026-03-01T14:05:09+01:00,1.5E-05,"
                                "1.2345E-05,23.5,0.004,HIGH\r\n2,2026-03-01T14:06:10+01:00,"
                                "0.0125,1.2345E-05,23.5,0.00393,PASS\r\n"));
        QCOMPARE(ReadingText::csvText({second}, ReadingText::Csv::Regional, kGerman),
                 QStringLiteral("Number;Time;Rx (Ohm);Rtc (Ohm);Temperature (C);Coefficient "
                                "(1/C);Verdict\r\n1;2026-03-01T14:06:10+01:00;0,0125;"
                                "1,2345E-05;23,5;0,00393;PASS\r\n"));
        QCOMPARE(
            ReadingText::clipboardText(both, {1}, kGerman),
            QStringLiteral("2\t2026-03-01 14:06:10\t0,0125\t1,2345E-05\t23,5\t0,00393\tPASS\n"));
        QCOMPARE(ReadingText::cell(second, 1, ReadingText::Coefficient, kGerman),
                 QStringLiteral("0,00393"));
    }

    // Every entry at both ends of its range and just beyond, in the operator's locale; a
    // rejected text says why.
    void entries_data() {
        // entry, accepted (German), refused
        columns<QString, QStringList, QStringList>();
        row("limit", "limit", QStringList{"12,3456", "-1E-9"}, QStringList{"1.000,5"});
        row("tolerance", "tolerance", QStringList{"0", "100"}, QStringList{"-0,001", "100,001"});
        row("interval", "interval", QStringList{"0,5", "3600"}, QStringList{"0,499", "3600,01"});
        row("count", "count", QStringList{"3", "1000"}, QStringList{"2", "1001", "5,5"});
        row("band", "band", QStringList{"0,0001", "100"}, QStringList{"0,00009", "100,001"});
    }
    void entries() {
        const auto [entry, accepted, refused] = fetched<QString, QStringList, QStringList>();
        const QMap<QString,
                   std::pair<Entries::Checked (*)(const QString&, const QLocale&), QString>>
            checks{{"limit", {Entries::limit, CorrectionSettings::kNotNumeric}},
                   {"tolerance", {Entries::tolerance, Entries::kTolerance}},
                   {"interval", {Entries::interval, Entries::kInterval}},
                   {"count", {Entries::stableCount, Entries::kStableCount}},
                   {"band", {Entries::stableBand, Entries::kStableBand}}};
        const auto& [check, message] = checks.value(entry);
        for (const QString& typed : accepted)
            QCOMPARE(check(typed, kGerman).value, std::optional(kGerman.toDouble(typed)));
        for (const QString& typed : refused)
            QCOMPARE(check(typed, kGerman).message, message);
    }

    // The last 5 readings within +/- 0.05 % of their mean and without a trend, quiet enough
    // for the band, and the newest within the band of where the series settles, judged reading
    // by reading: where the current stable run starts (-1: none) and what the indicator says.
    void stability_data() {
        // milliohms (NaN: a Range Error), runStart, shown
        columns<Values, int, QString>();
        const double error = Reading::kNone;
        const auto then = [](Values first, const Values& second) { return first << second; };
        // `n` readings approaching 12.5 mOhm from `off` above, each `ratio` as far as the last.
        const auto approach = [](int n, double off, double ratio) {
            Values values;
            for (int k = 0; k < n; ++k)
                values << 12.5 * (1.0 + off * std::pow(ratio, k));
            return values;
        };
        row("constant: confirmed over 3 N", Values(15, 12.5), 10, "STABLE  +/-0 %");
        row("no approach seen yet", Values(8, 12.5), -1, "SETTLING  +/-0 % (8 of 15 readings)");
        row("fewer than N", Values(4, 12.5), -1, "SETTLING  +/-0 % (4 of 5 readings)");
        row("noise inside the band", then(Values(10, 12.5), {12.5, 12.502, 12.499, 12.501, 12.499}),
            10, "STABLE  +/-0.014 %");
        row("noise of 0.02 % against a band of 0.05 %",
            then(Values(10, 12.5), {12.5, 12.504, 12.497, 12.502, 12.498}), -1,
            "SETTLING  +/-0.03 %, noise +/-0.02 % too close to the band");
        row("noise outside it", Values{12.5, 12.508, 12.497, 12.502, 12.498}, -1,
            "SETTLING  +/-0.056 %");
        // A series that keeps rising or falling inside the band is not stable, either way (a
        // settling winding comes from above).
        row("a drift inside the band", Values{10.0, 10.002, 10.004, 10.006, 10.008}, -1,
            "SETTLING  +/-0.04 %, trend 0.02 %/reading");
        row("falling after a steady run",
            then(Values(10, 10.008), {10.008, 10.006, 10.004, 10.002, 10.0}), -1,
            "SETTLING  +/-0.04 %, trend -0.02 %/reading");
        row("negative, falling in size",
            then(Values(10, -10.008), {-10.008, -10.006, -10.004, -10.002, -10.0}), -1,
            "SETTLING  +/-0.04 %, trend 0.02 %/reading");
        row("a drift below band / N is still on its way",
            Values{10.0, 10.0009, 10.0018, 10.0027, 10.0036}, -1,
            "SETTLING  +/-0.018 %, still approaching");
        row("a fast approach, settled but for the window's trend", approach(9, 0.3125, 0.2), -1,
            "SETTLING  +/-0.037 %, trend -0.011 %/reading");
        row("a slow approach that looks flat", approach(81, 0.02, std::exp(-1 / 60.0)), -1,
            "SETTLING  +/-0.018 %, may settle 0.57 % away");
        Values steadyNoise;
        for (int i = 0; i < 30; ++i)
            steadyNoise << 12.505 << 12.495 << 12.5;
        row("noise of 0.03 %, however long", steadyNoise, -1,
            "SETTLING  +/-0.048 %, noise +/-0.03 % too close to the band");
        row("at the band's edge: noise too close to it",
            then(Values(10, 10.0), {10.005, 9.995, 10.0, 9.995, 10.005}), -1,
            "SETTLING  +/-0.05 %, noise +/-0.06 % too close to the band");
        row("a digit beyond it", then(Values(10, 10.0), {10.00501, 9.995, 10.0, 9.995, 10.005}), -1,
            "SETTLING  +/-0.05 %");
        row("settling, then stable", Values{12.8, 12.6, 12.52, 12.5, 12.5, 12.5, 12.5, 12.5}, 3,
            "STABLE  +/-0 %");
        row("a Range Error in the run", Values{12.5, 12.5, 12.5, 12.5, error, 12.5, 12.5}, -1,
            "SETTLING  +/-0 % (2 of 5 readings)");
        row("just after it: only the count", Values{12.5, 12.6, error}, -1,
            "SETTLING (0 of 5 readings)");
        row("3 N after it", then(Values(14, 12.5) << error, Values(15, 12.5)), 25,
            "STABLE  +/-0 %");
        row("a run ended", then(Values(15, 12.5), {12.6}), -1,
            "SETTLING  +/-0.64 %, trend 0.16 %/reading");
        row("negative readings", Values(15, -10.0), 10, "STABLE  +/-0 %");
    }
    void stability() {
        const auto [milliohms, runStart, shown] = fetched<Values, int, QString>();
        Stability::Tracker tracker;
        for (double value : milliohms)
            tracker.add(Figures::atMeterDigits(value / 1000.0));
        QCOMPARE(Stability::text(tracker.judgement(), tracker.criterion(), kEnglish), shown);
        QCOMPARE(tracker.runStart(), runStart);
    }

    // "Stop when stable" keeps a settled value: in every case of the table (settling in 1 to
    // 30 s, a reading every 0.5 to 2 s, noise of none to a quarter of the band, from above
    // and from below), 200 seeds each, at least 99 % of the results lie within the band of
    // the final value, and half the series have stopped by six time constants plus N
    // intervals.
    void settledResults_data() {
        // the case, by its place in the table
        columns<int>();
        int i = 0;
        for (const Settling::Case& c : Settling::cases({}))
            QTest::addRow("settling %g s, every %g s, noise %g %%, from %s", c.settleSeconds,
                          c.intervalSeconds, c.noisePercent, c.fromAbove ? "above" : "below")
                << i++;
    }
    void settledResults() {
        const Settling::Case c = Settling::cases({}).at(std::get<0>(fetched<int>()));
        const Stability::Criterion usual;
        const Settling::Outcome outcome = Settling::run(c, usual, 200);
        QVERIFY2(outcome.met(c, usual), qPrintable(QStringLiteral("%1 % within, median stop %2 s")
                                                       .arg(outcome.withinShare * 100)
                                                       .arg(outcome.medianStopSeconds)));
    }

    // Round ticks around the readings (and the limits), at most four steps apart.
    void chartTicks_data() {
        // low, high, ticks
        columns<double, double, QString>();
        row("a noisy series", 12.25e-3, 12.68e-3, "12.2 mOhm|12.4 mOhm|12.6 mOhm|12.8 mOhm");
        row("wide", 9.974999e-3, 12.72063e-3, "9 mOhm|10 mOhm|11 mOhm|12 mOhm|13 mOhm");
        row("on ticks already", 1.0, 2.0, "1 Ohm|1.5 Ohm|2 Ohm");
        row("flat: one reading", 0.0125, 0.0125,
            "12.3 mOhm|12.4 mOhm|12.5 mOhm|12.6 mOhm|12.7 mOhm");
    }
    void chartTicks() {
        const auto [low, high, ticks] = fetched<double, double, QString>();
        QStringList texts;
        for (double tick : ChartScale::axis(low, high).ticks)
            texts << ReadingText::ohms(tick, kEnglish);
        QCOMPARE(texts.join('|'), ticks);
    }

    // Right of the results window, else left, else below, else above; inside the screen.
    void placement_data() {
        // results, size, expected
        columns<QRect, QSize, QRect>();
        const QSize big(720, 600);
        row("right", QRect(0, 0, 400, 350), big, QRect(408, 0, 720, 600));
        row("right, pushed up to stay on the screen", QRect(0, 400, 400, 350), big,
            QRect(408, 168, 720, 600));
        row("left", QRect(1000, 0, 300, 350), big, QRect(272, 0, 720, 600));
        row("below", QRect(300, 0, 800, 100), QSize(720, 400), QRect(300, 108, 720, 400));
        row("above", QRect(300, 600, 800, 160), QSize(720, 400), QRect(300, 192, 720, 400));
        row("no room: the least covered, on the screen", QRect(483, 214, 400, 340), big,
            QRect(646, 168, 720, 600));
        row("larger than the screen", QRect(0, 0, 300, 300), QSize(2000, 1000),
            QRect(0, 0, 1366, 768));
    }
    void placement() {
        const auto [results, size, expected] = fetched<QRect, QSize, QRect>();
        QCOMPARE(Readings::placeBeside(results, size, QRect(0, 0, 1366, 768)), expected);
    }

    // The first start at once; then on the grid of the first start; a late cycle skips the
    // starts it missed and the grid goes on.
    void schedule() {
        RepeatSchedule s(500, 4);
        // now, the wait asked for then, and when the cycle started (none: it was not started):
        // a timer a little late at 601; a cycle that ran to 2000 missed 1100 and 1600, 2100 is
        // next; at 2100 that slot is taken.
        using Step = std::array<qint64, 3>;
        for (const auto& [now, wait, start] :
             {Step{0, 0, 100}, Step{300, 300, 601}, Step{700, 400, -1}, Step{2000, 100, 2100},
              Step{2100, 500, 2600}}) {
            QCOMPARE(s.waitBefore(now), wait);
            QVERIFY(!s.finished());
            if (start >= 0)
                s.started(start);
        }
        QVERIFY(s.finished());
        QCOMPARE(s.startedCount(), 4);
        // Hours of 1.5 s repeats keep their time.
        RepeatSchedule hours(1'500'000'000, 0);
        hours.started(0);
        qint64 now = 0;
        for (int k = 1; k <= 2400; ++k) {
            now += hours.waitBefore(now + 7'000'000) + 7'000'000;
            hours.started(now);
        }
        QCOMPARE(now, 2400 * 1'500'000'000LL);
    }
};

QTEST_GUILESS_MAIN(ReadingsLogicTest)
#include "tst_readings_logic.moc"
