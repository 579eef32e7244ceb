// Values as database columns keep them.
#include "records/StoredValues.h"

#include "records/Record.h"

#include <cmath>

namespace Records {

QVariant storedNumber(double value) {
    return std::isnan(value) ? QVariant(QMetaType::fromType<double>()) : QVariant(value);
}

QVariant storedText(const QString& value) {
    return value.isNull() ? QVariant(QString(QLatin1String(""))) : QVariant(value);
}

double numberOf(const QVariant& value) {
    return value.isNull() ? kNone : value.toDouble();
}

} // namespace Records
