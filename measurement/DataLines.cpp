// Data line layout.
#include "measurement/DataLines.h"

#include "measurement/Numbers.h"

namespace DataLines {

namespace {

QString oneLine(QString text) {
    text.remove(QLatin1Char('\r'));
    text.remove(QLatin1Char('\n'));
    return text;
}

} // namespace

QString measuredField(const QString& reply) {
    return oneLine(reply);
}

QString temperatureField(const QString& typed, const QLocale& locale) {
    QString field = oneLine(typed);
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
    return oneLine(ppar) + QLatin1Char(',') + oneLine(measured) + QStringLiteral(", Ohm");
}

QString longLine(const QString& ppar, const QString& measured, const QString& spar,
                 const QString& corrected, const QString& temperature, const QString& coefficient) {
    return shortLine(ppar, measured) + QStringLiteral(" ,") + oneLine(spar) + QLatin1Char(',') +
           oneLine(corrected) + QStringLiteral(", Ohm ,") + oneLine(temperature) +
           QLatin1Char(',') + oneLine(coefficient);
}

} // namespace DataLines
