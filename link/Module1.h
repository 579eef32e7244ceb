// The instrument link: the shared variables every window reads, command sending, the reply
// wait with its time-out and not-responding prompt, and the identification exchange.
#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

class SerialPort;

namespace Module1 {

// Shared variables, empty or False when the program starts.
extern QString sReply;
extern bool bTimeout;
extern QString sIdn;
extern QString sIdnMaker;
extern QString sIdnModel;
extern QString sIdnField3;
extern QString sIdnField4;
extern QString sPrefix;

// A reply wait gives up once more than this has passed.
inline constexpr qint64 kReplyTimeoutNs = 10'000'000'000LL;

// The three lines of the not-responding box, joined by CR as the program has always kept them.
QString notRespondingText();

// The port every window talks through (the connection window's), or none.
void setPort(SerialPort* port);
SerialPort* port();

// What Cancel in the not-responding box does: close the log without a stop line, close the
// port, unload the connection window and end the program. Installed by the program.
void setAbandonHandler(std::function<void()> handler);

// Sends one command: its text and CR LF in one write. False when the port refused it.
bool send(const QByteArray& command);

// Throws away whatever the port has received and nobody has read yet.
void discardInput();

// Shows the not-responding box: Cancel leaves the program, OK sets bTimeout.
void notResponding();

// Waits for one reply line into sReply and sets bTimeout.
void ReadReply();

// An empty line, "*IDN?", the reply, and the maker and model cut out of it.
void Identify();

// Clears every shared variable (a new run in the same process, as tests do).
void reset();

} // namespace Module1
