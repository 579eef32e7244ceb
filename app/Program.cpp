// Program start and end.
#include "app/Program.h"

#include "app/TerminationSignals.h"
#include "connection/Form1.h"
#include "link/Module1.h"
#include "link/OperatorPrompt.h"
#include "link/SerialPort.h"
#include "measurement/DataLog.h"
#include "measurement/frmMeasure.h"

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

void start(OperatorPrompt& prompt) {
    OperatorPrompt::install(&prompt);
    Module1::setAbandonHandler(&abandon);
    LoadableWindow::setProgramEndHandler([] { QCoreApplication::exit(0); });
    TerminationSignals::install(&leave);
    Form1::use().show();
}

} // namespace Program
