// The results window against an in-memory meter. Trigger: the commands, the reading and what
// is shown and logged for every kind of reply, the entry checks, the speed pause and the
// failing line. The log button: the file, the overwrite question, the start and stop lines,
// the failures to open or write. Leaving during every kind of wait.
#include "Panel.h"
#include "configuration/Configure.h"
#include "link/Module1.h"
#include "measurement/DataLog.h"
#include "measurement/ReadMeasurement.h"
#include "measurement/frmMeasure.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using Answer = OperatorPrompt::Answer;
using Buttons = OperatorPrompt::Buttons;

namespace {
const QStringList kOld(6, QStringLiteral("old"));
const QString kStart = QStringLiteral("Start Log ,D,T,Norvale,MX7500,MX75-000123,1.04");
const QString kStop = QStringLiteral("Stop Log ,D,T");
const QString kNumeric = QStringLiteral("Entry must be numeric");
const QString kFull =
    QStringLiteral("Logging stopped: the log file could not be written.  No space left on device");

template <typename... T> void row(const char* tag, const T&... values) {
    (QTest::newRow(tag) << ... << values);
}
} // namespace

class ResultsWindowTest : public Panel {
    Q_OBJECT

    frmMeasure& ready() {
        frmMeasure& w = handOver();
        for (QLineEdit* box : {w.Ppar, w.Pvalue, w.Punit, w.spar, w.svalue, w.sunit})
            box->setText(QStringLiteral("old"));
        return w;
    }

private Q_SLOTS:
    // Stale input (a reading that came after an earlier time-out) is not the reading.
    void sendsClearAndTriggerWithTheButtonsLocked() {
        frmMeasure& w = ready();
        port->preload("9.99\n");
        bool lockedDuringWait = false; // all but Exit and the correction entries
        port->onCommand = [&](const QByteArray& command) {
            if (command != "*TRG\r\n")
                return;
            lockedDuringWait = !unlocked() && !w.Start->isEnabled() && !w.cmdLog->isEnabled() &&
                               !w.Config->isEnabled() && !w.cmdTC->isEnabled() &&
                               w.Exit->isEnabled() && w.Combo1->isEnabled() && w.Temp->isEnabled();
            port->deliver("0.0125\n", 2);
        };
        w.Start->click();
        QCOMPARE(port->written, (QList<QByteArray>{"*cls\r\n", "*TRG\r\n"}));
        QVERIFY(lockedDuringWait);
        QVERIFY(unlocked());
        QCOMPARE(rows(), (QStringList{"Rx", "12.5", "mOhm", "Rtc", "12.5", "mOhm"}));
    }

    // A reading in two pieces is joined; the settling pause between them sleeps, so a timer
    // cannot run before it ends.
    void theSettlingPauseDoesNotYield() {
        handOver();
        port->deliver("1.25", 5);
        port->deliver("0000e-02\r\n", 60);
        QElapsedTimer started;
        started.start();
        qint64 timerRanAt = -1;
        QTimer::singleShot(50, [&] { timerRanAt = started.elapsed(); });
        Module1::ReadMeasurement();
        QCOMPARE(Module1::sReply, QStringLiteral("1.250000e-02\r"));
        QVERIFY(!Module1::bTimeout);
        QVERIFY2(started.elapsed() > 200, qPrintable(QString::number(started.elapsed())));
        QVERIFY2(timerRanAt < 0 || timerRanAt > 200, qPrintable(QString::number(timerRanAt)));
    }

