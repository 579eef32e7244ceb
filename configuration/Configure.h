// The configuration window: the meter's test settings, their field checks, the short pause
// the other windows use, and the upload of the settings.
#pragma once

#include "windowkit/LoadableWindow.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

class Configure : public Loadable<Configure> {
    Q_OBJECT
public:
    Configure();

    QLineEdit* Unit = nullptr;
    QLabel* Label1 = nullptr;
    QComboBox* Drive = nullptr;
    QLabel* Dry = nullptr;
    QComboBox* cbDry = nullptr;
    QLabel* Label6 = nullptr;
    QComboBox* Range = nullptr;
    QLabel* Label7 = nullptr;
    QComboBox* Accuracy = nullptr;
    QLabel* Average = nullptr;
    QLineEdit* tAvg = nullptr;
    QLabel* Label8 = nullptr;
    QLineEdit* Delay = nullptr;
    QPushButton* Update = nullptr;

    // The short pause between commands: returns once more than 0.2 s have passed on the
    // monotonic clock, sleeping in the event loop meanwhile so every window stays live.
    static void dly();

    // Rebuilds the range list for the dry-circuit choice and selects "Auto".
    void dryCircuitRule();
    // The checks run when the operator leaves the delay or the averaging field.
    void checkDelay();
    void checkAverage();
    // Sends the six settings to the meter and goes back to the results window.
    void upload();

protected:
    void loadStep() override;
    void unloadStep() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void checkField(QLineEdit* field, float lowest, float highest, const QString& notANumber,
                    const QString& outsideLimits, const QString& resetText);
    void backToResults();

    bool m_uploading = false;
    bool m_uploadWaiting = false; // pressed while another exchange held the line
};
