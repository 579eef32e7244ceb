// The results window against an in-memory meter. The Trigger button: commands, the reading and
// its clean-up, both display rows, the entry checks, the speed pause, the data line and the
// failure paths. The log button: the file, the overwrite question, the start and stop lines,
// the captions, the failures to open or write, and leaving while a log runs.
#include "FakeSerialPort.h"
#include "ScriptedPrompt.h"
#include "UnloadAll.h"
#include "configuration/Configure.h"
#include "link/Module1.h"
#include "link/Wait.h"
#include "measurement/CorrectionSettings.h"
#include "measurement/DataLog.h"
#include "measurement/LogControl.h"
#include "measurement/ReadMeasurement.h"
#include "measurement/frmMeasure.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <ctime>

using Answer = OperatorPrompt::Answer;
using Buttons = OperatorPrompt::Buttons;

namespace {
const QStringList kOld(6, QStringLiteral("old"));
const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);
const QString kRange = CorrectionSettings::kCoefficientRange;
const QString kHot = CorrectionSettings::kTemperatureRange;
const QString kNaN = CorrectionSettings::kNotNumeric;
const QString kStart = QStringLiteral("Start Log ,D,T,Norvale,MX7500,,");
const QString kStop = QStringLiteral("Stop Log ,D,T");

// A reply to one trigger; an empty temperature leaves the correction off.
void lineRow(const QString& tag, const QByteArray& received, const char* temperature,
             const char* material, const QStringList& shown, const QStringList& lines,
             const QLocale& locale = kEnglish) {
    QTest::newRow(qPrintable(tag))
        << received << QString(temperature) << QString(material) << locale << shown << lines;
}
template <typename... T> void row(const char* tag, const T&... values) {
    (QTest::newRow(tag) << ... << values);
}
} // namespace

class ResultsWindowTest : public QObject {
    Q_OBJECT
    FakeSerialPort* m_port = nullptr;
    ScriptedPrompt* m_prompt = nullptr;
    frmMeasure* m_window = nullptr;
    QByteArray m_reply; // what the meter answers to each *TRG
    QTemporaryDir* m_dir = nullptr;
    int m_abandoned = 0;

    QString path(const QString& name) const { return m_dir->filePath(name); }
    QString logPath() const { return path(QStringLiteral("cycle.csv")); }
    void startLog() {
        QFile::remove(logPath());
        QVERIFY(DataLog::open(logPath(), DataLog::Mode::Replace, nullptr));
        m_window->bLog = true;
    }
    // A file's lines without their CR LF (a bare LF stays inside a line and fails the check);
    // the regional date and time read "D,T".
    static QStringList lines(const QString& file) {
        QFile in(file);
        in.open(QIODevice::ReadOnly);
        QStringList result = QString::fromLocal8Bit(in.readAll()).split(QStringLiteral("\r\n"));
        if (!result.takeLast().isEmpty())
            result << QStringLiteral("<not ended by CR LF>");
        return result.replaceInStrings(
            QRegularExpression(QStringLiteral("^(St(art|op) Log ),[^,]+,[^,]+")),
            QStringLiteral("\\1,D,T"));
    }
    QStringList writtenLines() {
        DataLog::close();
        return lines(logPath());
    }
    void checkNotLogging(const QString& tooltip) {
        QVERIFY(!m_window->bLog);
        QVERIFY(!DataLog::isOpen());
        QCOMPARE(m_window->windowTitle(), QStringLiteral("Results"));
        QCOMPARE(m_window->cmdLog->text(), QStringLiteral("Start Log"));
        QCOMPARE(m_window->cmdLog->toolTip(), tooltip);
    }
    void checkLogging(const QString& file) {
        QVERIFY(m_window->bLog);
        QVERIFY(DataLog::isOpen());
        QCOMPARE(m_window->windowTitle(), QStringLiteral("logging to file ") + file);
        QCOMPARE(m_window->cmdLog->text(), QStringLiteral("Stop Log"));
        QCOMPARE(m_window->cmdLog->toolTip(), QStringLiteral("Stop Logging Data"));
    }
    bool unlocked() const {
        return m_window->Start->isEnabled() && m_window->cmdLog->isEnabled() &&
               m_window->Config->isEnabled() && m_window->cmdTC->isEnabled();
    }
    QList<QLineEdit*> rowBoxes() const {
        return {m_window->Ppar, m_window->Pvalue, m_window->Punit,
                m_window->spar, m_window->svalue, m_window->sunit};
    }
    QStringList rows() const {
        QStringList texts;
        for (QLineEdit* box : rowBoxes())
            texts << box->text();
        return texts;
    }
    void setSpeed(const QString& speed) {
        QComboBox* accuracy = Configure::use().Accuracy;
        accuracy->setCurrentIndex(accuracy->findText(speed));
    }

private Q_SLOTS:
    void init() {
        Module1::reset();
        Module1::sIdnMaker = QStringLiteral("Norvale");
        Module1::sIdnModel = QStringLiteral("MX7500");
        Wait::resetCallOff();
        LoadableWindow::setProgramEndHandler([] { Wait::callOffAll(); });
        m_dir = new QTemporaryDir;
        m_port = new FakeSerialPort;
        m_port->setPortOpen(true);
        Module1::setPort(m_port);
        m_prompt = new ScriptedPrompt;
        OperatorPrompt::install(m_prompt);
        m_abandoned = 0;
        Module1::setAbandonHandler([this] { ++m_abandoned; });
        m_reply = "0.0125\n";
        m_port->onCommand = [this](const QByteArray& command) {
            if (command == "*TRG\r\n" && !m_reply.isEmpty())
                m_port->deliver(m_reply, 2);
        };
        m_window = &frmMeasure::use();
        setSpeed(QStringLiteral("Fast"));
        for (QLineEdit* box : rowBoxes())
            box->setText(QStringLiteral("old"));
    }
    void cleanup() {
        QVERIFY2(m_prompt->done(), qPrintable(m_prompt->report()));
        unloadEveryWindow();
        delete m_prompt;
        delete m_port;
        delete m_dir;
    }

