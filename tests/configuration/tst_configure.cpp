// The configuration window against an in-memory port: its controls, the dry-circuit rule,
// the field checks, what survives closing and hiding, and the upload with its pauses.
#include "FakeSerialPort.h"
#include "ScriptedPrompt.h"
#include "configuration/Configure.h"
#include "link/Module1.h"
#include "link/Wait.h"
#include "measurement/DataLog.h"
#include "measurement/frmMeasure.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using Answer = OperatorPrompt::Answer;
using Buttons = OperatorPrompt::Buttons;

namespace {

QStringList itemsOf(const QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

const QStringList kCreatedRanges{"Auto",    "20 mOhm", "200 mOhm", "2 Ohm",    "20 Ohm",
                                 "200 Ohm", "2k Ohm",  "20 kOhm",  "200 kOhm", "2 MOhm"};
const QStringList kRebuiltRanges{"Auto",    "20 mOhm", "200 mOhm", "2 Ohm",    "20 Ohm",
                                 "200 Ohm", "2k Ohm",  "20k Ohm",  "200 kOhm", "2 MOhm"};
const QStringList kDryRanges{"Auto", "200 mOhm", "2 Ohm", "20 Ohm"};

void settle() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

} // namespace

class ConfigureTest : public QObject {
    Q_OBJECT
    FakeSerialPort* m_port = nullptr;
    ScriptedPrompt* m_prompt = nullptr;
    QList<qint64> m_sentAtMs; // when each command was written
    QElapsedTimer m_clock;

    // The window as the results window leaves it: shown, results hidden, port log cleared.
    Configure& openWindow() {
        frmMeasure& results = frmMeasure::use();
        results.hide();
        Configure& window = Configure::use();
        window.show();
        m_port->written.clear();
        m_sentAtMs.clear();
        return window;
    }

    // The operator tabs away from a control, as the keyboard does it.
    void leave(QWidget* control) {
        QWidget* window = control->window();
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        control->setFocus(Qt::OtherFocusReason);
        QCOMPARE(QApplication::focusWidget(), control);
        QTest::keyClick(control, Qt::Key_Tab);
        QVERIFY(QApplication::focusWidget() != control);
    }

