// How a record's values are kept in a database column, the same in the records store and in
// the team's tables: NaN is no value, stored as NULL and read back as NaN; a text column is
// never NULL, an empty text is stored as one.
#pragma once

#include <QString>
#include <QVariant>

namespace Records {

QVariant storedNumber(double value);
QVariant storedText(const QString& value);
double numberOf(const QVariant& value);

} // namespace Records
