// The configuration window.
#include "configuration/Configure.h"

#include "app/Look.h"
#include "measurement/frmMeasure.h"

#include "link/Wait.h"

#include <QComboBox>
#include <QLineEdit>

namespace {
constexpr qint64 kPauseNs = 200'000'000;
}

Configure::Configure() {
    setWindowTitle(QStringLiteral("Configuration"));
    Look::paintBackground(this, Look::lightGrey());
    setFixedSize(245, 293);

    Unit = Look::textBox(this, QString(), {42, 8, 161, 33});
    Unit->setFont(Look::arial(20.25));
    Look::paintBase(Unit, Look::lightGrey());
    Unit->setFrame(false);
}

void Configure::loadStep() {
}

void Configure::unloadStep() {
    hide();
    // While the results window is itself closing, it must not come back.
    if (frmMeasure* results = frmMeasure::loaded())
        results->show();
}
