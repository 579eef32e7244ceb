// Starting and stopping the data log from the results window's log button.
#pragma once

#include <QString>

class frmMeasure;

namespace LogControl {

inline const QString kFilter = QStringLiteral("Csv files (*.csv)|*.csv| All Files (*.*)|*.*|");
inline const QString kTitle = QStringLiteral("Select a file name");

// The log button: Start when no log runs, Stop when one does.
void clicked(frmMeasure& window);

// Asks for a file, asks before overwriting an existing one, opens it and writes the start
// line. Cancelling the dialog or failing to open changes nothing.
void start(frmMeasure& window);

// Writes the stop line and closes the file; a failure is reported and logging ends anyway.
void stop(frmMeasure& window);

// The box that tells the operator the log could not be written, and why.
QString writeFailedMessage(const QString& reason);

} // namespace LogControl
