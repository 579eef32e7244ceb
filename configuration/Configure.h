// The configuration window: the meter's test settings, their field checks, the short pause
// the other windows use, and the upload of the settings.
#pragma once

#include "app/LoadableWindow.h"

class QComboBox;
class QLineEdit;

class Configure : public Loadable<Configure> {
    Q_OBJECT
public:
    Configure();

    QLineEdit* Unit = nullptr;
    QComboBox* Accuracy = nullptr;

    // The short pause between commands: returns once more than 0.2 s have passed on the
    // monotonic clock, sleeping in the event loop meanwhile so every window stays live.
    static void dly();

protected:
    void loadStep() override;
    void unloadStep() override;
};
