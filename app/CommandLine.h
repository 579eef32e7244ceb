// The program's command line: help, version, the device behind each port, the list of ports,
// the built-in simulator, the records store's file and the team server. Without options the program
// starts as it always has.
#pragma once

#include <QString>
#include <QStringList>

namespace CommandLine {

struct Choices {
    QString port1;         // device for port 1, empty for the usual mapping
    QString port2;         // device for port 2, empty for the usual mapping
    bool simulate = false; // start the simulator and put it behind port 1
    bool readings = false; // open the Readings window with the results window
    QString records;       // the records store's file, empty for the usual one
    QString team;          // the team server's URI, empty for the one in the settings
};

struct Outcome {
    enum Action { Run, Exit, ListPorts } action = Run;
    int exitStatus = 0; // for Exit: 0 after help or version, 2 after a usage error
    QString output;     // for stdout (help, version)
    QString error;      // for stderr (the usage error, with a pointer to --help)
    Choices choices;    // for Run and ListPorts
};

// Reads the arguments, program name first, as main() receives them.
Outcome parse(const QStringList& arguments);

// Applies the device options to the port map, where an option wins over MX7500_COM1/2; with
// --simulate, port 1 is `simulatorDevice`.
void applyPorts(const Choices& choices, const QString& simulatorDevice = QString());

} // namespace CommandLine
