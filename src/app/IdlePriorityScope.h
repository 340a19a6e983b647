#pragma once

// Runs the enclosing block at the lowest scheduling priority, so that a long chart
// rebuild does not slow down the rest of the desktop, and puts the old priority back
// when the block ends. An unprivileged process may not raise its priority again past
// its RLIMIT_NICE, so the priority is lowered only when that limit allows the way back;
// otherwise it is left alone. The program is never left at a lower priority.
class IdlePriorityScope
{
public:
    IdlePriorityScope();
    ~IdlePriorityScope();

    IdlePriorityScope(const IdlePriorityScope&) = delete;
    IdlePriorityScope& operator=(const IdlePriorityScope&) = delete;

    bool Lowered() const { return lowered_; }

    // Whether a process at nice value `nice` with RLIMIT_NICE soft limit `limit` may
    // set its nice value back to `nice` after lowering it.
    static bool CanRestore(int nice, unsigned long long limit, bool unlimited);

private:
    int previousNice_ = 0;
    bool lowered_ = false;
};
