#include "RebuildBusyScope.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>

#include <cerrno>
#include <sys/resource.h>
#include <unistd.h>

namespace {

constexpr int IdleNice = 19;

// Whether this process may set its nice value back to `nice` after raising it to idle.
bool CanReturnTo(int nice)
{
    if (geteuid() == 0)
        return true;
    rlimit limit {};
    if (getrlimit(RLIMIT_NICE, &limit) != 0)
        return false;
    if (limit.rlim_cur == RLIM_INFINITY)
        return true;
    // RLIMIT_NICE allows nice values down to 20 - rlim_cur.
    return static_cast<long long>(nice) >= 20 - static_cast<long long>(limit.rlim_cur);
}

} // namespace

TRebuildBusyScope::TRebuildBusyScope()
{
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        cursorSet_ = true;
    }
    // getpriority may return -1 legitimately; errno tells a failure apart.
    errno = 0;
    const int nice = getpriority(PRIO_PROCESS, 0);
    if (errno != 0 || nice >= IdleNice || !CanReturnTo(nice))
        return;
    if (setpriority(PRIO_PROCESS, 0, IdleNice) == 0) {
        previousNice_ = nice;
        priorityLowered_ = true;
    }
}

TRebuildBusyScope::~TRebuildBusyScope()
{
    if (priorityLowered_)
        setpriority(PRIO_PROCESS, 0, previousNice_);
    if (cursorSet_)
        QGuiApplication::restoreOverrideCursor();
}
