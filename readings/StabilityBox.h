// The stability controls of the Readings window: over how many readings and within which band
// the series counts as settled, and the indicator that says whether it has.
#pragma once

#include "readings/Stability.h"

#include <QGroupBox>

class CheckedEntry;
class QLabel;
class ReadingSeries;

class StabilityBox : public QGroupBox {
    Q_OBJECT
public:
    explicit StabilityBox(QWidget* parent = nullptr);

    Stability::Criterion criterion() const;
    // The judgement of the series' newest readings; nothing with no readings.
    void show(const ReadingSeries& series);

    CheckedEntry* count = nullptr; // readings
    CheckedEntry* band = nullptr;  // +/- percent of their mean
    QLabel* indicator = nullptr;

Q_SIGNALS:
    // The criterion changed: the series is to be judged again.
    void changed();
};
