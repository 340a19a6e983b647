#include "SharedWork.h"

#include <QThreadPool>

#include <algorithm>
#include <atomic>
#include <exception>
#include <memory>
#include <mutex>

namespace {
// Shared by the caller and the pool threads it asked for. A pool thread that starts
// after the last item was claimed finds nothing to do: it holds this object alive but
// never calls work, which may refer to the caller's frame.
struct SharedItems
{
    explicit SharedItems(std::size_t count, const std::function<void(std::size_t)>& work)
        : count(count)
        , work(work)
    { }

    const std::size_t count;
    const std::function<void(std::size_t)>& work;
    std::atomic<std::size_t> next { 0 };
    std::atomic<std::size_t> done { 0 };
    std::mutex failureMutex;
    std::exception_ptr failure;

    void Work()
    {
        for (std::size_t k = next.fetch_add(1); k < count; k = next.fetch_add(1)) {
            try {
                work(k);
            } catch (...) {
                // Out of a pool thread an exception would end the program.
                const std::lock_guard<std::mutex> lock(failureMutex);
                if (!failure)
                    failure = std::current_exception();
            }
            if (done.fetch_add(1) + 1 == count)
                done.notify_all();
        }
    }
};
} // namespace

void RunSharedWork(std::size_t count, const std::function<void(std::size_t)>& work, int threads)
{
    if (count == 0)
        return;
    QThreadPool* pool = QThreadPool::globalInstance();
    if (threads <= 0)
        threads = std::max(1, pool->maxThreadCount());
    if (threads == 1 || count == 1) {
        for (std::size_t k = 0; k < count; ++k)
            work(k);
        return;
    }
    auto items = std::make_shared<SharedItems>(count, work);
    const std::size_t helpers = std::min<std::size_t>(std::size_t(threads) - 1, count - 1);
    for (std::size_t h = 0; h < helpers; ++h)
        pool->start([items] { items->Work(); });
    items->Work();
    for (std::size_t d = items->done.load(); d < count; d = items->done.load())
        items->done.wait(d);
    if (items->failure)
        std::rethrow_exception(items->failure);
}
