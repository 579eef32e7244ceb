// What real benches do to a running front panel: the meter unplugged in the middle of a
// reading or an upload, replies that are no readings, and windows closed during every kind
// of wait. Each case ends with the program alive (or ended as Exit ends it), nothing shown or
// logged that the meter did not say, and the buttons usable.
#include "CpuTime.h"
#include "FakeSerialPort.h"
#include "ScriptedPrompt.h"
#include "Simulator.h"
#include "UnloadAll.h"
#include "configuration/Configure.h"
#include "connection/Form1.h"
#include "link/Framing.h"
#include "link/Module1.h"
#include "link/PortMap.h"
#include "link/QtSerialPort.h"
#include "link/Wait.h"
#include "measurement/DataLog.h"
#include "measurement/frmMeasure.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <ctime>
#include <thread>

using Answer = OperatorPrompt::Answer;
using Buttons = OperatorPrompt::Buttons;

namespace {

QStringList rowsOf(const frmMeasure& w) {
    return {w.Ppar->text(), w.Pvalue->text(), w.Punit->text(),
            w.spar->text(), w.svalue->text(), w.sunit->text()};
}

bool unlocked(const frmMeasure& w) {
    return w.Start->isEnabled() && w.cmdLog->isEnabled() && w.Config->isEnabled() &&
           w.cmdTC->isEnabled();
}

} // namespace

class CycleFaultsTest : public QObject {
    Q_OBJECT
    ScriptedPrompt* m_prompt = nullptr;
    QTemporaryDir m_dir;
    int m_programEnds = 0;

    // The whole program in this process, on the real serial port to the simulator.
    frmMeasure* handOverTo(const Simulator& sim) {
        PortMap::setOverride(1, sim.device());
        Form1::setPortFactory([] { return new QtSerialPort; });
        Form1& form = Form1::use();
        form.show();
        form.Measure->click();
        return frmMeasure::loaded();
    }

    // The same on the in-memory port, answering "*IDN?" and each "*TRG" as scripted.
    frmMeasure* handOverToFake(QByteArray reading, int delayMs = 2) {
        Form1::setPortFactory([] { return new FakeSerialPort; });
        Form1& form = Form1::use();
        auto* port = qobject_cast<FakeSerialPort*>(form.MSComm1);
        port->onCommand = [port, reading, delayMs](const QByteArray& command) {
            if (command == "*IDN?\r\n")
                port->deliver("Norvale,MX7500,S,F\r\n", 2);
            else if (command == "*TRG\r\n" && !reading.isEmpty())
                port->deliver(reading, delayMs);
        };
        form.show();
        form.Measure->click();
        return frmMeasure::loaded();
    }

    QString startLog(frmMeasure& window) {
        const QString path = m_dir.filePath(QStringLiteral("faults.csv"));
        QFile::remove(path);
        if (!DataLog::open(path, DataLog::Mode::Replace, nullptr))
            return QString();
        window.bLog = true;
        return path;
    }