    // What a trigger shows and logs, typed entries and all: the four kinds of data line with
    // each meter ending, the correction examples, and replies that are no reading.
    void dataLines_data() {
        QTest::addColumn<QByteArray>("received");
        QTest::addColumn<QString>("temperature"); // empty: the correction stays off
        QTest::addColumn<QString>("material");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QStringList>("lines");
        const QStringList reading{"Rx", "12.5", "mOhm", "Rtc", "12.5", "mOhm"};
        const QStringList overRange{"", "Range Error", "", "", "", ""};
        for (const QByteArray ending : {QByteArray("\n"), QByteArray("\r\n")}) {
            const QByteArray tag = ending.size() == 1 ? ", LF" : ", CR LF";
            row("correction on" + tag, "0.0125" + ending, QString("20"), QString("Copper"), reading,
                QStringList{"Rx,0.0125, Ohm ,Rtc,0.0125, Ohm ,20,0.004"});
            row("correction off" + tag, "0.0125" + ending, QString(), QString(), reading,
                QStringList{"Rx,0.0125, Ohm"});
            row("over-range, correction on" + tag, "0.000000e+00" + ending, QString("20"),
                QString("Copper"), overRange, QStringList{",Range Error, Ohm ,,, Ohm ,20,0.004"});
            row("over-range, correction off" + tag, "0.000000e+00" + ending, QString(), QString(),
                overRange, QStringList{",Range Error, Ohm"});
        }
        row("30 degrees, copper", QByteArray("0.0125\n"), QString("30"), QString("Copper"),
            QStringList{"Rx", "12.5", "mOhm", "Rtc", "12.01923", "mOhm"},
            QStringList{"Rx,0.0125, Ohm ,Rtc,0.01201923, Ohm ,30,0.004"});
        row("crosses a range bound, nichrome", QByteArray("1.02\n"), QString("95"),
            QString("Nichrome"), QStringList{"Rx", "1.02", "Ohm", "Rtc", "990.2913", "mOhm"},
            QStringList{"Rx,1.02, Ohm ,Rtc,0.9902912, Ohm ,95,0.0004"});
        row("typed coefficient", QByteArray("-0.0125\n"), QString("-50"), QString("4E-3"),
            QStringList{"Rx", "-12.5", "mOhm", "Rtc", "-17.36111", "mOhm"},
            QStringList{"Rx,-0.0125, Ohm ,Rtc,-0.01736111, Ohm ,-50,0.004"});
        const QList<QByteArray> noReadings{"ERR\n",
                                           "0.0125\n0.0126\n",
                                           "\x01\xfe\n",
                                           "3.5e+39\n",
                                           "nan\n",
                                           "inf\n",
                                           "      \n",
                                           "\r\n",
                                           QByteArray("1.25\x00e-02\n", 10)};
        for (const QByteArray& reply : noReadings)
            row(("no reading: " + reply.toPercentEncoding()).constData(), reply, QString("20"),
                QString("Copper"), kOld, QStringList());
    }
    void dataLines() {
        QFETCH(QByteArray, received);
        QFETCH(QString, temperature);
        QFETCH(QString, material);
        QFETCH(QStringList, shown);
        QFETCH(QStringList, lines);
        reading = received;
        frmMeasure& w = ready();
        startLog();
        if (!temperature.isEmpty()) {
            w.cmdTC->click();
            activate(&w);
            typeInto(w.Temp, temperature);
            typeInto(w.Combo1, material);
        }
        w.Start->click();
        QCOMPARE(rows(), shown);
        QCOMPARE(logLines(), QStringList{kStart} + lines);
        QVERIFY(unlocked());
    }

    // Leaving an entry resets a wrong one; a trigger reports the same messages but resets
    // nothing, uses a coefficient out of range and keeps the last one for a word.
    void entryChecks_data() {
        QTest::addColumn<bool>("temperature");
        QTest::addColumn<bool>("atTrigger");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("after");
        QTest::addColumn<float>("tempco");
        const QString coefficientRange = QStringLiteral("Entry must be between -0.01 and 0.01");
        const QString temperatureRange = QStringLiteral("Entry must be between -50 and 200");
        row("material", false, false, QString("Silver"), QString(), QString("Silver"), 0.0038f);
        row("coefficient at the bound", false, false, QString("-0.01"), QString(), QString("-0.01"),
            -0.01f);
        row("coefficient at the upper bound", false, false, QString("0.01"), QString(),
            QString("0.01"), 0.01f);
        row("coefficient beyond", false, false, QString("0.02"), coefficientRange,
            QString("Copper"), 0.02f);
        row("lower-case material", false, false, QString("copper"), kNumeric, QString("Copper"),
            0.0039f);
        row("first letter of a material", false, false, QString("G"), kNumeric, QString("Copper"),
            0.0039f);
        row("empty material", false, false, QString(), kNumeric, QString("Copper"), 0.0039f);
        row("beyond at trigger", false, true, QString("0.02"), coefficientRange, QString("0.02"),
            0.02f);
        row("word at trigger", false, true, QString("warm"), kNumeric, QString("warm"), 0.0039f);
        row("temperature at the bound", true, false, QString("200"), QString(), QString("200"),
            0.0039f);
        row("temperature above", true, false, QString("200.5"), temperatureRange, QString("20"),
            0.0039f);
        row("temperature below", true, false, QString("-51"), temperatureRange, QString("20"),
            0.0039f);
        row("empty temperature", true, false, QString(), kNumeric, QString("20"), 0.0039f);
    }
    void entryChecks() {
        QFETCH(bool, temperature);
        QFETCH(bool, atTrigger);
        QFETCH(QString, entry);
        QFETCH(QString, message);
        QFETCH(QString, after);
        QFETCH(float, tempco);
        frmMeasure& w = ready();
        w.cmdTC->click();
        activate(&w);
        w.sTempco = 0.0039f;
        if (!message.isEmpty())
            prompt->expectOk(message);
        QWidget* box = temperature ? static_cast<QWidget*>(w.Temp) : w.Combo1;
        if (atTrigger) {
            // Typed while the focus stayed in the box: the trigger's own reading of it.
            w.Combo1->setEditText(entry);
            w.Start->click();
        } else {
            typeInto(box, entry);
        }
        QCOMPARE(temperature ? w.Temp->text() : w.Combo1->currentText(), after);
        QCOMPARE(w.sTempco, tempco);
        QVERIFY(unlocked());
    }