    // Stale input (a reading that came after an earlier time-out) is not the reading.
    void sendsClearAndTriggerWithTheButtonsLocked() {
        m_port->preload("9.99\n");
        bool lockedDuringWait = false; // all but Exit and the correction entries
        m_port->onCommand = [&](const QByteArray& command) {
            if (command != "*TRG\r\n")
                return;
            lockedDuringWait = !m_window->Start->isEnabled() && !m_window->cmdLog->isEnabled() &&
                               !m_window->Config->isEnabled() && !m_window->cmdTC->isEnabled() &&
                               m_window->Exit->isEnabled() && m_window->Combo1->isEnabled() &&
                               m_window->Temp->isEnabled();
            m_port->deliver("0.0125\n", 2);
        };
        m_window->Start->click();
        QCOMPARE(m_port->written,
                 (QList<QByteArray>{":TRIG:SOUR BUS\r\n", "*cls\r\n", "*TRG\r\n"}));
        QVERIFY(lockedDuringWait);
        QVERIFY(unlocked());
        QCOMPARE(rows(), (QStringList{"Rx", "12.5", "mOhm", "Rtc", "12.5", "mOhm"}));
    }

    // The clean-up order of the reading, which comes in two pieces during the settling pause;
    // the pause sleeps: a timer cannot run before it ends, and it does not burn the CPU.
    void readingCleanUp_data() {
        QTest::addColumn<QByteArray>("received");
        QTest::addColumn<QString>("reply");
        QTest::newRow("LF") << QByteArray("0.0125\n") << "0.0125";
        QTest::newRow("leading blanks") << QByteArray("  0.0125\n") << "0.0125";
        QTest::newRow("blanks before LF") << QByteArray("0.0125  \n") << "0.0125  ";
        QTest::newRow("CR LF") << QByteArray("0.0125\r\n") << "0.0125\r";
        QTest::newRow("LF CR") << QByteArray("0.0125\n\r") << "0.0125";
        QTest::newRow("text after the LF") << QByteArray("0.0125\nx") << "0.0125\nx";
    }
    void readingCleanUp() {
        QFETCH(QByteArray, received);
        QFETCH(QString, reply);
        m_port->deliver(received.left(3), 5);
        m_port->deliver(received.mid(3), 60);
        QElapsedTimer started;
        started.start();
        qint64 timerRanAt = -1;
        QTimer::singleShot(50, [&] { timerRanAt = started.elapsed(); });
        const std::clock_t cpu = std::clock();
        Module1::ReadMeasurement();
        const double cpuMs = 1000.0 * double(std::clock() - cpu) / CLOCKS_PER_SEC;
        QCOMPARE(Module1::sReply, reply);
        QVERIFY(!Module1::bTimeout);
        QVERIFY2(started.elapsed() > 200, qPrintable(QString::number(started.elapsed())));
        QVERIFY2(timerRanAt < 0 || timerRanAt > 200, qPrintable(QString::number(timerRanAt)));
        QVERIFY2(cpuMs < 100, qPrintable(QString::number(cpuMs)));
    }

