// SIGTERM, SIGINT and SIGHUP (a logout, a shutdown, Ctrl+C in the terminal) leave the program
// the way Exit does: the log gets its stop line, the port is closed and its lock released.
#pragma once

#include <functional>

namespace TerminationSignals {

// Runs `leave` on the event loop when one of the signals arrives.
void install(std::function<void()> leave);

} // namespace TerminationSignals