    QByteArray logText(const QString& path) {
        DataLog::close();
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private Q_SLOTS:
    void init() {
        Module1::reset();
        Wait::resetCallOff();
        m_port = new FakeSerialPort;
        m_port->setPortOpen(true);
        m_clock.start();
        m_port->onCommand = [this](const QByteArray&) { m_sentAtMs << m_clock.elapsed(); };
        Module1::setPort(m_port);
        m_prompt = new ScriptedPrompt;
        OperatorPrompt::install(m_prompt);
    }
    void cleanup() {
        DataLog::close();
        QLocale::setDefault(QLocale::c());
        Configure::unloadIfLoaded();
        frmMeasure::unloadIfLoaded();
        settle();
        QVERIFY2(m_prompt->done(), qPrintable(m_prompt->report()));
        Module1::setPort(nullptr);
        delete m_port;
        delete m_prompt;
    }

    void createdWithItsDefaultsAndLayout() {
        Configure& window = openWindow();
        QCOMPARE(window.windowTitle(), QStringLiteral("Configuration"));
        QCOMPARE(window.size(), QSize(245, 293));
        QCOMPARE(itemsOf(window.Drive),
                 (QStringList{"Pulse +/-", "Pulse +", "Pulse -", "DC +", "DC -"}));
        QCOMPARE(itemsOf(window.cbDry), (QStringList{"OFF", "ON"}));
        QCOMPARE(itemsOf(window.Range), kCreatedRanges);
        QCOMPARE(itemsOf(window.Accuracy), (QStringList{"Slow", "Medium", "Fast"}));
        const QStringList selected{window.Drive->currentText(), window.cbDry->currentText(),
                                   window.Range->currentText(), window.Accuracy->currentText(),
                                   window.tAvg->text(),         window.Delay->text(),
                                   window.Unit->text()};
        QCOMPARE(selected, (QStringList{"Pulse +/-", "OFF", "Auto", "Slow", "1", "5", ""}));
        QCOMPARE(window.Update->text(), QStringLiteral("Update Test"));
        QCOMPARE(window.Update->toolTip(), QStringLiteral("Sends configuration Data to 6400"));
        const QStringList captions{window.Label1->text(),  window.Dry->text(),
                                   window.Label6->text(),  window.Label7->text(),
                                   window.Average->text(), window.Label8->text()};
        QCOMPARE(captions, (QStringList{"Source", "Dry", "Range", "Speed", "Average", "Delay"}));

        QCOMPARE(window.Unit->geometry(), QRect(42, 8, 161, 33));
        QCOMPARE(window.Unit->font().pointSizeF(), 20.25);
        QCOMPARE(window.Unit->font().family(), QStringLiteral("Arial"));
        QVERIFY(!window.Unit->hasFrame());
        QCOMPARE(window.Unit->palette().color(QPalette::Base), QColor(192, 192, 192));
        QCOMPARE(window.palette().color(QPalette::Window), QColor(192, 192, 192));
        QCOMPARE(window.Drive->geometry(), QRect(128, 56, 81, 21));
        QCOMPARE(window.cbDry->geometry(), QRect(128, 88, 81, 21));
        QCOMPARE(window.Range->geometry(), QRect(128, 120, 81, 21));
        QCOMPARE(window.Accuracy->geometry(), QRect(128, 152, 81, 21));
        QCOMPARE(window.tAvg->geometry(), QRect(128, 184, 81, 19));
        QCOMPARE(window.Delay->geometry(), QRect(128, 216, 81, 19));
        QCOMPARE(window.Update->geometry(), QRect(128, 248, 81, 33));
        // Nothing reaches the meter by opening the window.
        QVERIFY(m_port->written.isEmpty());
    }

    // "&Configure" on the results window identifies the meter and opens this window with
    // the model in Unit, keeping the choices of a window that was only hidden.
    void openedFromTheResultsWindow() {
        frmMeasure& results = frmMeasure::use();
        results.show();
        Configure& window = Configure::use();
        window.Accuracy->setCurrentText(QStringLiteral("Medium"));
        m_port->onCommand = [this](const QByteArray& command) {
            if (command == "*IDN?\r\n")
                m_port->deliver("Norvale,MX7500B,S1,F1\r\n", 3);
        };
        results.Config->click();
        QCOMPARE(&Configure::use(), &window);
        QCOMPARE(window.Unit->text(), QStringLiteral("MX7500B"));
        QVERIFY(window.isVisible());
        QVERIFY(!results.isVisible());
        QCOMPARE(window.Accuracy->currentText(), QStringLiteral("Medium"));
    }

    void tabOrderStartsAtDrive() {
        Configure& window = openWindow();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QCOMPARE(QApplication::focusWidget(), window.Drive);
        const QList<QWidget*> expected{window.Update, window.Range, window.Accuracy, window.Delay,
                                       window.Unit,   window.cbDry, window.tAvg,     window.Drive};
        QList<QWidget*> visited;
        for (int i = 0; i < expected.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget();
        }
        QCOMPARE(visited, expected);
        // Each tab through the range list reset it: the rule runs whenever cbDry is left.
        QCOMPARE(itemsOf(window.Range), kRebuiltRanges);
        QVERIFY(m_prompt->shown.isEmpty());
    }

    void dryCircuitRule_data() {
        QTest::addColumn<QString>("dryBefore");
        QTest::addColumn<QString>("dryWhenLeft");
        QTest::addColumn<QStringList>("ranges");
        QTest::newRow("switched on") << "OFF"
                                     << "ON" << kDryRanges;
        QTest::newRow("switched off") << "ON"
                                      << "OFF" << kRebuiltRanges;
        QTest::newRow("left unchanged") << "OFF"
                                        << "OFF" << kRebuiltRanges;
        QTest::newRow("left unchanged, on") << "ON"
                                            << "ON" << kDryRanges;
    }
    void dryCircuitRule() {
        QFETCH(QString, dryBefore);
        QFETCH(QString, dryWhenLeft);
        QFETCH(QStringList, ranges);
        Configure& window = openWindow();
        window.cbDry->setCurrentText(dryBefore);
        leave(window.cbDry);
        window.cbDry->setCurrentText(dryWhenLeft);
        window.Range->setCurrentText(QStringLiteral("20 Ohm"));
        QCOMPARE(window.Range->currentText(), QStringLiteral("20 Ohm"));
        leave(window.cbDry);
        QCOMPARE(itemsOf(window.Range), ranges);
        QCOMPARE(window.Range->currentText(), QStringLiteral("Auto"));
        // Picking in the list alone does nothing until the box is left.
        window.Range->setCurrentIndex(2);
        window.cbDry->setCurrentText(dryWhenLeft == QLatin1String("ON") ? "OFF" : "ON");
        QCOMPARE(itemsOf(window.Range), ranges);
    }

    void fieldChecks_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message"); // empty: accepted
        QTest::addColumn<QString>("after");
        const QString delayLimits = QStringLiteral("Delay limits are 5 to 9999 mSec");
        const QString delayNumber = QStringLiteral("Delay must be a number");
        const QString averageLimits = QStringLiteral("Average limits are 1 to 10");
        const QString averageNumber = QStringLiteral("Average must be a number");
        QTest::newRow("delay lowest") << "Delay"
                                      << "5"
                                      << ""
                                      << "5";
        QTest::newRow("delay highest") << "Delay"
                                       << "9999"
                                       << ""
                                       << "9999";
        QTest::newRow("delay fraction") << "Delay"
                                        << "5.5"
                                        << ""
                                        << "5.5";
        QTest::newRow("delay leading zeros") << "Delay"
                                             << "0100"
                                             << ""
                                             << "0100";
        QTest::newRow("delay below") << "Delay"
                                     << "4.9" << delayLimits << "5";
        QTest::newRow("delay above") << "Delay"
                                     << "10000" << delayLimits << "5";
        QTest::newRow("delay beyond single") << "Delay"
                                             << "1e39" << delayLimits << "5";
        QTest::newRow("delay word") << "Delay"
                                    << "soon" << delayNumber << "5";
        QTest::newRow("delay empty") << "Delay"
                                     << "" << delayNumber << "5";
        QTest::newRow("delay grouped") << "Delay"
                                       << "1,000" << delayNumber << "5";
        QTest::newRow("count lowest") << "tAvg"
                                      << "1"
                                      << ""
                                      << "1";
        QTest::newRow("count highest") << "tAvg"
                                       << "10"
                                       << ""
                                       << "10";
        QTest::newRow("count fraction") << "tAvg"
                                        << "2.5"
                                        << ""
                                        << "2.5";
        QTest::newRow("count below") << "tAvg"
                                     << "0.5" << averageLimits << "1";
        QTest::newRow("count above") << "tAvg"
                                     << "11" << averageLimits << "1";
        QTest::newRow("count beyond single") << "tAvg"
                                             << "-4e38" << averageLimits << "1";
        QTest::newRow("count word") << "tAvg"
                                    << "ten" << averageNumber << "1";
        QTest::newRow("count empty") << "tAvg"
                                     << "" << averageNumber << "1";
    }
    void fieldChecks() {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, message);
        QFETCH(QString, after);
        Configure& window = openWindow();
        QLineEdit* box = field == QLatin1String("Delay") ? window.Delay : window.tAvg;
        box->setText(typed);
        if (!message.isEmpty())
            m_prompt->expectOk(message);
        leave(box);
        QCOMPARE(box->text(), after);
        QCOMPARE(m_prompt->shown.size(), message.isEmpty() ? 0 : 1);
    }

