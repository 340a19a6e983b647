#pragma once

#include <QFont>
#include <QSize>

// What a run without a window needs to know of the window's layout: the client area it
// takes from the stored placement, and the size its pages give every chart. Computed
// from the font alone, with the same rules the window's bottom bar and page controls
// follow, so that images drawn without a window have the size the window would give them.

// The window's client size with the stored one (width, height; 0 for none), kept at
// least as large as the window allows and no larger than any screen.
QSize StoredClientSize(int storedWidth, int storedHeight);

// The size of every chart on the pages of a window with that client size.
QSize ChartAreaSize(QSize clientSize, const QFont& font);
