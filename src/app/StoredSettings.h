#pragma once

#include "DocumentSettings.h"

#include <QSize>

// The settings as the window's controls show them when it starts, read from the user's
// store without writing anything back: a run from cron must leave the store alone, or
// it could undo a change made meanwhile in a running window.
struct StoredSettings
{
    DocumentSettings Document;
    QSize ClientSize; // the stored window's client area, as the window would take it
};

StoredSettings ReadStoredSettings();