    // What a trigger shows and logs: the four kinds of data line with each meter ending, the
    // correction examples, a comma-decimal operator, and replies that are no reading.
    void dataLines_data() {
        QTest::addColumn<QByteArray>("received");
        QTest::addColumn<QString>("temperature");
        QTest::addColumn<QString>("material");
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QStringList>("lines");
        const QStringList reading{"Rx", "12.5", "mOhm", "Rtc", "12.5", "mOhm"};
        const QStringList overRange{"", "Range Error", "", "", "", ""};
        for (const QByteArray ending : {QByteArray("\n"), QByteArray("\r\n")}) {
            const QString tag = ending.size() == 1 ? ", LF" : ", CR LF";
            lineRow("correction on" + tag, "0.0125" + ending, "20", "Copper", reading,
                    {"Rx,0.0125, Ohm ,Rtc,0.0125, Ohm ,20,0.004"});
            lineRow("correction off" + tag, "0.0125" + ending, "", "", reading, {"Rx,0.0125, Ohm"});
            lineRow("over-range, correction on" + tag, "0.000000e+00" + ending, "20", "Copper",
                    overRange, {",Range Error, Ohm ,,, Ohm ,20,0.004"});
            lineRow("over-range, correction off" + tag, "0.000000e+00" + ending, "", "", overRange,
                    {",Range Error, Ohm"});
        }
        lineRow("30 degrees, copper", "0.0125\n", "30", "Copper",
                {"Rx", "12.5", "mOhm", "Rtc", "12.01923", "mOhm"},
                {"Rx,0.0125, Ohm ,Rtc,0.01201923, Ohm ,30,0.004"});
        lineRow("crosses a range bound", "1.02\n", "27.5", "Copper",
                {"Rx", "1.02", "Ohm", "Rtc", "990.2913", "mOhm"},
                {"Rx,1.02, Ohm ,Rtc,0.9902912, Ohm ,27.5,0.004"});
        // The meter's "." still reads right, the screen uses "," and the log keeps "." so no
        // field splits.
        lineRow("comma-decimal locale", "1.250000e-02\r\n", "27,5", "0,004",
                {"Rx", "12,5", "mOhm", "Rtc", "12,13592", "mOhm"},
                {"Rx,1.250000e-02, Ohm ,Rtc,0.01213592, Ohm ,27.5,0.004"},
                QLocale(QLocale::German, QLocale::Germany));
        lineRow("a word is no reading", "ERR\n", "20", "Copper", kOld, {});
        lineRow("two lines are no reading", "0.0125\n0.0126\n", "20", "Copper", kOld, {});
    }
    void dataLines() {
        QFETCH(QByteArray, received);
        QFETCH(QString, temperature);
        QFETCH(QString, material);
        QFETCH(QLocale, locale);
        QFETCH(QStringList, shown);
        QFETCH(QStringList, lines);
        const QLocale saved;
        QLocale::setDefault(locale);
        m_reply = received;
        if (!temperature.isEmpty()) {
            m_window->correctionSwitch();
            m_window->Temp->setText(temperature);
            m_window->Combo1->setEditText(material);
        }
        startLog();
        m_window->Start->click();
        const QStringList shownNow = rows();
        const QStringList written = writtenLines();
        QLocale::setDefault(saved);
        QCOMPARE(shownNow, shown);
        QCOMPARE(written, lines);
        QVERIFY(unlocked());
    }

