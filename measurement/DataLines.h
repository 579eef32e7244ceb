// The data line of one reading, as the log file keeps it: comma-separated, one record per
// line, numbers written with "." whatever the operator's locale.
#pragma once

#include <QLocale>
#include <QString>

namespace DataLines {

// The measured field: the meter's own text, less any CR or LF it ended with (a stray CR
// would split the record).
QString measuredField(const QString& reply);

// The temperature field: the temperature as typed, with "." as its separator when it is a
// number; any other text loses its commas and line breaks, so it stays one field.
QString temperatureField(const QString& typed, const QLocale& locale = QLocale());

// Correction off: "<Ppar>,<measured>, Ohm".
QString shortLine(const QString& ppar, const QString& measured);

// Correction on: "<Ppar>,<measured>, Ohm ,<spar>,<corrected>, Ohm ,<temperature>,<coefficient>".
QString longLine(const QString& ppar, const QString& measured, const QString& spar,
                 const QString& corrected, const QString& temperature, const QString& coefficient);

} // namespace DataLines
