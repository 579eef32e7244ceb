// Triggers against the instrument simulator over a real pseudo-terminal and the real serial
// port, with the log file read back line by line.
#include "ScriptedPrompt.h"
#include "Simulator.h"
#include "UnloadAll.h"
#include "configuration/Configure.h"
#include "connection/Form1.h"
#include "link/Module1.h"
#include "link/PortMap.h"
#include "link/Wait.h"
#include "measurement/LogLines.h"
#include "measurement/frmMeasure.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

class TriggerSimTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        Module1::reset();
        Wait::resetCallOff();
        LoadableWindow::setProgramEndHandler([] { Wait::callOffAll(); });
        Module1::setAbandonHandler([] {});
    }
    void cleanup() {
        unloadEveryWindow();
        PortMap::setOverride(1, QString());
    }

    // A CR LF meter sending its reply in pieces: a logging run with two triggers, the first
    // corrected, and an upload between them.
    void readingsAreShownAndLogged() {
        Simulator sim({QStringLiteral("--crlf"), QStringLiteral("--pieces"), QStringLiteral("3")});
        QVERIFY(sim.start());
        PortMap::setOverride(1, sim.device());
        ScriptedPrompt prompt;
        OperatorPrompt::install(&prompt);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("run")); // taken as typed

        Form1::use(); // opens port 1, the simulator's pseudo-terminal
        Module1::Identify();
        QVERIFY(!Module1::bTimeout);
        frmMeasure& window = frmMeasure::use();
        QComboBox* accuracy = Configure::use().Accuracy;
        accuracy->setCurrentIndex(accuracy->findText(QStringLiteral("Fast")));

        prompt.expectFile(file);
        window.cmdLog->click();
        window.cmdTC->click();
        window.Temp->setText(QStringLiteral("30"));
        window.Start->click();
        const QStringList shown{window.Ppar->text(), window.Pvalue->text(), window.Punit->text(),
                                window.spar->text(), window.svalue->text(), window.sunit->text()};
        window.logLine(LogLines::configurationChanged());
        window.cmdTC->click();
        window.Start->click();
        window.cmdLog->click();
        QVERIFY2(prompt.done(), qPrintable(prompt.report()));
        QCOMPARE(shown, (QStringList{"Rx", "12.5", "mOhm", "Rtc", "12.01923", "mOhm"}));

        // Line by line, each ended by CR LF; the regional date and time read "D,T".
        QFile log(file);
        QVERIFY(log.open(QIODevice::ReadOnly));
        QStringList lines = QString::fromLatin1(log.readAll()).split(QStringLiteral("\r\n"));
        lines.replaceInStrings(QRegularExpression(QStringLiteral("^(St(art|op) Log ),[^,]+,[^,]+")),
                               QStringLiteral("\\1,D,T"));
        QCOMPARE(lines, (QStringList{"Start Log ,D,T,Norvale,MX7500,MX75-000123,1.04",
                                     "Rx,1.250000e-02, Ohm ,Rtc,0.01201923, Ohm ,30,0.004",
                                     "Configuration Changed", "Rx,1.250000e-02, Ohm",
                                     "Stop Log ,D,T", ""}));

        // What the meter heard: the bus-trigger setting, then a clear and a trigger per press.
        QVERIFY(sim.waitForReceived(7));
        const QList<QByteArray> heard = sim.received();
        QCOMPARE(heard.mid(heard.size() - 5),
                 (QList<QByteArray>{":TRIG:SOUR BUS\r\n", "*cls\r\n", "*TRG\r\n", "*cls\r\n",
                                    "*TRG\r\n"}));
    }
};

QTEST_MAIN(TriggerSimTest)
#include "tst_trigger_sim.moc"
