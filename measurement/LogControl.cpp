// The log button.
#include "measurement/LogControl.h"

#include "link/Module1.h"
#include "link/OperatorPrompt.h"
#include "measurement/DataLog.h"
#include "measurement/LogLines.h"
#include "measurement/frmMeasure.h"

#include <QDateTime>
#include <QFileInfo>
#include <QPointer>
#include <QPushButton>

namespace LogControl {

void clicked(frmMeasure& window) {
    if (window.bLog)
        stop(window);
    else
        start(window);
}

void start(frmMeasure& window) {
    QPointer<frmMeasure> self(&window);
    const std::optional<QString> chosen =
        OperatorPrompt::current().chooseFile({kFilter, kTitle, window.logFileName});
    if (!self || !self->isLoaded())
        return;
    if (!chosen || chosen->isEmpty())
        return;
    const QString path = *chosen;
    window.logFileName = path; // offered again next time

    DataLog::close();
    // Asked about whenever something is there to lose, readable or not; nothing is opened
    // to find out.
    const QFileInfo existing(path);
    DataLog::Mode mode = DataLog::Mode::Replace;
    if (existing.exists() && !existing.isDir()) {
        const OperatorPrompt::Answer answer = OperatorPrompt::current().ask(
            QStringLiteral("Overwrite ") + path, OperatorPrompt::Buttons::YesNo);
        if (!self || !self->isLoaded())
            return;
        if (answer != OperatorPrompt::Answer::Yes)
            mode = DataLog::Mode::Append;
    }

    QString error;
    if (!DataLog::open(path, mode, &error)) {
        tell(path + QStringLiteral("  ") + error);
        return;
    }

    window.bLog = true;
    window.logLine(LogLines::startLine(QDateTime::currentDateTime(), Module1::sIdnMaker,
                                       Module1::sIdnModel, Module1::sIdnField3,
                                       Module1::sIdnField4));
    if (!self || !self->isLoaded() || !window.bLog)
        return; // the start line could not be written: reported, and logging is off again
    window.setWindowTitle(QStringLiteral("logging to file ") + path);
    window.cmdLog->setText(QStringLiteral("Stop Log"));
    window.cmdLog->setToolTip(QStringLiteral("Stop Logging Data"));
}

void stop(frmMeasure& window) {
    QString writeError;
    const bool written = DataLog::writeLine(LogLines::stopLine(), &writeError);
    QString closeError;
    const bool closed = DataLog::close(&closeError);
    window.showLogStopped();
    if (!written || !closed)
        tell(writeFailedMessage(written ? closeError : writeError));
}

QString writeFailedMessage(const QString& reason) {
    return QStringLiteral("Logging stopped: the log file could not be written.  ") + reason;
}

} // namespace LogControl
