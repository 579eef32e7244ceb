// The Readings window against an in-memory meter: every way the auto-repeat stops, and limits,
// verdicts, copy and Save typed and read in a comma-decimal locale.
#include "Panel.h"
#include "readings/AutoRepeat.h"
#include "readings/CheckedEntry.h"
#include "readings/LimitsBox.h"
#include "readings/Readings.h"
#include "readings/ReadingsModel.h"
#include "readings/ReadingsWindow.h"
#include "readings/RepeatBox.h"
#include "readings/StatisticsGrid.h"

#include <QClipboard>
#include <QSpinBox>
#include <QTableView>

#include <clocale>

using Answer = OperatorPrompt::Answer;
using Buttons = OperatorPrompt::Buttons;

class ReadingsWindowTest : public Panel {
    Q_OBJECT
    frmMeasure* m_results = nullptr;
    int m_triggers = 0; // counted here: Exit takes the port with it

    // Ctrl+R; with an interval, the auto-repeat typed in and started.
    ReadingsWindow& openReadings(const QString& interval = {}, int count = 0) {
        QTest::keyClick(m_results, Qt::Key_R, Qt::ControlModifier);
        ReadingsWindow* readings = Readings::existing();
        if (!readings || !readings->isVisible())
            qFatal("Ctrl+R did not open the Readings window");
        QApplication::setActiveWindow(readings);
        if (!interval.isEmpty()) {
            typeInto(readings->repeat->interval, interval);
            readings->repeat->count->setValue(count);
            readings->repeat->startStop->click();
        }
        return *readings;
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
        port->onCommand = [this, meter = port->onCommand](const QByteArray& command) {
            m_triggers += command == "*TRG\r\n";
            meter(command);
        };
        activate(m_results);
    }
    void cleanup() {
        Panel::cleanup();
        QTRY_VERIFY(!Readings::existing()); // it goes with the results window
    }

    void stops_data() {
        QTest::addColumn<QString>("how");
        for (const char* how : {"not responding, OK", "not responding, Cancel", "Readings closed",
                                "Configure", "Exit", "Stop"})
            row(how, how);
    }
    void stops() {
        QFETCH(QString, how);
        ReadingsWindow& readings = openReadings(QStringLiteral("0.5"), 0);
        QPointer<AutoRepeat> repeat = readings.autoRepeat;
        QTRY_COMPARE(readings.model->rowCount(), 1);
        int triggers = 1;
        if (how.startsWith(QLatin1String("not responding"))) {
            port->onCommand = [this, meter = port->onCommand](const QByteArray& command) {
                meter(command);
                port->hangUp();
            };
            prompt->expect(kNotResponding, Buttons::OkCancel,
                           how.endsWith(QLatin1String("OK")) ? Answer::Ok : Answer::Cancel);
            triggers = 2;
        } else if (how == QLatin1String("Readings closed")) {
            readings.close();
        } else if (how == QLatin1String("Configure")) {
            m_results->Config->click();
            QVERIFY(Configure::use().isVisible());
        } else if (how == QLatin1String("Exit")) {
            m_results->Exit->click();
        } else {
            readings.repeat->startStop->click();
        }
        QTest::qWait(1500);
        QVERIFY(!repeat || !repeat->running());
        QCOMPARE(m_triggers, triggers);
    }

    // Typed key by key into the real entries, in a comma-decimal locale; copied and saved
    // with ".".
    void limitsVerdictAndCopyInGerman() {
        QVERIFY2(std::setlocale(LC_ALL, "de_DE.UTF-8"), "de_DE.UTF-8 is not installed");
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
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
        QVERIFY2(copied.size() == 3 && copied[0].endsWith("\t0.0125\t\t\t\tPASS") &&
                     copied[1].endsWith("\t0.0127\t\t\t\tHIGH"),
                 qPrintable(copied.join('\n')));

        // Saved whole, with a header row, times with their UTC offset and "." numbers.
        const QString file = path(QStringLiteral("series.csv"));
        prompt->expectFile(file);
        readings.saveButton->click();
        const QRegularExpression time(QStringLiteral("T\\d\\d:\\d\\d:\\d\\d([+-]\\d\\d:\\d\\d|Z)"));
        QCOMPARE(logLines(file).mid(0, 2).join('|').remove(time),
                 "Number,Time,Rx (Ohm),Rtc (Ohm),Temperature (C),Coefficient (1/C),Verdict|1," +
                     QDate::currentDate().toString(Qt::ISODate) + ",0.0125,,,,PASS");
        readings.clearButton->click();
        QCOMPARE(readings.model->rowCount(), 0);
        QCOMPARE(readings.verdict->text(), QString());
        std::setlocale(LC_ALL, "C");
        QLocale::setDefault(QLocale::c());
    }
};

QTEST_MAIN(ReadingsWindowTest)
#include "tst_readings_window.moc"
