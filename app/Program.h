// The start and the ends of the program, shared by main() and the tests that run it whole.
#pragma once

class OperatorPrompt;

namespace Program {

// Installs the operator prompt, the not-responding Cancel path, the end of the program when
// the last window unloads and the way to the Readings window (opened at the hand-over with
// `openReadings`), then loads and shows the connection window.
void start(OperatorPrompt& prompt, bool openReadings = false);

// True once the last window has unloaded: the program has nothing left to run.
bool ended();

// Cancel in the not-responding box: the log is closed without a stop line, the port is
// closed, the connection window unloads, and the program ends at once.
void abandon();

// Leaves as the Exit button of the window in front does (a termination signal arrived).
void leave();

} // namespace Program
