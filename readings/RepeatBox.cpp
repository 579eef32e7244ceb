// The auto-repeat controls.
#include "readings/RepeatBox.h"

#include "readings/CheckedEntry.h"
#include "readings/Entries.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

RepeatBox::RepeatBox(QWidget* parent) : QGroupBox(QStringLiteral("Auto-repeat"), parent) {
    interval = new CheckedEntry(
        1, [](const QString& t) { return Entries::interval(t); }, this);
    interval->setMaximumWidth(60);
    count = new QSpinBox(this);
    count->setRange(0, 1000000);
    count->setSpecialValueText(QStringLiteral("until stopped"));
    count->setValue(0);
    startStop = new QPushButton(this);
    showRunning(false);

    auto* layout = new QHBoxLayout(this);
    auto* every = new QLabel(QStringLiteral("&Every"), this);
    every->setBuddy(interval);
    layout->addWidget(every);
    layout->addWidget(interval);
    layout->addWidget(new QLabel(QStringLiteral("s"), this));
    auto* times = new QLabel(QStringLiteral("Cou&nt"), this);
    times->setBuddy(count);
    layout->addWidget(times);
    layout->addWidget(count);
    layout->addWidget(startStop);
    layout->addStretch();
}

void RepeatBox::showRunning(bool running) {
    startStop->setText(running ? QStringLiteral("S&top") : QStringLiteral("&Start"));
}
