#pragma once

#include <QString>

// Whether a window can be shown at all: a desktop session (X11 or Wayland) or a platform
// chosen explicitly with QT_QPA_PLATFORM (offscreen for tests and headless renders).
bool DisplayAvailable();

// The text printed on standard error when no display can be used.
QString NoDisplayMessage();

// Makes a failure of the window system while the application starts print
// NoDisplayMessage and end the program with exit code 2, instead of the toolkit's abort.
// Call before constructing the QApplication; EndStartupGuard afterwards.
void BeginStartupGuard();
void EndStartupGuard();
