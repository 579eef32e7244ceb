// The Readings window against an in-memory meter: every way the auto-repeat stops, the line
// never shared by two exchanges, limits typed key by key, verdicts, statistics, the chart's
// columns, copy, Save and Clear in a comma-decimal locale, and auto-repeat stopping when the
// series is stable.
#include "Panel.h"
#include "readings/AutoRepeat.h"
#include "readings/CheckedEntry.h"
#include "readings/LimitsBox.h"
#include "readings/Readings.h"
#include "readings/ReadingsModel.h"
#include "readings/ReadingsWindow.h"
#include "readings/RepeatBox.h"
#include "readings/StabilityBox.h"
#include "readings/StatisticsGrid.h"
#include "readings/TrendChart.h"

#include <QCheckBox>
#include <QClipboard>
#include <QScreen>
#include <QSpinBox>
#include <QTableView>

#include <cmath>

using Answer = OperatorPrompt::Answer;
using Buttons = OperatorPrompt::Buttons;

class ReadingsWindowTest : public Panel {
    Q_OBJECT
    frmMeasure* m_results = nullptr;
    int m_triggers = 0;          // counted here: Exit takes the port with it
    QList<QByteArray> m_replies; // the meter's next readings, one for each trigger

    // The Readings window with `interval` typed in and the auto-repeat started.
    ReadingsWindow& repeating(const QString& interval) {
        ReadingsWindow& readings = openReadings();
        typeInto(readings.repeat->interval, interval);
        readings.repeat->startStop->click();
        return readings;
    }

    // Pixel columns of the chart's plot, from its first reading's to its last's, that hold no
    // pixel of the Rx trace; with `colour`, those that hold one of that colour.
    static QList<int> emptyColumns(TrendChart& chart, const QColor& colour = {}) {
        const QImage image = chart.grab().toImage();
        const QRect plot = chart.plotArea().toRect().adjusted(3, 1, -4, -1);
        QList<int> found;
        for (int x = plot.left(); x <= plot.right(); ++x) {
            bool traced = false;
            for (int y = plot.top(); y <= plot.bottom() && !traced; ++y)
                traced = image.pixelColor(x, y) == (colour.isValid() ? colour : QColor(0, 70, 200));
            if (traced == colour.isValid())
                found << x;
        }
        return found;
    }

private Q_SLOTS:
    void initTestCase() {
        Panel::initTestCase();
        Readings::install(false);
    }
    void init() {
        Panel::init();
        m_results = &handOver();
        m_triggers = 0;
        m_replies.clear();
        port->onCommand = [this, meter = port->onCommand](const QByteArray& command) {
            m_triggers += command == "*TRG\r\n";
            if (command == "*TRG\r\n" && !m_replies.isEmpty())
                reading = m_replies.takeFirst();
            meter(command);
        };
        activate(m_results);
    }
    void cleanup() {
        Panel::cleanup();
        QTRY_VERIFY(!Readings::existing()); // it goes with the results window
    }

    void stops_data() {
        // how
        columns<QString>();
        for (const char* how : {"not responding, OK", "not responding, Cancel", "Readings closed",
                                "Configure", "Exit", "Stop", "results hidden"})
            row(how, how);
    }
    void stops() {
        const auto [how] = fetched<QString>();
        ReadingsWindow& readings = repeating(QStringLiteral("0.5"));
        QPointer<AutoRepeat> repeat = readings.autoRepeat;
        QTRY_COMPARE(readings.model->rowCount(), 1);
        const bool hangs = how.startsWith(QLatin1String("not responding"));
        if (hangs) {
            port->onCommand = [this, meter = port->onCommand](const QByteArray& command) {
                meter(command);
                port->hangUp();
            };
            prompt->expect(kNotResponding, Buttons::OkCancel,
                           how.endsWith(QLatin1String("OK")) ? Answer::Ok : Answer::Cancel);
        } else if (how == QLatin1String("Readings closed")) {
            readings.close();
        } else if (how == QLatin1String("Configure")) {
            m_results->Config->click();
            QVERIFY(Configure::use().isVisible());
        } else if (how == QLatin1String("Exit")) {
            m_results->Exit->click();
        } else if (how == QLatin1String("results hidden")) {
            m_results->hide(); // a hidden Trigger is never clicked
            QTRY_VERIFY(!repeat->running());
            m_results->show();
        } else {
            readings.repeat->startStop->click();
        }
        QTest::qWait(1500);
        QVERIFY(!repeat || !repeat->running());
        QCOMPARE(m_triggers, hangs ? 2 : 1);
    }

