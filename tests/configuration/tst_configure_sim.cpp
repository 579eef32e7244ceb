// One upload end to end: the window, the real serial port and the simulator on a
// pseudo-terminal, checked against the simulator's own record of what arrived and when.
#include "ScriptedPrompt.h"
#include "Simulator.h"
#include "configuration/Configure.h"
#include "link/Module1.h"
#include "link/PortMap.h"
#include "link/QtSerialPort.h"
#include "measurement/frmMeasure.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <ctime>
#include <utility>

namespace {

// The real port, noting when each write left it on the simulator's clock.
class TimedPort : public QtSerialPort {
public:
    bool output(const QByteArray& data) override {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        sentAt << double(now.tv_sec) + double(now.tv_nsec) / 1e9;
        return QtSerialPort::output(data);
    }
    QList<double> sentAt;
};

} // namespace

class ConfigureSimulatorTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void uploadReachesTheMeterWithItsPauses() {
        Simulator sim;
        QVERIFY(sim.start());
        PortMap::setOverride(1, sim.device());
        ScriptedPrompt prompt;
        OperatorPrompt::install(&prompt);
        TimedPort port;
        port.setCommPort(1);
        port.setSettings(QStringLiteral("9600"));
        QVERIFY2(port.setPortOpen(true), qPrintable(port.errorText()));
        Module1::setPort(&port);

        frmMeasure::use(); // its load step sends the bus trigger choice
        QVERIFY(sim.waitForReceived(1));
        Configure& window = Configure::use();
        window.show();
        window.cbDry->setCurrentText(QStringLiteral("ON"));
        window.dryCircuitRule();
        window.Drive->setCurrentText(QStringLiteral("DC -"));
        window.Range->setCurrentText(QStringLiteral("2 Ohm"));
        window.Accuracy->setCurrentText(QStringLiteral("Fast"));
        window.Delay->setText(QStringLiteral("100"));
        window.tAvg->setText(QStringLiteral("10"));
        window.Update->click();

        const QList<QByteArray> expected{
            ":TRIG:SOUR BUS\r\n",    ":SOUR:DRY 1\r\n",        ":SOUR:DRIV 4\r\n",
            ":SENS:RANG:AUTO 0\r\n", ":SENS:RANG 2\r\n",       ":SENS:SPEED Fast\r\n",
            ":TRIG:DEL 100\r\n",     ":Sens:AVER:COUN 10\r\n", "*CLS\r\n"};
        QVERIFY(sim.waitForReceived(1 + int(expected.size())));
        QList<Simulator::Event> upload; // what arrived after the load step's line
        QList<QByteArray> lines;
        bool loadStepLine = true;
        for (const Simulator::Event& event : sim.events())
            if (event.received && !std::exchange(loadStepLine, false)) {
                upload << event;
                lines << event.bytes;
            }
        QCOMPARE(lines, expected);
        // The simulator records a line when it gets round to reading it, which on a loaded
        // machine lags the write by an uneven few tens of milliseconds. So each line on the
        // record is held against the moment the line before it was written: the meter must
        // never see a command within 0.2 s of the previous one leaving the program.
        const QList<double> sentAt = port.sentAt.mid(1);
        QCOMPARE(sentAt.size(), upload.size());
        for (int i = 0; i < upload.size(); ++i)
            QVERIFY(upload.at(i).time >= sentAt.at(i)); // one clock for both
        for (int i = 1; i < upload.size(); ++i) {
            const double written = sentAt.at(i) - sentAt.at(i - 1);
            const double recorded = upload.at(i).time - sentAt.at(i - 1);
            const QByteArray where = lines.at(i).trimmed() + ": " + QByteArray::number(written) +
                                     " s between the writes, " + QByteArray::number(recorded) +
                                     " s on the record";
            if (i == 4) // the range number follows auto-ranging off at once
                QVERIFY2(written < 0.05 && recorded < 0.2, where.constData());
            else
                QVERIFY2(written > 0.2 && recorded > 0.2, where.constData());
        }
        QVERIFY(!window.isVisible() && frmMeasure::use().isVisible());
        QVERIFY2(prompt.done(), qPrintable(prompt.report()));

        Configure::unloadIfLoaded();
        frmMeasure::unloadIfLoaded();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        Module1::setPort(nullptr);
        PortMap::setOverride(1, QString());
    }
};

QTEST_MAIN(ConfigureSimulatorTest)
#include "tst_configure_sim.moc"