    // The settling pause plus 0.2 s per speed pause; a closed settings window reads Slow.
    void speedPause() {
        frmMeasure& w = ready();
        for (const bool closed : {false, true}) {
            setSpeed(QStringLiteral("Medium"));
            if (closed)
                Configure::unloadIfLoaded();
            QElapsedTimer took;
            took.start();
            w.Start->click();
            const qint64 ms = took.elapsed();
            QVERIFY2(closed ? ms >= 1000 && ms < 2000 : ms >= 400 && ms < 1000,
                     qPrintable(QString::number(ms)));
            QCOMPARE(w.Pvalue->text(), QStringLiteral("12.5"));
        }
    }

    // A line that dies asks at once, a silent meter after its 10 s; OK goes on, Cancel leaves.
    void aFailingLine_data() {
        QTest::addColumn<bool>("silent");
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<int>("fromMs");
        QTest::addColumn<int>("toMs");
        QTest::newRow("line dies, OK") << false << Answer::Ok << 0 << 1000;
        QTest::newRow("line dies, Cancel") << false << Answer::Cancel << 0 << 1000;
        QTest::newRow("silent meter, OK") << true << Answer::Ok << 10200 << 10800;
    }
    void aFailingLine() {
        QFETCH(bool, silent);
        QFETCH(Answer, answer);
        QFETCH(int, fromMs);
        QFETCH(int, toMs);
        frmMeasure& w = ready();
        reading.clear();
        if (!silent)
            port->onCommand = [this](const QByteArray& command) {
                if (command == "*TRG\r\n")
                    port->hangUp(20);
            };
        startLog();
        prompt->expect(kNotResponding, Buttons::OkCancel, answer);
        QElapsedTimer took;
        took.start();
        w.Start->click();
        QVERIFY2(took.elapsed() >= fromMs && took.elapsed() < toMs,
                 qPrintable(QString::number(took.elapsed())));
        QCOMPARE(abandoned, answer == Answer::Cancel ? 1 : 0);
        QCOMPARE(rows(), kOld);
        QCOMPARE(logLines(), QStringList{kStart});
        QVERIFY(unlocked());
    }

    // A meter that never ends its line: what it sent is the reading once the 10 s are over;
    // a mebibyte of it stays bounded and is no reading.
    void aReadingWithoutLineEnd_data() {
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QStringList>("lines");
        row("a reading", QByteArray("0.0125"),
            QStringList{"Rx", "12.5", "mOhm", "Rtc", "12.5", "mOhm"},
            QStringList{"Rx,0.0125, Ohm"});
        row("a mebibyte", QByteArray(1024 * 1024, '7'), kOld, QStringList());
    }
    void aReadingWithoutLineEnd() {
        QFETCH(QByteArray, sent);
        QFETCH(QStringList, shown);
        QFETCH(QStringList, lines);
        reading = sent;
        frmMeasure& w = ready();
        startLog();
        QElapsedTimer took;
        took.start();
        w.Start->click();
        QVERIFY2(took.elapsed() > 10000 && took.elapsed() < 10800,
                 qPrintable(QString::number(took.elapsed())));
        QCOMPARE(rows(), shown);
        QCOMPARE(logLines(), QStringList{kStart} + lines);
        QVERIFY(Module1::sReply.size() <= 64 * 1024);
        QVERIFY(unlocked());
    }

