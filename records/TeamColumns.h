// A record's columns as the team server and the local copy both keep them, in one order, so
// that a record travels between them field by field.
#pragma once

#include "records/Record.h"

#include <QVariant>

#include <vector>

class QSqlQuery;

namespace Records {

// The columns, comma-separated, in the order of values() and recordAt().
extern const char* const kTeamColumns;

// The record's values in that order.
std::vector<QVariant> teamValues(const Record& record);

// The record in the query's current row, its columns from `first` on in that order.
Record teamRecordAt(const QSqlQuery& query, int first = 0);

} // namespace Records
