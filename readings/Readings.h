// The one Readings window of a run: created when first asked for, placed beside the results
// window, and gone with it.
#pragma once

#include <QRect>

class ReadingsWindow;

namespace Readings {

// Connects the results window's "Readings..." and Ctrl+R to the window; with `atHandOver`
// the window also opens when the results window is first shown.
void install(bool atHandOver);

// The window, created on first use, shown beside the results window and raised.
ReadingsWindow& open();
// The window if it exists; nothing is created.
ReadingsWindow* existing();

// Where a window of `frameSize` goes (both frames): right of `results`, else left of it, else
// below, else above, always inside the screen's available area and no larger than it; when no
// side has room, where it covers the least of the results window.
QRect placeBeside(const QRect& results, const QSize& frameSize, const QRect& screen);

} // namespace Readings
