// The lines of the data log, built as plain text so they can be checked byte for byte.
#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace LogLines {

// A field as it may stand in a record: a CR or LF from outside would split the line.
QString withoutLineBreaks(QString text);

// The date and the time as the operator's regional settings write them: the short date with
// a four-digit year, and the time with seconds (and AM/PM where the region uses it).
QString regionalDate(const QDateTime& when, const QLocale& locale = QLocale::system());
QString regionalTime(const QDateTime& when, const QLocale& locale = QLocale::system());

// "Start Log ,<date>,<time>,<maker>,<model>,<field 3>,<field 4>"
QString startLine(const QDateTime& when, const QString& maker, const QString& model,
                  const QString& field3, const QString& field4,
                  const QLocale& locale = QLocale::system());

// "Stop Log ,<date>,<time>"
QString stopLine(const QDateTime& when, const QLocale& locale = QLocale::system());
inline QString stopLine() {
    return stopLine(QDateTime::currentDateTime());
}

inline QString configurationChanged() {
    return QStringLiteral("Configuration Changed");
}

} // namespace LogLines
