// Records made for the records tests, and a store's records read back as text.
#pragma once

#include "records/RecordLogic.h"
#include "records/SqliteRecordStore.h"

// A record of `asset` taken at `isoTime` (with its offset), measuring `rx`; nothing else set.
inline Records::Record recordAt(const QString& asset,
                                const QString& isoTime = "2026-03-02T10:30:00.000+01:00",
                                double rx = 0.0125) {
    Records::Record record;
    record.time = QDateTime::fromString(isoTime, Qt::ISODateWithMs);
    record.asset = asset;
    record.rx = rx;
    return record;
}

// A record with every field set, its texts holding what a file or a statement must quote:
// commas, quotes, a line break, SQL.
inline Records::Record fullRecord() {
    Records::Record r =
        recordAt("Joint \"A\", bay 3'); DROP TABLE records;--", "2026-03-02T10:30:00.123+01:00");
    r.operatorName = QStringLiteral("Doe, J.");
    r.note = QStringLiteral("two\nlines; 'quoted'");
    r.rtc = 0.0123;
    r.temperature = 23.5;
    r.tempco = 0.004;
    r.material = QStringLiteral("Copper");
    r.limits = {Limits::Mode::Tolerance, 0.0125, 2.0, 0, 0};
    r.verdict = Limits::Verdict::Pass;
    r.stable = true;
    r.meter = {"Norvale", "MX7500", "MX75-000123", "1.04"};
    r.programVersion = QStringLiteral("1.00");
    r.bench = QStringLiteral("Bay 3, bench 2");
    r.uuid = QStringLiteral("0b6f3c1e-2f4a-4d52-9a57-0c1d2e3f4a5b");
    return r;
}

// "recorded", or why not: a record added to the store `file`.
inline QByteArray recordIn(const QString& file) {
    Records::SqliteRecordStore store;
    Records::Record record = recordAt("J1");
    return store.open(file) && store.add(record) ? QByteArray("recorded")
                                                 : store.errorText().toUtf8();
}

// Every field of a record as one text.
inline QString fields(const Records::Record& r) {
    QStringList texts = {
        Records::isoTime(r.time), r.asset,       r.operatorName, r.note,         r.material,
        Limits::text(r.verdict),  r.meter.maker, r.meter.model,  r.meter.serial, r.meter.firmware,
        r.programVersion,         r.uuid,        r.bench};
    for (double v : {double(r.id), double(r.stable), r.rx, r.rtc, r.temperature, r.tempco,
                     double(r.limits.mode), r.limits.nominal, r.limits.tolerancePercent,
                     r.limits.low, r.limits.high})
        texts << QString::number(v);
    return texts.join('|');
}

// The store's assets whose names hold `text`, as listed: "asset count Rx-of-the-latest" each.
inline QStringList assetsIn(Records::SqliteRecordStore& store, const QString& text = QString()) {
    std::vector<Records::AssetSummary> assets;
    if (!store.assets(text, assets))
        return {store.errorText()};
    QStringList listed;
    for (const Records::AssetSummary& a : assets)
        listed << QStringLiteral("%1 %2 %3").arg(a.last.asset).arg(a.count).arg(a.last.rx);
    return listed;
}

// The times of an asset's records in the store `file`, in the store's order, or why not.
inline QStringList historyIn(const QString& file, const QString& asset) {
    Records::SqliteRecordStore store;
    std::vector<Records::Record> records;
    if (!store.open(file) || !store.history(asset, records))
        return {store.errorText()};
    QStringList times;
    for (const Records::Record& record : records)
        times << Records::isoTime(record.time);
    return times;
}
