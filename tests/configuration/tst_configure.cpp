// The configuration window against an in-memory port: the dry-circuit rule, the field checks,
// what survives closing and hiding, and how an upload ends.
#include "FakeSerialPort.h"
#include "ScriptedPrompt.h"
#include "configuration/Configure.h"
#include "link/Module1.h"
#include "link/Wait.h"
#include "measurement/DataLog.h"
#include "measurement/frmMeasure.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QStringList itemsOf(const QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

// The list the window starts with says "20 kOhm"; the one the rule rebuilds, "20k Ohm".
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

    // The window as the results window leaves it: shown, results hidden, port log cleared.
    Configure& openWindow() {
        frmMeasure::use().hide();
        Configure& window = Configure::use();
        window.show();
        m_port->written.clear();
        return window;
    }

    // The operator tabs away from a control, as the keyboard does it.
    void leave(QWidget* control) {
        QWidget* window = control->window();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        control->setFocus(Qt::OtherFocusReason);
        QCOMPARE(QApplication::focusWidget(), control);
        QTest::keyClick(control, Qt::Key_Tab);
        QVERIFY(QApplication::focusWidget() != control);
    }

private Q_SLOTS:
    void init() {
        Module1::reset();
        Wait::resetCallOff();
        m_port = new FakeSerialPort;
        m_port->setPortOpen(true);
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

    void dryCircuitRule_data() {
        QTest::addColumn<QString>("dryBefore");
        QTest::addColumn<QString>("dryWhenLeft");
        QTest::addColumn<QStringList>("ranges");
        QTest::newRow("switched on") << QString("OFF") << QString("ON") << kDryRanges;
        QTest::newRow("switched off") << QString("ON") << QString("OFF") << kRebuiltRanges;
        QTest::newRow("left unchanged") << QString("OFF") << QString("OFF") << kRebuiltRanges;
        QTest::newRow("left unchanged, on") << QString("ON") << QString("ON") << kDryRanges;
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
        leave(window.cbDry);
        QCOMPARE(itemsOf(window.Range), ranges);
        QCOMPARE(window.Range->currentText(), QStringLiteral("Auto"));
        // Picking in the list alone does nothing until the box is left.
        window.cbDry->setCurrentText(dryWhenLeft == QLatin1String("ON") ? "OFF" : "ON");
        QCOMPARE(itemsOf(window.Range), ranges);
    }

    // Each field at and beyond its limits; a refused text is told and reset.
    void fieldChecks_data() {
        QTest::addColumn<bool>("delay"); // else the averaging field
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("refusal"); // empty: accepted; "limits" or "number"
        QTest::addColumn<bool>("german");
        const auto row = [](const char* name, bool delay, const char* typed, const char* refusal,
                            bool german = false) {
            QTest::newRow(name) << delay << QString(typed) << QString(refusal) << german;
        };
        row("delay lowest", true, "5", "");
        row("delay highest", true, "9999", "");
        row("delay below", true, "4.9", "limits");
        row("delay above", true, "10000", "limits");
        row("delay word", true, "soon", "number");
        row("delay empty", true, "", "number");
        row("delay grouped", true, "1,000", "number");
        row("delay beyond single precision", true, "1e39", "limits");
        row("delay decimal comma, comma locale", true, "5,5", "", true);
        row("delay grouped, comma locale", true, "1.000", "number", true);
        row("count lowest", false, "1", "");
        row("count highest", false, "10", "");
        row("count below", false, "0.5", "limits");
        row("count above", false, "11", "limits");
        row("count word", false, "ten", "number");
        row("count empty", false, "", "number");
    }
    void fieldChecks() {
        QFETCH(bool, delay);
        QFETCH(QString, typed);
        QFETCH(QString, refusal);
        QFETCH(bool, german);
        if (german)
            QLocale::setDefault(QLocale(QLocale::German));
        Configure& window = openWindow();
        QLineEdit* box = delay ? window.Delay : window.tAvg;
        box->setText(typed);
        if (refusal == QLatin1String("limits"))
            m_prompt->expectOk(delay ? QStringLiteral("Delay limits are 5 to 9999 mSec")
                                     : QStringLiteral("Average limits are 1 to 10"));
        else if (refusal == QLatin1String("number"))
            m_prompt->expectOk(delay ? QStringLiteral("Delay must be a number")
                                     : QStringLiteral("Average must be a number"));
        leave(box);
        QCOMPARE(box->text(), refusal.isEmpty() ? typed : QString(delay ? "5" : "1"));
        QCOMPARE(m_prompt->shown.size(), refusal.isEmpty() ? 0 : 1);
    }

    void closeBoxForgetsTheChoicesUpdateKeepsThem() {
        Configure* window = &openWindow();
        const auto choices = [&] {
            return QStringList{window->Drive->currentText(), window->cbDry->currentText(),
                               window->Range->currentText(), window->Accuracy->currentText(),
                               window->tAvg->text(),         window->Delay->text()} +
                   itemsOf(window->Range);
        };
        const auto choose = [&] {
            window->Drive->setCurrentText(QStringLiteral("DC +"));
            window->cbDry->setCurrentText(QStringLiteral("ON"));
            window->dryCircuitRule();
            window->Range->setCurrentText(QStringLiteral("2 Ohm"));
            window->Accuracy->setCurrentText(QStringLiteral("Medium"));
            window->tAvg->setText(QStringLiteral("3"));
            window->Delay->setText(QStringLiteral("250"));
        };
        const QStringList defaults =
            QStringList{"Pulse +/-", "OFF", "Auto", "Slow", "1", "5"} + kCreatedRanges;
        QCOMPARE(choices(), defaults);
        choose();
        window->close();
        settle();
        window = &openWindow();
        QCOMPARE(choices(), defaults);

        choose();
        window->Update->click();
        QVERIFY(!window->isVisible());
        settle();
        QCOMPARE(&Configure::use(), window);
        QCOMPARE(choices(),
                 QStringList({"DC +", "ON", "2 Ohm", "Medium", "3", "250"}) + kDryRanges);
    }

    // The sequence itself is checked as a plain function; here how an upload ends.
    void howAnUploadEnds_data() {
        QTest::addColumn<bool>("logging");
        QTest::addColumn<int>("failAfter"); // commands written before the port fails; -1: none
        QTest::newRow("sent, logging") << true << -1;
        QTest::newRow("sent, not logging") << false << -1;
        QTest::newRow("port closed") << true << 0;
        QTest::newRow("device gone after three") << true << 3;
    }
    void howAnUploadEnds() {
        QFETCH(bool, logging);
        QFETCH(int, failAfter);
        QTemporaryDir dir;
        const QString logPath = dir.filePath(QStringLiteral("log.csv"));
        QVERIFY(DataLog::open(logPath, DataLog::Mode::Replace, nullptr));
        frmMeasure::use().bLog = logging;
        Configure& window = openWindow();
        if (failAfter == 0)
            m_port->setPortOpen(false);
        m_port->onCommand = [&](const QByteArray&) {
            if (m_port->written.size() == failAfter)
                m_port->writesFail = true;
        };
        if (failAfter >= 0)
            m_prompt->expectOk(QStringLiteral("Configuration not sent: Input/output error"));
        window.Update->click();
        QCOMPARE(m_port->written.size(), failAfter < 0 ? 8 : failAfter);
        QCOMPARE(m_port->inputCalls, 0);
        QCOMPARE(m_prompt->shown.size(), failAfter < 0 ? 0 : 1);
        QVERIFY(!window.isVisible() && frmMeasure::use().isVisible());
        DataLog::close();
        QFile log(logPath);
        QVERIFY(log.open(QIODevice::ReadOnly));
        QCOMPARE(log.readAll(),
                 QByteArray(logging && failAfter < 0 ? "Configuration Changed\r\n" : ""));
    }

    // A second click during a pause is ignored; a control changed during a pause is sent by
    // the commands still to come.
    void duringAnUpload() {
        Configure& window = openWindow();
        int clicksDuringPause = 0;
        m_port->onCommand = [&](const QByteArray& command) {
            if (command == ":SOUR:DRY 0\r\n" && clicksDuringPause == 0)
                QTimer::singleShot(50, &window, [&] {
                    ++clicksDuringPause;
                    window.Update->click();
                    window.Accuracy->setCurrentText(QStringLiteral("Fast"));
                    window.Drive->setCurrentText(QStringLiteral("DC +"));
                });
        };
        window.Update->click();
        QCOMPARE(clicksDuringPause, 1);
        QCOMPARE(m_port->written.size(), 8);
        QCOMPARE(m_port->written.mid(1, 4),
                 (QList<QByteArray>{":SOUR:DRY 0\r\n", ":SOUR:DRIV 3\r\n", ":SENS:RANG:AUTO 1\r\n",
                                    ":SENS:SPEED Fast\r\n"}));
        // The window is usable for the next upload.
        m_port->written.clear();
        window.show();
        window.Update->click();
        QCOMPARE(m_port->written.size(), 8);
    }
};

QTEST_MAIN(ConfigureTest)
#include "tst_configure.moc"
