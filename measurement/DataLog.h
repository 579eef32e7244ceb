// The data log: the one file the front panel writes, shared by the measurement cycle, the
// log buttons, the configuration upload and the exit paths.
#pragma once

#include <QString>

namespace DataLog {

enum class Mode { Replace, Append };

// Opens the log file; false with the platform's description of the failure in `error`.
bool open(const QString& path, Mode mode, QString* error);

bool isOpen();

// Writes one line ended by CR LF and pushes it to the disk at once, so a reading logged is a
// reading kept. False (with the reason) when the write failed.
bool writeLine(const QString& line, QString* error = nullptr);

// Closes the file; closing when nothing is open does nothing. False when the last data
// could not be written out.
bool close(QString* error = nullptr);

} // namespace DataLog
