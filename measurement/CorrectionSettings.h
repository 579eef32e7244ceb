// The operator's correction entries: the material table, the coefficient and temperature
// limits, and their messages.
#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>

#include <optional>

namespace CorrectionSettings {

inline const QString kNotNumeric = QStringLiteral("Entry must be numeric");
inline const QString kCoefficientRange = QStringLiteral("Entry must be between -0.01 and 0.01");
inline const QString kTemperatureRange = QStringLiteral("Entry must be between -50 and 200");

// The material list in the order the box shows it.
QStringList materialNames();

// The coefficient per degree C of a material named exactly (case and blanks count).
std::optional<float> materialCoefficient(const QString& text);

enum class Verdict { Accepted, OutOfRange, NotNumeric };

// What a text in the material box means. A material or a numeric text gives its value, also
// when it is out of range (the coefficient takes it all the same); a text that is neither, or
// a number beyond single precision, gives none.
struct Coefficient {
    Verdict verdict;
    std::optional<float> value;
};
Coefficient readCoefficient(const QString& text, const QLocale& locale = QLocale());

// The temperature entry: numeric and within -50 to 200, both inclusive.
Verdict checkTemperature(const QString& text, const QLocale& locale = QLocale());

// The message that answers a rejected entry; empty for an accepted one.
QString coefficientMessage(Verdict verdict);
QString temperatureMessage(Verdict verdict);

} // namespace CorrectionSettings
