// The results window: the two display rows, the log, correction and configuration buttons,
// Trigger and Exit. The hub of the program once an instrument has answered.
#pragma once

#include "windowkit/LoadableWindow.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

class frmMeasure : public Loadable<frmMeasure> {
    Q_OBJECT
public:
    frmMeasure();

    // Public state other windows read.
    bool bLog = false;
    bool bTC = false;
    float sTempco = 0.0f;

    // The file dialog's file name: the log path chosen last, offered again.
    QString logFileName;

    QLineEdit* Ppar = nullptr;
    QLineEdit* Pvalue = nullptr;
    QLineEdit* Punit = nullptr;
    QPushButton* Start = nullptr;
    QPushButton* Exit = nullptr;
    QPushButton* cmdLog = nullptr;
    QPushButton* Config = nullptr;
    QLineEdit* spar = nullptr;
    QLineEdit* svalue = nullptr;
    QLineEdit* sunit = nullptr;
    QPushButton* cmdTC = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* Temp = nullptr;
    QComboBox* Combo1 = nullptr;
    QLabel* Label3 = nullptr;

    void configurationStep();
    void exitStep();

    // Trigger: one measurement cycle.
    void triggerClicked();
    // The log button: start or stop the data log.
    void logClicked();
    // The correction switch: shows or hides the second row and the correction entries.
    void correctionSwitch();
    // Leaving the material box or the temperature box checks the entry.
    void materialCheck();
    void temperatureCheck();

    // Disables (or enables) Trigger, the log button, Configure and the correction switch,
    // in that order: nothing may start another exchange while one runs.
    void lockButtons(bool locked);

    // Appends one line to the running log. A failed write is reported and logging ends
    // cleanly, so the operator never believes readings are kept when they are not.
    void logLine(const QString& line);

    // The window's state for "no log running": bLog False, caption "Results", and the log
    // button offering to start again.
    void showLogStopped();

protected:
    void loadStep() override;
    void unloadStep() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Writes the stop line and closes the log, ignoring failures: the program is leaving.
    void endLogQuietly();
};
