// The configuration window.
#include "configuration/Configure.h"

#include "configuration/FieldCheck.h"
#include "configuration/UploadSequence.h"
#include "link/LineActivity.h"
#include "link/Module1.h"
#include "link/OperatorPrompt.h"
#include "link/SerialPort.h"
#include "link/Wait.h"
#include "measurement/LogLines.h"
#include "measurement/frmMeasure.h"
#include "windowkit/Look.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

namespace {

constexpr qint64 kPauseNs = 200'000'000;

const QStringList& createdRanges() {
    static const QStringList items{QStringLiteral("Auto"),     QStringLiteral("20 mOhm"),
                                   QStringLiteral("200 mOhm"), QStringLiteral("2 Ohm"),
                                   QStringLiteral("20 Ohm"),   QStringLiteral("200 Ohm"),
                                   QStringLiteral("2k Ohm"),   QStringLiteral("20 kOhm"),
                                   QStringLiteral("200 kOhm"), QStringLiteral("2 MOhm")};
    return items;
}

// The list the dry-circuit rule builds with dry circuit off: "20k Ohm" where the list the
// window starts with says "20 kOhm". Both name the same range.
const QStringList& rebuiltRanges() {
    static const QStringList items{QStringLiteral("Auto"),     QStringLiteral("20 mOhm"),
                                   QStringLiteral("200 mOhm"), QStringLiteral("2 Ohm"),
                                   QStringLiteral("20 Ohm"),   QStringLiteral("200 Ohm"),
                                   QStringLiteral("2k Ohm"),   QStringLiteral("20k Ohm"),
                                   QStringLiteral("200 kOhm"), QStringLiteral("2 MOhm")};
    return items;
}

// Dry circuit limits the open-circuit voltage, which only the three low ranges allow.
const QStringList& dryCircuitRanges() {
    static const QStringList items{QStringLiteral("Auto"), QStringLiteral("200 mOhm"),
                                   QStringLiteral("2 Ohm"), QStringLiteral("20 Ohm")};
    return items;
}

void paintWhite(QWidget* control) {
    Look::paintBase(control, Qt::white);
    QPalette palette = control->palette();
    palette.setColor(QPalette::Button, Qt::white);
    control->setPalette(palette);
}

// The operator left the control. Focus lost to a drop-down, a context menu, another program
// or a message box of this program is not leaving it.
bool leftByOperator(const QEvent* event) {
    if (event->type() != QEvent::FocusOut)
        return false;
    const Qt::FocusReason reason = static_cast<const QFocusEvent*>(event)->reason();
    return reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason &&
           reason != Qt::MenuBarFocusReason;
}

} // namespace

Configure::Configure() {
    setWindowTitle(QStringLiteral("Configuration"));
    Look::paintBackground(this, Look::lightGrey());
    setFixedSize(245, 293);

    // No border: the model reads as a heading, not as a field to type in.
    Unit = Look::textBox(this, QString(), {42, 8, 161, 33});
    Unit->setFont(Look::arial(20.25));
    Look::paintBase(Unit, Look::lightGrey());
    Unit->setFrame(false);

    Label1 = Look::label(this, QStringLiteral("Source"), {72, 58, 49, 17});
    Drive = Look::dropDownList(this,
                               {QStringLiteral("Pulse +/-"), QStringLiteral("Pulse +"),
                                QStringLiteral("Pulse -"), QStringLiteral("DC +"),
                                QStringLiteral("DC -")},
                               {128, 56, 81, 21});
    paintWhite(Drive);

    Dry = Look::label(this, QStringLiteral("Dry"), {80, 90, 41, 17});
    cbDry =
        Look::dropDownList(this, {QStringLiteral("OFF"), QStringLiteral("ON")}, {128, 88, 81, 21});

    Label6 = Look::label(this, QStringLiteral("Range"), {72, 122, 49, 17});
    Range = Look::dropDownList(this, createdRanges(), {128, 120, 81, 21});
    paintWhite(Range);

    Label7 = Look::label(this, QStringLiteral("Speed"), {72, 154, 49, 17});
    Accuracy = Look::dropDownList(
        this, {QStringLiteral("Slow"), QStringLiteral("Medium"), QStringLiteral("Fast")},
        {128, 152, 81, 21});
    paintWhite(Accuracy);

    Average = Look::label(this, QStringLiteral("Average"), {72, 186, 49, 17});
    tAvg = Look::textBox(this, QString(), {128, 184, 81, 19});

    Label8 = Look::label(this, QStringLiteral("Delay"), {80, 218, 41, 17});
    Delay = Look::textBox(this, QString(), {128, 216, 81, 19});
    Look::paintBase(Delay, Qt::white);

    Update = Look::button(this, QStringLiteral("Update Test"), {128, 248, 81, 33});
    Update->setToolTip(QStringLiteral("Sends configuration Data to 6400"));

    QWidget* order[] = {Drive, Update, Range, Accuracy, Delay, Unit, cbDry, tAvg};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
    setTabOrder(tAvg, Drive);

    for (QWidget* watched :
         {static_cast<QWidget*>(cbDry), static_cast<QWidget*>(Delay), static_cast<QWidget*>(tAvg)})
        watched->installEventFilter(this);
    connect(Update, &QPushButton::clicked, this, &Configure::upload);
}

