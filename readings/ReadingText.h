// The texts made from readings: the table's cells and statistics in the operator's locale,
// the clipboard in the operator's region too (a spreadsheet set to that region reads its own
// decimal separator), and the CSV files, standard or for a spreadsheet of the region.
#pragma once

#include "readings/Reading.h"
#include "readings/Statistics.h"

#include <QLocale>
#include <QString>
#include <QStringList>

#include <vector>

namespace ReadingText {

// A resistance with an engineering prefix from pico to mega: "12.5 mOhm"; empty for none.
QString ohms(double value, const QLocale& locale = QLocale());
// A plain number in the locale, seven digits at most, empty for none.
QString number(double value, const QLocale& locale = QLocale());

enum Column { Number, Time, Rx, Rtc, Temperature, Coefficient, Verdict, ColumnCount };
QString header(Column column);

// One table cell of reading `index` (0 the first, shown as number 1).
QString cell(const Reading& reading, int index, Column column, const QLocale& locale = QLocale());

// The given readings (indexes into `readings`, in the order given) as tab-separated lines with
// local times and the region's decimal separator, for pasting into a spreadsheet. No header:
// the rows go where the operator puts them.
QString clipboardText(const std::vector<Reading>& readings, const std::vector<int>& indexes,
                      const QLocale& locale = QLocale());

// One row of the statistics grid: count, mean, standard deviation (from two readings on),
// minimum, maximum and span, with prefixes; empty cells before the first reading.
QStringList statisticsCells(const Statistics& statistics, const QLocale& locale = QLocale());

// The statistics of Rx (and of Rtc when there are any) as tab-separated lines under a header
// line, in ohms with the region's decimal separator.
QString statisticsText(const Statistics& rx, const Statistics& rtc,
                       const QLocale& locale = QLocale());

// The two kinds of CSV file: the standard one ("," between fields, "." in numbers), and one
// for a spreadsheet of the operator's region (";" between fields, the region's separator).
enum class Csv { Standard, Regional };

// Every reading as CSV: a header line, then one line per reading in the order they came, with
// ISO 8601 times (local, with the offset from UTC) and resistances in ohms.
QString csvText(const std::vector<Reading>& readings, Csv kind = Csv::Standard,
                const QLocale& locale = QLocale());

} // namespace ReadingText
