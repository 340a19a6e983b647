#include "IdlePriorityScope.h"

#include <cerrno>
#include <sys/resource.h>

namespace {

constexpr int IdleNice = 19;

} // namespace

bool IdlePriorityScope::CanRestore(int nice, unsigned long long limit, bool unlimited)
{
    // RLIMIT_NICE n lets a process raise its priority up to nice value 20 - n.
    if (unlimited)
        return true;
    return 20 - static_cast<long long>(limit) <= nice;
}

IdlePriorityScope::IdlePriorityScope()
{
    errno = 0;
    const int nice = getpriority(PRIO_PROCESS, 0);
    if (errno != 0 || nice >= IdleNice)
        return;

    rlimit limit{};
    if (getrlimit(RLIMIT_NICE, &limit) != 0)
        return;
    const bool unlimited = limit.rlim_cur == RLIM_INFINITY;
    if (!CanRestore(nice, static_cast<unsigned long long>(limit.rlim_cur), unlimited))
        return;

    if (setpriority(PRIO_PROCESS, 0, IdleNice) == 0) {
        previousNice_ = nice;
        lowered_ = true;
    }
}

IdlePriorityScope::~IdlePriorityScope()
{
    if (!lowered_)
        return;
    // A failure here leaves the process reniced, which CanRestore rules out; there is
    // nothing better to do in a destructor than to try.
    setpriority(PRIO_PROCESS, 0, previousNice_);
}