    static QByteArray contentsOf(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    static void staysIdle() {
        const double before = cpuSeconds();
        QTest::qWait(1000);
        const double used = cpuSeconds() - before;
        QVERIFY2(used < 0.3, qPrintable(QStringLiteral("%1 CPU-s in 1 s of idling").arg(used)));
    }

private Q_SLOTS:
    void initTestCase() {
        LoadableWindow::setProgramEndHandler([this] { ++m_programEnds; });
        Module1::setAbandonHandler([] { QFAIL("the program would have ended"); });
    }

    void init() {
        Module1::reset();
        Wait::resetCallOff();
        m_prompt = new ScriptedPrompt;
        OperatorPrompt::install(m_prompt);
        m_programEnds = 0;
    }

    void cleanup() {
        QVERIFY2(m_prompt->done(), qPrintable(m_prompt->report()));
        unloadEveryWindow();
        QCOMPARE(LoadableWindow::loadedCount(), 0);
        PortMap::setOverride(1, QString());
        delete m_prompt;
    }

    void meterUnpluggedBeforeTheReading() {
        Simulator sim({QStringLiteral("--hangup-on"), QStringLiteral("*TRG")});
        QVERIFY(sim.start());
        frmMeasure* window = handOverTo(sim);
        QVERIFY(window);
        Configure::use().Accuracy->setCurrentIndex(2); // Fast
        const QString log = startLog(*window);

        m_prompt->expect(Module1::notRespondingText(), Buttons::OkCancel, Answer::Ok);
        QElapsedTimer took;
        took.start();
        window->Start->click();
        QVERIFY2(took.elapsed() < 2000, qPrintable(QString::number(took.elapsed())));
        QCOMPARE(rowsOf(*window), QStringList(6, QString()));
        QVERIFY(unlocked(*window));
        DataLog::close();
        QCOMPARE(contentsOf(log), QByteArray());
        staysIdle();
    }

    void meterUnpluggedInTheMiddleOfTheReading() {
        // The reading comes in two pieces 1.5 s apart; the line dies between them, while the
        // front panel lets the first piece settle.
        Simulator sim({QStringLiteral("--pieces"), QStringLiteral("2"),
                       QStringLiteral("--piece-gap"), QStringLiteral("1500")});
        QVERIFY(sim.start());
        frmMeasure* window = handOverTo(sim);
        QVERIFY(window);
        Configure::use().Accuracy->setCurrentIndex(2);
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

        m_prompt->expect(Module1::notRespondingText(), Buttons::OkCancel, Answer::Ok);
        window->Start->click();
        unplug.join();
        // "1.2500" of "1.250000e-02" would read as a plausible, wrong 1.25 Ohm.
        QCOMPARE(rowsOf(*window), QStringList(6, QString()));
        QVERIFY(unlocked(*window));
        staysIdle();
    }

    void meterUnpluggedBetweenTwoUploadCommands() {
        Simulator sim({QStringLiteral("--hangup-on"), QStringLiteral(":SOUR:DRY 0")});
        QVERIFY(sim.start());
        frmMeasure* window = handOverTo(sim);
        QVERIFY(window);
        const QString log = startLog(*window);
        window->Config->click();
        QVERIFY(Configure::use().isVisible());

        m_prompt->expectOkStartingWith(QStringLiteral("Configuration not sent: "));
        QElapsedTimer took;
        took.start();
        Configure::use().Update->click();
        QVERIFY2(took.elapsed() < 2000, qPrintable(QString::number(took.elapsed())));
        QVERIFY(window->isVisible());
        DataLog::close();
        QVERIFY(!contentsOf(log).contains("Configuration Changed"));
        staysIdle();
    }

    void repliesThatAreNoReadings_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("binary") << QByteArray("\x01\x02\xfe\xff\n", 5);
        QTest::newRow("NUL inside") << QByteArray("1.25\x00e-02\n", 10);
        QTest::newRow("beyond single precision") << QByteArray("3.5e+39\n");
        QTest::newRow("nan") << QByteArray("nan\n");
        QTest::newRow("inf") << QByteArray("inf\n");
        QTest::newRow("blanks only") << QByteArray("      \n");
        QTest::newRow("bare CR LF") << QByteArray("\r\n");
    }
    void repliesThatAreNoReadings() {
        QFETCH(QByteArray, reply);
        frmMeasure* window = handOverToFake(reply);
        QVERIFY(window);
        Configure::use().Accuracy->setCurrentIndex(2);
        const QString log = startLog(*window);
        window->Start->click();
        QCOMPARE(rowsOf(*window), QStringList(6, QString()));
        QVERIFY(unlocked(*window));
        DataLog::close();
        QCOMPARE(contentsOf(log), QByteArray());
    }

    void aMebibyteWithoutLineEndStaysBounded() {
        frmMeasure* window = handOverToFake(QByteArray(1024 * 1024, '7'));
        QVERIFY(window);
        Configure::use().Accuracy->setCurrentIndex(2);
        const QString log = startLog(*window);
        window->Start->click(); // no LF: the read ends at its 10 s limit
        QVERIFY(Module1::sReply.size() <= Framing::kMaxReplyBytes);
        QCOMPARE(rowsOf(*window), QStringList(6, QString()));
        QVERIFY(unlocked(*window));
        DataLog::close();
        QCOMPARE(contentsOf(log), QByteArray());
    }

