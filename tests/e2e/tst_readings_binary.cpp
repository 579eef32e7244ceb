// The Readings window in the built program, under a comma-decimal locale, against a noisy
// simulator: opened by --readings, five auto-repeated readings at 0.5 s, and what the table,
// the statistics, the saved CSV and the design's data log then hold.
#include "Desktop.h"
#include "Simulator.h"

#include <QtTest>

#include <cmath>

namespace {
const QPoint kContinue(64, 88);
const QPoint kStartLog(48, 296);

QList<QByteArray> linesOf(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QList<QByteArray> lines = file.readAll().split('\n');
    lines.removeLast();
    return lines;
}

} // namespace

class ReadingsBinaryTest : public QObject {
    Q_OBJECT
    Desktop m_desktop;

    QString clipboard() const {
        QProcess xclip;
        xclip.setProcessEnvironment(m_desktop.environment());
        xclip.start(QStringLiteral("xclip"), {QStringLiteral("-o"), QStringLiteral("-selection"),
                                              QStringLiteral("clipboard")});
        xclip.waitForFinished(5000);
        return QString::fromUtf8(xclip.readAllStandardOutput());
    }
    // Types a file name into the file dialog with this title and presses Return until it goes.
    bool chooseFile(const QString& title, const QString& path) {
        const QString dialog = m_desktop.waitForWindow(title);
        if (dialog.isEmpty())
            return false;
        m_desktop.type(dialog, path);
        for (int attempt = 0; attempt < 4; ++attempt) {
            m_desktop.key(dialog, QStringLiteral("Return"));
            QTest::qWait(1000);
            if (m_desktop.windowGone(title))
                return true;
        }
        return false;
    }

private Q_SLOTS:
    void initTestCase() {
        if (!m_desktop.start())
            QSKIP(qPrintable(m_desktop.why()));
        if (QStandardPaths::findExecutable(QStringLiteral("xclip")).isEmpty())
            QSKIP("xclip is not installed (scripts/install-deps)");
    }

    void fiveRepeatedReadings() {
        Simulator sim({QStringLiteral("--noise"), QStringLiteral("2"), QStringLiteral("--seed"),
                       QStringLiteral("5")});
        QVERIFY(sim.start());
        QProcessEnvironment environment = m_desktop.environment();
        environment.insert(QStringLiteral("MX7500_COM1"), sim.device());
        environment.insert(QStringLiteral("LANG"), QStringLiteral("de_DE.UTF-8"));
        environment.remove(QStringLiteral("LC_ALL"));
        QProcess program;
        program.setProcessEnvironment(environment);
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program.start(QStringLiteral(MX7500_BIN), {QStringLiteral("--readings")});
        QVERIFY(program.waitForStarted(5000));
        const QString connection = m_desktop.waitForWindow(
            QStringLiteral("Norvale MX7500 Virtual Front Panel Wizard V1.0"));
        QVERIFY(!connection.isEmpty());
        m_desktop.click(connection, kContinue.x(), kContinue.y());
        const QString results = m_desktop.waitForWindow(QStringLiteral("Results"));
        const QString readings = m_desktop.waitForWindow(QStringLiteral("Readings"));
        QVERIFY2(!results.isEmpty() && !readings.isEmpty(), "no results or Readings window");

        QTemporaryDir dir;
        const QString log = dir.filePath(QStringLiteral("log.csv"));
        m_desktop.click(results, kStartLog.x(), kStartLog.y());
        QVERIFY2(chooseFile(QStringLiteral("Select a file name"), log), "the log did not start");

        m_desktop.key(readings, QStringLiteral("alt+e"));
        m_desktop.key(readings, QStringLiteral("ctrl+a"));
        m_desktop.type(readings, QStringLiteral("0,5\t"));
        m_desktop.key(readings, QStringLiteral("alt+n"));
        m_desktop.key(readings, QStringLiteral("ctrl+a"));
        m_desktop.type(readings, QStringLiteral("5\t"));
        m_desktop.key(readings, QStringLiteral("alt+s"));
        // Start line and five data lines; no sixth reading comes after them.
        QTRY_COMPARE_WITH_TIMEOUT(linesOf(log).size(), 6, 20000);
        QTest::qWait(2000);
        const QList<QByteArray> logged = linesOf(log);
        QCOMPARE(logged.size(), 6);

        QList<double> values; // the meter's texts, as the log keeps them
        for (const QByteArray& line : logged.mid(1)) {
            QVERIFY2(line.startsWith("Rx,") && line.endsWith(", Ohm\r"), line.constData());
            values << line.mid(3, line.size() - 9).toDouble();
        }
        QVERIFY(values.first() != values.last()); // the noise is there

        // The table: five rows, "." numbers, oldest first.
        m_desktop.key(readings, QStringLiteral("alt+v"));
        const QString saved = dir.filePath(QStringLiteral("series.csv"));
        QVERIFY2(chooseFile(QStringLiteral("Save readings"), saved), "the readings were not saved");
        const QList<QByteArray> csv = linesOf(saved);
        QCOMPARE(csv.size(), 6);
        QCOMPARE(csv[0], QByteArray("Number,Time,Rx (Ohm),Rtc (Ohm),Temperature (C),"
                                    "Coefficient (1/C),Verdict\r"));
        const QRegularExpression iso(
            QStringLiteral("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d[+-Z]"));
        double mean = 0;
        for (int i = 0; i < 5; ++i) {
            const QList<QByteArray> fields = csv[i + 1].split(',');
            QCOMPARE(fields.size(), 7);
            QCOMPARE(fields[0].toInt(), i + 1);
            QVERIFY2(iso.match(QString::fromLatin1(fields[1])).hasMatch(), fields[1].constData());
            QVERIFY(qAbs(fields[2].toDouble() / values[i] - 1) < 1e-6);
            mean += values[i] / 5;
        }
        double squares = 0;
        for (double v : values)
            squares += (v - mean) * (v - mean);

        // The statistics as the window holds them.
        m_desktop.key(readings, QStringLiteral("ctrl+shift+c"));
        QTRY_VERIFY(clipboard().contains(QLatin1String("\nRx\t")));
        const QStringList rx = clipboard().split(QLatin1Char('\n')).at(1).split(QLatin1Char('\t'));
        QCOMPARE(rx.size(), 7);
        QCOMPARE(rx[1], QStringLiteral("5"));
        QVERIFY2(qAbs(rx[2].toDouble() / mean - 1) < 1e-6, qPrintable(rx[2]));
        QVERIFY2(qAbs(rx[3].toDouble() / std::sqrt(squares / 4) - 1) < 1e-5, qPrintable(rx[3]));
        const double lowest = *std::min_element(values.begin(), values.end());
        QVERIFY2(qAbs(rx[4].toDouble() / lowest - 1) < 1e-6, qPrintable(rx[4]));

        program.terminate();
        QVERIFY(program.waitForFinished(10000));
    }
};

QTEST_GUILESS_MAIN(ReadingsBinaryTest)
#include "tst_readings_binary.moc"
