// The auto-repeat controls: every N s, a count (or until stopped), whether to stop once the
// series is stable, Start/Stop.
#pragma once

#include <QGroupBox>

class CheckedEntry;
class QCheckBox;
class QPushButton;
class QSpinBox;

class RepeatBox : public QGroupBox {
    Q_OBJECT
public:
    explicit RepeatBox(QWidget* parent = nullptr);

    void showRunning(bool running);

    CheckedEntry* interval = nullptr; // seconds
    QSpinBox* count = nullptr;        // 0: until stopped
    QCheckBox* stopWhenStable = nullptr;
    QPushButton* startStop = nullptr;
};
