// A record's columns for the team server and the local copy.
#include "records/TeamColumns.h"

#include "records/StoredValues.h"

#include <QSqlQuery>

namespace Records {

const char* const kTeamColumns =
    "uuid, bench, time, time_ms, asset, operator, note, rx, rtc, temperature, tempco, "
    "material, limits_mode, nominal, tolerance, low, high, verdict, stable, meter_maker, "
    "meter_model, meter_serial, meter_firmware, program_version";

namespace {

// The texts the records store keeps for the limits' mode.
const char* const kModes[] = {"off", "tolerance", "window"};

} // namespace

std::vector<QVariant> teamValues(const Record& r) {
    const int mode = r.limits.mode == Limits::Mode::Tolerance ? 1
                     : r.limits.mode == Limits::Mode::Window  ? 2
                                                              : 0;
    return {r.uuid,
            storedText(r.bench),
            r.time.toString(Qt::ISODateWithMs),
            r.time.toMSecsSinceEpoch(),
            storedText(r.asset),
            storedText(r.operatorName),
            storedText(r.note),
            storedNumber(r.rx),
            storedNumber(r.rtc),
            storedNumber(r.temperature),
            storedNumber(r.tempco),
            storedText(r.material),
            QString::fromLatin1(kModes[mode]),
            r.limits.nominal,
            r.limits.tolerancePercent,
            r.limits.low,
            r.limits.high,
            storedText(Limits::text(r.verdict)),
            r.stable,
            storedText(r.meter.maker),
            storedText(r.meter.model),
            storedText(r.meter.serial),
            storedText(r.meter.firmware),
            storedText(r.programVersion)};
}

Record teamRecordAt(const QSqlQuery& query, int c) {
    Record r;
    r.uuid = query.value(c++).toString();
    r.bench = query.value(c++).toString();
    r.time = QDateTime::fromString(query.value(c++).toString(), Qt::ISODateWithMs);
    c++; // the moment, which the time holds
    r.asset = query.value(c++).toString();
    r.operatorName = query.value(c++).toString();
    r.note = query.value(c++).toString();
    r.rx = numberOf(query.value(c++));
    r.rtc = numberOf(query.value(c++));
    r.temperature = numberOf(query.value(c++));
    r.tempco = numberOf(query.value(c++));
    r.material = query.value(c++).toString();
    const QString mode = query.value(c++).toString();
    r.limits.mode = mode == QLatin1String(kModes[1])   ? Limits::Mode::Tolerance
                    : mode == QLatin1String(kModes[2]) ? Limits::Mode::Window
                                                       : Limits::Mode::Off;
    r.limits.nominal = query.value(c++).toDouble();
    r.limits.tolerancePercent = query.value(c++).toDouble();
    r.limits.low = query.value(c++).toDouble();
    r.limits.high = query.value(c++).toDouble();
    const QString verdict = query.value(c++).toString();
    for (Limits::Verdict v : {Limits::Verdict::Pass, Limits::Verdict::Low, Limits::Verdict::High}) {
        if (verdict == Limits::text(v))
            r.verdict = v;
    }
    r.stable = query.value(c++).toBool();
    r.meter.maker = query.value(c++).toString();
    r.meter.model = query.value(c++).toString();
    r.meter.serial = query.value(c++).toString();
    r.meter.firmware = query.value(c++).toString();
    r.programVersion = query.value(c++).toString();
    return r;
}

} // namespace Records
