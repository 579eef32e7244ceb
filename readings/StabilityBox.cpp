// The stability controls.
#include "readings/StabilityBox.h"

#include "readings/CheckedEntry.h"
#include "readings/Entries.h"
#include "readings/ReadingSeries.h"

#include <QHBoxLayout>
#include <QLabel>

StabilityBox::StabilityBox(QWidget* parent) : QGroupBox(QStringLiteral("Stability"), parent) {
    const Stability::Criterion usual;
    count = new CheckedEntry(
        usual.count, [](const QString& t) { return Entries::stableCount(t); }, this);
    band = new CheckedEntry(
        usual.bandPercent, [](const QString& t) { return Entries::stableBand(t); }, this);
    // Narrower than a limit's entry: a count, and a percentage of a few digits.
    for (CheckedEntry* entry : {count, band})
        entry->setFixedWidth(entry->sizeHint().width() * 2 / 3);
    indicator = new QLabel(this);
    indicator->setAutoFillBackground(true);
    indicator->setMargin(3);
    indicator->setWordWrap(true); // a long trend and count take a second line, not more width
    QFont bold = indicator->font();
    bold.setBold(true);
    indicator->setFont(bold);

    setToolTip(QStringLiteral("Stable: the last readings all within the band around their mean, "
                              "drifting less than the band divided by their number per reading, "
                              "their noise under a third of the band, and the last one within "
                              "the band of the value the series settles at"));
    auto* layout = new QHBoxLayout(this);
    auto* countLabel = new QLabel(QStringLiteral("Readin&gs"), this);
    countLabel->setBuddy(count);
    auto* bandLabel = new QLabel(QStringLiteral("Ban&d +/-"), this);
    bandLabel->setBuddy(band);
    layout->addWidget(countLabel);
    layout->addWidget(count);
    layout->addWidget(bandLabel);
    layout->addWidget(band);
    layout->addWidget(new QLabel(QStringLiteral("%"), this));
    layout->addWidget(indicator, 1);

    for (CheckedEntry* entry : {count, band})
        connect(entry, &CheckedEntry::accepted, this, &StabilityBox::changed);
}

Stability::Criterion StabilityBox::criterion() const {
    return {int(count->value()), band->value()};
}

void StabilityBox::show(const ReadingSeries& series) {
    const Stability::Tracker& tracker = series.stability();
    const bool stable = tracker.stable();
    indicator->setText(
        series.size() == 0 ? QString() : Stability::text(tracker.judgement(), tracker.criterion()));
    // A palette rather than a style sheet: restyling a widget for every reading is slow.
    QPalette palette = indicator->palette();
    palette.setColor(QPalette::Window, series.size() == 0 ? Qt::transparent
                                       : stable           ? QColor(0x1a, 0x8f, 0x1a)
                                                          : QColor(0xe0, 0x90, 0x00));
    palette.setColor(QPalette::WindowText, Qt::white);
    indicator->setPalette(palette);
}
