// Log line layout.
#include "measurement/LogLines.h"

#include <QRegularExpression>

namespace LogLines {

QString withoutLineBreaks(QString text) {
    text.remove(QLatin1Char('\r'));
    text.remove(QLatin1Char('\n'));
    return text;
}

QString regionalDate(const QDateTime& when, const QLocale& locale) {
    QString format = locale.dateFormat(QLocale::ShortFormat);
    // Short formats that abbreviate the year to two digits are widened, as the operating
    // systems' own short dates are; a log outlives its century's first decades.
    static const QRegularExpression twoDigitYear(QStringLiteral("(?<!y)yy(?!y)"));
    format.replace(twoDigitYear, QStringLiteral("yyyy"));
    return locale.toString(when.date(), format);
}

QString regionalTime(const QDateTime& when, const QLocale& locale) {
    QString format = locale.timeFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1Char('s'))) {
        static const QRegularExpression minutes(QStringLiteral("(mm?)"));
        const QRegularExpressionMatch match = minutes.match(format);
        if (match.hasMatch())
            format.insert(match.capturedEnd(), QStringLiteral(":ss"));
    }
    return locale.toString(when.time(), format);
}

QString startLine(const QDateTime& when, const QString& maker, const QString& model,
                  const QString& field3, const QString& field4, const QLocale& locale) {
    return QStringLiteral("Start Log ,") + regionalDate(when, locale) + QLatin1Char(',') +
           regionalTime(when, locale) + QLatin1Char(',') + withoutLineBreaks(maker) +
           QLatin1Char(',') + withoutLineBreaks(model) + QLatin1Char(',') +
           withoutLineBreaks(field3) + QLatin1Char(',') + withoutLineBreaks(field4);
}

QString stopLine(const QDateTime& when, const QLocale& locale) {
    return QStringLiteral("Stop Log ,") + regionalDate(when, locale) + QLatin1Char(',') +
           regionalTime(when, locale);
}

} // namespace LogLines
