// The real serial port on a real pseudo-terminal, with the simulator as the meter: a run
// shown and logged, and the line failing under it (unplugged during the identification, a
// reading or an upload; replugged; a port another program holds).
#include "CpuTime.h"
#include "Panel.h"
#include "Simulator.h"
#include "configuration/Configure.h"
#include "link/Module1.h"
#include "link/PortMap.h"
#include "link/QtSerialPort.h"
#include "measurement/frmMeasure.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <csignal>
#include <thread>
#include <unistd.h>

using Answer = OperatorPrompt::Answer;
using Buttons = OperatorPrompt::Buttons;

class LineFaultsTest : public Panel {
    Q_OBJECT

    void answerNotRespondingWithOk() {
        prompt->expect(kNotResponding, Buttons::OkCancel, Answer::Ok);
    }
private Q_SLOTS:
    // A CR LF meter sending its reply in pieces: a logging run with two triggers, the first
    // corrected, and an upload between them.
    void readingsAreShownAndLogged() {
        Simulator sim({QStringLiteral("--crlf"), QStringLiteral("--pieces"), QStringLiteral("3")});
        QVERIFY(sim.start());
        frmMeasure* window = handOver(sim);
        QVERIFY(window);
        const QString file = startLog(QStringLiteral("run")); // taken as typed
        window->cmdTC->click();
        activate(window);
        typeInto(window->Temp, QStringLiteral("30"));
        window->Start->click();
        QCOMPARE(rows(), (QStringList{"Rx", "12.5", "mOhm", "Rtc", "12.01923", "mOhm"}));
        window->Config->click();
        QVERIFY(Configure::use().isVisible());
        Configure::use().Update->click();
        window->cmdTC->click();
        window->Start->click();
        window->cmdLog->click();
        QCOMPARE(logLines(file),
                 (QStringList{"Start Log ,D,T,Norvale,MX7500,MX75-000123,1.04",
                              "Rx,1.250000e-02, Ohm ,Rtc,0.01201923, Ohm ,30,0.004",
                              "Configuration Changed", "Rx,1.250000e-02, Ohm", "Stop Log ,D,T"}));
        // What the meter heard from the upload on: the eight settings lines, each more than
        // 0.2 s after the one before (the record lags a write by an uneven few tens of ms),
        // then a clear and a trigger.
        QTRY_COMPARE(sim.received().count("*TRG\r\n"), 2);
        QList<Simulator::Event> heard;
        for (const Simulator::Event& event : sim.events())
            if (event.received)
                heard << event;
        heard = heard.mid(heard.size() - 10);
        QList<QByteArray> lines;
        for (const Simulator::Event& event : heard)
            lines << event.bytes;
        QCOMPARE(lines, (QList<QByteArray>{
                            ":TRIG:SOUR BUS\r\n", ":SOUR:DRY 0\r\n", ":SOUR:DRIV 0\r\n",
                            ":SENS:RANG:AUTO 1\r\n", ":SENS:SPEED Fast\r\n", ":TRIG:DEL 5\r\n",
                            ":Sens:AVER:COUN 1\r\n", "*CLS\r\n", "*cls\r\n", "*TRG\r\n"}));
        for (int i = 1; i < 8; ++i)
            QVERIFY2(heard.at(i).time - heard.at(i - 1).time > 0.15, lines.at(i).constData());
    }

    void unpluggedDuringIdentificationEndsTheWaitAndStaysIdle() {
        Simulator sim({QStringLiteral("--hangup-on"), QStringLiteral("*IDN?")});
        QVERIFY(sim.start());
        PortMap::setOverride(1, sim.device());
        QtSerialPort port;
        QVERIFY(port.setPortOpen(true));
        Module1::setPort(&port);

        answerNotRespondingWithOk();
        QElapsedTimer took;
        took.start();
        Module1::Identify();
        QVERIFY2(took.elapsed() < 3000, "the wait did not notice the line had gone");
        QVERIFY(Module1::bTimeout);
        QVERIFY(!port.portOpen());

        // A hung-up line that stayed open would keep the event loop busy.
        const double before = cpuSeconds();
        QTest::qWait(1500);
        const double used = cpuSeconds() - before;
        QVERIFY2(used < 0.3, qPrintable(QStringLiteral("%1 CPU-s while idle").arg(used)));
    }

