// The upload's command sequence.
#include "configuration/UploadSequence.h"

#include "link/Commands.h"

namespace UploadSequence {

std::optional<qint16> rangeNumber(const QString& itemText) {
    static const struct {
        const char* text;
        qint16 number;
    } kRanges[] = {
        {"20 mOhm", 0}, {"200 mOhm", 1}, {"2 Ohm", 2},   {"20 Ohm", 3},   {"200 Ohm", 4},
        {"2k Ohm", 5},  {"20 kOhm", 6},  {"20k Ohm", 6}, {"200 kOhm", 7}, {"2 MOhm", 8},
    };
    for (const auto& range : kRanges)
        if (itemText == QLatin1String(range.text))
            return range.number;
    return std::nullopt;
}

QString meterNumber(const QString& typed, const QLocale& locale) {
    const QString point = locale.decimalPoint();
    if (point.isEmpty() || point == QLatin1String("."))
        return typed;
    QString meter = typed;
    meter.replace(point, QStringLiteral("."));
    return meter;
}

namespace {

QByteArray withArgument(const char* prefix, const QString& argument) {
    return QByteArray(prefix) + argument.toLatin1();
}

QByteArray withNumber(const char* prefix, int number) {
    return QByteArray(prefix) + QByteArray::number(number);
}

} // namespace

QList<Step> build(const Settings& settings, const QLocale& locale) {
    QList<Step> steps;
    steps << Step{{Commands::kBusTrigger}};
    steps << Step{{withNumber(Commands::kDryCircuit, settings.dryIndex)}};
    steps << Step{{withNumber(Commands::kDrive, settings.driveIndex)}};
    if (settings.range == QLatin1String("Auto")) {
        steps << Step{{Commands::kAutoRangeOn}};
    } else {
        // Switching auto-ranging off and naming the range belong together: no pause between.
        // A text that names no range is not expected from the list; it selects range 0.
        const qint16 number = rangeNumber(settings.range).value_or(0);
        steps << Step{{Commands::kAutoRangeOff, withNumber(Commands::kRange, number)}};
    }
    steps << Step{{withArgument(Commands::kSpeed, settings.speed)}};
    steps << Step{{withArgument(Commands::kTriggerDelay, meterNumber(settings.delay, locale))}};
    steps << Step{{withArgument(Commands::kAverageCount, meterNumber(settings.count, locale))}};
    steps << Step{{Commands::kClearStatus}, false};
    return steps;
}

QList<QByteArray> lines(const QList<Step>& steps) {
    QList<QByteArray> all;
    for (const Step& step : steps)
        all += step.commands;
    return all;
}

} // namespace UploadSequence
