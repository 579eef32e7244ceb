// The command line of installed copies: parsing rules, option over variable, usage errors of
// the real program without a display, and --simulate reaching the connection window.
#include "Desktop.h"
#include "app/BuiltInSimulator.h"
#include "app/CommandLine.h"
#include "link/PortMap.h"

#include <QTemporaryDir>
#include <QtTest>

using Outcome = CommandLine::Outcome;

namespace {
const QString kConnectionTitle = QStringLiteral("Norvale MX7500 Virtual Front Panel Wizard V1.0");
const QString kResultsTitle = QStringLiteral("Results");
const QPoint kContinue(64, 88); // client-area pixels
} // namespace

class CommandLineTest : public QObject {
    Q_OBJECT

    static Outcome parse(QStringList arguments) {
        arguments.prepend(QStringLiteral("MX7500"));
        return CommandLine::parse(arguments);
    }

private Q_SLOTS:
    void cleanup() {
        PortMap::setOverride(1, QString());
        PortMap::setOverride(2, QString());
        qunsetenv("MX7500_COM1");
        qunsetenv("MX7500_COM2");
    }

    void runs_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("port1");
        QTest::addColumn<QString>("port2");
        QTest::addColumn<bool>("simulate");
        QTest::newRow("none") << QStringList{} << QString() << QString() << false;
        QTest::newRow("both ports")
            << QStringList{"--port1", "/dev/ttyUSB0", "--port2=/dev/ttyUSB1"} << "/dev/ttyUSB0"
            << "/dev/ttyUSB1" << false;
        QTest::newRow("last repeat counts") << QStringList{"--port2", "/dev/a", "--port2", "/dev/b"}
                                            << QString() << "/dev/b" << false;
        QTest::newRow("simulate with port 2") << QStringList{"--simulate", "--port2", "/dev/ttyS1"}
                                              << QString() << "/dev/ttyS1" << true;
    }
    void runs() {
        QFETCH(QStringList, arguments);
        const Outcome outcome = parse(arguments);
        QCOMPARE(outcome.action, Outcome::Run);
        QVERIFY2(outcome.error.isEmpty(), qPrintable(outcome.error));
        QTEST(outcome.choices.port1, "port1");
        QTEST(outcome.choices.port2, "port2");
        QTEST(outcome.choices.simulate, "simulate");
    }

    void usageErrorsExitWithStatus2_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("unknown") << QStringList{"--bogus"} << "Unknown option 'bogus'.";
        QTest::newRow("missing device")
            << QStringList{"--port1"} << "Missing value after '--port1'.";
        QTest::newRow("missing after another")
            << QStringList{"--simulate", "--port2"} << "Missing value after '--port2'.";
        QTest::newRow("empty device") << QStringList{"--port2="} << "--port2 needs a device name.";
        QTest::newRow("stray argument")
            << QStringList{"/dev/ttyS0"} << "unexpected argument '/dev/ttyS0'.";
        QTest::newRow("simulate and port 1")
            << QStringList{"--simulate", "--port1", "/dev/ttyS0"}
            << "--simulate and --port1 both choose port 1's device.";
    }
    void usageErrorsExitWithStatus2() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        const Outcome outcome = parse(arguments);
        QCOMPARE(outcome.action, Outcome::Exit);
        QCOMPARE(outcome.exitStatus, 2);
        QVERIFY(outcome.output.isEmpty());
        QCOMPARE(outcome.error,
                 QStringLiteral("MX7500: %1\nTry 'MX7500 --help' for the options.\n").arg(message));
    }

    void helpAndVersion() {
        const Outcome version = parse({QStringLiteral("--version")});
        QCOMPARE(version.action, Outcome::Exit);
        QCOMPARE(version.exitStatus, 0);
        QCOMPARE(version.output, QStringLiteral("MX7500 1.00\n"));
        // Help wins over the rest of the line, as --help does everywhere.
        const Outcome help =
            parse({QStringLiteral("--port1"), QStringLiteral("/dev/x"), QStringLiteral("--help")});
        QCOMPARE(help.action, Outcome::Exit);
        QCOMPARE(help.exitStatus, 0);
        QVERIFY(help.output.startsWith(QStringLiteral("Usage: MX7500 [options]\n")));
        for (const char* option : {"--version", "--port1 <DEVICE>", "--port2 <DEVICE>",
                                   "--simulate", "--list-ports", "MX7500_COM1"})
            QVERIFY2(help.output.contains(QLatin1String(option)), option);
    }

    void theOptionWinsOverTheVariable() {
        qputenv("MX7500_COM1", "/dev/from-variable-1");
        qputenv("MX7500_COM2", "/dev/from-variable-2");
        CommandLine::applyPorts(
            parse({QStringLiteral("--port1"), QStringLiteral("/dev/opt")}).choices);
        QCOMPARE(PortMap::deviceName(1), QStringLiteral("/dev/opt"));
        QCOMPARE(PortMap::deviceName(2), QStringLiteral("/dev/from-variable-2"));

        CommandLine::applyPorts(parse({QStringLiteral("--simulate")}).choices,
                                QStringLiteral("/dev/pts/77"));
        QCOMPARE(PortMap::deviceName(1), QStringLiteral("/dev/pts/77"));
    }

    void aMissingSimulatorIsReported() {
        QTemporaryDir empty;
        BuiltInSimulator simulator;
        QVERIFY(!simulator.start(empty.path()));
        QVERIFY(simulator.device().isEmpty());
        QVERIFY2(simulator.errorText().contains(empty.path() + QStringLiteral("/mx7500-sim")),
                 qPrintable(simulator.errorText()));
    }

    // No window system is available to the program here: a usage error, --version and
    // --list-ports must end it before it would need one.
    void theProgramRefusesBadOptionsWithoutAWindow() {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        const QList<QStringList> cases = {{QStringLiteral("--port2")},
                                          {QStringLiteral("--no-such-option")}};
        for (const QStringList& arguments : cases) {
            QProcess program;
            program.setProcessEnvironment(environment);
            program.start(QStringLiteral(MX7500_BIN), arguments);
            QVERIFY(program.waitForFinished(10000));
            QCOMPARE(program.exitStatus(), QProcess::NormalExit);
            QCOMPARE(program.exitCode(), 2);
            QVERIFY(program.readAllStandardOutput().isEmpty());
            QVERIFY(program.readAllStandardError().startsWith("MX7500: "));
        }
        QProcess version;
        version.setProcessEnvironment(environment);
        version.start(QStringLiteral(MX7500_BIN), {QStringLiteral("--version")});
        QVERIFY(version.waitForFinished(10000));
        QCOMPARE(version.exitCode(), 0);
        QCOMPARE(version.readAllStandardOutput(), QByteArray("MX7500 1.00\n"));

        // The option wins over the variable; port 2 shows what this machine reports.
        environment.insert(QStringLiteral("MX7500_COM1"), QStringLiteral("/dev/from-variable"));
        environment.remove(QStringLiteral("MX7500_COM2"));
        QProcess list;
        list.setProcessEnvironment(environment);
        list.start(QStringLiteral(MX7500_BIN),
                   {QStringLiteral("--list-ports"), QStringLiteral("--port1=/dev/opt")});
        QVERIFY(list.waitForFinished(10000));
        QCOMPARE(list.exitCode(), 0);
        const QString output = QString::fromLocal8Bit(list.readAllStandardOutput());
        QVERIFY2(output.startsWith(QStringLiteral("Serial ports the system reports:")),
                 qPrintable(output));
        QVERIFY2(output.contains(QStringLiteral("\nPort 1: /dev/opt (command line)\n")),
                 qPrintable(output));
        QVERIFY2(output.contains(QRegularExpression(QStringLiteral("\nPort 2: /dev/\\S+.*\n$"))),
                 qPrintable(output));
    }

    // The real program with --simulate and no variable set: Continue identifies the simulator
    // started beside it and hands over to the results window.
    void simulateAnswersTheIdentification() {
        Desktop desktop;
        if (!desktop.start())
            QSKIP(qPrintable(desktop.why()));
        QProcessEnvironment environment = desktop.environment();
        environment.insert(QStringLiteral("MX7500_COM1"), QStringLiteral("/nonexistent/tty"));
        QProcess program;
        program.setProcessEnvironment(environment);
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program.start(QStringLiteral(MX7500_BIN), {QStringLiteral("--simulate")});
        QVERIFY(program.waitForStarted(5000));

        const QString connection = desktop.waitForWindow(kConnectionTitle);
        QVERIFY2(!connection.isEmpty(), "the connection window did not appear");
        desktop.click(connection, kContinue.x(), kContinue.y());
        const QString results = desktop.waitForWindow(kResultsTitle);
        QVERIFY2(!results.isEmpty(), "the simulator did not answer *IDN?");

        program.terminate();
        QVERIFY(program.waitForFinished(5000));
    }
};

QTEST_MAIN(CommandLineTest)
#include "tst_commandline.moc"
