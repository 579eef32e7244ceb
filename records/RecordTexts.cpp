// Texts of test records.
#include "records/RecordTexts.h"

#include "readings/Figures.h"
#include "readings/ReadingText.h"
#include "records/RecordLogic.h"

#include <cmath>

namespace Records {

namespace {

QString date(const QDateTime& time) {
    return time.toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

QString csvField(const QString& text) {
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    return QLatin1Char('"') + QString(text).replace(QLatin1Char('"'), QLatin1String("\"\"")) +
           QLatin1Char('"');
}

QString csvNumber(double value) {
    return Figures::text(value); // "." and the meter's seven digits; empty for none
}

} // namespace

QStringList historyHeader() {
    return {"Time",   "Rx",     "Rtc",      "Temp",  "Coefficient", "Verdict",
            "Stable", "Change", "Operator", "Bench", "Note"};
}

std::vector<HistoryRow> historyRows(const std::vector<Record>& records, double changeLimitPercent,
                                    const QLocale& locale, const Dates& dates) {
    std::vector<HistoryRow> rows;
    rows.reserve(records.size());
    for (size_t i = 0; i < records.size(); ++i) {
        const Record& r = records[i];
        if (!dates.contain(r.time))
            continue;
        HistoryRow row;
        row.record = i;
        QString change;
        if (i > 0) {
            if (const std::optional<double> percent = changePercent(records[i - 1], r)) {
                change = changeText(*percent, records[i - 1].time, locale).section(' ', 0, 1);
                row.flagged = flagged(*percent, changeLimitPercent);
            }
        }
        row.cells = {date(r.time),
                     ReadingText::ohms(r.rx, locale),
                     ReadingText::ohms(r.rtc, locale),
                     ReadingText::number(r.temperature, locale),
                     ReadingText::number(r.tempco, locale),
                     Limits::text(r.verdict),
                     r.stable ? QStringLiteral("stable") : QString(),
                     change,
                     r.operatorName,
                     r.bench,
                     r.note};
        rows.push_back(row);
    }
    return rows;
}

QStringList assetHeader() {
    return {"Asset", "Records", "Last value", "Verdict", "Date"};
}

QStringList assetCells(const AssetSummary& asset, const QLocale& locale) {
    return {asset.last.asset, locale.toString(asset.count),
            ReadingText::ohms(value(asset.last), locale), Limits::text(asset.last.verdict),
            date(asset.last.time)};
}

QString csvText(const std::vector<Record>& records) {
    QString text = QStringLiteral(
        "time,asset,operator,note,rx_ohm,rtc_ohm,temperature_c,tempco_per_c,material,"
        "limit_low_ohm,limit_high_ohm,verdict,stable,meter_maker,meter_model,meter_serial,"
        "meter_firmware,program_version,bench,record_id\r\n");
    for (const Record& r : records) {
        const std::optional<Limits::Band> band = Limits::band(r.limits);
        const QStringList fields = {isoTime(r.time),
                                    csvField(r.asset),
                                    csvField(r.operatorName),
                                    csvField(r.note),
                                    csvNumber(r.rx),
                                    csvNumber(r.rtc),
                                    csvNumber(r.temperature),
                                    csvNumber(r.tempco),
                                    csvField(r.material),
                                    band ? csvNumber(band->low) : QString(),
                                    band ? csvNumber(band->high) : QString(),
                                    Limits::text(r.verdict),
                                    r.stable ? QStringLiteral("yes") : QStringLiteral("no"),
                                    csvField(r.meter.maker),
                                    csvField(r.meter.model),
                                    csvField(r.meter.serial),
                                    csvField(r.meter.firmware),
                                    csvField(r.programVersion),
                                    csvField(r.bench),
                                    r.uuid};
        text += fields.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    }
    return text;
}

} // namespace Records