    void aReplugWorksAtTheNextCommand() {
        const QString link = QDir::temp().filePath(
            QStringLiteral("mx7500-replug-%1").arg(QCoreApplication::applicationPid()));
        auto first = std::make_unique<Simulator>(QStringList{QStringLiteral("--link"), link,
                                                             QStringLiteral("--hangup-on"),
                                                             QStringLiteral("*IDN?")});
        QVERIFY(first->start());
        PortMap::setOverride(1, link);
        QtSerialPort port;
        QVERIFY(port.setPortOpen(true));
        Module1::setPort(&port);

        answerNotRespondingWithOk();
        Module1::Identify();
        QVERIFY(Module1::bTimeout);
        first.reset();

        Simulator second({QStringLiteral("--link"), link});
        QVERIFY(second.start());
        Module1::Identify();
        QVERIFY(!Module1::bTimeout);
        QCOMPARE(Module1::sIdnModel, QStringLiteral("MX7500"));
        QVERIFY(port.portOpen());
    }

    void aPortHeldByAnotherProgramDoesNotOpen() {
        // Root passes the lock and the exclusive mode; only an ordinary user proves this.
        if (geteuid() == 0)
            QSKIP("runs as an ordinary user (see tests/faults/CMakeLists.txt)");
        Simulator sim;
        QVERIFY(sim.start());
        PortMap::setOverride(1, sim.device());
        QtSerialPort first;
        if (!first.setPortOpen(true))
            QSKIP("a lock file left by another user's program holds this pseudo-terminal");
        QtSerialPort second;
        QVERIFY(!second.setPortOpen(true));
        QVERIFY(!second.errorText().isEmpty());
    }
    void meterUnpluggedInTheMiddleOfTheReading() {
        // The reading comes in two pieces 1.5 s apart; the line dies between them, while the
        // front panel lets the first piece settle.
        Simulator sim({QStringLiteral("--pieces"), QStringLiteral("2"),
                       QStringLiteral("--piece-gap"), QStringLiteral("1500")});
        QVERIFY(sim.start());
        frmMeasure* window = handOver(sim);
        QVERIFY(window);
        const auto repliesSent = [&sim] {
            const QList<Simulator::Event> events = sim.events();
            return std::count_if(events.cbegin(), events.cend(),
                                 [](const Simulator::Event& e) { return !e.received; });
        };
        const auto repliesBefore = repliesSent();
        const qint64 pid = sim.pid();
        std::thread unplug([&repliesSent, repliesBefore, pid] {
            for (int i = 0; i < 200; ++i) {
                if (repliesSent() > repliesBefore) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(100));
                    ::kill(pid_t(pid), SIGUSR1);
                    return;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
        });

        answerNotRespondingWithOk();
        window->Start->click();
        unplug.join();
        // "1.2500" of "1.250000e-02" would read as a plausible, wrong 1.25 Ohm.
        QCOMPARE(rows(), QStringList(6, QString()));
        QVERIFY(unlocked());
    }

    void meterUnpluggedBetweenTwoUploadCommands() {
        Simulator sim({QStringLiteral("--hangup-on"), QStringLiteral(":SOUR:DRY 0")});
        QVERIFY(sim.start());
        frmMeasure* window = handOver(sim);
        QVERIFY(window);
        startLog();
        window->Config->click();
        QVERIFY(Configure::use().isVisible());

        prompt->expectOkStartingWith(QStringLiteral("Configuration not sent: "));
        QElapsedTimer took;
        took.start();
        Configure::use().Update->click();
        QVERIFY2(took.elapsed() < 2000, qPrintable(QString::number(took.elapsed())));
        QVERIFY(window->isVisible());
        // A second try is answered too: the first failure did not leave Update dead.
        prompt->expectOkStartingWith(QStringLiteral("Configuration not sent: "));
        Configure::use().show();
        Configure::use().Update->click();
        QCOMPARE(prompt->shown.size(), 2);
        QCOMPARE(logLines(), QStringList{"Start Log ,D,T,Norvale,MX7500,MX75-000123,1.04"});
    }
};

QTEST_MAIN(LineFaultsTest)
#include "tst_line_faults.moc"
