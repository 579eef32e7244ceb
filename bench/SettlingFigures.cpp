// The settled-value figures.
#include "SettlingFigures.h"

#include "Settling.h"

#include <QJsonArray>

#include <algorithm>
#include <cstdio>

namespace SettlingFigures {

QList<Figure> measure(int seeds) {
    Figure missed{QStringLiteral("7f"),
                  QStringLiteral("Stop when stable: cases missing 99 % in band or median stop"),
                  QStringLiteral("cases"), 1.0};
    const Stability::Criterion usual;
    const QList<Settling::Case> cases = Settling::cases(usual);
    std::printf("\nStop when stable (%d readings, +/-%g %%), %d seeded series per case: results "
                "within the band of the final value, and the median stop\n",
                usual.count, usual.bandPercent, seeds);
    std::printf("%-24s %-9s", "settling, every / noise", "limit");
    for (const char* noise : {"0", "P/10", "P/4"})
        for (const char* from : {"above", "below"})
            std::printf(" %15s", qPrintable(QStringLiteral("%1, %2").arg(noise, from)));
    std::printf("\n");
    QJsonArray table;
    int missing = 0;
    double worstShare = 1.0;
    double latest = 0.0; // the largest median stop as a share of its limit
    for (int i = 0; i < cases.size(); ++i) {
        const Settling::Case& c = cases[i];
        const double limit = 6.0 * c.settleSeconds + usual.count * c.intervalSeconds;
        if (i % 6 == 0)
            std::printf(
                "%-24s %-9s",
                qPrintable(
                    QStringLiteral("%1 s, every %2 s").arg(c.settleSeconds).arg(c.intervalSeconds)),
                qPrintable(QStringLiteral("%1 s").arg(limit)));
        const Settling::Outcome outcome = Settling::run(c, usual, seeds);
        missing += !outcome.met(c, usual);
        worstShare = std::min(worstShare, outcome.withinShare);
        latest = std::max(latest, outcome.medianStopSeconds / limit);
        std::printf(" %5.1f %% %5g s", outcome.withinShare * 100.0, outcome.medianStopSeconds);
        if (i % 6 == 5)
            std::printf("\n");
        table.append(QJsonObject{{QStringLiteral("settle_s"), c.settleSeconds},
                                 {QStringLiteral("interval_s"), c.intervalSeconds},
                                 {QStringLiteral("noise_percent"), c.noisePercent},
                                 {QStringLiteral("from_above"), c.fromAbove},
                                 {QStringLiteral("within_share"), outcome.withinShare},
                                 {QStringLiteral("median_stop_s"), outcome.medianStopSeconds}});
    }
    std::fflush(stdout);
    missed.runs << missing;
    missed.details.insert(QStringLiteral("cases"), int(cases.size()));
    missed.details.insert(QStringLiteral("seeds_per_case"), seeds);
    missed.details.insert(QStringLiteral("worst_within_share"), worstShare);
    missed.details.insert(QStringLiteral("largest_median_stop_of_limit"), latest);
    missed.details.insert(QStringLiteral("table"), table);
    return {missed};
}

} // namespace SettlingFigures