    // Typed key by key into the real entries, in a comma-decimal locale; copied with the
    // region's separator, saved as the standard CSV and as the region's.
    void limitsVerdictAndCopyInGerman() {
        useGerman();
        ReadingsWindow& readings = openReadings();
        readings.limits->mode->setCurrentIndex(2); // low to high, in mOhm
        prompt->expectOk(QStringLiteral("Entry must be numeric"));
        typeInto(readings.limits->low, QStringLiteral("12.4"));
        QCOMPARE(readings.limits->low->text(), QStringLiteral("9,5"));
        prompt->expectOk(QStringLiteral("Low limit must not be above high limit"));
        typeInto(readings.limits->low, QStringLiteral("12,4"));
        typeInto(readings.limits->high, QStringLiteral("12,6"));
        typeInto(readings.limits->low, QStringLiteral("12,4"));
        for (const QByteArray reply : {"0.0125\n", "0.0127\n"}) {
            reading = reply;
            m_results->Start->click();
        }
        QCOMPARE(readings.model->index(0, 2).data().toString(), QStringLiteral("12,7 mOhm"));
        QCOMPARE(readings.model->index(1, 6).data().toString(), QStringLiteral("PASS"));
        QCOMPARE(readings.verdict->text(), QStringLiteral("HIGH"));
        QCOMPARE(readings.statistics->text(0, 1), QStringLiteral("12,6 mOhm"));
        QCOMPARE(readings.statistics->text(0, 4), QStringLiteral("12,7 mOhm"));

        readings.table->setFocus();
        readings.table->selectAll();
        QTest::keyClick(readings.table, Qt::Key_C, Qt::ControlModifier);
        const QStringList copied = QGuiApplication::clipboard()->text().split(QLatin1Char('\n'));
        QVERIFY2(copied.size() == 3 && copied[0].endsWith("\t0,0125\t\t\t\tPASS") &&
                     copied[1].endsWith("\t0,0127\t\t\t\tHIGH"),
                 qPrintable(copied.join('\n')));
        // One row of the newest-first table: the newest reading, number 2.
        const QRect newest = readings.table->visualRect(readings.model->index(0, 1));
        QTest::mouseClick(readings.table->viewport(), Qt::LeftButton, {}, newest.center());
        QTest::keyClick(readings.table, Qt::Key_C, Qt::ControlModifier);
        QVERIFY(QGuiApplication::clipboard()->text().startsWith("2\t"));
        QTest::keyClick(readings.table, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(),
                 "\tCount\tMean\tStd dev\tMin\tMax\tSpan\n"
                 "Rx\t2\t0,0126\t0,0001414214\t0,0125\t0,0127\t0,0002\n");

        // Not saved yet: Clear asks, and No keeps them.
        prompt->expect(QStringLiteral("Clear 2 readings that were not saved?"), Buttons::YesNo,
                       Answer::No);
        readings.clearButton->click();
        QCOMPARE(readings.model->rowCount(), 2);

        // Saved whole, with a header row, times with their UTC offset and "." numbers.
        prompt->expectFile(path(QStringLiteral("series.csv")));
        readings.saveButton->click();
        const QRegularExpression time(QStringLiteral("T\\d\\d:\\d\\d:\\d\\d([+-]\\d\\d:\\d\\d|Z)"));
        QCOMPARE(logLines(path(QStringLiteral("series.csv"))).mid(0, 2).join('|').remove(time),
                 "Number,Time,Rx (Ohm),Rtc (Ohm),Temperature (C),Coefficient (1/C),Verdict|1," +
                     QDate::currentDate().toString(Qt::ISODate) + ",0.0125,,,,PASS");
        // The region's type, a name typed without a suffix.
        prompt->expectFile(path(QStringLiteral("regional")), 1);
        readings.saveButton->click();
        QCOMPARE(QString(logLines(path(QStringLiteral("regional.csv"))).at(2)).remove(time),
                 "2;" + QDate::currentDate().toString(Qt::ISODate) + ";0,0127;;;;HIGH");
        readings.clearButton->click();
        QCOMPARE(readings.model->rowCount(), 0);
        QCOMPARE(readings.verdict->text(), QString());
        // Converted limits read as typed, with no group separator the check would refuse.
        readings.limits->unit->setCurrentText(QStringLiteral("uOhm"));
        QCOMPARE(readings.limits->low->text(), QStringLiteral("12400"));
    }

