// The built program as an operator and a meter see it: real windows on a private X server,
// the simulator on a real pseudo-terminal recording every byte.
#include "Desktop.h"
#include "PdfText.h"
#include "Simulator.h"
#include "Sql.h"
#include "TeamServerFixture.h"
#include "readings/ReadingText.h"

#include <QSysInfo>
#include <QtTest>

namespace {
const QString kConnectionTitle = QStringLiteral("Norvale MX7500 Virtual Front Panel Wizard V1.0");
// Centres of controls in client-area pixels.
const QPoint kContinue(64, 88);
const QPoint kStartLog(48, 296);
const QPoint kTrigger(600, 296);
const QPoint kConfigure(136, 296);
const QPoint kCorrection(232, 296);
const QPoint kTemperature(332, 295);
const QPoint kFirstValue(324, 49);
const QPoint kFirstUnit(624, 49);
const QPoint kSecondValue(324, 144);
const QPoint kDelay(168, 225);
const QPoint kUpdate(168, 264);

// How many records the store file holds, read as another program reads it.
int storedRecords(const QString& store) {
    return sql(QStringLiteral("SELECT count(*) FROM records"), store).toInt();
}

QList<QByteArray> linesOf(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QList<QByteArray> lines = file.readAll().split('\n');
    lines.removeLast(); // after the last line end
    return lines;
}
} // namespace

class BinaryTest : public QObject {
    Q_OBJECT
    Desktop m_desktop;
    QTemporaryDir m_home; // the program's settings and data, never the user's own

    void startProgram(QProcess& program, const QString& com1, const QString& locale = {},
                      const QStringList& arguments = {}) {
        QProcessEnvironment environment = m_desktop.environment();
        if (!locale.isEmpty()) {
            environment.insert(QStringLiteral("LANG"), locale);
            environment.insert(QStringLiteral("LC_ALL"), locale);
        }
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.filePath("config"));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), m_home.filePath("data"));
        environment.insert(QStringLiteral("MX7500_COM1"), com1);
        environment.remove(QStringLiteral("MX7500_COM2"));
        program.setProcessEnvironment(environment);
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program.start(QStringLiteral(MX7500_BIN), arguments);
        QVERIFY(program.waitForStarted(5000));
    }

    // Starts the program on the simulator and presses Continue; the results window's id, or
    // nothing when the hand-over did not happen.
    QString handOver(QProcess& program, const Simulator& sim, const QString& locale = {},
                     const QStringList& arguments = {}) {
        startProgram(program, sim.device(), locale, arguments);
        const QString connection = m_desktop.waitForWindow(kConnectionTitle);
        if (connection.isEmpty())
            return QString();
        m_desktop.click(connection, kContinue);
        return m_desktop.waitForWindow(QStringLiteral("Results"));
    }

    // `path` typed into the file dialog titled `title`, and Return. Under load the name box's
    // completion list may still be open when Return comes, and Return then only closes the
    // list: an operator presses it again.
    void nameFile(const QString& title, const QString& path) {
        const QString dialog = m_desktop.waitForWindow(title);
        m_desktop.type(dialog, path);
        for (int attempt = 0; attempt < 4 && !m_desktop.windowGone(title); ++attempt) {
            m_desktop.key(dialog, QStringLiteral("Return"));
            QTest::qWait(1000);
        }
    }

    // Start Log, the path typed into the file dialog; true once the caption names the log.
    bool startLog(const QString& results, const QString& path) {
        m_desktop.click(results, kStartLog);
        nameFile(QStringLiteral("Select a file name"), path);
        return !m_desktop.waitForWindow(QStringLiteral("logging to file ") + path, 5000).isEmpty();
    }

    // The simulator started, the program on it in a comma-decimal locale with --readings, the
    // log started to `log`; in the Readings window each of `entries` reached by its key and
    // typed into, then `keys` pressed. False when something did not come up.
    bool startReadings(QProcess& program, Simulator& sim, const QString& log,
                       const QList<std::pair<const char*, const char*>>& entries,
                       const QList<const char*>& keys, const QStringList& arguments = {}) {
        if (!sim.start())
            return false;
        const QString results = handOver(program, sim, QStringLiteral("de_DE.UTF-8"),
                                         QStringList{QStringLiteral("--readings")} + arguments);
        const QString readings = m_desktop.waitForWindow(QStringLiteral("Readings"));
        if (results.isEmpty() || readings.isEmpty() || !startLog(results, log))
            return false;
        fill(readings, entries);
        for (const char* key : keys)
            m_desktop.key(readings, QString::fromLatin1(key));
        return true;
    }

    // Each entry reached by its key, its text replaced by the one typed, and Tab.
    void fill(const QString& window, const QList<std::pair<const char*, const char*>>& entries) {
        for (const auto& [key, text] : entries) {
            m_desktop.key(window, QString::fromLatin1(key));
            m_desktop.key(window, QStringLiteral("ctrl+a"));
            m_desktop.type(window, QString::fromLatin1(text) + QLatin1Char('\t'));
        }
    }

    // Waits for the program to end: true when it ended by itself with status 0.
    static bool endedCleanly(QProcess& program) {
        return program.waitForFinished(5000) && program.exitStatus() == QProcess::NormalExit &&
               program.exitCode() == 0;
    }

    // Ctrl+A in the box at `where`, then `text` typed.
    void retype(const QString& window, QPoint where, const QString& text) {
        m_desktop.click(window, where);
        m_desktop.key(window, QStringLiteral("ctrl+a"));
        m_desktop.type(window, text);
    }