    void correctionSwitchCaptionsAndControls() {
        frmMeasure& w = ready();
        const QList<QWidget*> eight{w.spar,   w.svalue, w.sunit, w.Label1,
                                    w.Label2, w.Label3, w.Temp,  w.Combo1};
        QCOMPARE(w.cmdTC->text(), QStringLiteral("Temp corr ON"));
        const QStringList captions{"Temp corr Off", "Temp corr On", "Temp corr Off"};
        for (int press = 0; press < 3; ++press) {
            w.cmdTC->click();
            QCOMPARE(w.bTC, press != 1);
            QCOMPARE(w.cmdTC->text(), captions.at(press));
            for (QWidget* control : eight)
                QCOMPARE(control->isVisible(), press != 1);
        }
        QCOMPARE(w.svalue->text(), QStringLiteral("old")); // switching clears nothing
    }

    void cancellingTheDialogChangesNothing() {
        frmMeasure& w = ready();
        prompt->expectFile(std::nullopt);
        w.cmdLog->click();
        QVERIFY(!w.bLog && !DataLog::isOpen());
        QCOMPARE(w.windowTitle(), QStringLiteral("Results"));
        QCOMPARE(w.cmdLog->toolTip(), QStringLiteral("Starts Logging Data"));
        QCOMPARE(prompt->fileRequests.size(), 1);
        QCOMPARE(prompt->fileRequests[0].filter,
                 QStringLiteral("Csv files (*.csv)|*.csv| All Files (*.*)|*.*|"));
        QCOMPARE(prompt->fileRequests[0].title, QStringLiteral("Select a file name"));
    }

    // An existing file, even one this program cannot read: Yes replaces it, No appends; the
    // dialog offers the path chosen last; the captions follow the log.
    void existingFile_data() {
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<bool>("unreadable");
        QTest::addColumn<QStringList>("written");
        row("Yes overwrites", Answer::Yes, false, QStringList{kStart, kStop});
        row("No appends", Answer::No, false, QStringList{kStart, kStop, kStart, kStop});
        row("unreadable, No appends", Answer::No, true, QStringList{"kept", kStart, kStop});
    }
    void existingFile() {
        QFETCH(Answer, answer);
        QFETCH(bool, unreadable);
        QFETCH(QStringList, written);
        frmMeasure& w = ready();
        const QString file = path(QStringLiteral("run.csv"));
        QFile existing(file);
        if (unreadable) {
            QVERIFY(existing.open(QIODevice::WriteOnly));
            existing.write("kept\r\n");
            existing.close();
            QVERIFY(existing.setPermissions(QFileDevice::WriteOwner));
        } else {
            startLog();
            w.cmdLog->click();
        }
        prompt->expectFile(file);
        prompt->expect(QStringLiteral("Overwrite ") + file, Buttons::YesNo, answer);
        w.cmdLog->click();
        if (!unreadable)
            QCOMPARE(prompt->fileRequests[1].fileName, file);
        QVERIFY(w.bLog);
        QCOMPARE(w.windowTitle(), QStringLiteral("logging to file ") + file);
        QCOMPARE(w.cmdLog->text(), QStringLiteral("Stop Log"));
        QCOMPARE(w.cmdLog->toolTip(), QStringLiteral("Stop Logging Data"));
        w.cmdLog->click();
        QCOMPARE(w.windowTitle(), QStringLiteral("Results"));
        QCOMPARE(w.cmdLog->text(), QStringLiteral("Start Log"));
        QCOMPARE(w.cmdLog->toolTip(), QStringLiteral("Start Logging Data"));
        QVERIFY(existing.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        QCOMPARE(logLines(file), written);
    }

    // A file that cannot be opened, a drive that is full at each kind of line, and a log
    // removed while it runs: the operator is told and logging is off.
    void failuresAreReported_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("failsAt"); // the button pressed once writing fails
        QTest::addColumn<QString>("message");
        row("cannot be opened", QString("missing folder/run.csv"), QString(),
            QString("<file>  No such file or directory"));
        row("full at the start line", QString("/dev/full"), QString(), kFull);
        row("full at a data line", QString("run.csv"), QString("Start"), kFull);
        row("full at the stop line", QString("run.csv"), QString("Stop"), kFull);
        row("removed", QString("run.csv"), QString("removed"),
            QString("Logging stopped: the log file could not be written.  The log file has been "
                    "removed"));
    }
    void failuresAreReported() {
        QFETCH(QString, file);
        QFETCH(QString, failsAt);
        QFETCH(QString, message);
        frmMeasure& w = ready();
        const QString name = file.startsWith('/') ? file : path(file);
        prompt->expectFile(name);
        if (QFile::exists(name))
            prompt->expect(QStringLiteral("Overwrite ") + name, Buttons::YesNo, Answer::No);
        if (failsAt.isEmpty()) {
            prompt->expectOk(QString(message).replace(QStringLiteral("<file>"), name));
            w.cmdLog->click();
        } else {
            w.cmdLog->click();
            if (failsAt == QLatin1String("removed")) {
                QVERIFY(QFile::remove(name));
            } else {
                DataLog::close(); // the drive fills up while the log runs
                QVERIFY(DataLog::open(QStringLiteral("/dev/full"), DataLog::Mode::Append, nullptr));
            }
            prompt->expectOk(message);
            (failsAt == QLatin1String("Stop") ? w.cmdLog : w.Start)->click();
        }
        QVERIFY(!w.bLog && !DataLog::isOpen());
        QCOMPARE(w.windowTitle(), QStringLiteral("Results"));
        QCOMPARE(w.cmdLog->text(), QStringLiteral("Start Log"));
        QVERIFY(unlocked());
    }

