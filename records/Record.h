// A test record: one reading kept for good against the asset it was taken on, with who took
// it, with which meter and under which limits. Values are in ohms and degrees C; a value that
// was not measured or computed is NaN.
#pragma once

#include "readings/Limits.h"

#include <QDateTime>
#include <QString>

#include <limits>

namespace Records {

inline constexpr double kNone = std::numeric_limits<double>::quiet_NaN();

// The meter as its "*IDN?" reply named it.
struct Meter {
    QString maker;
    QString model;
    QString serial;
    QString firmware;
};

struct Record {
    qint64 id = 0;  // given by the store; 0 before it is stored
    QDateTime time; // when the reading was taken, with the UTC offset of the place then
    QString asset;  // the joint, winding, part or serial number
    QString operatorName;
    QString note;
    double rx = kNone;
    double rtc = kNone;         // only when the correction was on and succeeded
    double temperature = kNone; // the temperature the correction used
    double tempco = kNone;      // per degree C, the coefficient the correction used
    QString material;           // the material picked for the coefficient, if one was
    Limits::Settings limits;    // the limits in force
    Limits::Verdict verdict = Limits::Verdict::None;
    bool stable = false; // the series had settled: judged stable when the reading was shown
    Meter meter;
    QString programVersion;
    QString uuid;  // made when it is recorded: the same record on every bench and the server
    QString bench; // the computer (its host name, or a set bench name) that recorded it
};

// An asset as the Records window lists it: its latest record and how many it has.
struct AssetSummary {
    Record last;
    int count = 0;
};

} // namespace Records
