// The texts made from readings: the table's cells and statistics in the operator's locale,
// and the clipboard and CSV texts, which always use "." so that any spreadsheet reads them.
#pragma once

#include "readings/Reading.h"
#include "readings/Statistics.h"

#include <QLocale>
#include <QString>
#include <QStringList>

#include <vector>

namespace ReadingText {

// A resistance with the results window's engineering prefix: "12.5 mOhm"; empty for none.
QString ohms(double value, const QLocale& locale = QLocale());
// A plain number in the locale, empty for none.
QString number(double value, const QLocale& locale = QLocale());

enum Column { Number, Time, Rx, Rtc, Temperature, Coefficient, Verdict, ColumnCount };
QString header(Column column);

// One table cell of reading `index` (0 the first, shown as number 1).
QString cell(const Reading& reading, int index, Column column, const QLocale& locale = QLocale());

// The given readings (indexes into `readings`, in the order given) as tab-separated lines with
// local times, for pasting into a spreadsheet. No header: the rows go where the operator puts
// them.
QString clipboardText(const std::vector<Reading>& readings, const std::vector<int>& indexes);

// The statistics of Rx (and of Rtc when there are any) as tab-separated lines under a header
// line, in ohms with ".".
QString statisticsText(const Statistics& rx, const Statistics& rtc);

// Every reading as CSV: a header line, then one line per reading in the order they came, with
// ISO 8601 times (local, with the offset from UTC) and resistances in ohms.
QString csvText(const std::vector<Reading>& readings);

} // namespace ReadingText