    // Leaving an entry (moving the focus on) resets a wrong one; a trigger reports the same
    // messages but resets nothing, uses a coefficient out of range and keeps the last for text.
    void entryChecks_data() {
        QTest::addColumn<bool>("temperature");
        QTest::addColumn<bool>("atTrigger");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("after");
        QTest::addColumn<float>("tempco");
        row("material", false, false, "Silver", "", "Silver", 0.0038f);
        row("coefficient beyond", false, false, "0.02", kRange, "Copper", 0.02f);
        row("lower-case material", false, false, "copper", kNaN, "Copper", 0.0039f);
        row("material at trigger", false, true, "Gold", "", "Gold", 0.0034f);
        row("beyond at trigger", false, true, "0.02", kRange, "0.02", 0.02f);
        row("word at trigger", false, true, "warm", kNaN, "warm", 0.0039f);
        row("temperature lower bound", true, false, "-50", "", "-50", 0.0039f);
        row("temperature above", true, false, "200.5", kHot, "20", 0.0039f);
        row("empty temperature", true, false, "", kNaN, "20", 0.0039f);
    }
    void entryChecks() {
        QFETCH(bool, temperature);
        QFETCH(bool, atTrigger);
        QFETCH(QString, entry);
        QFETCH(QString, message);
        QFETCH(QString, after);
        QFETCH(float, tempco);
        QWidget* box = temperature ? static_cast<QWidget*>(m_window->Temp) : m_window->Combo1;
        QWidget* other = temperature ? static_cast<QWidget*>(m_window->Combo1) : m_window->Temp;
        if (!atTrigger) {
            m_window->correctionSwitch();
            m_window->show();
            QApplication::setActiveWindow(m_window);
            QVERIFY(QTest::qWaitForWindowActive(m_window));
            other->setFocus();
            box->setFocus();
        }
        m_window->sTempco = 0.0039f;
        if (temperature)
            m_window->Temp->setText(entry);
        else
            m_window->Combo1->setEditText(entry);
        if (!message.isEmpty())
            m_prompt->expectOk(message);
        if (atTrigger)
            m_window->Start->click();
        else
            other->setFocus();
        QCOMPARE(temperature ? m_window->Temp->text() : m_window->Combo1->currentText(), after);
        QCOMPARE(m_window->sTempco, tempco);
        QVERIFY(unlocked());
        m_window->hide();
    }

    // The settling pause plus 0.2 s per speed pause; a closed settings window reads Slow.
    void speedPause() {
        for (const bool closed : {false, true}) {
            setSpeed(QStringLiteral("Medium"));
            if (closed)
                Configure::unloadIfLoaded();
            QElapsedTimer took;
            took.start();
            m_window->Start->click();
            const qint64 ms = took.elapsed();
            QVERIFY2(closed ? ms >= 1000 && ms < 2000 : ms >= 400 && ms < 1000,
                     qPrintable(QString::number(ms)));
            QCOMPARE(m_window->Pvalue->text(), QStringLiteral("12.5"));
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
        m_reply.clear();
        if (!silent)
            m_port->onCommand = [this](const QByteArray& command) {
                if (command == "*TRG\r\n")
                    m_port->hangUp(20);
            };
        startLog();
        m_prompt->expect(Module1::notRespondingText(), Buttons::OkCancel, answer);
        QElapsedTimer took;
        took.start();
        m_window->Start->click();
        QVERIFY2(took.elapsed() >= fromMs && took.elapsed() < toMs,
                 qPrintable(QString::number(took.elapsed())));
        QCOMPARE(m_abandoned, answer == Answer::Cancel ? 1 : 0);
        QVERIFY(Module1::bTimeout || answer == Answer::Cancel);
        QCOMPARE(rows(), kOld);
        QCOMPARE(writtenLines(), QStringList());
        QVERIFY(unlocked());
    }

    // A meter that never ends its line: what it sent is the reading once the 10 s are over.
    void aReadingWithoutLineEndIsTakenAtTheLimit() {
        m_reply = "0.0125";
        startLog();
        QElapsedTimer took;
        took.start();
        m_window->Start->click();
        QVERIFY2(took.elapsed() > 10000 && took.elapsed() < 10800,
                 qPrintable(QString::number(took.elapsed())));
        QCOMPARE(rows(), (QStringList{"Rx", "12.5", "mOhm", "Rtc", "12.5", "mOhm"}));
        QCOMPARE(writtenLines(), (QStringList{"Rx,0.0125, Ohm"}));
        QVERIFY(unlocked());
    }

    void correctionSwitchCaptionsAndControls() {
        const QList<QWidget*> eight{m_window->spar,   m_window->svalue, m_window->sunit,
                                    m_window->Label1, m_window->Label2, m_window->Label3,
                                    m_window->Temp,   m_window->Combo1};
        m_window->show();
        QCOMPARE(m_window->cmdTC->text(), QStringLiteral("Temp corr ON"));
        const QStringList captions{"Temp corr Off", "Temp corr On", "Temp corr Off"};
        for (int press = 0; press < 3; ++press) {
            m_window->cmdTC->click();
            QCOMPARE(m_window->bTC, press != 1);
            QCOMPARE(m_window->cmdTC->text(), captions.at(press));
            for (QWidget* control : eight)
                QCOMPARE(control->isVisible(), press != 1);
        }
        QCOMPARE(m_window->svalue->text(), QStringLiteral("old")); // switching clears nothing
        m_window->hide();
    }

    void cancellingChangesNothing() {
        m_prompt->expectFile(std::nullopt);
        m_window->cmdLog->click();
        checkNotLogging(QStringLiteral("Starts Logging Data"));
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList());
        QCOMPARE(m_prompt->fileRequests.size(), 1);
        QCOMPARE(m_prompt->fileRequests[0].filter,
                 QStringLiteral("Csv files (*.csv)|*.csv| All Files (*.*)|*.*|"));
        QCOMPARE(m_prompt->fileRequests[0].title, QStringLiteral("Select a file name"));
    }

