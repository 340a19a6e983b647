#include "FifoWatchdog.h"

#include <QFile>

#include <fcntl.h>
#include <unistd.h>

FifoWatchdog::FifoWatchdog(const QStringList& pipes, std::chrono::seconds deadline)
    : pipes_(pipes)
    , thread_([this, deadline] { Watch(deadline); })
{ }

FifoWatchdog::~FifoWatchdog()
{
    {
        const std::lock_guard lock(mutex_);
        finished_ = true;
    }
    done_.notify_all();
    thread_.join();
}

void FifoWatchdog::Watch(std::chrono::seconds deadline)
{
    std::unique_lock lock(mutex_);
    if (done_.wait_for(lock, deadline, [this] { return finished_; }))
        return;
    fired_ = true;
    // Keep releasing until the test ends: a reader may block on the next pipe too.
    while (!done_.wait_for(lock, std::chrono::milliseconds(100), [this] { return finished_; })) {
        for (const QString& pipe : pipes_) {
            const int fd = ::open(QFile::encodeName(pipe).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0)
                ::close(fd);
        }
    }
}
