// The results window.
#include "measurement/frmMeasure.h"

#include "configuration/Configure.h"
#include "connection/Form1.h"
#include "link/Commands.h"
#include "link/LineActivity.h"
#include "link/Module1.h"
#include "link/OperatorPrompt.h"
#include "link/SerialPort.h"
#include "measurement/CorrectionSettings.h"
#include "measurement/DataLog.h"
#include "measurement/LogControl.h"
#include "measurement/LogLines.h"
#include "measurement/MeasurementCycle.h"
#include "measurement/ReadingsEntry.h"
#include "measurement/ResultsEvents.h"
#include "windowkit/Look.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

namespace {

QLineEdit* displayBox(QWidget* parent, const QRect& geometry, qreal pointSize) {
    QLineEdit* box = Look::textBox(parent, QString(), geometry);
    box->setFont(Look::arial(pointSize));
    box->setReadOnly(true);
    return box;
}

} // namespace

frmMeasure::frmMeasure() {
    setWindowTitle(QStringLiteral("Results"));
    Look::paintBackground(this, Look::lightGrey());
    setFixedSize(731, 331);

    Ppar = displayBox(this, {0, 8, 129, 82}, 48);
    Pvalue = displayBox(this, {136, 8, 377, 82}, 45);
    Punit = displayBox(this, {520, 8, 209, 82}, 48);
    for (QLineEdit* box : {Ppar, Pvalue, Punit})
        Look::paintBase(box, Qt::white);

    Start = Look::button(this, QStringLiteral("Trigger"), {560, 280, 81, 33});
    Look::paintButton(Start, QColor(0, 255, 0));
    Exit = Look::button(this, QStringLiteral("Exit"), {648, 280, 81, 33});
    Exit->setToolTip(QStringLiteral("Exits Program"));
    cmdLog = Look::button(this, QStringLiteral("Start Log"), {8, 280, 81, 33});
    cmdLog->setToolTip(QStringLiteral("Starts Logging Data"));
    Config = Look::button(this, QStringLiteral("&Configure"), {96, 280, 81, 33});

    spar = displayBox(this, {0, 104, 129, 81}, 48);
    svalue = displayBox(this, {136, 104, 377, 81}, 45);
    sunit = displayBox(this, {520, 104, 209, 81}, 48);

    cmdTC = Look::button(this, QStringLiteral("Temp corr ON"), {192, 280, 81, 33});
    // Two lines above the temperature box, as wide as the room up to "Temp Coeff" allows,
    // so that the platform's default font never cuts a word.
    Label1 = Look::label(this, QStringLiteral("Temperature degrees C"), {304, 244, 92, 34});
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
    Label2 = Look::label(this, QStringLiteral("Temp Coeff"), {400, 248, 81, 25});
    Temp = Look::textBox(this, QStringLiteral("20"), {304, 280, 57, 31});
    Temp->setFont(Look::arial(15.75));
    Combo1 = Look::editableCombo(this, CorrectionSettings::materialNames(), {392, 280, 81, 21});
    Combo1->setToolTip(QStringLiteral("select material or enter coefficient"));
    Label3 = Look::label(this, QStringLiteral("Corrected to 20 degrees C"), {297, 192, 137, 17});
    Look::fitWidth(Label3);

    QWidget* order[] = {Ppar, Pvalue, Punit, Start, Exit, cmdLog, Config,
                        spar, svalue, sunit, cmdTC, Temp, Combo1};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(Config, &QPushButton::clicked, this, &frmMeasure::configurationStep);
    connect(Exit, &QPushButton::clicked, this, &frmMeasure::exitStep);
    connect(Start, &QPushButton::clicked, this, &frmMeasure::triggerClicked);
    connect(cmdLog, &QPushButton::clicked, this, &frmMeasure::logClicked);
    connect(cmdTC, &QPushButton::clicked, this, &frmMeasure::correctionSwitch);
    Combo1->installEventFilter(this);
    Combo1->lineEdit()->installEventFilter(this);
    Temp->installEventFilter(this);
    new ReadingsEntry(this);
}

void frmMeasure::loadStep() {
    bLog = false;
    bTC = false;
    cmdTC->setText(QStringLiteral("Temp corr ON"));
    for (QWidget* control : {static_cast<QWidget*>(Label1), static_cast<QWidget*>(Label2),
                             static_cast<QWidget*>(Label3), static_cast<QWidget*>(Temp),
                             static_cast<QWidget*>(Combo1)})
        control->hide();
    Combo1->setCurrentIndex(0);
    for (QLineEdit* box : {spar, svalue, sunit})
        box->hide();
    Ppar->setFocus();
    Module1::send(Commands::kBusTrigger);
}

