// Field checks of the configuration window.
#include "configuration/FieldCheck.h"

#include "measurement/Numbers.h"

namespace FieldCheck {

namespace {

// The same text with every digit made 0: it reads as a number exactly when the original is
// well formed, whatever the size of the original's value.
QString withZeroDigits(QString text) {
    for (QChar& c : text)
        if (c >= QLatin1Char('1') && c <= QLatin1Char('9'))
            c = QLatin1Char('0');
    return text;
}

} // namespace

Outcome check(const QString& text, float lowest, float highest, const QLocale& locale) {
    const std::optional<float> value = Numbers::fromOperator(text, locale);
    if (!value)
        return Numbers::fromOperator(withZeroDigits(text), locale) ? Outcome::OutsideLimits
                                                                   : Outcome::NotANumber;
    return *value >= lowest && *value <= highest ? Outcome::Accepted : Outcome::OutsideLimits;
}

} // namespace FieldCheck