    // Behind the configuration window nothing triggers: Start is refused until the results
    // window is back. Update Test pressed during a reading waits for it to end.
    void oneExchangeAtATime() {
        ReadingsWindow& readings = openReadings();
        QVERIFY(readings.repeat->startStop->isEnabled());
        m_results->Config->click();
        Configure& configure = Configure::use();
        QVERIFY(configure.isVisible());
        QVERIFY(!readings.repeat->startStop->isEnabled());
        readings.repeat->startStop->click();
        QTest::qWait(300);
        QCOMPARE(m_triggers, 0);
        configure.Update->click();
        QVERIFY(m_results->isVisible());
        QVERIFY(readings.repeat->startStop->isEnabled());

        // Nested in the reading's wait, the upload would log its change before the reading.
        startLog();
        readingDelayMs = 400;
        QTimer::singleShot(100, &configure, [&configure] { configure.Update->click(); });
        m_results->Start->click();
        QTRY_COMPARE(logLines().mid(1).join('|'), "Rx,0.0125, Ohm|Configuration Changed");
    }

    // Readings taken before the window was first opened are in it, a corrected one with its
    // own coefficient and temperature and each resistance in the unit of its own value; the
    // first repeat starts at once, not an interval later; the window opens inside the screen.
    void earlierReadingsAndTheFirstRepeat() {
        m_results->cmdTC->click();
        typeInto(m_results->Temp, QStringLiteral("27.5"));
        typeInto(m_results->Combo1, QStringLiteral("Silver"));
        reading = "1.02\n";
        m_results->Start->click();
        reading = "0.0125\n";
        ReadingsWindow& readings = repeating(QStringLiteral("3600"));
        QVERIFY(readings.screen()->availableGeometry().contains(readings.frameGeometry()));
        QTRY_COMPARE(m_triggers, 2);
        QCOMPARE(readings.model->rowCount(), 2);
        QStringList shown;
        for (int column = 2; column <= 5; ++column)
            shown << readings.model->index(1, column).data().toString();
        QCOMPARE(shown.join('|'), QStringLiteral("1.02 Ohm|991.7355 mOhm|27.5|0.0038"));
        readings.repeat->startStop->click();
    }

