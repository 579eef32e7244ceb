// Texts of the Readings window and its exports.
#include "readings/ReadingText.h"

#include "measurement/NumberText.h"
#include "measurement/ScaleReading.h"

#include <QDateTime>

#include <cmath>

namespace ReadingText {

namespace {

QDateTime localTime(const Reading& reading) {
    return QDateTime::fromMSecsSinceEpoch(reading.time).toLocalTime();
}

// The fields shared by both exports; the time is given by the caller.
QStringList exportFields(const Reading& reading, int index, const QString& time) {
    const auto plain = [](float value) {
        return std::isnan(value) ? QString() : NumberText::forLog(value);
    };
    return {QString::number(index + 1),
            time,
            plain(reading.rx),
            plain(reading.rtc),
            plain(reading.temperature),
            reading.corrected ? NumberText::forLog(reading.tempco) : QString(),
            Limits::text(reading.verdict)};
}

} // namespace

QString ohms(double value, const QLocale& locale) {
    if (std::isnan(value))
        return QString();
    const Module1::Scaled scaled = Module1::scaled(float(value));
    return NumberText::forDisplay(scaled.value, locale) + QLatin1Char(' ') + scaled.prefix +
           QStringLiteral("Ohm");
}

QString number(double value, const QLocale& locale) {
    return std::isnan(value) ? QString() : NumberText::forDisplay(float(value), locale);
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
        return reading.corrected ? number(reading.tempco, locale) : QString();
    case Verdict:
        return Limits::text(reading.verdict);
    case ColumnCount:
        break;
    }
    return QString();
}

QString clipboardText(const std::vector<Reading>& readings, const std::vector<int>& indexes) {
    QString text;
    for (int index : indexes) {
        const Reading& reading = readings.at(size_t(index));
        const QString time = localTime(reading).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        text += exportFields(reading, index, time).join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
    return text;
}

QString statisticsText(const Statistics& rx, const Statistics& rtc) {
    QString text = QStringLiteral("\tCount\tMean\tStd dev\tMin\tMax\tSpan\n");
    const auto row = [&](const QString& name, const Statistics& s) {
        QStringList fields{name, QString::number(s.count())};
        if (s.count() > 0)
            for (double v : {s.mean(), s.standardDeviation(), s.minimum(), s.maximum(), s.span()})
                fields << NumberText::forLog(float(v));
        text += fields.join(QLatin1Char('\t')) + QLatin1Char('\n');
    };
    row(QStringLiteral("Rx"), rx);
    if (rtc.count() > 0)
        row(QStringLiteral("Rtc"), rtc);
    return text;
}

QString csvText(const std::vector<Reading>& readings) {
    QString text = QStringLiteral("Number,Time,Rx (Ohm),Rtc (Ohm),Temperature (C),"
                                  "Coefficient (1/C),Verdict\r\n");
    for (size_t i = 0; i < readings.size(); ++i) {
        // With the offset written out, so the file says when the reading was taken anywhere.
        const QDateTime local = localTime(readings[i]);
        const QString time = local.toOffsetFromUtc(local.offsetFromUtc()).toString(Qt::ISODate);
        text +=
            exportFields(readings[i], int(i), time).join(QLatin1Char(',')) + QStringLiteral("\r\n");
    }
    return text;
}

} // namespace ReadingText