    // In a comma locale the comma is the decimal point and "." groups thousands.
    void fieldChecksFollowTheLocale() {
        QLocale::setDefault(QLocale(QLocale::German));
        Configure& window = openWindow();
        window.Delay->setText(QStringLiteral("5,5"));
        leave(window.Delay);
        QCOMPARE(window.Delay->text(), QStringLiteral("5,5"));
        window.Delay->setText(QStringLiteral("1.000"));
        m_prompt->expectOk(QStringLiteral("Delay must be a number"));
        leave(window.Delay);
        QCOMPARE(window.Delay->text(), QStringLiteral("5"));
    }

    void closeBoxForgetsTheChoicesUpdateKeepsThem() {
        Configure* window = &openWindow();
        window->Drive->setCurrentIndex(3);
        window->Accuracy->setCurrentIndex(1);
        window->Delay->setText(QStringLiteral("250"));
        window->close();
        QVERIFY(frmMeasure::use().isVisible());
        settle();
        window = &openWindow();
        QCOMPARE(window->Drive->currentText(), QStringLiteral("Pulse +/-"));
        QCOMPARE(window->Accuracy->currentText(), QStringLiteral("Slow"));
        QCOMPARE(window->Delay->text(), QStringLiteral("5"));

        window->Drive->setCurrentIndex(3);
        window->Accuracy->setCurrentIndex(1);
        window->Delay->setText(QStringLiteral("250"));
        window->Update->click();
        QVERIFY(!window->isVisible());
        QVERIFY(frmMeasure::use().isVisible());
        settle();
        QCOMPARE(&Configure::use(), window);
        QCOMPARE(window->Drive->currentText(), QStringLiteral("DC +"));
        QCOMPARE(window->Accuracy->currentText(), QStringLiteral("Medium"));
        QCOMPARE(window->Delay->text(), QStringLiteral("250"));
    }

