// The team server in the Records window: its state in words under the window's buttons, and
// the window listed again when records of other benches arrive.
#pragma once

class QBoxLayout;
class RecordsWindow;

namespace Records {

// Adds the state line to `layout` of `window`; nothing without a team server.
void showTeam(RecordsWindow& window, QBoxLayout& layout);

} // namespace Records
