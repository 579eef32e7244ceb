// Shared link state, reply wait and identification.
#include "link/Module1.h"

#include "link/Commands.h"
#include "link/Framing.h"
#include "link/LineActivity.h"
#include "link/OperatorPrompt.h"
#include "link/SerialPort.h"
#include "link/Wait.h"

#include <QPointer>

namespace Module1 {

QString sReply;
bool bTimeout = false;
QString sIdn;
QString sIdnMaker;
QString sIdnModel;
QString sIdnField3;
QString sIdnField4;
QString sPrefix;

namespace {
QPointer<SerialPort> g_port;
std::function<void()> g_abandon;
} // namespace

QString notRespondingText() {
    return QStringLiteral("MX7500 not responding\r"
                          "Make sure MX7500 is turned on and RS232 cable is connected\r"
                          "In System Setup, System Configuration, check Baud Rate ");
}

void setPort(SerialPort* port) {
    g_port = port;
}

SerialPort* port() {
    return g_port.data();
}

void setAbandonHandler(std::function<void()> handler) {
    g_abandon = std::move(handler);
}

bool send(const QByteArray& command) {
    return g_port && g_port->output(Framing::frame(command));
}

void discardInput() {
    if (g_port)
        g_port->input();
}

void notResponding() {
    LineActivity::instance().reportNotResponding();
    const auto answer =
        OperatorPrompt::current().ask(notRespondingText(), OperatorPrompt::Buttons::OkCancel);
    if (answer != OperatorPrompt::Answer::Ok && g_abandon)
        g_abandon();
    // Only reached after OK (or when no handler ends the program, as in tests).
    bTimeout = true;
}

void ReadReply() {
    sReply.clear();
    QElapsedTimer started;
    started.start();
    for (bool first = true;; first = false) {
        if (first)
            Wait::runPending();
        else
            Wait::yieldOnce(started, kReplyTimeoutNs);
        if (Wait::calledOff()) {
            // The windows are going away under this wait: nobody is left to ask.
            bTimeout = true;
            return;
        }
        if (g_port)
            Framing::appendReceived(sReply, g_port->input());
        if (Framing::holdsLineEnd(sReply) || Wait::over(started, kReplyTimeoutNs))
            break;
        // A line that has failed (device gone, port closed) will bring nothing more, and what
        // it brought before the line end is a fragment, not an answer.
        if (!g_port || !g_port->portOpen()) {
            sReply.clear();
            break;
        }
    }
    bTimeout = false;
    if (!sReply.isEmpty())
        return;
    notResponding();
}

void Identify() {
    send(Commands::kEmpty);
    // Whatever arrived before the question (a late answer to an earlier command) is not
    // the identification.
    discardInput();
    send(Commands::kIdentify);
    ReadReply();
    if (bTimeout)
        return;
    sIdn = sReply;
    const Framing::Identification id = Framing::splitIdentification(sIdn);
    sIdnMaker = id.maker;
    sIdnModel = id.model;
    sIdnField3 = id.field3;
    sIdnField4 = id.field4;
}

void reset() {
    sReply.clear();
    bTimeout = false;
    sIdn.clear();
    sIdnMaker.clear();
    sIdnModel.clear();
    sIdnField3.clear();
    sIdnField4.clear();
    sPrefix.clear();
}

} // namespace Module1
