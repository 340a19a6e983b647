#pragma once

#include <cstddef>
#include <memory>
#include <vector>

// One coordinate list of a series (its X or its Y values). Read-only to users of the
// series: the series keeps X in ascending order and Y in step with it. Lists with the same
// values (the times of one peer's records on each of its charts) may share one copy; a
// series that changes a shared list first takes a copy of its own. (The peer rebuild,
// which made the shared copy, lengthens it in place for all the series at once.)
class TChartValueList
{
public:
    bool DateTime = false; // the values are date-time day numbers

    std::size_t size() const { return Values().size(); }
    bool empty() const { return Values().empty(); }
    double operator[](std::size_t i) const { return Values()[i]; }
    const double* data() const { return Values().data(); }
    std::vector<double>::const_iterator begin() const { return Values().begin(); }
    std::vector<double>::const_iterator end() const { return Values().end(); }
    const std::vector<double>& Values() const { return shared_ ? *shared_ : values_; }
    bool IsShared() const { return shared_ != nullptr; }

private:
    friend class TChartSeries;
    // The values, made the list's own first when they are shared (taken over, not copied,
    // when no other list holds them any more).
    std::vector<double>& Own()
    {
        if (shared_) {
            if (shared_.use_count() == 1)
                values_ = std::move(*shared_);
            else
                values_ = *shared_;
            shared_.reset();
        }
        return values_;
    }

    void Assign(std::vector<double>&& values)
    {
        values_ = std::move(values);
        shared_.reset();
    }
    // The storage the values were in, emptied, when nothing else holds it; the list is left
    // empty.
    std::vector<double> TakeStorage()
    {
        std::vector<double> storage;
        if (!shared_)
            storage = std::move(values_);
        else if (shared_.use_count() == 1)
            storage = std::move(*shared_);
        storage.clear();
        values_ = {};
        shared_.reset();
        return storage;
    }

    std::vector<double> values_; // unused while shared_ is set
    std::shared_ptr<std::vector<double>> shared_;
};
