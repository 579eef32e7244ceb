// Command-line parsing with Qt's parser, kept free of exit() so tests can call it.
#include "app/CommandLine.h"

#include "link/PortMap.h"
#include "records/TeamUri.h"

#include <QCommandLineParser>

namespace CommandLine {

namespace {

const QString kName = QStringLiteral("MX7500");
const QString kVersion = QStringLiteral("1.00");

Outcome usageError(const QString& message) {
    Outcome outcome;
    outcome.action = Outcome::Exit;
    outcome.exitStatus = 2;
    outcome.error =
        QStringLiteral("%1: %2\nTry '%1 --help' for the options.\n").arg(kName, message);
    return outcome;
}

// Qt names the program after the running application, and there is none yet at this point.
QString helpText(const QCommandLineParser& parser) {
    QString text = parser.helpText();
    const qsizetype firstLineEnd = text.indexOf(QLatin1Char('\n'));
    return QStringLiteral("Usage: %1 [options]").arg(kName) + text.mid(firstLineEnd);
}

} // namespace

Outcome parse(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Front panel for the MX7500 bench low-resistance meter.\n"
                       "Ports 1 and 2 of the connection window stand for the first two serial "
                       "ports the system\nreports: built-in ports (ttyS, not the kernel's "
                       "console) first, then USB adapters (ttyUSB,\nthen ttyACM), each keeping its "
                       "number while plugged in; with none, /dev/ttyS0 and /dev/ttyS1.\n"
                       "MX7500_COM1, MX7500_COM2 and the options below name other devices, and "
                       "--list-ports shows\nthe result."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this text and exit."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the version and exit."));
    const QCommandLineOption port1(QStringLiteral("port1"),
                                   QStringLiteral("Device behind port 1 (wins over MX7500_COM1)."),
                                   QStringLiteral("DEVICE"));
    const QCommandLineOption port2(QStringLiteral("port2"),
                                   QStringLiteral("Device behind port 2 (wins over MX7500_COM2)."),
                                   QStringLiteral("DEVICE"));
    const QCommandLineOption simulate(
        QStringLiteral("simulate"),
        QStringLiteral("Start the built-in instrument simulator and put it behind port 1."));
    const QCommandLineOption listPorts(
        QStringLiteral("list-ports"),
        QStringLiteral("Show the serial ports the system reports and the devices behind ports 1 "
                       "and 2, and exit."));
    const QCommandLineOption readings(
        QStringLiteral("readings"),
        QStringLiteral("Open the Readings window as soon as the results window is shown."));
    const QCommandLineOption records(
        QStringLiteral("records"),
        QStringLiteral("Keep test records in FILE instead of records.sqlite in the user's data "
                       "folder."),
        QStringLiteral("FILE"));
    const QCommandLineOption team(
        QStringLiteral("team"),
        QStringLiteral("Share test records with the team's PostgreSQL server at URI "
                       "(postgresql://user@host:port/database?sslmode=...). The password comes "
                       "from ~/.pgpass, or is asked for."),
        QStringLiteral("URI"));
    parser.addOptions({help, version, port1, port2, simulate, listPorts, readings, records, team});

    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    if (!parser.positionalArguments().isEmpty())
        return usageError(QStringLiteral("unexpected argument '%1'.")
                              .arg(parser.positionalArguments().constFirst()));

    Outcome outcome;
    if (parser.isSet(help) || parser.isSet(version)) {
        outcome.action = Outcome::Exit;
        outcome.output =
            parser.isSet(help) ? helpText(parser) : QStringLiteral("%1 %2\n").arg(kName, kVersion);
        return outcome;
    }

    // The last of a repeated option counts, as with most programs.
    outcome.choices.port1 = parser.isSet(port1) ? parser.values(port1).constLast() : QString();
    outcome.choices.port2 = parser.isSet(port2) ? parser.values(port2).constLast() : QString();
    outcome.choices.simulate = parser.isSet(simulate);
    outcome.choices.readings = parser.isSet(readings);
    outcome.choices.records =
        parser.isSet(records) ? parser.values(records).constLast() : QString();
    if (parser.isSet(records) && outcome.choices.records.isEmpty())
        return usageError(QStringLiteral("--records needs a file name."));
    if (parser.isSet(team)) {
        outcome.choices.team = parser.values(team).constLast();
        Records::TeamUri uri;
        QString error;
        if (!Records::parseTeamUri(outcome.choices.team, uri, error))
            return usageError(error);
    }
    // An empty device would silently fall back to the usual mapping.
    if (parser.isSet(port1) && outcome.choices.port1.isEmpty())
        return usageError(QStringLiteral("--port1 needs a device name."));
    if (parser.isSet(port2) && outcome.choices.port2.isEmpty())
        return usageError(QStringLiteral("--port2 needs a device name."));
    // Both would name port 1's device; neither may be dropped silently.
    if (outcome.choices.simulate && parser.isSet(port1))
        return usageError(QStringLiteral("--simulate and --port1 both choose port 1's device."));
    if (parser.isSet(listPorts))
        outcome.action = Outcome::ListPorts;
    return outcome;
}

void applyPorts(const Choices& choices, const QString& simulatorDevice) {
    if (choices.simulate)
        PortMap::setOverride(1, simulatorDevice);
    else if (!choices.port1.isEmpty())
        PortMap::setOverride(1, choices.port1);
    if (!choices.port2.isEmpty())
        PortMap::setOverride(2, choices.port2);
}

} // namespace CommandLine
