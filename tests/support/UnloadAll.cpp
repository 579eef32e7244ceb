#include "UnloadAll.h"

#include "configuration/Configure.h"
#include "connection/Form1.h"
#include "measurement/DataLog.h"
#include "measurement/frmMeasure.h"

#include <QCoreApplication>
#include <QEvent>

void unloadEveryWindow() {
    frmMeasure::unloadIfLoaded();
    Configure::unloadIfLoaded();
    Form1::unloadIfLoaded();
    DataLog::close();
    // Unloaded windows go at the next return to the event loop; a test has none in between.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
