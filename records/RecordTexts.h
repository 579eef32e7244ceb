// The texts made from test records: the cells of the Records window's tables in the region's
// format, and the CSV export ("." in numbers, ISO times, a header row).
#pragma once

#include "records/Record.h"
#include "records/RecordLogic.h"

#include <QLocale>
#include <QStringList>

#include <vector>

namespace Records {

// One row of an asset's history: its cells, whether its change is flagged, and the record's
// place in the history it was made from.
struct HistoryRow {
    QStringList cells;
    bool flagged = false;
    size_t record = 0;
};

QStringList historyHeader();
// Which column of the history holds what.
enum HistoryColumn { TimeColumn, VerdictColumn = 5, StableColumn, ChangeColumn, BenchColumn = 9 };
// The records of one asset within `dates`, oldest first, each with the change since the record
// before it, whether or not that one is within the dates. `records` is the asset's whole
// history, oldest first.
std::vector<HistoryRow> historyRows(const std::vector<Record>& records, double changeLimitPercent,
                                    const QLocale& locale = QLocale(), const Dates& dates = {});

QStringList assetHeader();
QStringList assetCells(const AssetSummary& asset, const QLocale& locale = QLocale());

// The records as CSV, a header row first; every field of a record, fields with a comma, a
// quote or a line break quoted.
QString csvText(const std::vector<Record>& records);

} // namespace Records
