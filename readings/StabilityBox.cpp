// The stability controls.
#include "readings/StabilityBox.h"

#include "readings/CheckedEntry.h"
#include "readings/Entries.h"
#include "readings/ReadingSeries.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

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
    // One line or two, always of this height: a text that wraps never squeezes the entries of
    // the window, nor makes it taller.
    indicator->setFixedHeight(QFontMetrics(bold).lineSpacing() * 2 + 2 * indicator->margin());

    setToolTip(QStringLiteral("Stable: the last readings all within the band around their mean, "
                              "drifting less than the band divided by their number per reading, "
                              "their noise under a third of the band, and the last one within "
                              "the band of the value the series settles at"));
    // The entries on one row and the indicator under them, as wide as the box: the box sits
    // beside the verdict, narrower than the window's other boxes.
    auto* layout = new QVBoxLayout(this);
    auto* entries = new QHBoxLayout;
    auto* countLabel = new QLabel(QStringLiteral("Readin&gs"), this);
    countLabel->setBuddy(count);
    auto* bandLabel = new QLabel(QStringLiteral("Ban&d +/-"), this);
    bandLabel->setBuddy(band);
    entries->addWidget(countLabel);
    entries->addWidget(count);
    entries->addWidget(bandLabel);
    entries->addWidget(band);
    entries->addWidget(new QLabel(QStringLiteral("%"), this));
    entries->addStretch();
    layout->addLayout(entries);
    layout->addWidget(indicator);

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