private Q_SLOTS:
    void initTestCase() {
        if (!m_desktop.start())
            QSKIP(qPrintable(m_desktop.why()));
    }

    void terminationSignalDuringTheStartUpBoxEndsTheProgram() {
        QProcess program;
        startProgram(program, QStringLiteral("/dev/no-such-port"));
        QVERIFY2(!m_desktop.waitForWindow(QStringLiteral("MX7500")).isEmpty(),
                 "the port box did not appear");
        program.terminate();
        QVERIFY2(endedCleanly(program), "the program lived on without a window");
    }

    // --simulate with port 1 mapped nowhere: the simulator started beside the program answers.
    void simulateAnswersTheIdentification() {
        QProcess program;
        startProgram(program, QStringLiteral("/nonexistent/tty"), {},
                     {QStringLiteral("--simulate")});
        m_desktop.click(m_desktop.waitForWindow(kConnectionTitle), kContinue);
        QVERIFY2(!m_desktop.waitForWindow(QStringLiteral("Results")).isEmpty(),
                 "the simulator did not answer *IDN?");
        program.terminate();
        QVERIFY(program.waitForFinished(5000));
    }

    void silentMeterThenCancelEndsTheProgramAtOnce() {
        Simulator sim({"--silent"});
        QVERIFY(sim.start());
        QProcess program;
        startProgram(program, sim.device());
        const QString connection = m_desktop.waitForWindow(kConnectionTitle);
        QVERIFY(!connection.isEmpty());
        QElapsedTimer sinceContinue;
        sinceContinue.start();
        m_desktop.click(connection, kContinue);
        const QString box = m_desktop.waitForWindow(QStringLiteral("MX7500"), 20000);
        QVERIFY2(!box.isEmpty(), "the not-responding box did not appear");
        QVERIFY2(sinceContinue.elapsed() >= 10000, "the box came before the 10 s wait was over");
        m_desktop.key(box, QStringLiteral("Escape"));
        QVERIFY2(endedCleanly(program), "Cancel did not end the program");
    }

    // An operator whose numbers have a decimal comma: the screen follows the region, the meter
    // and the log keep ".", and the log's date and time are the region's. SIGTERM (a shutdown)
    // then leaves as Exit does.
    void commaDecimalRegion() {
        Simulator sim;
        QVERIFY(sim.start());
        QProcess program;
        const QString results = handOver(program, sim, QStringLiteral("de_DE.UTF-8"));
        QVERIFY2(!results.isEmpty(), "the results window did not appear");
        QTRY_COMPARE(sim.received(), (QList<QByteArray>{"\r\n", "\r\n", "\r\n", "*IDN?\r\n",
                                                        ":TRIG:SOUR BUS\r\n"}));
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("komma.csv"));
        QVERIFY2(startLog(results, path), "the log did not start");

        m_desktop.click(results, kCorrection);
        retype(results, kTemperature, QStringLiteral("23,5"));
        m_desktop.click(results, kTrigger);
        QTRY_COMPARE_WITH_TIMEOUT(linesOf(path).size(), 2, 15000);
        QCOMPARE(m_desktop.copyText(results, kFirstValue), QStringLiteral("12,5"));
        QCOMPARE(m_desktop.copyText(results, kFirstUnit), QStringLiteral("mOhm"));
        QCOMPARE(m_desktop.copyText(results, kSecondValue), QStringLiteral("12,32742"));

        m_desktop.click(results, kConfigure);
        const QString configuration = m_desktop.waitForWindow(QStringLiteral("Configuration"));
        QVERIFY2(!configuration.isEmpty(), "the configuration window did not appear");
        retype(configuration, kDelay, QStringLiteral("5,5"));
        m_desktop.click(configuration, kUpdate);
        QTRY_COMPARE_WITH_TIMEOUT(linesOf(path).size(), 3, 15000);
        QVERIFY(sim.received().contains(":TRIG:DEL 5.5\r\n"));

        // The port's lock file names the device: /dev/pts/7 is locked as LCK..pts_7.
        const QString lock = QStringLiteral("/var/lock/LCK..") +
                             sim.device().mid(QStringLiteral("/dev/").size()).replace('/', '_');
        const bool lockingInUse = QFileInfo::exists(lock);
        program.terminate();
        QVERIFY2(endedCleanly(program), "SIGTERM did not end the program");
        QVERIFY2(!lockingInUse || !QFileInfo::exists(lock), "the port's lock was left behind");
        // The German short date with a four-digit year, and a 24-hour time.
        const QString today = QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy"));
        QCOMPARE(QString::fromLatin1(linesOf(path).join('\n'))
                     .replace(QRegularExpression(QStringLiteral(",\\d\\d:\\d\\d:\\d\\d")), ",T"),
                 "Start Log ," + today +
                     ",T,Norvale,MX7500,MX75-000123,1.04\r\n"
                     "Rx,1.250000e-02, Ohm ,Rtc,0.01232742, Ohm ,23.5,0.004\r\n"
                     "Configuration Changed\r\nStop Log ," +
                     today + ",T\r");
    }

    // Stop when stable against a meter settling with a 3 s time constant, in a comma-decimal
    // locale, a reading every 2 s within +/- 0,04 %: the series stops by itself once settled,
    // its last reading within that band of the meter's final value, its first 2 % above it.
    void readingsWindowStopsWhenStable() {
        Simulator sim({"--settle", "3", "--noise", "0.01", "--seed", "3"});
        QProcess program;
        QTemporaryDir dir;
        const QString log = dir.filePath(QStringLiteral("log.csv"));
        QVERIFY2(startReadings(program, sim, log, {{"alt+d", "0,04"}, {"alt+e", "2"}},
                               {"alt+b", "alt+s"}),
                 "no simulator, results or Readings window, or log");
        // Until no reading has come for three intervals.
        QList<QByteArray> logged;
        for (int i = 0; i < 15 && linesOf(log) != logged; ++i) {
            logged = linesOf(log);
            QTest::qWait(6000);
        }
        QVERIFY2(logged.size() > 6 && linesOf(log) == logged, logged.join('|').constData());
        const auto offFinal = [](const QByteArray& line) {
            return std::fabs(line.split(',').value(1).toDouble() / 0.0125 - 1.0) * 100.0;
        };
        QVERIFY2(offFinal(logged[1]) > 1.9, logged[1].constData()); // 2 % at the first trigger
        QVERIFY2(offFinal(logged.last()) <= 0.04, logged.last().constData());
        program.terminate();
        QVERIFY2(endedCleanly(program), "SIGTERM did not end the program");
    }

    // Test records in a comma-decimal region, kept through a kill: three readings within
    // +/- 5 % of 12,5 mOhm recorded for two assets with Ctrl+Return, each in the store once
    // recorded; the program killed outright and started again; Ctrl+H, every asset selected,
    // Certificate...: both assets with their three records, values as the region writes them,
    // verdicts and the meter's serial number; SIGTERM then ends it cleanly, store and all.
    void recordsSurviveAKill() {
        Simulator sim({"--noise", "0.5", "--seed", "7"});
        QProcess program;
        QTemporaryDir dir;
        const QString log = dir.filePath(QStringLiteral("log.csv"));
        const QStringList store = {QStringLiteral("--records"), dir.filePath("records.sqlite")};
        QVERIFY2(startReadings(program, sim, log, {{"alt+p", "Ann"}, {"alt+a", "Joint A"}},
                               {"alt+m", "Down", "Tab"}, store),
                 "no simulator, results or Readings window, or log");
        const QString results = m_desktop.waitForWindow(QStringLiteral("Results"));
        const QString readings = m_desktop.waitForWindow(QStringLiteral("Readings"));
        fill(readings, {{"alt+o", "12,5"}, {"alt+r", "5"}}); // limits: nominal +/- %
        for (int taken = 1; taken <= 3; ++taken) {
            m_desktop.click(results, kTrigger);
            QTRY_COMPARE_WITH_TIMEOUT(linesOf(log).size(), taken + 1, 15000);
            if (taken == 3) {
                m_desktop.key(readings, QStringLiteral("alt+a"));
                m_desktop.key(readings, QStringLiteral("ctrl+a"));
                m_desktop.type(readings, QStringLiteral("Joint B"));
            }
            m_desktop.key(readings, QStringLiteral("ctrl+Return"));
            QTRY_COMPARE_WITH_TIMEOUT(storedRecords(store[1]), taken, 10000);
        }
        program.kill();
        QVERIFY(program.waitForFinished(5000));
        QCOMPARE(storedRecords(store[1]), 3);

        QProcess again;
        const QString reopened = handOver(again, sim, QStringLiteral("de_DE.UTF-8"), store);
        QVERIFY2(!reopened.isEmpty(), "the results window did not appear again");
        m_desktop.key(reopened, QStringLiteral("ctrl+h"));
        const QString records = m_desktop.waitForWindow(QStringLiteral("Records"));
        QVERIFY2(!records.isEmpty(), "Ctrl+H did not open the Records window");
        m_desktop.key(records, QStringLiteral("Tab")); // from the filter to the list
        m_desktop.key(records, QStringLiteral("ctrl+a"));
        m_desktop.key(records, QStringLiteral("alt+t"));
        const QString certificate = dir.filePath(QStringLiteral("certificate.pdf"));
        nameFile(QStringLiteral("Certificate"), certificate);
        QTRY_VERIFY_WITH_TIMEOUT(pdfText(certificate).contains("Summary:"), 10000);
        const QString text = pdfText(certificate);
        for (const QString& part :
             {"Asset:JointA", "Asset:JointB", "serialnumberMX75-000123", "IssuedBy:Ann",
              "Summary:3records;PASS3,LOW0,HIGH0,notjudged0."})
            QVERIFY2(text.contains(part, Qt::CaseInsensitive),
                     qPrintable(part + " is not in " + text));
        const QStringList cells = pdfCells(certificate);
        const QLocale german(QLocale::German, QLocale::Germany);
        for (const QByteArray& line : linesOf(log).mid(1)) {
            const QString value = ReadingText::ohms(line.split(',').value(1).toDouble(), german);
            QVERIFY2(cells.contains(value),
                     qPrintable(value + " is no cell of " + cells.join('|')));
        }
        QCOMPARE(cells.count(QStringLiteral("PASS")), 3);
        QCOMPARE(cells.count(QStringLiteral("Ann")), 3);
        again.terminate();
        QVERIFY2(endedCleanly(again), "SIGTERM did not end the program cleanly");
    }

    // Two programs on one store. The first lists the store's folder in its Export... dialog
    // while the second records and ends; then the first records again and is killed outright:
    // every record either reported is in the store, the second's among them.
    void twoProgramsShareAStore() {
        Simulator simA, simB;
        QProcess first, second;
        QTemporaryDir dir;
        const QString store = dir.filePath(QStringLiteral("store.sqlite"));
        const QStringList records = {QStringLiteral("--records"), store};
        QVERIFY2(startReadings(first, simA, dir.filePath("a.csv"), {{"alt+a", "A1"}}, {}, records),
                 "no simulator, results or Readings window, or log for the first program");
        const QString results = m_desktop.waitForWindow(QStringLiteral("Results"));
        const QString readings = m_desktop.waitForWindow(QStringLiteral("Readings"));
        const auto recordOne = [&](const QString& onResults, const QString& onReadings,
                                   const QString& log, int lines, int stored) {
            m_desktop.click(onResults, kTrigger);
            QTRY_COMPARE_WITH_TIMEOUT(linesOf(log).size(), lines, 15000);
            m_desktop.key(onReadings, QStringLiteral("ctrl+Return"));
            QTRY_COMPARE_WITH_TIMEOUT(storedRecords(store), stored, 10000);
        };
        recordOne(results, readings, dir.filePath("a.csv"), 2, 1);
        m_desktop.key(readings, QStringLiteral("alt+c")); // Records...
        const QString recordsWindow = m_desktop.waitForWindow(QStringLiteral("Records"));
        QVERIFY2(!recordsWindow.isEmpty(), "Records... opened no window");
        QString dialog; // the window may take the focus a moment after it shows
        for (int attempt = 0; attempt < 5 && dialog.isEmpty(); ++attempt) {
            m_desktop.key(recordsWindow, QStringLiteral("alt+e"));
            dialog = m_desktop.waitForWindow(QStringLiteral("Export records"), 3000);
        }
        QVERIFY2(!dialog.isEmpty(), "Export... showed no file dialog");
        m_desktop.type(dialog, dir.path() + QLatin1Char('/'));
        m_desktop.key(dialog, QStringLiteral("Return")); // into the store's folder
        QTest::qWait(2000);

        // The second program's windows: those that are not the first's.
        const auto another = [&](const QString& title, const QString& firsts,
                                 int timeoutMs = 30000) {
            QString found;
            (void)QTest::qWaitFor(
                [&] {
                    const QStringList ids = m_desktop
                                                .run("xdotool", {"search", "--onlyvisible",
                                                                 "--name", "^" + title + "$"})
                                                .split('\n', Qt::SkipEmptyParts);
                    for (const QString& id : ids)
                        if (id != firsts)
                            found = id;
                    return !found.isEmpty();
                },
                timeoutMs);
            return found;
        };
        QVERIFY(simB.start());
        startProgram(second, simB.device(), {}, QStringList{"--readings"} + records);
        const QString connectionB = m_desktop.waitForWindow(kConnectionTitle);
        QString resultsB; // a click as the window comes up may not reach Continue: again
        for (int attempt = 0; attempt < 5 && resultsB.isEmpty(); ++attempt) {
            m_desktop.click(connectionB, kContinue);
            resultsB = another(QStringLiteral("Results"), results, 5000);
        }
        const QString readingsB = another(QStringLiteral("Readings"), readings);
        QVERIFY2(!resultsB.isEmpty() && !readingsB.isEmpty(), "the second program did not start");
        m_desktop.click(resultsB, kStartLog);
        nameFile(QStringLiteral("Select a file name"), dir.filePath("b.csv"));
        fill(readingsB, {{"alt+a", "B2"}});
        recordOne(resultsB, readingsB, dir.filePath("b.csv"), 2, 2);
        second.terminate();
        QVERIFY2(endedCleanly(second), "SIGTERM did not end the second program cleanly");

        for (int attempt = 0; attempt < 5 && !m_desktop.windowGone("Export records"); ++attempt) {
            m_desktop.key(dialog, QStringLiteral("Escape"));
            QTest::qWait(1000);
        }
        QVERIFY2(m_desktop.windowGone("Export records"), "the Export dialog did not close");
        // Out of the way of the results window's Trigger: there is no window manager to raise it.
        m_desktop.run("xdotool", {"windowmove", recordsWindow, "900", "0"});
        QTest::qWait(500);
        recordOne(results, readings, dir.filePath("a.csv"), 3, 3);
        first.kill();
        QVERIFY(first.waitForFinished(5000));
        QCOMPARE(sql("SELECT group_concat(asset, ',') FROM (SELECT asset FROM records ORDER BY "
                     "time_ms)",
                     store)
                     .toString(),
                 QStringLiteral("A1,B2,A1"));
    }

    // Two benches on one team server, each program on its own simulator and store: a record
    // of Joint A made on the first (12,5 mOhm) reaches the second's store once its Records
    // window is open; the second's own record (15,625 mOhm) is +25 % on it, flagged in the
    // certificate beside the first one's record.
    void teamRecordsReachTheOtherBench() {
        if (!TeamDatabase::unavailable().isEmpty())
            QSKIP(qPrintable(TeamDatabase::unavailable()));
        TeamDatabase server;
        QVERIFY2(server.ready(), qPrintable(server.error()));
        QTemporaryDir dir;
        const QStringList team = {QStringLiteral("--team"), server.uri()};
        const auto serverRecords = [&] {
            return server.admin(QStringLiteral("SELECT count(*) FROM records")).toInt();
        };
        Simulator firstMeter({"--reading", "1.250000e-02"});
        QProcess first;
        QVERIFY2(startReadings(first, firstMeter, dir.filePath("first.csv"),
                               {{"alt+p", "Ann"}, {"alt+a", "Joint A"}}, {},
                               QStringList{"--records", dir.filePath("first.sqlite")} + team),
                 "the first bench did not come up");
        m_desktop.click(m_desktop.waitForWindow(QStringLiteral("Results")), kTrigger);
        QTRY_COMPARE_WITH_TIMEOUT(linesOf(dir.filePath("first.csv")).size(), 2, 15000);
        m_desktop.key(m_desktop.waitForWindow(QStringLiteral("Readings")),
                      QStringLiteral("ctrl+Return"));
        QTRY_COMPARE_WITH_TIMEOUT(serverRecords(), 1, 15000);
        first.terminate();
        QVERIFY2(endedCleanly(first), "SIGTERM did not end the first bench cleanly");

        Simulator secondMeter({"--reading", "1.562500e-02"});
        QProcess second;
        const QString store = dir.filePath("second.sqlite");
        QVERIFY2(startReadings(second, secondMeter, dir.filePath("second.csv"),
                               {{"alt+p", "Bo"}, {"alt+a", "Joint A"}}, {},
                               QStringList{"--records", store} + team),
                 "the second bench did not come up");
        // The reading first: the Records window may come up over the results window.
        m_desktop.click(m_desktop.waitForWindow(QStringLiteral("Results")), kTrigger);
        QTRY_COMPARE_WITH_TIMEOUT(linesOf(dir.filePath("second.csv")).size(), 2, 15000);
        const QString readings = m_desktop.waitForWindow(QStringLiteral("Readings"));
        m_desktop.key(readings, QStringLiteral("alt+c")); // Records... of the Record box
        const QString records = m_desktop.waitForWindow(QStringLiteral("Records"));
        QVERIFY2(!records.isEmpty(), "Records... did not open the Records window");
        QTRY_COMPARE_WITH_TIMEOUT(storedRecords(store), 1, 15000);
        m_desktop.key(readings, QStringLiteral("ctrl+Return"));
        QTRY_COMPARE_WITH_TIMEOUT(serverRecords(), 2, 15000);
        m_desktop.key(records, QStringLiteral("Tab")); // from the filter to the list
        m_desktop.key(records, QStringLiteral("ctrl+a"));
        m_desktop.key(records, QStringLiteral("alt+t"));
        const QString certificate = dir.filePath(QStringLiteral("certificate.pdf"));
        nameFile(QStringLiteral("Certificate"), certificate);
        QTRY_VERIFY_WITH_TIMEOUT(pdfText(certificate).contains("Summary:"), 10000);
        const QString text = pdfText(certificate);
        // Each record with its bench: both are this computer, by its host name.
        const QString bench = QSysInfo::machineHostName().remove(' ');
        for (const QString& part :
             {QStringLiteral("Asset:JointA"), "12,5mOhm" + bench, "15,625mOhm+25,0%!" + bench,
              QStringLiteral("Summary:2records")})
            QVERIFY2(text.contains(part), qPrintable(part + " is not in " + text));
        second.terminate();
        QVERIFY2(endedCleanly(second), "SIGTERM did not end the second bench cleanly");
    }

    // Last, as a killed client leaves the display's focus where no later test expects it.
    // --readings under a comma-decimal locale against a noisy simulator: five auto-repeated
    // readings at 0.5 s in the data log, and not one more.
    void readingsWindowRepeatsFiveReadings() {
        Simulator sim({"--noise", "2", "--seed", "5"});
        QProcess program;
        QTemporaryDir dir;
        const QString log = dir.filePath(QStringLiteral("log.csv"));
        QVERIFY2(startReadings(program, sim, log, {{"alt+e", "0,5"}, {"alt+n", "5"}}, {"alt+s"}),
                 "no simulator, results or Readings window, or log");
        // Start line and five data lines; no sixth reading comes after them.
        QTRY_COMPARE_WITH_TIMEOUT(linesOf(log).size(), 6, 20000);
        QTest::qWait(2000);
        const QList<QByteArray> logged = linesOf(log);
        QCOMPARE(logged.size(), 6);

        for (const QByteArray& line : logged.mid(1))
            QVERIFY2(line.startsWith("Rx,") && line.endsWith(", Ohm\r"), line.constData());
        QVERIFY(logged[1] != logged[5]); // the noise is there

        // Killed outright, the program has left every logged reading on the disk.
        program.kill();
        QVERIFY(program.waitForFinished(5000));
        QCOMPARE(linesOf(log), logged);
    }
};

QTEST_GUILESS_MAIN(BinaryTest)
#include "tst_binary.moc"
