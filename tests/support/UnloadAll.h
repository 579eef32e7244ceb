// Between in-process window tests: every window unloaded and destroyed, the log closed.
#pragma once

void unloadEveryWindow();