    // Through the window, byte for byte, with the pauses where they belong and the log line.
    void updateSendsTheSequence_data() {
        QTest::addColumn<bool>("example2");
        QTest::addColumn<bool>("logging");
        QTest::addColumn<QList<QByteArray>>("expected");
        QTest::newRow("defaults, logging")
            << false << true << QList<QByteArray>{":TRIG:SOUR BUS\r\n",    ":SOUR:DRY 0\r\n",
                                                  ":SOUR:DRIV 0\r\n",      ":SENS:RANG:AUTO 1\r\n",
                                                  ":SENS:SPEED Slow\r\n",  ":TRIG:DEL 5\r\n",
                                                  ":Sens:AVER:COUN 1\r\n", "*CLS\r\n"};
        QTest::newRow("dry on, DC -, 2 Ohm, no log")
            << true << false
            << QList<QByteArray>{
                   ":TRIG:SOUR BUS\r\n",    ":SOUR:DRY 1\r\n",        ":SOUR:DRIV 4\r\n",
                   ":SENS:RANG:AUTO 0\r\n", ":SENS:RANG 2\r\n",       ":SENS:SPEED Fast\r\n",
                   ":TRIG:DEL 100\r\n",     ":Sens:AVER:COUN 10\r\n", "*CLS\r\n"};
    }
    void updateSendsTheSequence() {
        QFETCH(bool, example2);
        QFETCH(bool, logging);
        QFETCH(QList<QByteArray>, expected);
        QTemporaryDir dir;
        const QString logPath = dir.filePath(QStringLiteral("log.csv"));
        QString error;
        QVERIFY2(DataLog::open(logPath, DataLog::Mode::Replace, &error), qPrintable(error));
        frmMeasure::use().bLog = logging;
        Configure& window = openWindow();
        if (example2) {
            window.cbDry->setCurrentText(QStringLiteral("ON"));
            leave(window.cbDry);
            window.Drive->setCurrentText(QStringLiteral("DC -"));
            window.Range->setCurrentText(QStringLiteral("2 Ohm"));
            window.Accuracy->setCurrentText(QStringLiteral("Fast"));
            window.Delay->setText(QStringLiteral("100"));
            window.tAvg->setText(QStringLiteral("10"));
        }
        window.Update->click();

        QCOMPARE(m_port->written, expected);
        QCOMPARE(m_port->inputCalls, 0);
        const int backToBack = example2 ? 4 : -1; // the range number follows AUTO 0 at once
        for (int i = 1; i < m_sentAtMs.size(); ++i) {
            const qint64 gap = m_sentAtMs.at(i) - m_sentAtMs.at(i - 1);
            if (i == backToBack)
                QVERIFY2(gap < 100, qPrintable(QString::number(gap)));
            else
                QVERIFY2(gap >= 200,
                         qPrintable(QStringLiteral("%1 ms before line %2").arg(gap).arg(i)));
        }
        QVERIFY(!window.isVisible());
        QVERIFY(frmMeasure::use().isVisible());
        QCOMPARE(logText(logPath),
                 logging ? QByteArray("Configuration Changed\r\n") : QByteArray());
    }

