// The commands that carry the six test settings to the meter, built from plain values so the
// exact bytes and the places of the pauses can be checked without a window or a port.
#pragma once

#include <QByteArray>
#include <QList>
#include <QLocale>
#include <QString>

#include <optional>

namespace UploadSequence {

// The settings as the configuration window holds them at the moment of the upload.
struct Settings {
    int dryIndex = 0;   // position in the dry-circuit list: "OFF" 0, "ON" 1
    int driveIndex = 0; // position in the drive list: "Pulse +/-" 0 ... "DC -" 4
    QString range;      // the text of the selected range item
    QString speed;      // "Slow", "Medium" or "Fast"
    QString delay;      // milliseconds, as typed
    QString count;      // averaging count, as typed
};

// One step: commands written back to back, then (when pauseAfter) the short pause.
struct Step {
    QList<QByteArray> commands;
    bool pauseAfter = true;
};

// Always the same eight steps in the same order, so a caller that rebuilds the sequence
// between steps (the operator may change a control during a pause) can take step i of
// the fresh one. The commands carry no line end; framing adds it.
QList<Step> build(const Settings& settings, const QLocale& locale = QLocale());

// Every command of the sequence in order, the pauses left out.
QList<QByteArray> lines(const QList<Step>& steps);

// The meter's number for a range item, by its text: "20 kOhm" and "20k Ohm" name the same
// range. No value for "Auto" and for anything that is not a range item.
std::optional<qint16> rangeNumber(const QString& itemText);

// A checked field's text in the meter's form: the meter reads "." as the decimal point and
// takes a comma as the end of a parameter, so the operator's decimal comma becomes ".".
// Anything else is left exactly as typed.
QString meterNumber(const QString& typed, const QLocale& locale = QLocale());

} // namespace UploadSequence
