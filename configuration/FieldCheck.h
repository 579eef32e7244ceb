// The check of a typed number field of the configuration window: is it a number, and does it
// lie within its limits.
#pragma once

#include <QLocale>
#include <QString>

namespace FieldCheck {

enum class Outcome { Accepted, NotANumber, OutsideLimits };

// Reads the text in the operator's locale as a single-precision number and compares it with
// the limits, both included. A well-formed number too large for single precision is outside
// the limits, not "not a number": the operator typed a number, just far too big a one.
Outcome check(const QString& text, float lowest, float highest, const QLocale& locale = QLocale());

} // namespace FieldCheck