void frmMeasure::lockButtons(bool locked) {
    for (QPushButton* button : {Start, cmdLog, Config, cmdTC})
        button->setEnabled(!locked);
}

void frmMeasure::configurationStep() {
    ResultsEvents::instance().configurationStarted();
    const LineActivity::Scope exchange;
    QPointer<frmMeasure> self(this);
    // A trigger or a log change nested in this wait would take the identification answer
    // for a reading, or the reading for the identification.
    lockButtons(true);
    Module1::Identify();
    if (!self || !self->isLoaded())
        return;
    lockButtons(false);
    if (Module1::bTimeout)
        return;
    Configure& configure = Configure::use();
    configure.Unit->setText(Module1::sIdnModel);
    configure.show();
    hide();
}

void frmMeasure::showLogStopped() {
    bLog = false;
    setWindowTitle(QStringLiteral("Results"));
    cmdLog->setText(QStringLiteral("Start Log"));
    cmdLog->setToolTip(QStringLiteral("Start Logging Data"));
}

void frmMeasure::logLine(const QString& line) {
    if (!bLog)
        return;
    QString error;
    if (DataLog::writeLine(line, &error))
        return;
    DataLog::close();
    showLogStopped();
    tell(LogControl::writeFailedMessage(error));
}

void frmMeasure::triggerClicked() {
    MeasurementCycle::trigger(*this);
}

void frmMeasure::logClicked() {
    LogControl::clicked(*this);
}

void frmMeasure::correctionSwitch() {
    bTC = !bTC;
    cmdTC->setText(bTC ? QStringLiteral("Temp corr Off") : QStringLiteral("Temp corr On"));
    for (QWidget* control : {static_cast<QWidget*>(spar), static_cast<QWidget*>(svalue),
                             static_cast<QWidget*>(sunit), static_cast<QWidget*>(Label1),
                             static_cast<QWidget*>(Label2), static_cast<QWidget*>(Label3),
                             static_cast<QWidget*>(Temp), static_cast<QWidget*>(Combo1)})
        control->setVisible(bTC);
}

void frmMeasure::materialCheck() {
    const CorrectionSettings::Coefficient entry =
        CorrectionSettings::readCoefficient(Combo1->currentText());
    if (entry.value)
        sTempco = *entry.value; // also a rejected one, until the next check
    const QString message = CorrectionSettings::coefficientMessage(entry.verdict);
    if (message.isEmpty())
        return;
    QPointer<frmMeasure> self(this);
    tell(message);
    if (!self || !self->isLoaded())
        return;
    Combo1->setCurrentIndex(0);
    Combo1->setEditText(Combo1->itemText(0));
}

void frmMeasure::temperatureCheck() {
    const QString message =
        CorrectionSettings::temperatureMessage(CorrectionSettings::checkTemperature(Temp->text()));
    if (message.isEmpty())
        return;
    QPointer<frmMeasure> self(this);
    tell(message);
    if (!self || !self->isLoaded())
        return;
    Temp->setText(QStringLiteral("20"));
}

bool frmMeasure::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        // Only the focus moving on inside the program counts as leaving an entry: not the
        // window losing activation, nor the box's own list opening.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        const bool leaves = reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
        if (leaves && watched == Temp) {
            temperatureCheck();
        } else if (leaves && (watched == Combo1 || watched == Combo1->lineEdit())) {
            // The box and its line edit both report it; only leaving the box as a whole counts.
            QWidget* now = QWidget::focusWidget();
            if (now != Combo1 && !Combo1->isAncestorOf(now))
                materialCheck();
        }
    }
    return Loadable<frmMeasure>::eventFilter(watched, event);
}

void frmMeasure::endLogQuietly() {
    if (!bLog)
        return;
    DataLog::writeLine(LogLines::stopLine());
    DataLog::close();
    bLog = false;
}

void frmMeasure::exitStep() {
    endLogQuietly();
    unload();
    Configure::unloadIfLoaded();
    Form1::unloadIfLoaded();
}

void frmMeasure::unloadStep() {
    ResultsEvents::instance().resultsClosing();
    endLogQuietly();
    if (SerialPort* port = Module1::port())
        port->setPortOpen(false);
    Form1::unloadIfLoaded();
    Configure::unloadIfLoaded();
}