    // A second click during a pause is ignored; a control changed during a pause is sent by
    // the commands still to come.
    void duringAnUpload() {
        Configure& window = openWindow();
        int clicksDuringPause = 0;
        bool scheduled = false;
        m_port->onCommand = [&](const QByteArray& command) {
            m_sentAtMs << m_clock.elapsed();
            if (command == ":SOUR:DRY 0\r\n" && !std::exchange(scheduled, true))
                QTimer::singleShot(50, &window, [&] {
                    window.Update->click();
                    ++clicksDuringPause;
                    window.Accuracy->setCurrentText(QStringLiteral("Fast"));
                    window.Drive->setCurrentText(QStringLiteral("DC +"));
                });
        };
        window.Update->click();
        QCOMPARE(clicksDuringPause, 1);
        QCOMPARE(m_port->written,
                 (QList<QByteArray>{":TRIG:SOUR BUS\r\n", ":SOUR:DRY 0\r\n", ":SOUR:DRIV 3\r\n",
                                    ":SENS:RANG:AUTO 1\r\n", ":SENS:SPEED Fast\r\n",
                                    ":TRIG:DEL 5\r\n", ":Sens:AVER:COUN 1\r\n", "*CLS\r\n"}));
        // The window is usable for the next upload.
        m_port->written.clear();
        window.show();
        window.Update->click();
        QCOMPARE(m_port->written.size(), 8);
    }

    void aPortErrorStopsTheUpload_data() {
        QTest::addColumn<int>("sentBeforeFailure");
        QTest::newRow("port closed") << 0;
        QTest::newRow("device gone after three") << 3;
    }
    void aPortErrorStopsTheUpload() {
        QFETCH(int, sentBeforeFailure);
        QTemporaryDir dir;
        const QString logPath = dir.filePath(QStringLiteral("log.csv"));
        QVERIFY(DataLog::open(logPath, DataLog::Mode::Replace, nullptr));
        frmMeasure::use().bLog = true;
        Configure& window = openWindow();
        if (sentBeforeFailure == 0)
            m_port->setPortOpen(false);
        m_port->onCommand = [&](const QByteArray&) {
            if (m_port->written.size() == sentBeforeFailure)
                m_port->writesFail = true;
        };
        m_prompt->expectOk(QStringLiteral("Configuration not sent: Input/output error"));
        window.Update->click();
        QCOMPARE(m_port->written.size(), sentBeforeFailure);
        QCOMPARE(m_prompt->shown.size(), 1);
        QVERIFY(!window.isVisible());
        QVERIFY(frmMeasure::use().isVisible());
        QCOMPARE(logText(logPath), QByteArray());
    }

    // Closing the window during a pause ends the upload there, with nothing more sent.
    void closedDuringAPause() {
        Configure& window = openWindow();
        m_port->onCommand = [&](const QByteArray& command) {
            if (command == ":SOUR:DRY 0\r\n")
                QTimer::singleShot(50, &window, [&] { window.close(); });
        };
        QPointer<Configure> guard(&window);
        window.Update->click();
        QCOMPARE(m_port->written.size(), 2);
        QVERIFY(frmMeasure::use().isVisible());
        settle();
        QVERIFY(!guard);
    }

    void dlyWaitsOverAFifthOfASecondAndKeepsTheLoopRunning() {
        bool ran = false;
        QTimer::singleShot(0, [&] { ran = true; });
        QElapsedTimer took;
        took.start();
        Configure::dly();
        QVERIFY(took.nsecsElapsed() > 200'000'000);
        QVERIFY(ran);
    }
};

QTEST_MAIN(ConfigureTest)
#include "tst_configure.moc"
