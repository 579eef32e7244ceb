// The configuration window: the meter's test settings, their field checks, the short pause
// the other windows use, and the upload of the settings.
#pragma once

#include "app/LoadableWindow.h"

class QLineEdit;

class Configure : public Loadable<Configure> {
    Q_OBJECT
public:
    Configure();

    QLineEdit* Unit = nullptr;

protected:
    void loadStep() override;
    void unloadStep() override;
};
