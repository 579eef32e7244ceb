// The auto-repeat controls.
#include "readings/RepeatBox.h"

#include "readings/CheckedEntry.h"
#include "readings/Entries.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

RepeatBox::RepeatBox(QWidget* parent) : QGroupBox(QStringLiteral("Auto-repeat"), parent) {
    interval = new CheckedEntry(
        1, [](const QString& t) { return Entries::interval(t); }, this);
    interval->setMaximumWidth(60);
    count = new QSpinBox(this);
    count->setRange(0, 1000000);
    count->setSpecialValueText(QStringLiteral("until stopped"));
    count->setValue(0);
    stopWhenStable = new QCheckBox(QStringLiteral("Stop when sta&ble"), this);
    startStop = new QPushButton(this);
    showRunning(false);

    auto* layout = new QVBoxLayout(this);
    auto* schedule = new QHBoxLayout;
    auto* every = new QLabel(QStringLiteral("&Every"), this);
    every->setBuddy(interval);
    schedule->addWidget(every);
    schedule->addWidget(interval);
    schedule->addWidget(new QLabel(QStringLiteral("s"), this));
    auto* times = new QLabel(QStringLiteral("Cou&nt"), this);
    times->setBuddy(count);
    schedule->addWidget(times);
    schedule->addWidget(count);
    schedule->addWidget(startStop);
    schedule->addStretch();
    layout->addLayout(schedule);
    layout->addWidget(stopWhenStable);
}

void RepeatBox::showRunning(bool running) {
    startStop->setText(running ? QStringLiteral("S&top") : QStringLiteral("&Start"));
}
