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

// The units the limits are typed in, and ohms per unit.
QStringList units();
double ohmsPer(const QString& unit);

} // namespace Entries
