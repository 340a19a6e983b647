#pragma once

#include "MappedColumn.h"

#include <cstddef>
#include <memory>
#include <vector>

// The values of a coordinate list: a long list (a year of a peer's points) comes in huge
// pages, so that filling it faults far less.
using ChartValues = std::vector<double, MappedAllocator<double>>;

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
    ChartValues::const_iterator begin() const { return Values().begin(); }
    ChartValues::const_iterator end() const { return Values().end(); }
    const ChartValues& Values() const { return shared_ ? *shared_ : values_; }
    bool IsShared() const { return shared_ != nullptr; }

private:
    friend class TChartSeries;
    // The values, made the list's own first when they are shared (taken over, not copied,
    // when no other list holds them any more).
    ChartValues& Own()
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

    void Assign(ChartValues&& values)
    {
        values_ = std::move(values);
        shared_.reset();
    }
    // The storage the values were in, emptied, when nothing else holds it; the list is left
    // empty.
    ChartValues TakeStorage()
    {
        ChartValues storage;
        if (!shared_)
            storage = std::move(values_);
        else if (shared_.use_count() == 1)
            storage = std::move(*shared_);
        storage.clear();
        values_ = {};
        shared_.reset();
        return storage;
    }

    ChartValues values_; // unused while shared_ is set
    std::shared_ptr<ChartValues> shared_;
};
