#include "FileLoadQueue.h"

#include "StatisticsReader.h"

#include <QRunnable>
#include <QThreadPool>

#include <algorithm>
#include <future>

class FileLoadQueue::Job : public QRunnable
{
public:
    explicit Job(File file)
        : file_(std::move(file))
        , finished_(done_.get_future())
    {
        setAutoDelete(false);
    }

    void run() override
    {
        try {
            text_ = LoadStampedText(file_.name);
            if (file_.reader && !text_.text.failed)
                text_.text.parsed = file_.reader->Parse(text_.text.lines, file_.zoneOffset);
        } catch (...) {
            text_ = StampedText {};
            text_.text.failed = true;
        }
        done_.set_value();
    }

    StampedText Take()
    {
        finished_.wait();
        return std::move(text_);
    }

    void Wait() { finished_.wait(); }

private:
    File file_;
    StampedText text_;
    std::promise<void> done_;
    std::future<void> finished_;
};

FileLoadQueue::FileLoadQueue(std::vector<File> files, std::size_t ahead)
    : pool_(*QThreadPool::globalInstance())
{
    jobs_.reserve(files.size());
    for (File& file : files)
        jobs_.push_back(std::make_unique<Job>(std::move(file)));
    // Enough to keep every thread busy while one text is parsed, few enough that a year
    // of files is never in memory at once.
    ahead_ = ahead > 0 ? ahead : static_cast<std::size_t>(std::max(2, 2 * pool_.maxThreadCount()));
    while (started_ < std::min(ahead_, jobs_.size()))
        Start(started_);
}

FileLoadQueue::~FileLoadQueue()
{
    // Jobs still queued are taken back; running ones are waited for.
    for (std::size_t i = taken_; i < started_; ++i) {
        if (pool_.tryTake(jobs_[i].get()))
            continue;
        jobs_[i]->Wait();
    }
}

void FileLoadQueue::Start(std::size_t i)
{
    pool_.start(jobs_[i].get());
    started_ = i + 1;
}

StampedText FileLoadQueue::TakeNext()
{
    const std::size_t i = taken_;
    // A job the pool has not begun is run here: the caller may itself be one of the
    // pool's threads, and waiting for a job queued behind it would never end.
    if (pool_.tryTake(jobs_[i].get()))
        jobs_[i]->run();
    StampedText text = jobs_[i]->Take();
    taken_ = i + 1;
    if (started_ < jobs_.size())
        Start(started_);
    return text;
}