    // An existing file, even one this program cannot read: Yes replaces it, No appends; the
    // dialog offers the path chosen last.
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
        const QString file = path(QStringLiteral("run.csv"));
        QFile existing(file);
        if (unreadable) {
            QVERIFY(existing.open(QIODevice::WriteOnly));
            existing.write("kept\r\n");
            existing.close();
            QVERIFY(existing.setPermissions(QFileDevice::WriteOwner));
        } else {
            m_prompt->expectFile(file);
            m_window->cmdLog->click();
            m_window->cmdLog->click();
        }
        m_prompt->expectFile(file);
        m_prompt->expect(QStringLiteral("Overwrite ") + file, Buttons::YesNo, answer);
        m_window->cmdLog->click();
        if (!unreadable)
            QCOMPARE(m_prompt->fileRequests[1].fileName, file);
        checkLogging(file);
        m_window->cmdLog->click();
        QVERIFY(existing.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        QCOMPARE(lines(file), written);
    }

    // A file that cannot be opened, and a drive that is full at each kind of line.
    void failuresAreReported_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("fullAt"); // the button pressed once the drive is full
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("tooltip");
        const QString full = LogControl::writeFailedMessage("No space left on device");
        const QString start = QStringLiteral("Start Logging Data");
        row("cannot be opened", "missing folder/run.csv", "", "<file>  No such file or directory",
            "Starts Logging Data");
        row("full at the start line", "/dev/full", "", full, start);
        row("full at a data line", "run.csv", "Start", full, start);
        row("full at the stop line", "run.csv", "Stop", full, start);
    }
    void failuresAreReported() {
        QFETCH(QString, file);
        QFETCH(QString, fullAt);
        QFETCH(QString, message);
        QFETCH(QString, tooltip);
        const QString name = file.startsWith('/') ? file : path(file);
        m_prompt->expectFile(name);
        if (QFile::exists(name))
            m_prompt->expect(QStringLiteral("Overwrite ") + name, Buttons::YesNo, Answer::No);
        if (!fullAt.isEmpty()) {
            m_window->cmdLog->click();
            DataLog::close(); // the drive fills up while the log runs
            QVERIFY(DataLog::open(QStringLiteral("/dev/full"), DataLog::Mode::Append, nullptr));
        }
        m_prompt->expectOk(QString(message).replace(QStringLiteral("<file>"), name));
        (fullAt == QStringLiteral("Start") ? m_window->Start : m_window->cmdLog)->click();
        checkNotLogging(tooltip);
    }

    void leavingWritesExactlyOneStopLine_data() {
        QTest::addColumn<bool>("byExit");
        QTest::newRow("Exit") << true;
        QTest::newRow("close box") << false;
    }
    void leavingWritesExactlyOneStopLine() {
        QFETCH(bool, byExit);
        const QString file = path(QStringLiteral("run.csv"));
        m_prompt->expectFile(file);
        m_window->cmdLog->click();
        if (byExit)
            m_window->Exit->click();
        else
            m_window->close();
        QVERIFY(!DataLog::isOpen());
        QCOMPARE(lines(file), (QStringList{kStart, kStop}));
    }
};

QTEST_MAIN(ResultsWindowTest)
#include "tst_cycle.moc"
