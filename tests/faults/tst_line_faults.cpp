// The line failing under the link: an unplugged adapter during the identification, a replug,
// and a port that another program already holds.
#include "CpuTime.h"
#include "ScriptedPrompt.h"
#include "Simulator.h"
#include "link/Module1.h"
#include "link/PortMap.h"
#include "link/QtSerialPort.h"
#include "link/Wait.h"

#include <QtTest>

#include <ctime>
#include <unistd.h>

using Answer = OperatorPrompt::Answer;
using Buttons = OperatorPrompt::Buttons;

class LineFaultsTest : public QObject {
    Q_OBJECT
    ScriptedPrompt* m_prompt = nullptr;

    void answerNotRespondingWithOk() {
        m_prompt->expect(Module1::notRespondingText(), Buttons::OkCancel, Answer::Ok);
    }

private Q_SLOTS:
    void init() {
        Module1::reset();
        Wait::resetCallOff();
        m_prompt = new ScriptedPrompt;
        OperatorPrompt::install(m_prompt);
        Module1::setAbandonHandler([] { QFAIL("the program would have ended"); });
    }
    void cleanup() {
        QVERIFY2(m_prompt->done(), qPrintable(m_prompt->report()));
        delete m_prompt;
        PortMap::setOverride(1, QString());
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

    void aDeliberatelyClosedPortStaysClosed() {
        Simulator sim;
        QVERIFY(sim.start());
        PortMap::setOverride(1, sim.device());
        QtSerialPort port;
        QVERIFY(port.setPortOpen(true));
        QVERIFY(port.setPortOpen(false));
        QVERIFY(!port.output("*IDN?\r\n"));
        QVERIFY(!port.portOpen());
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
};

QTEST_GUILESS_MAIN(LineFaultsTest)
#include "tst_line_faults.moc"
