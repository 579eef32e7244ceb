// The limits controls.
#include "readings/LimitsBox.h"

#include "readings/CheckedEntry.h"
#include "readings/Entries.h"
#include "readings/Figures.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>

LimitsBox::LimitsBox(QWidget* parent) : QGroupBox(QStringLiteral("Limits"), parent) {
    mode = new QComboBox(this);
    mode->addItems(
        {QStringLiteral("Off"), QStringLiteral("Nominal +/- %"), QStringLiteral("Low to high")});
    nominal = new CheckedEntry(
        10, [](const QString& t) { return Entries::limit(t); }, this);
    tolerance = new CheckedEntry(
        5, [](const QString& t) { return Entries::tolerance(t); }, this);
    // Each limit is checked against the other, so the band can never turn inside out.
    low = new CheckedEntry(
        9.5,
        [this](const QString& t) {
            Entries::Checked checked = Entries::limit(t);
            if (checked.value && *checked.value > high->value())
                return Entries::Checked{std::nullopt, Entries::kOrder};
            return checked;
        },
        this);
    high = new CheckedEntry(
        10.5,
        [this](const QString& t) {
            Entries::Checked checked = Entries::limit(t);
            if (checked.value && *checked.value < low->value())
                return Entries::Checked{std::nullopt, Entries::kOrder};
            return checked;
        },
        this);
    unit = new QComboBox(this);
    unit->addItems(Entries::units());
    unit->setCurrentText(QStringLiteral("mOhm"));
    m_unit = unit->currentText();

    // Two rows that keep their size in every mode, the entries of one mode in the same cells
    // as the other's: choosing a mode never makes the window wider or taller.
    auto* layout = new QGridLayout(this);
    auto* modeLabel = new QLabel(QStringLiteral("&Mode"), this);
    modeLabel->setBuddy(mode);
    layout->addWidget(modeLabel, 0, 0);
    layout->addWidget(mode, 0, 1);
    layout->addWidget(unit, 0, 3);
    const auto labelled = [&](const QString& caption, QWidget* entry, int column,
                              QList<QLabel*>& group) {
        auto* label = new QLabel(caption, this);
        label->setBuddy(entry);
        layout->addWidget(label, 1, column);
        layout->addWidget(entry, 1, column + 1);
        group << label;
    };
    labelled(QStringLiteral("N&ominal"), nominal, 0, m_toleranceLabels);
    labelled(QStringLiteral("+/- pe&rcent"), tolerance, 2, m_toleranceLabels);
    labelled(QStringLiteral("Lo&w"), low, 0, m_windowLabels);
    labelled(QStringLiteral("&High"), high, 2, m_windowLabels);
    for (QWidget* shown : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        QSizePolicy policy = shown->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        shown->setSizePolicy(policy);
    }
    layout->setColumnStretch(4, 1);

    connect(mode, &QComboBox::currentIndexChanged, this, [this] {
        showEntries();
        Q_EMIT changed();
    });
    connect(unit, &QComboBox::currentIndexChanged, this, &LimitsBox::unitChanged);
    for (CheckedEntry* entry : {nominal, tolerance, low, high})
        connect(entry, &CheckedEntry::accepted, this, &LimitsBox::changed);
    showEntries();
}

void LimitsBox::showEntries() {
    const auto chosen = Limits::Mode(mode->currentIndex());
    const bool byTolerance = chosen == Limits::Mode::Tolerance;
    const bool byWindow = chosen == Limits::Mode::Window;
    for (QLabel* label : m_toleranceLabels)
        label->setVisible(byTolerance);
    for (QLabel* label : m_windowLabels)
        label->setVisible(byWindow);
    nominal->setVisible(byTolerance);
    tolerance->setVisible(byTolerance);
    low->setVisible(byWindow);
    high->setVisible(byWindow);
    unit->setVisible(chosen != Limits::Mode::Off);
}

void LimitsBox::unitChanged() {
    // The band stays where it was: 9.5 mOhm becomes 0.0095 Ohm, never 9.5 Ohm.
    const double factor = Entries::ohmsPer(m_unit) / Entries::ohmsPer(unit->currentText());
    for (CheckedEntry* entry : {nominal, low, high})
        entry->setValue(Figures::atMeterDigits(entry->value() * factor));
    m_unit = unit->currentText();
    Q_EMIT changed();
}

Limits::Settings LimitsBox::settings() const {
    const double factor = Entries::ohmsPer(unit->currentText());
    Limits::Settings result;
    result.mode = Limits::Mode(mode->currentIndex());
    result.nominal = nominal->value() * factor;
    result.tolerancePercent = tolerance->value();
    result.low = low->value() * factor;
    result.high = high->value() * factor;
    return result;
}
