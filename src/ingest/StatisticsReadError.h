#pragma once

#include <stdexcept>

// A statistics file that could not be opened or read (a plain file or a ZIP archive).
// The readers absorb it; it never reaches the user.
class StatisticsReadError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};
