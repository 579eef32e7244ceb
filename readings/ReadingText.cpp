// Texts of the Readings window and its exports.
#include "readings/ReadingText.h"

#include "readings/Figures.h"

#include <QDateTime>

#include <cmath>

namespace ReadingText {

namespace {

QDateTime localTime(const Reading& reading) {
    return QDateTime::fromMSecsSinceEpoch(reading.time).toLocalTime();
}

QChar decimalPoint(const QLocale& locale) {
    const QString point = locale.decimalPoint();
    return point.isEmpty() ? QLatin1Char('.') : point.at(0);
}

// The fields shared by the clipboard and the files; the time is given by the caller.
QStringList exportFields(const Reading& reading, int index, const QString& time, QChar point) {
    return {QString::number(index + 1),
            time,
            Figures::text(reading.rx, point),
            Figures::text(reading.rtc, point),
            Figures::text(reading.temperature, point),
            Figures::text(reading.tempco, point),
            Limits::text(reading.verdict)};
}

} // namespace

QString ohms(double value, const QLocale& locale) {
    if (std::isnan(value))
        return QString();
    const Figures::Scaled scaled = Figures::scaled(value);
    return Figures::text(scaled.value, decimalPoint(locale)) + QLatin1Char(' ') + scaled.prefix +
           QStringLiteral("Ohm");
}

QString number(double value, const QLocale& locale) {
    return Figures::text(value, decimalPoint(locale));
}

QString header(Column column) {
    switch (column) {
    case Number:
        return QStringLiteral("No.");
    case Time:
        return QStringLiteral("Time");
    case Rx:
        return QStringLiteral("Rx");
    case Rtc:
        return QStringLiteral("Rtc");
    case Temperature:
        return QStringLiteral("Temp C");
    case Coefficient:
        return QStringLiteral("Coeff");
    case Verdict:
        return QStringLiteral("Verdict");
    case ColumnCount:
        break;
    }
    return QString();
}

QString cell(const Reading& reading, int index, Column column, const QLocale& locale) {
    switch (column) {
    case Number:
        return QString::number(index + 1);
    case Time:
        return localTime(reading).toString(QStringLiteral("HH:mm:ss"));
    case Rx:
        return reading.rangeError ? QStringLiteral("Range Error") : ohms(reading.rx, locale);
    case Rtc:
        return ohms(reading.rtc, locale);
    case Temperature:
        return number(reading.temperature, locale);
    case Coefficient:
        return number(reading.tempco, locale);
    case Verdict:
        return Limits::text(reading.verdict);
    case ColumnCount:
        break;
    }
    return QString();
}

QString clipboardText(const std::vector<Reading>& readings, const std::vector<int>& indexes,
                      const QLocale& locale) {
    QString text;
    for (int index : indexes) {
        const Reading& reading = readings.at(size_t(index));
        const QString time = localTime(reading).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        text += exportFields(reading, index, time, decimalPoint(locale)).join(QLatin1Char('\t')) +
                QLatin1Char('\n');
    }
    return text;
}

QStringList statisticsCells(const Statistics& s, const QLocale& locale) {
    const bool any = s.count() > 0;
    return {QString::number(s.count()),
            any ? ohms(s.mean(), locale) : QString(),
            s.count() > 1 ? ohms(s.standardDeviation(), locale) : QString(),
            any ? ohms(s.minimum(), locale) : QString(),
            any ? ohms(s.maximum(), locale) : QString(),
            any ? ohms(s.span(), locale) : QString()};
}

QString statisticsText(const Statistics& rx, const Statistics& rtc, const QLocale& locale) {
    QString text = QStringLiteral("\tCount\tMean\tStd dev\tMin\tMax\tSpan\n");
    const auto row = [&](const QString& name, const Statistics& s) {
        QStringList fields{name, QString::number(s.count())};
        if (s.count() > 0)
            for (double v : {s.mean(), s.standardDeviation(), s.minimum(), s.maximum(), s.span()})
                fields << Figures::text(v, decimalPoint(locale));
        text += fields.join(QLatin1Char('\t')) + QLatin1Char('\n');
    };
    row(QStringLiteral("Rx"), rx);
    if (rtc.count() > 0)
        row(QStringLiteral("Rtc"), rtc);
    return text;
}

QString csvText(const std::vector<Reading>& readings, Csv kind, const QLocale& locale) {
    const bool regional = kind == Csv::Regional;
    const QChar separator = regional ? QLatin1Char(';') : QLatin1Char(',');
    const QChar point = regional ? decimalPoint(locale) : QLatin1Char('.');
    QString text =
        QStringList{QStringLiteral("Number"),          QStringLiteral("Time"),
                    QStringLiteral("Rx (Ohm)"),        QStringLiteral("Rtc (Ohm)"),
                    QStringLiteral("Temperature (C)"), QStringLiteral("Coefficient (1/C)"),
                    QStringLiteral("Verdict")}
            .join(separator) +
        QStringLiteral("\r\n");
    for (size_t i = 0; i < readings.size(); ++i) {
        // With the offset written out, so the file says when the reading was taken anywhere.
        const QDateTime local = localTime(readings[i]);
        const QString time = local.toOffsetFromUtc(local.offsetFromUtc()).toString(Qt::ISODate);
        text +=
            exportFields(readings[i], int(i), time, point).join(separator) + QStringLiteral("\r\n");
    }
    return text;
}

} // namespace ReadingText
