// Data line layout.
#include "measurement/DataLines.h"

#include "measurement/LogLines.h"
#include "measurement/Numbers.h"

namespace DataLines {

QString measuredField(const QString& reply) {
    return LogLines::withoutLineBreaks(reply);
}

QString temperatureField(const QString& typed, const QLocale& locale) {
    QString field = LogLines::withoutLineBreaks(typed);
    if (Numbers::fromOperator(typed, locale)) {
        // A number holds at most the one decimal separator and no group separators.
        const QString point = locale.decimalPoint();
        if (!point.isEmpty() && point != QLatin1String("."))
            field.replace(point, QStringLiteral("."));
        return field;
    }
    field.remove(QLatin1Char(','));
    return field;
}

QString shortLine(const QString& ppar, const QString& measured) {
    return LogLines::withoutLineBreaks(ppar) + QLatin1Char(',') +
           LogLines::withoutLineBreaks(measured) + QStringLiteral(", Ohm");
}

QString longLine(const QString& ppar, const QString& measured, const QString& spar,
                 const QString& corrected, const QString& temperature, const QString& coefficient) {
    return shortLine(ppar, measured) + QStringLiteral(" ,") + LogLines::withoutLineBreaks(spar) +
           QLatin1Char(',') + LogLines::withoutLineBreaks(corrected) + QStringLiteral(", Ohm ,") +
           LogLines::withoutLineBreaks(temperature) + QLatin1Char(',') +
           LogLines::withoutLineBreaks(coefficient);
}

} // namespace DataLines
