// The texts made from test records: the cells of the Records window's tables in the region's
// format, and the CSV export ("." in numbers, ISO times, a header row).
#pragma once

#include "records/Record.h"

#include <QLocale>
#include <QStringList>

#include <vector>

namespace Records {

// One row of an asset's history: its cells, and whether its change is flagged.
struct HistoryRow {
    QStringList cells;
    bool flagged = false;
};

QStringList historyHeader();
// The records of one asset, oldest first, each with the change since the one before.
std::vector<HistoryRow> historyRows(const std::vector<Record>& records, double changeLimitPercent,
                                    const QLocale& locale = QLocale());

QStringList assetHeader();
QStringList assetCells(const AssetSummary& asset, const QLocale& locale = QLocale());

// The records as CSV, a header row first; every field of a record, fields with a comma, a
// quote or a line break quoted.
QString csvText(const std::vector<Record>& records);

} // namespace Records