    // Exit or the close box during every kind of wait: the program ends, the log ends with
    // exactly one stop line. Closing only the configuration window during an upload goes on.
    void leavingDuringEveryKindOfWait_data() {
        QTest::addColumn<QString>("wait");
        QTest::addColumn<QString>("action");
        for (const QString wait : {"no wait", "identification", "speed pause", "first characters",
                                   "line end", "upload pause"}) {
            QTest::newRow(qPrintable(wait + ", Exit")) << wait << QStringLiteral("exit");
            QTest::newRow(qPrintable(wait + ", close box")) << wait << QStringLiteral("close");
        }
    }
    void leavingDuringEveryKindOfWait() {
        QFETCH(QString, wait);
        QFETCH(QString, action);
        if (wait == QLatin1String("first characters"))
            readingDelayMs = 3000;
        if (wait == QLatin1String("line end"))
            reading = "0.01"; // the rest never comes
        frmMeasure& w = ready();
        setSpeed(wait == QLatin1String("speed pause") ? QStringLiteral("Slow")
                                                      : QStringLiteral("Fast"));
        startLog();
        if (wait == QLatin1String("identification"))
            identity.clear(); // nobody answers the second identification
        QPointer<frmMeasure> watched(&w);
        const auto leave = [=] {
            if (wait == QLatin1String("upload pause") && action == QLatin1String("close"))
                Configure::use().close();
            else if (action == QLatin1String("exit") && watched)
                watched->Exit->click();
            else if (watched)
                watched->close();
        };
        if (wait == QLatin1String("no wait"))
            leave();
        else
            QTimer::singleShot(wait == QLatin1String("line end") ? 500 : 100, leave);

        if (wait == QLatin1String("identification")) {
            w.Config->click();
        } else if (wait == QLatin1String("upload pause")) {
            Configure::use().show();
            w.hide();
            Configure::use().Update->click();
        } else if (wait != QLatin1String("no wait")) {
            w.Start->click();
        }

        if (wait == QLatin1String("upload pause") && action == QLatin1String("close")) {
            QVERIFY(watched && watched->isVisible());
            QVERIFY(!Configure::loaded());
            QCOMPARE(programEnds, 0);
            QVERIFY(unlocked());
            return;
        }
        QCOMPARE(programEnds, 1);
        QCOMPARE(LoadableWindow::loadedCount(), 0);
        QVERIFY(!DataLog::isOpen());
        QVERIFY(!port || !port->portOpen());
        QCOMPARE(logLines(), (QStringList{kStart, kStop}));
    }
};

QTEST_MAIN(ResultsWindowTest)
#include "tst_cycle.moc"
