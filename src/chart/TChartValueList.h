#pragma once

#include <cstddef>
#include <vector>

// One coordinate list of a series (its X or its Y values). Read-only to users of the
// series: the series keeps X in ascending order and Y in step with it.
class TChartValueList
{
public:
    bool DateTime = false; // the values are date-time day numbers

    std::size_t size() const { return values_.size(); }
    bool empty() const { return values_.empty(); }
    double operator[](std::size_t i) const { return values_[i]; }
    const double* data() const { return values_.data(); }
    std::vector<double>::const_iterator begin() const { return values_.begin(); }
    std::vector<double>::const_iterator end() const { return values_.end(); }
    const std::vector<double>& Values() const { return values_; }

private:
    friend class TChartSeries;
    std::vector<double> values_;
};
