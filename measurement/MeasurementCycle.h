// One press of "Trigger": coefficient, "*cls" and "*TRG", the speed pause, the reading, both
// display rows and the data line.
#pragma once

#include <QLocale>
#include <QString>

#include <optional>

class frmMeasure;

namespace MeasurementCycle {

// How many 0.2 s pauses the meter's speed setting asks for before the reading is read.
int speedPauses(const QString& accuracy);

// The meter's over-range answer. A meter that ends its lines with CR LF leaves a CR after the
// clean-up; it and trailing blanks do not hide the over-range.
bool isOverRange(const QString& reply);

// The reading in ohms: the cleaned reply, less a trailing CR and blanks, read with ".".
std::optional<float> parseReply(const QString& reply);

// What one reply puts on the window and into the log.
struct Outcome {
    QString ppar, pvalue, punit;
    QString spar, svalue, sunit;
    QString measuredText;  // the meter's text, or "Range Error"
    QString correctedText; // unscaled, "." separator; empty when the correction failed
    // The numbers behind the texts, for whoever keeps readings: none for an over-range reply,
    // a Temp text that is not a number, or a correction that failed.
    std::optional<float> measured, temperature, corrected;
};

// The outcome of a cleaned reply, the Temp text and the coefficient; none for a reply that is
// not a reading (nothing is shown or logged then). Sets sPrefix as the scaling does.
std::optional<Outcome> evaluate(const QString& reply, const QString& temperature, float tempco,
                                const QLocale& locale = QLocale());

// The whole cycle on the results window.
void trigger(frmMeasure& window);

} // namespace MeasurementCycle
