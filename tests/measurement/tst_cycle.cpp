// The results window against an in-memory meter. Trigger: the commands, the reading and what
// is shown and logged for every kind of reply, the entry checks, the speed pause and the
// failing line. The log button: the file, the overwrite question, the start and stop lines,
// the failures to open or write. Leaving during every kind of wait.
#include "Panel.h"
#include "Timing.h"

using Answer = OperatorPrompt::Answer;
using Buttons = OperatorPrompt::Buttons;

namespace {
const QString kOld = QStringLiteral("old|old|old|old|old|old");
const QString kStart = QStringLiteral("Start Log ,D,T,Norvale,MX7500,MX75-000123,1.04");
const QString kStop = QStringLiteral("Stop Log ,D,T");
const QString kNumeric = QStringLiteral("Entry must be numeric");
const QString kFull =
    QStringLiteral("Logging stopped: the log file could not be written.  No space left on device");
} // namespace

class ResultsWindowTest : public Panel {
    Q_OBJECT

    frmMeasure& ready() {
        frmMeasure& w = handOver();
        for (QLineEdit* box : {w.Ppar, w.Pvalue, w.Punit, w.spar, w.svalue, w.sunit})
            box->setText(QStringLiteral("old"));
        return w;
    }

    // The window's title and the log button's caption and tip.
    static QString logCaptions(const frmMeasure& w) {
        return w.windowTitle() + '|' + w.cmdLog->text() + '|' + w.cmdLog->toolTip();
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
            lockedDuringWait = locked() && w.Combo1->isEnabled() && w.Temp->isEnabled();
            port->deliver("0.0125\n", 2);
        };
        w.Start->click();
        QCOMPARE(port->written, (QList<QByteArray>{"*cls\r\n", "*TRG\r\n"}));
        QVERIFY(lockedDuringWait && unlocked());
        QCOMPARE(rows(), cells("Rx|12.5|mOhm|Rtc|12.5|mOhm"));
    }

    // What a trigger shows and logs, typed entries and all: the four kinds of data line with
    // each meter ending, the correction examples, and replies that are no reading.
    void dataLines_data() {
        // received, temperature (empty: the correction stays off), material, shown,
        // line (empty: none)
        columns<QByteArray, QString, QString, QString, QString>();
        const char* plain = "Rx|12.5|mOhm|Rtc|12.5|mOhm";
        const char* overRange = "|Range Error||||";
        row("correction on, CR LF", QByteArray("0.0125\r\n"), "20", "Copper", plain,
            "Rx,0.0125, Ohm ,Rtc,0.0125, Ohm ,20,0.004");
        row("correction off, LF", QByteArray("0.0125\n"), "", "", plain, "Rx,0.0125, Ohm");
        row("over-range, correction on, LF", QByteArray("0.000000e+00\n"), "20", "Copper",
            overRange, ",Range Error, Ohm ,,, Ohm ,20,0.004");
        row("over-range, correction off, CR LF", QByteArray("0.000000e+00\r\n"), "", "", overRange,
            ",Range Error, Ohm");
        row("30 degrees, copper", QByteArray("0.0125\n"), "30", "Copper",
            "Rx|12.5|mOhm|Rtc|12.01923|mOhm", "Rx,0.0125, Ohm ,Rtc,0.01201923, Ohm ,30,0.004");
        row("rows in units of their own", QByteArray("1.02\n"), "27.5", "Copper",
            "Rx|1.02|Ohm|Rtc|990.2913|mOhm", "Rx,1.02, Ohm ,Rtc,0.9902912, Ohm ,27.5,0.004");
        row("typed coefficient", QByteArray("-0.0125\n"), "-50", "4E-3",
            "Rx|-12.5|mOhm|Rtc|-17.36111|mOhm", "Rx,-0.0125, Ohm ,Rtc,-0.01736111, Ohm ,-50,0.004");
        for (const QByteArray& reply :
             {QByteArray("ERR\n"), QByteArray("0.0125\n0.0126\n"), QByteArray("3.5e+39\n"),
              QByteArray("\t0.0125\n"), QByteArray("      \n"), QByteArray("1.25\x00e-02\n", 10)})
            row(("no reading: " + reply.toPercentEncoding()).constData(), reply, "20", "Copper",
                kOld, "");
    }
    void dataLines() {
        const auto [received, temperature, material, shown, line] =
            fetched<QByteArray, QString, QString, QString, QString>();
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
        QCOMPARE(rows(), cells(shown));
        QCOMPARE(logLines(), QStringList{kStart} + (line.isEmpty() ? QStringList() : cells(line)));
        QVERIFY(unlocked());
    }

    // Leaving an entry resets a wrong one; a trigger reports the same messages but resets
    // nothing, uses a coefficient out of range and keeps the last one for a word.
    void entryChecks_data() {
        // temperature, atTrigger, entry, message, after, tempco
        columns<bool, bool, QString, QString, QString, float>();
        const QString coefficient = QStringLiteral("Entry must be between -0.01 and 0.01");
        const QString temperature = QStringLiteral("Entry must be between -50 and 200");
        row("material", false, false, "Nichrome", "", "Nichrome", 0.0004f);
        row("coefficient at the high bound", false, false, "0.01", "", "0.01", 0.01f);
        row("coefficient beyond", false, false, "0.02", coefficient, "Copper", 0.02f);
        row("lower-case material", false, false, "copper", kNumeric, "Copper", 0.0039f);
        row("first letter of a material", false, false, "G", kNumeric, "Copper", 0.0039f);
        row("beyond at trigger", false, true, "0.02", coefficient, "0.02", 0.02f);
        row("word at trigger", false, true, "warm", kNumeric, "warm", 0.0039f);
        row("temperature at the bound", true, false, "200", "", "200", 0.0039f);
        row("temperature above", true, false, "200.5", temperature, "20", 0.0039f);
        row("empty temperature", true, false, "", kNumeric, "20", 0.0039f);
    }
    void entryChecks() {
        const auto [temperature, atTrigger, entry, message, after, tempco] =
            fetched<bool, bool, QString, QString, QString, float>();
        frmMeasure& w = ready();
        w.cmdTC->click();
        activate(&w);
        w.sTempco = 0.0039f;
        if (!message.isEmpty())
            prompt->expectOk(message);
        if (atTrigger) {
            // Typed while the focus stayed in the box: the trigger's own reading of it.
            w.Combo1->setEditText(entry);
            w.Start->click();
        } else {
            typeInto(temperature ? static_cast<QWidget*>(w.Temp) : w.Combo1, entry);
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
            const qint64 ms = msTaken([&] { w.Start->click(); });
            closed ? within(ms, 1000, 2000) : within(ms, 400, 1000);
            QCOMPARE(w.Pvalue->text(), QStringLiteral("12.5"));
        }
    }

    // A line that dies asks at once, a silent meter after its 10 s; OK goes on, Cancel leaves.
    void aFailingLine_data() {
        // silent, answer, fromMs
        columns<bool, Answer, int>();
        row("line dies, Cancel", false, Answer::Cancel, 0);
        row("silent meter, OK", true, Answer::Ok, 10200);
    }
    void aFailingLine() {
        const auto [silent, answer, fromMs] = fetched<bool, Answer, int>();
        frmMeasure& w = ready();
        reading.clear();
        if (!silent)
            port->onCommand = [this](const QByteArray& command) {
                if (command == "*TRG\r\n")
                    port->hangUp(20);
            };
        startLog();
        prompt->expect(kNotResponding, Buttons::OkCancel, answer);
        within(msTaken([&] { w.Start->click(); }), fromMs, fromMs + 800);
        QCOMPARE(abandoned, answer == Answer::Cancel ? 1 : 0);
        QCOMPARE(rows(), cells(kOld));
        QCOMPARE(logLines(), QStringList{kStart});
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

    // An existing file, even one this program cannot read: Yes replaces it, No appends; the
    // dialog offers the path chosen last; the captions follow the log.
    void existingFile_data() {
        // answer, unreadable, written
        columns<Answer, bool, QString>();
        row("Yes overwrites", Answer::Yes, false, kStart + '|' + kStop);
        row("No appends", Answer::No, false, QStringList{kStart, kStop, kStart, kStop}.join('|'));
        row("unreadable, No appends", Answer::No, true, "kept|" + kStart + '|' + kStop);
    }
    void existingFile() {
        const auto [answer, unreadable, written] = fetched<Answer, bool, QString>();
        frmMeasure& w = ready();
        const QString file = path(QStringLiteral("run.csv"));
        QFile existing(file);
        if (unreadable) {
            QVERIFY(existing.open(QIODevice::WriteOnly) && existing.write("kept\r\n") == 6);
            existing.close();
            QVERIFY(existing.setPermissions(QFileDevice::WriteOwner));
        } else {
            startLog();
            w.cmdLog->click();
        }
        prompt->expectFile(file);
        prompt->expect(QStringLiteral("Overwrite ") + file, Buttons::YesNo, answer);
        w.cmdLog->click();
        const OperatorPrompt::FileRequest& asked = prompt->fileRequests.constLast();
        QCOMPARE(asked.title, QStringLiteral("Select a file name"));
        QCOMPARE(asked.filter, QStringLiteral("Csv files (*.csv)|*.csv| All Files (*.*)|*.*|"));
        if (!unreadable)
            QCOMPARE(asked.fileName, file);
        QCOMPARE(logCaptions(w), "logging to file " + file + "|Stop Log|Stop Logging Data");
        w.cmdLog->click();
        QCOMPARE(logCaptions(w), QStringLiteral("Results|Start Log|Start Logging Data"));
        QVERIFY(existing.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        QCOMPARE(logLines(file), cells(written));
    }

    // A file that cannot be opened, a drive that is full at each kind of line, and a log
    // removed while it runs: the operator is told and logging is off.
    void failuresAreReported_data() {
        // file, failsAt (the button pressed once writing fails), message
        columns<QString, QString, QString>();
        row("cannot be opened", "missing folder/run.csv", "", "<file>  No such file or directory");
        row("full at a data line", "run.csv", "Start", kFull);
        row("removed", "run.csv", "removed",
            "Logging stopped: the log file could not be written.  The log file has been removed");
    }
    void failuresAreReported() {
        const auto [file, failsAt, message] = fetched<QString, QString, QString>();
        frmMeasure& w = ready();
        prompt->expectFile(path(file)); // none there yet
        if (failsAt.isEmpty()) {
            prompt->expectOk(QString(message).replace(QStringLiteral("<file>"), path(file)));
            w.cmdLog->click();
        } else {
            w.cmdLog->click();
            if (failsAt == QLatin1String("removed")) {
                QVERIFY(QFile::remove(path(file)));
            } else {
                DataLog::close(); // the drive fills up while the log runs
                QVERIFY(DataLog::open(QStringLiteral("/dev/full"), DataLog::Mode::Append, nullptr));
            }
            prompt->expectOk(message);
            w.Start->click();
        }
        QVERIFY(!w.bLog && !DataLog::isOpen());
        QCOMPARE(logCaptions(w).section('|', 0, 1), QStringLiteral("Results|Start Log"));
        QVERIFY(unlocked());
    }

    // Exit or the close box during every kind of wait: the program ends, the log ends with
    // exactly one stop line. Closing only the configuration window during an upload goes on.
    void leavingDuringEveryKindOfWait_data() {
        // wait, exit (else the close box)
        columns<QString, bool>();
        for (const char* wait : {"no wait", "identification", "speed pause", "first characters",
                                 "line end", "upload pause"}) {
            row(qPrintable(wait + QStringLiteral(", Exit")), wait, true);
            row(qPrintable(wait + QStringLiteral(", close box")), wait, false);
        }
    }
    void leavingDuringEveryKindOfWait() {
        const auto [wait, exit] = fetched<QString, bool>();
        if (wait == QLatin1String("first characters"))
            readingDelayMs = 3000;
        if (wait == QLatin1String("line end"))
            reading = "0.01"; // the rest never comes
        frmMeasure& w = ready();
        if (wait == QLatin1String("identification"))
            identity.clear(); // nobody answers Configure's identification
        setSpeed(QLatin1String(wait == QLatin1String("speed pause") ? "Slow" : "Fast"));
        startLog();
        const bool closeConfigure = wait == QLatin1String("upload pause") && !exit;
        QPointer<frmMeasure> watched(&w);
        const auto leave = [=] {
            if (closeConfigure)
                Configure::use().close();
            else if (watched)
                exit ? watched->Exit->click() : (void)watched->close();
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

        if (closeConfigure) {
            QVERIFY(watched && watched->isVisible() && !Configure::loaded());
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