    void theLogFileRemovedWhileLogging() {
        frmMeasure* window = handOverToFake("0.0125\n");
        QVERIFY(window);
        Configure::use().Accuracy->setCurrentIndex(2);
        const QString path = m_dir.filePath(QStringLiteral("removed.csv"));
        QFile::remove(path);
        m_prompt->expectFile(path);
        window->cmdLog->click();
        QVERIFY(window->bLog);
        QVERIFY(QFile::remove(path));

        // The readings would go to a file nobody can find any more: the operator is told.
        m_prompt->expectOk(QStringLiteral(
            "Logging stopped: the log file could not be written.  The log file has been removed"));
        window->Start->click();
        QVERIFY(!window->bLog);
        QCOMPARE(window->windowTitle(), QStringLiteral("Results"));
        QCOMPARE(window->cmdLog->text(), QStringLiteral("Start Log"));
        QCOMPARE(window->Pvalue->text(), QStringLiteral("12.5"));
        QVERIFY(unlocked(*window));
    }

    void leavingDuringEveryKindOfWait_data() {
        QTest::addColumn<QString>("wait");
        QTest::addColumn<QString>("action");
        for (const QString wait :
             {"identification", "speed pause", "first characters", "line end", "upload pause"}) {
            QTest::newRow(qPrintable(wait + ", Exit")) << wait << QStringLiteral("exit");
            QTest::newRow(qPrintable(wait + ", close box")) << wait << QStringLiteral("close");
        }
    }
    void leavingDuringEveryKindOfWait() {
        QFETCH(QString, wait);
        QFETCH(QString, action);
        QByteArray reading = "0.0125\n";
        int delayMs = 2;
        if (wait == QLatin1String("first characters"))
            delayMs = 3000;
        if (wait == QLatin1String("line end"))
            reading = "0.01"; // the rest never comes
        frmMeasure* window = handOverToFake(reading, delayMs);
        QVERIFY(window);
        Configure::use().Accuracy->setCurrentIndex(wait == QLatin1String("speed pause") ? 0 : 2);
        const QString log = startLog(*window);
        auto* port = qobject_cast<FakeSerialPort*>(Form1::use().MSComm1);

        if (wait == QLatin1String("identification"))
            port->onCommand = {}; // nobody answers the second identification
        QPointer<frmMeasure> results(window);
        QTimer::singleShot(wait == QLatin1String("line end") ? 500 : 100, [=] {
            if (wait == QLatin1String("upload pause") && action == QLatin1String("close"))
                Configure::use().close();
            else if (action == QLatin1String("exit") && results)
                results->exitStep();
            else if (results)
                results->close();
        });

        if (wait == QLatin1String("identification")) {
            window->Config->click();
        } else if (wait == QLatin1String("upload pause")) {
            Configure::use().show();
            window->hide();
            Configure::use().Update->click();
        } else {
            window->Start->click();
        }

        if (wait == QLatin1String("upload pause") && action == QLatin1String("close")) {
            // Only the configuration window went: the program goes on, the results are back.
            QVERIFY(results && results->isVisible());
            QVERIFY(!Configure::loaded());
            QCOMPARE(m_programEnds, 0);
            QVERIFY(unlocked(*results));
            return;
        }
        QCOMPARE(m_programEnds, 1);
        QCOMPARE(LoadableWindow::loadedCount(), 0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(results.isNull());
        // Leaving while logging ends the log with exactly one stop line.
        const QByteArray written = contentsOf(log);
        QCOMPARE(written.count("Stop Log ,"), 1);
        QVERIFY(written.endsWith("\r\n"));
    }
};

QTEST_MAIN(CycleFaultsTest)
#include "tst_cycle_faults.moc"
