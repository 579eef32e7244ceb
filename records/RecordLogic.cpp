// The plain rules of test records.
#include "records/RecordLogic.h"

#include "measurement/CorrectionSettings.h"
#include "readings/Reading.h"

#include <QCollator>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <numeric>

namespace Records {

namespace {

bool isControl(char32_t c) {
    const QChar::Category category = QChar::category(c);
    return category == QChar::Other_Control || category == QChar::Separator_Line ||
           category == QChar::Separator_Paragraph;
}

// Characters, not UTF-16 units: a name of 64 Chinese or emoji characters is 64 long.
QString nameProblem(const QString& text, const QString& what) {
    const QList<uint> characters = name(text).toUcs4();
    if (characters.size() > kMaxNameLength)
        return QStringLiteral("The %1 has %2 characters; at most %3 are allowed.")
            .arg(what)
            .arg(characters.size())
            .arg(kMaxNameLength);
    for (uint c : characters) {
        if (isControl(char32_t(c)))
            return QStringLiteral("The %1 contains a control character (a tab or line break, "
                                  "for instance); type it again without.")
                .arg(what);
    }
    return QString();
}

} // namespace

QString name(const QString& text) {
    return text.trimmed();
}

QString assetProblem(const QString& text) {
    if (name(text).isEmpty())
        return QStringLiteral("Enter the asset the reading was taken on (a joint, winding, part "
                              "or serial number) before recording.");
    return nameProblem(text, QStringLiteral("asset name"));
}

QString operatorProblem(const QString& text) {
    return nameProblem(text, QStringLiteral("operator's name"));
}

Record recordOf(const Reading& reading, const Limits::Settings& limits, const Entry& entry,
                const Meter& meter, const QString& programVersion) {
    Record record;
    record.time = localTime(reading.time);
    record.asset = name(entry.asset);
    record.operatorName = name(entry.operatorName);
    record.note = entry.note.trimmed();
    record.rx = reading.rx;
    record.rtc = reading.rtc;
    record.temperature = reading.temperature;
    record.tempco = reading.tempco;
    if (reading.corrected && CorrectionSettings::materialNames().contains(entry.material))
        record.material = entry.material;
    record.limits = limits;
    record.verdict = reading.verdict;
    record.stable = entry.stable;
    record.meter = meter;
    record.programVersion = programVersion;
    return record;
}

bool Dates::contain(const QDateTime& time) const {
    const QDate day = time.date();
    return (!from.isValid() || day >= from) && (!to.isValid() || day <= to);
}

std::vector<Record> within(const std::vector<Record>& records, const Dates& dates) {
    std::vector<Record> kept;
    std::copy_if(records.begin(), records.end(), std::back_inserter(kept),
                 [&](const Record& record) { return dates.contain(record.time); });
    return kept;
}

double value(const Record& record) {
    return std::isnan(record.rtc) ? record.rx : record.rtc;
}

std::optional<double> changePercent(const Record& previous, const Record& current) {
    const bool bothCorrected = !std::isnan(previous.rtc) && !std::isnan(current.rtc);
    const double before = bothCorrected ? previous.rtc : previous.rx;
    const double now = bothCorrected ? current.rtc : current.rx;
    if (std::isnan(before) || std::isnan(now) || before == 0.0)
        return std::nullopt;
    return (now - before) / before * 100.0;
}

double shownPercent(double percent) {
    return std::round(percent * 10.0) / 10.0;
}

QString changeText(double percent, const QDateTime& previousTime, const QLocale& locale) {
    // Rounded first, so that -0.04 % reads "0.0 %" rather than "-0.0 %".
    const double shown = shownPercent(percent);
    QString number = locale.toString(std::abs(shown), 'f', 1);
    if (shown > 0.0)
        number.prepend(QLatin1Char('+'));
    else if (shown < 0.0)
        number.prepend(locale.negativeSign());
    return QStringLiteral("%1 % since %2").arg(number, previousTime.toString(Qt::ISODate).left(10));
}

bool flagged(double percent, double limitPercent) {
    // By the figure shown: +20.0 % and -20.0 % are flagged alike, whatever digits follow.
    return std::abs(shownPercent(percent)) > limitPercent;
}

bool nameContains(const QString& name, const QString& text) {
    return name.contains(text, Qt::CaseInsensitive); // case folded for every letter
}

namespace {

// The region's alphabet, any case: "Ölweiche" among the O's, not after "Z". The C region has no
// alphabet of its own; it gets the common one.
const QCollator& nameCollator() {
    static const QCollator collator = [] {
        QLocale locale;
        if (locale.language() == QLocale::C)
            locale = QLocale(QLocale::English, QLocale::UnitedStates);
        QCollator made(locale);
        made.setCaseSensitivity(Qt::CaseInsensitive);
        return made;
    }();
    return collator;
}

} // namespace

std::vector<size_t> nameOrder(const std::vector<QString>& names) {
    std::vector<QCollatorSortKey> keys;
    keys.reserve(names.size());
    for (const QString& name : names)
        keys.push_back(nameCollator().sortKey(name));
    std::vector<size_t> order(names.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        const int by = keys[a].compare(keys[b]);
        return by != 0 ? by < 0 : names[a] < names[b];
    });
    return order;
}

Quantity chartQuantity(const std::vector<Record>& records) {
    const bool allCorrected = std::all_of(records.begin(), records.end(), [](const Record& r) {
        return !std::isnan(r.rtc) || std::isnan(r.rx);
    });
    return allCorrected ? Quantity::Rtc : Quantity::Rx;
}

double valueOf(const Record& record, Quantity quantity) {
    return quantity == Quantity::Rtc ? record.rtc : record.rx;
}

QString isoTime(const QDateTime& time) {
    return time.toString(Qt::ISODateWithMs);
}

QDateTime localTime(qint64 msecsSinceEpoch) {
    const QDateTime local = QDateTime::fromMSecsSinceEpoch(msecsSinceEpoch);
    return local.toOffsetFromUtc(local.offsetFromUtc());
}

} // namespace Records
