// Program start and end.
#include "app/Program.h"

#include "app/TerminationSignals.h"
#include "connection/Form1.h"
#include "link/Module1.h"
#include "link/OperatorPrompt.h"
#include "link/SerialPort.h"
#include "measurement/DataLog.h"
#include "measurement/frmMeasure.h"
#include "readings/Readings.h"
#include "records/RecordsWindow.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>

namespace Program {

void abandon() {
    DataLog::close();
    if (SerialPort* port = Module1::port())
        port->setPortOpen(false);
    Form1::unloadIfLoaded();
    std::fflush(nullptr);
    std::_Exit(0);
}

void leave() {
    if (frmMeasure* results = frmMeasure::loaded())
        results->exitStep();
    else if (Form1* connection = Form1::loaded())
        connection->exitClicked();
}

namespace {
bool g_ended = false;
}

void start(OperatorPrompt& prompt, bool openReadings) {
    OperatorPrompt::install(&prompt);
    Readings::install(openReadings);
    Records::install();
    Module1::setAbandonHandler(&abandon);
    LoadableWindow::setProgramEndHandler([] {
        // The end may come before the main event loop runs (a termination signal while the
        // start-up's port box is up): exit() reaches only loops already running.
        g_ended = true;
        QCoreApplication::exit(0);
    });
    TerminationSignals::install(&leave);
    Form1& connection = Form1::use();
    if (connection.isLoaded())
        connection.show();
}

bool ended() {
    return g_ended;
}

} // namespace Program