    // Tolerance limits typed key by key and applied by Return; a change of unit keeps the
    // band; verdicts and their colours follow.
    void limitEntries() {
        ReadingsWindow& readings = openReadings();
        LimitsBox& limits = *readings.limits;
        limits.mode->setCurrentIndex(1); // nominal +/- percent, in mOhm
        typeInto(limits.nominal, QStringLiteral("12"));
        QTest::mouseClick(limits.tolerance, Qt::LeftButton);
        QTest::keyClick(limits.tolerance, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(limits.tolerance, QStringLiteral("2.5"));
        QTest::keyClick(limits.tolerance, Qt::Key_Return);
        QVERIFY(limits.tolerance->hasFocus());
        QCOMPARE(limits.settings().tolerancePercent, 2.5);
        QCOMPARE(limits.settings().nominal, 0.012);

        const QList<QPair<QByteArray, QString>> verdicts{
            {"0.0123\n", "PASS"}, {"0.01231\n", "HIGH"}, {"0.0117\n", "PASS"}, {"1.1e-2\n", "LOW"}};
        for (const auto& [reply, verdict] : verdicts) {
            reading = reply;
            m_results->Start->click();
            const QVariant colour = readings.model->index(0, 6).data(Qt::ForegroundRole);
            QCOMPARE(readings.verdict->text() +
                         readings.verdict->palette().window().color().name() +
                         colour.value<QBrush>().color().name(),
                     verdict + (verdict == "PASS" ? "#1a8f1a#008000" : "#d01010#ff0000"));
        }

        limits.unit->setCurrentText(QStringLiteral("Ohm"));
        QCOMPARE(limits.nominal->text(), QStringLiteral("0.012"));
        QCOMPARE(limits.settings().nominal, 0.012);
        limits.mode->setCurrentIndex(2);
        limits.unit->setCurrentText(QStringLiteral("uOhm"));
        QCOMPARE(limits.low->text() + '|' + limits.high->text(), QStringLiteral("9500|10500"));
        limits.unit->setCurrentText(QStringLiteral("kOhm"));
        QCOMPARE(limits.low->text() + '|' + limits.high->text(),
                 QStringLiteral("9.5e-06|1.05e-05"));
        QCOMPARE(limits.settings().high, 0.0105);

        // Wide enough for what an operator types.
        typeInto(limits.high, QStringLiteral("12.3456"));
        QVERIFY(limits.high->fontMetrics().horizontalAdvance(QStringLiteral("-12,3456")) <
                limits.high->contentsRect().width() - 4);
    }

    // Figures of a few picohms stay short and whole in their cells.
    void statisticsFitTheirCells() {
        ReadingsWindow& readings = openReadings();
        feed(readings, {1.000000e-05f, 1.000002e-05f, 1.000004e-05f});
        QCOMPARE(readings.statistics->text(0, 2), QStringLiteral("20 pOhm"));
        feed(readings, {-0.9999999f, 1.5e6f});
        for (const QLabel* cell : readings.statistics->findChildren<QLabel*>())
            QVERIFY2(cell->text().startsWith(QLatin1String("<b>")) ||
                         cell->fontMetrics().horizontalAdvance(cell->text()) <=
                             cell->contentsRect().width(),
                     qPrintable(cell->text()));
    }

    // Every pixel column between the first reading and the last holds the trace, however many
    // readings share a column; one reading and two readings are drawn whole.
    void chartColumns() {
        ReadingsWindow& readings = openReadings();
        TrendChart& chart = *readings.chart;
        feed(readings, {0.0125f});
        QVERIFY(emptyColumns(chart).size() < chart.plotArea().width() - 2);
        feed(readings, {0.0127f});
        QCOMPARE(emptyColumns(chart), QList<int>());
        QList<float> wave;
        for (int i = 0; i < 1200; ++i)
            wave << 0.0125f + 0.0002f * float(std::sin(i / 40.0));
        feed(readings, wave);
        for (int width : {700, 1000, 1500}) {
            chart.setFixedWidth(width);
            QCOMPARE(emptyColumns(chart), QList<int>());
        }
    }

    // Stop when stable, over the last 3 readings typed in, in a comma-decimal locale: steady
    // readings from before the start do not count, a Range Error starts the count afresh, and
    // the series stops at its first stable run with its last reading as the result, the run
    // marked on the chart; without an approach to be seen, it takes three times the count to
    // be sure. A series that ends unsettled keeps its last reading, not stable; one not asked
    // to stop when stable runs on.
    void stopWhenStable() {
        useGerman();
        ReadingsWindow& readings = openReadings();
        StabilityBox& stability = *readings.stability;
        prompt->expectOk(QStringLiteral("Readings must be a whole number from 3 to 1000"));
        typeInto(stability.count, QStringLiteral("2"));
        typeInto(stability.count, QStringLiteral("3"));
        for (int i = 0; i < 9; ++i)
            m_results->Start->click();
        QCOMPARE(stability.indicator->text(), QStringLiteral("STABLE  +/-0 %"));

        // The first reading keeps the last three stable, but two of them are not the series'.
        m_replies = {"0.0125\n", "0.0130\n", "0.0125\n", "0.000000e+00\n"};
        for (int i = 0; i < 9; ++i)
            m_replies << (i % 2 ? "0.0125\n" : "0.012501\n");
        m_replies << "0.0200\n";
        readings.repeat->stopWhenStable->click();
        typeInto(readings.repeat->interval, QStringLiteral("0,5"));
        readings.repeat->startStop->click();
        QTRY_VERIFY_WITH_TIMEOUT(!readings.autoRepeat->running(), 20000);
        QCOMPARE(m_triggers, 9 + 13);
        QVERIFY(readings.seriesResult() && readings.seriesResult()->stable);
        QCOMPARE(readings.seriesResult()->reading.rx, 0.012501);
        QCOMPARE(readings.result->text() + '|' + readings.resultMark->text() + '|' +
                     stability.indicator->text(),
                 QStringLiteral("12,501 mOhm|stable result|STABLE  +/-0,0053 %"));
        // The run is the last three of 22 readings.
        const QList<int> marked = emptyColumns(*readings.chart, QColor(214, 240, 214));
        const QRectF plot = readings.chart->plotArea();
        QVERIFY(!marked.isEmpty() && marked.first() > plot.left() + plot.width() * 0.85 &&
                marked.last() > plot.right() - 8);
        // Judged again over five: the nine since the Range Error are too few.
        typeInto(stability.count, QStringLiteral("5"));
        QCOMPARE(stability.indicator->text(),
                 QStringLiteral("SETTLING  +/-0,0048 % (9 of 15 readings)"));
        QCOMPARE(emptyColumns(*readings.chart, QColor(214, 240, 214)), QList<int>());

        // Two readings, then the count is done: the last one, not stable.
        m_replies = {"0.0120\n", "0.0123\n"};
        readings.repeat->count->setValue(2);
        readings.repeat->startStop->click();
        QVERIFY(!readings.seriesResult());
        QTRY_VERIFY_WITH_TIMEOUT(!readings.autoRepeat->running(), 5000);
        QVERIFY(readings.seriesResult() && !readings.seriesResult()->stable);
        QCOMPARE(readings.result->text() + '|' + readings.resultMark->text(),
                 QStringLiteral("12,3 mOhm|last reading, not stable"));
        // Not asked to stop when stable, a stable series runs its count and has no result.
        m_replies = QList<QByteArray>(6, "0.0123\n");
        readings.repeat->stopWhenStable->click();
        readings.repeat->count->setValue(6);
        readings.repeat->startStop->click();
        QTRY_VERIFY_WITH_TIMEOUT(!readings.autoRepeat->running(), 5000);
        QCOMPARE(m_triggers, 9 + 13 + 2 + 6);
        QVERIFY(!readings.seriesResult());
        prompt->expect(QStringLiteral("Clear 30 readings that were not saved?"), Buttons::YesNo,
                       Answer::Yes);
        readings.clearButton->click();
        QCOMPARE(readings.result->text() + stability.indicator->text(), QString());
    }
};

QTEST_MAIN(ReadingsWindowTest)
#include "tst_readings_window.moc"
