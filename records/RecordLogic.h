// The plain rules of test records: what an asset name may be, the record made from a reading,
// the value two records are compared by, the change since the previous record and its text.
#pragma once

#include "records/Record.h"

#include <QLocale>
#include <QString>

#include <optional>
#include <vector>

struct Reading;

namespace Records {

inline constexpr int kMaxNameLength = 64;
inline constexpr double kDefaultChangeLimitPercent = 20.0;

// Why an asset name cannot be recorded, or empty when it can. `text` is taken as typed:
// blanks at either end are not part of the name (see name()).
QString assetProblem(const QString& text);
// The same for the operator's name, which may be empty.
QString operatorProblem(const QString& text);
// A typed name as stored: without blanks at either end.
QString name(const QString& text);

// What the Readings window knows when the operator records.
struct Entry {
    QString asset;
    QString operatorName;
    QString note;
    QString material;    // the text of the material box; kept only when it names a material
    bool stable = false; // the series was judged stable when the reading was shown
};

// The record of a reading shown at `reading.time`, taken under `limits`.
Record recordOf(const Reading& reading, const Limits::Settings& limits, const Entry& entry,
                const Meter& meter, const QString& programVersion);

// The value a record is judged and compared by: Rtc when computed, else Rx; NaN for none.
double value(const Record& record);

// The change of `current` against `previous` in %, comparing Rtc with Rtc when both have it,
// else Rx with Rx; none when they have no such pair or the previous value is zero.
std::optional<double> changePercent(const Record& previous, const Record& current);

// "+12.4 % since 2026-03-02": one decimal in the region's format, the previous record's date.
QString changeText(double percent, const QDateTime& previousTime,
                   const QLocale& locale = QLocale());

// A change in % as shown: to one decimal.
double shownPercent(double percent);

// A change beyond `limitPercent` either way, as shown, is flagged: a joint whose resistance
// rose that much is failing even while it still passes.
bool flagged(double percent, double limitPercent);

// Whether an asset's name contains the typed `text`, in any case of any letter.
bool nameContains(const QString& name, const QString& text);
// The positions of `names` in the order assets are listed in: the region's alphabetical
// order, any case (names that differ in case only, by their code points).
std::vector<size_t> nameOrder(const std::vector<QString>& names);

// What an asset's history chart shows: Rtc when every record with a value has one, else Rx
// throughout, so that no line joins the two.
enum class Quantity { Rx, Rtc };
Quantity chartQuantity(const std::vector<Record>& records);
double valueOf(const Record& record, Quantity quantity);

// The days whose records are shown, certified and exported, both ends included; an end that
// is not a valid date leaves that side open. A record's day is its date where it was taken.
struct Dates {
    QDate from;
    QDate to;
    bool contain(const QDateTime& time) const;
    bool open() const { return !from.isValid() && !to.isValid(); }
};
// The records of `records` that fall within `dates`, in their order.
std::vector<Record> within(const std::vector<Record>& records, const Dates& dates);

// The time as stored and exported: ISO 8601 with milliseconds and the UTC offset.
QString isoTime(const QDateTime& time);
// A moment, `msecsSinceEpoch`, in local time with its UTC offset written out.
QDateTime localTime(qint64 msecsSinceEpoch);

} // namespace Records
