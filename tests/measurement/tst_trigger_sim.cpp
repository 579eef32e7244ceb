// Triggers against the instrument simulator over a real pseudo-terminal and the real serial
// port, with the log file read back line by line.
#include "ScriptedPrompt.h"
#include "Simulator.h"
#include "configuration/Configure.h"
#include "connection/Form1.h"
#include "link/Module1.h"
#include "link/PortMap.h"
#include "link/Wait.h"
#include "measurement/DataLog.h"
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
        frmMeasure::unloadIfLoaded();
        Configure::unloadIfLoaded();
        Form1::unloadIfLoaded();
        DataLog::close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        PortMap::setOverride(1, QString());
    }

    void readingsAreShownAndLogged_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QStringList>("firstRow");
        QTest::addColumn<QStringList>("secondRow");
        QTest::addColumn<QString>("measured");
        QTest::addColumn<QString>("corrected");
        const QStringList reading{"Rx", "12.5", "mOhm"};
        QTest::newRow("LF") << QStringList() << reading << QStringList{"Rtc", "12.01923", "mOhm"}
                            << "1.250000e-02"
                            << "0.01201923";
        QTest::newRow("CR LF, in pieces")
            << QStringList{"--crlf", "--pieces", "3"} << reading
            << QStringList{"Rtc", "12.01923", "mOhm"} << "1.250000e-02"
            << "0.01201923";
        QTest::newRow("over-range, CR LF")
            << QStringList{"--overrange", "--crlf"} << QStringList{"", "Range Error", ""}
            << QStringList{"", "", ""} << "Range Error"
            << "";
    }
    void readingsAreShownAndLogged() {
        QFETCH(QStringList, options);
        QFETCH(QStringList, firstRow);
        QFETCH(QStringList, secondRow);
        QFETCH(QString, measured);
        QFETCH(QString, corrected);
        Simulator sim(options);
        QVERIFY(sim.start());
        PortMap::setOverride(1, sim.device());
        ScriptedPrompt prompt;
        OperatorPrompt::install(&prompt);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("run.csv"));

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
        window.cmdTC->click();
        window.Start->click();
        window.cmdLog->click();
        QVERIFY2(prompt.done(), qPrintable(prompt.report()));

        QCOMPARE(shown, firstRow + secondRow);
        QFile log(file);
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = log.readAll().split('\n');
        QCOMPARE(lines.size(), 5); // four lines, each ended by CR LF
        QVERIFY2(QRegularExpression(
                     QStringLiteral("^Start Log ,[^,]+,[^,]+,Norvale,MX7500,MX75-000123,1.04\r$"))
                     .match(QString::fromLatin1(lines[0]))
                     .hasMatch(),
                 lines[0].constData());
        const QString ppar = firstRow[0];
        const QString spar = secondRow[0];
        QCOMPARE(QString::fromLatin1(lines[1]), QStringLiteral("%1,%2, Ohm ,%3,%4, Ohm ,30,0.004\r")
                                                    .arg(ppar, measured, spar, corrected));
        QCOMPARE(QString::fromLatin1(lines[2]), QStringLiteral("%1,%2, Ohm\r").arg(ppar, measured));
        QVERIFY(QRegularExpression(QStringLiteral("^Stop Log ,[^,]+,[^,]+\r$"))
                    .match(QString::fromLatin1(lines[3]))
                    .hasMatch());
        QCOMPARE(lines[4], QByteArray());

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
