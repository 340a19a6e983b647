#pragma once

#include <QStringList>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

// Guards a test that must not block on named pipes: if the test is still running after
// the deadline, it opens each pipe for writing (which releases a reader stuck in open)
// and remembers that it had to.
class FifoWatchdog
{
public:
    FifoWatchdog(const QStringList& pipes, std::chrono::seconds deadline);
    ~FifoWatchdog();
    FifoWatchdog(const FifoWatchdog&) = delete;
    FifoWatchdog& operator=(const FifoWatchdog&) = delete;

    bool Fired() const { return fired_; }

private:
    void Watch(std::chrono::seconds deadline);

    QStringList pipes_;
    std::atomic<bool> fired_ { false };
    std::mutex mutex_;
    std::condition_variable done_;
    bool finished_ = false;
    std::thread thread_;
};
