// The connection window.
#include "connection/Form1.h"

#include "configuration/Configure.h"
#include "connection/PortChoice.h"
#include "link/Commands.h"
#include "link/Module1.h"
#include "link/OperatorPrompt.h"
#include "link/QtSerialPort.h"
#include "measurement/DataLog.h"
#include "measurement/frmMeasure.h"
#include "windowkit/AppIcon.h"
#include "windowkit/Look.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

namespace {

std::function<SerialPort*()>& portFactory() {
    static std::function<SerialPort*()> factory = [] { return new QtSerialPort; };
    return factory;
}

QString makerAddressLine() {
    return QStringLiteral("Norvale Instruments, 12 Foundry Lane, Ashby AP4 2NV");
}

QString makerContactLine() {
    return QStringLiteral("www.norvale-instruments.example  Tel +44 1632 960417");
}

} // namespace

void Form1::setPortFactory(std::function<SerialPort*()> factory) {
    portFactory() = std::move(factory);
}

Form1::Form1() {
    setWindowTitle(QStringLiteral("Norvale MX7500 Virtual Front Panel Wizard V1.0"));
    setWindowIcon(AppIcon::icon());
    Look::paintBackground(this, Look::lightGrey());
    setFixedSize(367, 168);

    MSComm1 = portFactory()();
    MSComm1->setParent(this);

    Label3 = Look::label(this, QStringLiteral("ComPort : "), {24, 8, 65, 17});
    port = Look::editableCombo(this, {QStringLiteral("1"), QStringLiteral("2")}, {24, 32, 41, 21});
    Label5 = Look::label(this, QStringLiteral("Baud"), {112, 8, 41, 17});
    baud = Look::editableCombo(this, {QStringLiteral("9600"), QStringLiteral("19200")},
                               {112, 32, 57, 21});
    Look::paintBase(port, Look::lightGrey());
    Look::paintBase(baud, Look::lightGrey());

    Measure = Look::button(this, QStringLiteral("Continue"), {24, 72, 81, 33});
    Measure->setToolTip(QStringLiteral("Displays measurement Data"));
    Command3 = Look::button(this, QStringLiteral("Exit"), {262, 72, 81, 33});
    Command3->setToolTip(QStringLiteral("Exits program"));

    Label4 = Look::label(this, makerAddressLine(), {0, 120, 367, 17});
    Label4->setAlignment(Qt::AlignCenter);
    Label6 = Look::label(this, makerContactLine(), {0, 140, 367, 17});
    Label6->setAlignment(Qt::AlignCenter);

    setTabOrder(Command3, port);
    setTabOrder(port, baud);
    setTabOrder(baud, Measure);

    // A typed change, a picked item and leaving the box all run the same choice; changes
    // made by the program itself run it explicitly.
    connect(port->lineEdit(), &QLineEdit::textEdited, this, &Form1::portChoice);
    connect(port, &QComboBox::activated, this, &Form1::portChoice);
    port->installEventFilter(this);
    port->lineEdit()->installEventFilter(this);
    connect(baud->lineEdit(), &QLineEdit::textEdited, this, &Form1::baudChoice);
    connect(baud, &QComboBox::activated, this, &Form1::baudChoice);

    connect(Measure, &QPushButton::clicked, this, &Form1::continueClicked);
    connect(Command3, &QPushButton::clicked, this, &Form1::exitClicked);
}

void Form1::loadStep() {
    Module1::setPort(MSComm1);
    MSComm1->setPortOpen(false);
    MSComm1->setPortOpen(true);
    port->setCurrentIndex(0);
    portChoice();
    baud->setCurrentIndex(0);
    baudChoice();
    Command3->setEnabled(true);
    Command3->setFocus();
}

void Form1::unloadStep() {
    MSComm1->setPortOpen(false);
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && (watched == port || watched == port->lineEdit())) {
        // Only the focus moving on inside the window counts: not a message box coming up
        // (the port choice's own would come back for ever), another program, or the list.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
            return Loadable<Form1>::eventFilter(watched, event);
        // The line edit and the box both report it; only leaving the box as a whole counts.
        if (!port->isAncestorOf(QWidget::focusWidget()) && QWidget::focusWidget() != port)
            portChoice();
    }
    return Loadable<Form1>::eventFilter(watched, event);
}

void Form1::reopen(const std::function<void()>& choose, bool reportOnlyNews) {
    // The failure box takes the focus from the box being edited, and the edit box then
    // reports its text as picked: that must not start the same choice again under the box.
    if (m_choosing)
        return;
    QPointer<Form1> self(this);
    m_choosing = true;
    const bool wasOpen = MSComm1->portOpen();
    MSComm1->setPortOpen(false);
    choose();
    if (!MSComm1->setPortOpen(true) && (wasOpen || !reportOnlyNews))
        tell(PortChoice::notAvailableMessage(MSComm1->commPort()));
    if (self)
        m_choosing = false;
}

void Form1::portChoice() {
    const int number = PortChoice::portNumber(port->currentText());
    reopen([this, number] { MSComm1->setCommPort(number); }, false);
}

void Form1::baudChoice() {
    // The same failure model as the port choice, but one failure gets one box: a port that
    // was already closed (its own choice has just said so) is no news.
    const QString digits = PortChoice::baudDigits(baud->currentText());
    reopen([this, digits] { MSComm1->setSettings(digits); }, true);
}

void Form1::continueClicked() {
    QPointer<Form1> self(this);
    Measure->hide();
    Command3->hide();
    Module1::send(Commands::kEmpty);
    Module1::send(Commands::kEmpty);
    Module1::Identify();
    if (!self || !self->isLoaded())
        return; // the window was closed during the wait; the program is leaving
    if (Module1::bTimeout) {
        Measure->show();
        Command3->show();
        return;
    }
    Configure::use().Unit->setText(Module1::sIdnModel);
    hide();
    frmMeasure::use().show();
}

void Form1::exitClicked() {
    DataLog::close();
    Configure::unloadIfLoaded();
    frmMeasure::unloadIfLoaded();
    unload();
}
