#pragma once

#include "FileStamp.h"

#include <QString>

#include <cstddef>
#include <memory>
#include <vector>

class QThreadPool;
class StatisticsReader;

// Loads files (LoadStampedText: read, inflate, split into lines, and parse the lines as
// far as the file's reader can on its own) on the global thread pool, a bounded number
// ahead of the one taking them, so that decoding runs in parallel while the texts are
// read into the stores one after the other, in order, and few are held at a time.
class FileLoadQueue
{
public:
    struct File
    {
        QString name;
        const StatisticsReader* reader = nullptr; // parses the lines ahead when given
        double zoneOffset = 0; // of the reading the file is for
    };

    // ahead: how many files are loading or loaded and not yet taken; 0 picks a number
    // from the pool's size.
    explicit FileLoadQueue(std::vector<File> files, std::size_t ahead = 0);
    ~FileLoadQueue();
    FileLoadQueue(const FileLoadQueue&) = delete;
    FileLoadQueue& operator=(const FileLoadQueue&) = delete;

    std::size_t size() const { return jobs_.size(); }
    // The text of the next name, in the order given; at most size() times. A file whose
    // load the pool has not begun is loaded by the caller.
    StampedText TakeNext();

private:
    class Job;
    void Start(std::size_t i);

    QThreadPool& pool_;
    std::vector<std::unique_ptr<Job>> jobs_;
    std::size_t ahead_ = 1;
    std::size_t started_ = 0;
    std::size_t taken_ = 0;
};