void Configure::loadStep() {
    Drive->setCurrentIndex(0);
    cbDry->setCurrentIndex(0);
    Accuracy->setCurrentIndex(0);
    Range->setCurrentIndex(0);
    Delay->setText(QStringLiteral("5"));
    tAvg->setText(QStringLiteral("1"));
    Drive->setFocus();
}

void Configure::unloadStep() {
    hide();
    // While the results window is itself closing, it must not come back.
    if (frmMeasure* results = frmMeasure::loaded())
        results->show();
}

bool Configure::eventFilter(QObject* watched, QEvent* event) {
    if (isLoaded() && leftByOperator(event)) {
        if (watched == cbDry)
            dryCircuitRule();
        else if (watched == Delay)
            checkDelay();
        else if (watched == tAvg)
            checkAverage();
    }
    return LoadableWindow::eventFilter(watched, event);
}

void Configure::dly() {
    QElapsedTimer since;
    since.start();
    do {
        Wait::yieldOnce(since, kPauseNs);
        if (Wait::calledOff())
            return;
    } while (!Wait::over(since, kPauseNs));
}

// After a reset or a refill the control is repainted rather than given the focus: taking the
// focus back from inside a focus loss would make the control the operator went to lose it at
// once, running that control's own rule (a reset range, a second message) unasked.

void Configure::dryCircuitRule() {
    while (Range->count() > 0)
        Range->removeItem(Range->count() - 1);
    Range->addItems(cbDry->currentText() == QLatin1String("ON") ? dryCircuitRanges()
                                                                : rebuiltRanges());
    Range->setCurrentIndex(0);
    Range->update();
}

void Configure::checkDelay() {
    checkField(Delay, 5.0f, 9999.0f, QStringLiteral("Delay must be a number"),
               QStringLiteral("Delay limits are 5 to 9999 mSec"), QStringLiteral("5"));
}

void Configure::checkAverage() {
    checkField(tAvg, 1.0f, 10.0f, QStringLiteral("Average must be a number"),
               QStringLiteral("Average limits are 1 to 10"), QStringLiteral("1"));
}

void Configure::checkField(QLineEdit* field, float lowest, float highest, const QString& notANumber,
                           const QString& outsideLimits, const QString& resetText) {
    const FieldCheck::Outcome outcome = FieldCheck::check(field->text(), lowest, highest);
    if (outcome == FieldCheck::Outcome::Accepted)
        return;
    QPointer<QLineEdit> guarded(field);
    tell(outcome == FieldCheck::Outcome::NotANumber ? notANumber : outsideLimits);
    // The box let other events run; the window may have gone meanwhile.
    if (!guarded)
        return;
    field->setText(resetText);
    field->update();
}

void Configure::upload() {
    // A second click while the first upload pauses would interleave two sequences and bring
    // the results window back in the middle of the reconfiguration.
    if (m_uploading)
        return;
    // Never two exchanges on the line at once: pressed while a reading or an identification
    // is under way, the upload starts once that has ended.
    if (LineActivity::instance().busy()) {
        if (m_uploadWaiting)
            return;
        m_uploadWaiting = true;
        connect(
            &LineActivity::instance(), &LineActivity::idle, this,
            [this] {
                m_uploadWaiting = false;
                if (isLoaded())
                    upload();
            },
            Qt::ConnectionType(Qt::QueuedConnection | Qt::SingleShotConnection));
        return;
    }
    m_uploading = true;
    const LineActivity::Scope exchange;
    QPointer<Configure> self(this);
    const int stepCount = int(UploadSequence::build({}).size());
    for (int i = 0; i < stepCount; ++i) {
        // Read the controls afresh for every step: one changed during a pause is sent by the
        // commands that follow.
        const UploadSequence::Settings settings{cbDry->currentIndex(), Drive->currentIndex(),
                                                Range->currentText(),  Accuracy->currentText(),
                                                Delay->text(),         tAvg->text()};
        const UploadSequence::Step step = UploadSequence::build(settings).at(i);
        for (const QByteArray& command : step.commands) {
            if (Module1::send(command))
                continue;
            // Stop here: the meter holds part of the settings, and the log must not claim
            // a change that never reached it.
            const SerialPort* port = Module1::port();
            const QString why = port ? port->errorText() : QStringLiteral("the port is not open");
            tell(QStringLiteral("Configuration not sent: ") + why);
            if (!self || !self->isLoaded())
                return;
            m_uploading = false;
            backToResults();
            return;
        }
        if (step.pauseAfter) {
            dly();
            if (!self || !self->isLoaded() || Wait::calledOff())
                return;
        }
    }
    m_uploading = false;
    backToResults();
    frmMeasure& results = frmMeasure::use();
    if (results.bLog)
        results.logLine(LogLines::configurationChanged());
}

void Configure::backToResults() {
    hide();
    frmMeasure::use().show();
}
