// The Readings window's entries, checked as the results window checks its own: in the
// operator's locale, with a message for a rejected text (after which the entry is reset).
#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>

#include <optional>

namespace Entries {

inline const QString kTolerance = QStringLiteral("Tolerance must be between 0 and 100 %");
inline const QString kInterval = QStringLiteral("Interval must be between 0.5 and 3600 s");
inline const QString kStableCount =
    QStringLiteral("Readings must be a whole number from 3 to 1000");
inline const QString kStableBand = QStringLiteral("Band must be between 0.0001 and 100 %");
inline const QString kOrder = QStringLiteral("Low limit must not be above high limit");

struct Checked {
    std::optional<double> value; // none when rejected
    QString message;             // why it was rejected
};

// Any number (a nominal value or a limit, in the chosen unit).
Checked limit(const QString& text, const QLocale& locale = QLocale());
// A percentage from 0 to 100.
Checked tolerance(const QString& text, const QLocale& locale = QLocale());
// Seconds from 0.5 to 3600.
Checked interval(const QString& text, const QLocale& locale = QLocale());

// How many readings the stability is judged over: a whole number from 3 to 1000.
Checked stableCount(const QString& text, const QLocale& locale = QLocale());
// The stability band in percent, from 0.0001 to 100: never zero, which nothing would meet.
Checked stableBand(const QString& text, const QLocale& locale = QLocale());

// The units the limits are typed in, and ohms per unit.
QStringList units();
double ohmsPer(const QString& unit);

} // namespace Entries
