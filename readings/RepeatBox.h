// The auto-repeat controls: every N s, a count (or until stopped), Start/Stop.
#pragma once

#include <QGroupBox>

class CheckedEntry;
class QPushButton;
class QSpinBox;

class RepeatBox : public QGroupBox {
    Q_OBJECT
public:
    explicit RepeatBox(QWidget* parent = nullptr);

    void showRunning(bool running);

    CheckedEntry* interval = nullptr; // seconds
    QSpinBox* count = nullptr;        // 0: until stopped
    QPushButton* startStop = nullptr;
};
