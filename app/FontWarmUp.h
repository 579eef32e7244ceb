// The first window with text waits for the font configuration to load (tens of files read
// and parsed). That work needs nothing from the display, so it runs on a second thread while
// the program connects to the display, and the first window finds it done.
#pragma once

namespace FontWarmUp {

// Starts loading the font configuration; does nothing where fonts are not configured that way.
void start();

// Waits until the loading has finished; call before the first window is built and before
// anything that may end the program.
void finish();

} // namespace FontWarmUp
