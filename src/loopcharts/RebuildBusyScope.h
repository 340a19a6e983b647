#pragma once

// While it lives, the hourglass cursor is shown and the process runs at idle priority,
// so a long rebuild neither looks hung nor slows the rest of the desktop. Both are put
// back when it ends.
//
// The priority is lowered only when it can be raised again afterwards: an unprivileged
// process may not lower its nice value below what RLIMIT_NICE allows, and a rebuild must
// never leave the program slower for good. Without a GUI application no cursor is set.
class TRebuildBusyScope
{
public:
    TRebuildBusyScope();
    ~TRebuildBusyScope();
    TRebuildBusyScope(const TRebuildBusyScope&) = delete;
    TRebuildBusyScope& operator=(const TRebuildBusyScope&) = delete;

private:
    bool cursorSet_ = false;
    bool priorityLowered_ = false;
    int previousNice_ = 0;
};
